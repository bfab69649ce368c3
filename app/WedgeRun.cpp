#include "WedgeRun.h"

#include "SceneRun.h"
#include "OutputFile.h"
#include "WedgeMeasures.h"

#include <vxhost/CommandEngine.h>

#include <nlohmann/json.hpp>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;

namespace
{
fs::path PlanPath(const std::string& dir)
{
    return fs::path(dir) / "wedge.json";
}

bool ReadText(const fs::path& path, std::string& text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream all;
    all << in.rdbuf();
    text = all.str();
    return !in.bad();
}


// The summary, its paths in `from` (where the wedge ran) made paths in `to`
// (where it ends up).
std::string MovedPaths(const fs::path& summary, const fs::path& from, const fs::path& to)
{
    std::string text;
    ReadText(summary, text);
    nlohmann::ordered_json j = nlohmann::ordered_json::parse(text, nullptr, false);
    const std::string prefix = from.string();
    const std::function<void(nlohmann::ordered_json&)> move = [&](nlohmann::ordered_json& value)
    {
        if (value.is_string() && value.get<std::string>().rfind(prefix, 0) == 0)
            value = to.string() + value.get<std::string>().substr(prefix.size());
        if (value.is_structured())
            for (auto& item : value)
                move(item);
    };
    move(j);
    return j.dump(2) + "\n";
}

// The run's own words for why it failed: its last "volarix: " line, and
// the last error the scene reported, which says what went wrong inside.
std::string FailureOf(const fs::path& log)
{
    std::string text;
    ReadText(log, text);
    std::istringstream lines(text);
    std::string message = "the run failed; see log.txt";
    std::string cause;
    const std::string open = "// Error: ";
    const std::string close = " //";
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("volarix: ", 0) == 0)
            message = line.substr(9);
        else if (line.rfind(open, 0) == 0 && line.size() >= open.size() + close.size())
            cause = line.substr(open.size(), line.size() - open.size() - close.size());
    return cause.empty() || message.find(cause) != std::string::npos ? message : message + "; " + cause;
}

// Runs `run` with this process's standard error going to `log`.
int WithErrorsTo(const fs::path& log, const std::function<int()>& run)
{
    std::fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    // The folder is made afresh for the run: a name already there was planted.
    const int file = open(log.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (saved < 0 || file < 0)
    {
        if (saved >= 0)
            close(saved);
        if (file >= 0)
            close(file);
        return run();
    }
    dup2(file, STDERR_FILENO);
    close(file);
    const int status = run();
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    return status;
}

std::string CsvField(const std::string& text)
{
    if (text.find_first_of(",\"\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (const char c : text)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string Number(const nlohmann::json& j, const char* key)
{
    return j.contains(key) && j[key].is_number() ? vxhost::FormatDouble(j[key].get<double>()) : std::string();
}
} // namespace

bool ReadPlan(const std::string& dir, WedgePlan& plan, std::string& error)
{
    std::string text;
    if (!ReadText(PlanPath(dir), text))
    {
        error = "\"" + dir + "\" holds no wedge (no wedge.json)";
        return false;
    }
    error = WedgePlan::FromJson(text, plan);
    if (!error.empty())
        error = PlanPath(dir).string() + ": " + error;
    return error.empty();
}

bool WritePlan(const std::string& dir, const WedgePlan& plan, std::string& error)
{
    std::error_code code;
    fs::create_directories(dir, code);
    if (code || !fs::is_directory(dir))
    {
        error = "cannot make the wedge folder \"" + dir + "\"" + (code ? ": " + code.message() : std::string());
        return false;
    }
    if (fs::exists(PlanPath(dir)))
    {
        WedgePlan earlier;
        if (!ReadPlan(dir, earlier, error))
            return false;
        if (earlier.scene != plan.scene)
        {
            error = "\"" + dir + "\" holds a wedge of " + earlier.scene + "; choose another --out, or remove it";
            return false;
        }
        if (!(earlier == plan))
        {
            error = "\"" + dir + "\" holds another wedge of " + earlier.scene +
                    " (other variations, seeds, frames or outputs); finish it with --resume, or choose another --out";
            return false;
        }
        return true;
    }
    return WriteText(PlanPath(dir), plan.ToJson(), error);
}

int RunWedgeTask(const std::string& dir, std::size_t index, int threads,
                 const std::function<MStatus(const std::string&)>& runScene)
{
    WedgePlan plan;
    std::string error;
    if (!ReadPlan(dir, plan, error))
    {
        std::fprintf(stderr, "volarix: %s\n", error.c_str());
        return 1;
    }
    if (index >= plan.Count())
    {
        std::fprintf(stderr, "volarix: the wedge in \"%s\" has %zu variants; there is no %zu\n", dir.c_str(),
                     plan.Count(), index);
        return 1;
    }
    const Wedge wedge = plan.At(index);
    const fs::path final = fs::path(dir) / wedge.name;
    const fs::path failed = fs::path(dir) / (wedge.name + ".failed");
    const fs::path partial = fs::path(dir) / ("." + wedge.name + ".partial");
    std::error_code code;
    fs::remove_all(partial, code);
    fs::remove_all(failed, code);
    fs::create_directories(partial, code);
    if (code)
    {
        std::fprintf(stderr, "volarix: cannot make \"%s\": %s\n", partial.c_str(), code.message().c_str());
        return 1;
    }

    SceneRunOptions options;
    options.scene = plan.scene;
    if (fs::path(plan.scene).extension() == ".py")
        options.runScene = runScene;
    options.frameRange = plan.frameRange;
    options.startFrame = plan.startFrame;
    options.endFrame = plan.endFrame;
    options.cacheDir = (partial / "cache").string();
    vxhost::CacheFormatFromName(plan.cacheFormat, options.cacheFormat);
    // The summary picture always, for the contact sheet; every frame's
    // when the wedge asks for a playblast.
    options.playblastDir = (partial / "playblast").string();
    options.framePictures = plan.playblast;
    if (!plan.playblast)
    {
        // Only for the contact sheet, whose cells are smaller still.
        options.width = 480;
        options.height = 270;
    }
    options.threads = threads;
    options.seed = wedge.seed;
    options.sets = wedge.settings;
    options.progress = false;
    options.quiet = true;
    options.json = true;

    std::FILE* summary = std::fopen((partial / "summary.json").c_str(), "wx");
    const int status = summary ? WithErrorsTo(partial / "log.txt",
                                              [&] { return RunScene(options, summary); })
                               : 1;
    if (summary)
        std::fclose(summary);
    // The run's messages go to the task's own error stream too (a farm's log).
    std::string log;
    if (ReadText(partial / "log.txt", log))
        std::fputs(log.c_str(), stderr);

    if (status == 0 && WriteText(partial / "measures.json", MeasureFlock(), error) &&
        WriteText(partial / "summary.json", MovedPaths(partial / "summary.json", partial, final), error))
    {
        // A wedge run again takes the place of the earlier one only whole.
        const fs::path earlier = fs::path(dir) / ("." + wedge.name + ".earlier");
        fs::remove_all(earlier, code);
        if (fs::exists(final))
            fs::rename(final, earlier, code);
        if (!code)
            fs::rename(partial, final, code);
        fs::remove_all(earlier);
        if (!code)
            return 0;
        error = "cannot rename \"" + partial.string() + "\": " + code.message();
    }
    if (error.empty())
        error = summary ? FailureOf(partial / "log.txt") : "cannot write summary.json";
    WriteText(partial / "error.txt", error + "\n", error);
    fs::rename(partial, failed, code);
    std::fprintf(stderr, "volarix: wedge %s failed: %s\n", wedge.name.c_str(), error.c_str());
    return 1;
}

WedgeState StateOf(const std::string& dir, const Wedge& wedge, std::string& message)
{
    message.clear();
    if (fs::exists(fs::path(dir) / wedge.name / "summary.json"))
        return WedgeState::kDone;
    const fs::path failed = fs::path(dir) / (wedge.name + ".failed");
    if (!fs::is_directory(failed))
        return WedgeState::kMissing;
    ReadText(failed / "error.txt", message);
    while (!message.empty() && message.back() == '\n')
        message.pop_back();
    return WedgeState::kFailed;
}

std::string ShellQuoted(const std::string& word)
{
    std::string quoted = "'";
    for (const char c : word)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string TaskCommand(const std::string& program, const std::string& dir, std::size_t index, int threads)
{
    return ShellQuoted(program) + " wedge --task " + ShellQuoted(dir) + " " + std::to_string(index) + " --threads " +
           std::to_string(threads);
}

void DrawWedgeProgress(std::size_t finished, std::size_t failures, std::size_t total, const std::string& note,
                       double elapsed)
{
    const int filled = total == 0 ? 20 : static_cast<int>(20 * finished / total);
    std::string line = "\r[" + std::string(static_cast<std::size_t>(filled), '#') +
                       std::string(static_cast<std::size_t>(20 - filled), '-') + "]  wedge " +
                       std::to_string(finished) + "/" + std::to_string(total) + " done";
    if (failures > 0)
        line += ", " + std::to_string(failures) + " failed";
    line += ", " + note + ", " + vxhost::FormatDouble(std::round(elapsed)) + " s";
    if (finished > 0 && finished < total)
        line += ", about " +
                vxhost::FormatDouble(std::round(elapsed / static_cast<double>(finished) *
                                                static_cast<double>(total - finished))) +
                " s left";
    std::fprintf(stderr, "%s\033[K", line.c_str());
    std::fflush(stderr);
}

std::size_t RunLocal(const std::string& program, const std::string& dir, const std::vector<std::size_t>& indices,
                     unsigned parallel, int threads, bool progress)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    std::map<pid_t, std::size_t> running;
    std::size_t next = 0;
    std::size_t finished = 0;
    std::size_t failures = 0;
    const auto draw = [&]
    {
        if (progress)
            DrawWedgeProgress(finished, failures, indices.size(),
                              std::to_string(running.size()) + " running",
                              std::chrono::duration<double>(Clock::now() - start).count());
    };
    while (next < indices.size() || !running.empty())
    {
        while (next < indices.size() && running.size() < std::max(1u, parallel))
        {
            const std::string index = std::to_string(indices[next]);
            const std::string threadCount = std::to_string(threads);
            std::vector<std::string> words = {program, "wedge", "--task", dir, index, "--threads", threadCount};
            std::vector<char*> argv;
            for (std::string& word : words)
                argv.push_back(word.data());
            argv.push_back(nullptr);
            // The tasks' messages are in each wedge's log.txt, not on this
            // terminal under the progress line.
            posix_spawn_file_actions_t actions;
            posix_spawn_file_actions_init(&actions);
            posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
            pid_t child = 0;
            if (posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ) == 0)
                running[child] = indices[next];
            else
            {
                ++finished;
                ++failures;
            }
            posix_spawn_file_actions_destroy(&actions);
            ++next;
            draw();
        }
        if (running.empty())
            continue;
        int status = 0;
        const pid_t done = waitpid(-1, &status, 0);
        if (done < 0)
            break;
        if (running.erase(done) == 0)
            continue;
        ++finished;
        failures += WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
        draw();
    }
    if (progress)
        std::fprintf(stderr, "\n");
    return failures;
}

bool WriteWedgeTable(const std::string& dir, const WedgePlan& plan, std::string& error)
{
    std::string table = "index,name";
    // (Appended piece by piece: GCC 12 warns falsely about "," + text.)
    const auto cell = [&table](const std::string& text)
    {
        table += ',';
        table += CsvField(text);
    };
    // What each wedge measured; the targets are those any wedge found.
    std::vector<nlohmann::json> summaries(plan.Count());
    std::vector<nlohmann::json> measures(plan.Count());
    std::vector<std::string> targets;
    for (std::size_t i = 0; i < plan.Count(); ++i)
    {
        const fs::path folder = fs::path(dir) / plan.At(i).name;
        std::string text;
        if (ReadText(folder / "summary.json", text))
            summaries[i] = nlohmann::json::parse(text, nullptr, false);
        if (ReadText(folder / "measures.json", text))
            measures[i] = nlohmann::json::parse(text, nullptr, false);
        if (measures[i].is_object() && measures[i].contains("meanDistanceToTarget"))
            for (const auto& [name, value] : measures[i]["meanDistanceToTarget"].items())
                if (std::find(targets.begin(), targets.end(), name) == targets.end())
                    targets.push_back(name);
    }
    for (const WedgeVariation& variation : plan.variations)
        cell(variation.plug);
    table += ",seed,status,message,frames,msPerFrame,particles,meanSpeed,spread,insideObstacles";
    for (const std::string& target : targets)
        cell("distanceTo_" + target);
    table += '\n';
    for (std::size_t i = 0; i < plan.Count(); ++i)
    {
        const Wedge wedge = plan.At(i);
        std::string message;
        const WedgeState state = StateOf(dir, wedge, message);
        const nlohmann::json& summary = state == WedgeState::kDone ? summaries[i] : nlohmann::json();
        const nlohmann::json& measured = state == WedgeState::kDone ? measures[i] : nlohmann::json();
        table += std::to_string(i);
        cell(wedge.name);
        for (const std::string& value : wedge.values)
            cell(value);
        cell(wedge.seed ? std::to_string(*wedge.seed) : std::string());
        cell(state == WedgeState::kDone ? "done" : state == WedgeState::kFailed ? "failed" : "missing");
        cell(message);
        const bool read = summary.is_object() && summary.contains("frames") && summary.contains("msPerFrame");
        cell(read ? Number(summary["frames"], "count") : std::string());
        cell(read ? Number(summary["msPerFrame"], "total") : std::string());
        const bool measuredAll = measured.is_object() && measured.contains("meanDistanceToTarget");
        for (const char* key : {"particles", "meanSpeed", "spread", "insideObstacles"})
            cell(measuredAll ? Number(measured, key) : std::string());
        for (const std::string& target : targets)
            cell(measuredAll ? Number(measured["meanDistanceToTarget"], target.c_str()) : std::string());
        table += '\n';
    }
    return WriteText(fs::path(dir) / "wedges.csv", table, error);
}
