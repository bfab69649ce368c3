#include "SceneRun.h"

#include "FrameRun.h"
#include "ScriptInterrupt.h"

#include <vxhost/CRandom.h>
#include <vxhost/CommandEngine.h>
#include <vxhost/FrameLimits.h>
#include <vxhost/MessageLog.h>
#include <vxhost/Viewport.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <sstream>

namespace
{
bool ReadWholeFrame(std::string_view text, double& out)
{
    long long value = 0;
    const auto parsed = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || parsed.ec != std::errc() || parsed.ptr != text.data() + text.size())
        return false;
    out = static_cast<double>(value);
    return true;
}

} // namespace

vxhost::ScriptStatement CommandStatement(std::string command, std::vector<vxhost::ScriptArgument> arguments)
{
    vxhost::ScriptStatement statement;
    statement.command = std::move(command);
    statement.arguments = std::move(arguments);
    return statement;
}

int FailRun(const std::string& message, int status)
{
    vxhost::FlushMessages();
    std::fprintf(stderr, "volarix: %s\n", message.c_str());
    return status;
}

std::string ParseFrameRange(const std::string& text, double& start, double& end)
{
    const std::size_t colon = text.find(':');
    double first = 0.0;
    double last = 0.0;
    if (colon == std::string::npos || !ReadWholeFrame(std::string_view(text).substr(0, colon), first) ||
        !ReadWholeFrame(std::string_view(text).substr(colon + 1), last))
        return "expected START:END, two whole frame numbers, got \"" + text + "\"";
    if (first < 0.0)
        return "the start frame must not be negative, got \"" + text + "\"";
    if (last > vxhost::kFrameLimit)
        return "frames run up to 10 million, got \"" + text + "\"";
    if (last < first)
        return "the end frame comes before the start frame in \"" + text + "\"";
    if (last - first > 1e7)
        return "more than 10 million frames in \"" + text + "\"";
    start = first;
    end = last;
    return std::string();
}

std::string ParseSize(const std::string& text, int& width, int& height)
{
    const std::size_t x = text.find('x');
    double w = 0.0;
    double h = 0.0;
    if (x == std::string::npos || !ReadWholeFrame(std::string_view(text).substr(0, x), w) ||
        !ReadWholeFrame(std::string_view(text).substr(x + 1), h) || w < 1.0 || h < 1.0 || w > 16384.0 ||
        h > 16384.0)
        return "expected WIDTHxHEIGHT in pixels (1 to 16384 each), got \"" + text + "\"";
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return std::string();
}

std::string CheckSpeedRange(double low, double high, const std::string& text)
{
    if (!std::isfinite(low) || !std::isfinite(high))
        return "the speeds must be finite numbers, got \"" + text + "\"";
    if (low < 0.0 || high < 0.0)
        return "the speeds must not be negative, got \"" + text + "\"";
    if (low >= high)
        return "the low speed must be below the high speed in \"" + text + "\"";
    return std::string();
}

std::string ParseSpeedRange(const std::string& text, double& low, double& high)
{
    const std::size_t colon = text.find(':');
    double first = 0.0;
    double last = 0.0;
    const auto read = [](std::string_view part, double& out)
    {
        const auto parsed = std::from_chars(part.data(), part.data() + part.size(), out);
        return !part.empty() && parsed.ec == std::errc() && parsed.ptr == part.data() + part.size();
    };
    if (colon == std::string::npos || !read(std::string_view(text).substr(0, colon), first) ||
        !read(std::string_view(text).substr(colon + 1), last))
        return "expected LO:HI, two speeds in cm/s, got \"" + text + "\"";
    if (std::string error = CheckSpeedRange(first, last, text); !error.empty())
        return error;
    low = first;
    high = last;
    return std::string();
}

bool CameraNamed(const std::string& name, std::string& error)
{
    const std::vector<std::string> cameras = vxhost::ViewportCameras();
    if (std::find(cameras.begin(), cameras.end(), name) != cameras.end())
        return true;
    error = "no camera named \"" + name + "\"; the cameras are ";
    for (std::size_t i = 0; i < cameras.size(); ++i)
    {
        if (i > 0)
            error += i + 1 == cameras.size() ? " and " : ", ";
        error += cameras[i];
    }
    return false;
}

std::string ParseSetting(const std::string& setting, std::string& plug, std::string& value)
{
    const std::size_t equals = setting.find('=');
    if (equals == std::string::npos || equals == 0 || setting.find('.') > equals)
        return "expected NODE.ATTR=VALUE";
    plug = setting.substr(0, equals);
    value = setting.substr(equals + 1);
    return std::string();
}

std::string ApplySetting(const std::string& setting)
{
    std::string plug;
    std::string value;
    if (std::string error = ParseSetting(setting, plug, value); !error.empty())
        return error;
    using Kind = vxhost::ScriptArgument::Kind;
    vxhost::ScriptStatement statement = CommandStatement("getAttr", {{Kind::kFlag, "type"}, {Kind::kString, plug}});
    // The host's own words for what is wrong, once, in the run's error.
    const vxhost::ErrorCollector errors;
    const vxhost::QuietErrors quiet;
    vxhost::CommandEngine& engine = vxhost::CommandEngine::Instance();
    vxhost::CommandResult type;
    if (!engine.InvokeCommand(statement, type))
        return errors.Errors();
    statement = CommandStatement("setAttr", {{Kind::kString, plug}});
    if (type.GetKind() == vxhost::CommandResult::Kind::kString && type.Strings().front() == "string")
    {
        statement.arguments.insert(statement.arguments.begin(), {{Kind::kFlag, "type"}, {Kind::kString, "string"}});
        statement.arguments.push_back({Kind::kString, value});
    }
    else
    {
        // Numbers as numbers, words (on, true) as MEL reads them.
        std::istringstream words(value);
        for (std::string word; words >> word;)
        {
            double number = 0.0;
            const auto read = std::from_chars(word.data(), word.data() + word.size(), number);
            const bool isNumber = read.ec == std::errc() && read.ptr == word.data() + word.size();
            statement.arguments.push_back({isNumber ? Kind::kNumber : Kind::kWord, word});
        }
    }
    vxhost::CommandResult result;
    return engine.InvokeCommand(statement, result) ? std::string() : errors.Errors();
}

int RunScene(const SceneRunOptions& options, std::FILE* out, SceneRunSummary* summaryOut)
{
    FrameRun run;
    if (std::string error; !run.Prepare(options, error))
        return FailRun(error);
    // The run's seed, and the seed of every `seed` statement until the run ends.
    struct SeedOverride
    {
        explicit SeedOverride(std::optional<unsigned> seed) { vxhost::SetSeedOverride(seed); }
        ~SeedOverride() { vxhost::SetSeedOverride(std::nullopt); }
    } const seedOverride(options.seed);
    if (options.seed)
    {
        vxhost::CommandResult seeded;
        vxhost::CommandEngine::Instance().InvokeCommand(
            CommandStatement("seed", {{vxhost::ScriptArgument::Kind::kNumber, std::to_string(*options.seed)}}), seeded);
    }

    // A batch run shows what goes wrong, not what each command returns;
    // quiet, it leaves out the commands' information too.
    vxhost::SetSeverityEcho(vxhost::Severity::kResult, false);
    vxhost::SetSeverityEcho(vxhost::Severity::kInfo, !options.quiet);
    vxhost::CommandEngine& engine = vxhost::CommandEngine::Instance();
    {
        // A Python scene keeps Python's own Ctrl-C: a KeyboardInterrupt.
        std::optional<ScriptInterrupt> interrupt;
        if (!options.runScene)
            interrupt.emplace();
        const MStatus ran = options.runScene          ? options.runScene(options.scene)
                            : options.sceneText.empty() ? engine.RunScriptFile(options.scene)
                                                        : engine.RunScript(options.sceneText, options.scene);
        if (ScriptInterrupt::Taken())
            return FailRun("the scene \"" + options.scene + "\" was interrupted");
        if (!ran)
            return FailRun("the scene \"" + options.scene + "\" failed; see the error above");
    }
    for (const std::string& setting : options.sets)
        if (const std::string error = ApplySetting(setting); !error.empty())
            return FailRun("--set " + setting + ": " + error);

    SceneRunSummary summary;
    std::string error;
    bool ran = false;
    {
        // Ctrl-C, SIGTERM and SIGHUP stop the run between frames, every
        // file written whole.
        const ScriptInterrupt interrupt;
        ran = run.Run(summary, error);
        ScriptInterrupt::Taken();
    }
    if (run.Interrupted())
    {
        FailRun(error);
        return ScriptInterrupt::Signal() ? 128 + ScriptInterrupt::Signal() : kInterruptedStatus;
    }
    if (!ran)
        return FailRun(error);
    PrintSummary(summary, options.json, out);
    if (summaryOut)
        *summaryOut = summary;
    // As Maya's playback, every frame stepped; the errors shown on the way
    // still make the run a failure.
    if (summary.errors > 0)
        return FailRun(std::to_string(summary.errors) + (summary.errors == 1 ? " error was" : " errors were") +
                       " shown while the frames stepped (see above); every frame was stepped and written");
    return 0;
}

std::string SummaryJson(const SceneRunSummary& s)
{
    const double stepMs = s.steps ? 1000.0 * s.steppingSeconds / s.steps : 0.0;
    const double cacheMs = s.frames ? 1000.0 * s.cachingSeconds / s.frames : 0.0;
    const double pictureMs = s.frames ? 1000.0 * s.playblastSeconds / s.frames : 0.0;
    const double evaluationsPerSecond = s.steppingSeconds > 0.0 ? s.evaluations / s.steppingSeconds : 0.0;
    nlohmann::ordered_json j;
    j["scene"] = s.scene;
    j["particles"] = s.particles;
    j["particleShapes"] = s.shapes;
    j["frames"] = {
        {"start", s.startFrame}, {"end", s.endFrame}, {"count", s.frames}, {"stepped", s.steps}};
    j["msPerFrame"] = {{"total", stepMs + cacheMs + pictureMs},
                       {"stepping", stepMs},
                       {"caching", cacheMs},
                       {"playblast", pictureMs}};
    j["evaluations"] = s.evaluations;
    j["evaluationsPerSecond"] = evaluationsPerSecond;
    j["seconds"] = s.totalSeconds;
    j["filesWritten"] = s.filesWritten;
    j["errors"] = s.errors;
    j["nonFiniteParticles"] = s.nonFinite;
    if (!s.cacheDir.empty())
        j["cache"] = {{"directory", s.cacheDir},
                      {"format", s.cacheFormat},
                      {"files", s.cacheFiles},
                      {"bytes", s.bytesWritten}};
    else
        j["cache"] = nullptr;
    if (!s.playblastDir.empty())
        j["playblast"] = {{"directory", s.playblastDir},
                          {"pictures", s.pictures},
                          {"summaryPicture", s.summaryPicture},
                          {"video", s.video.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(s.video)}};
    else
        j["playblast"] = nullptr;
    return j.dump(2);
}

void PrintSummary(const SceneRunSummary& s, bool json, std::FILE* out)
{
    const double stepMs = s.steps ? 1000.0 * s.steppingSeconds / s.steps : 0.0;
    const double cacheMs = s.frames ? 1000.0 * s.cachingSeconds / s.frames : 0.0;
    const double pictureMs = s.frames ? 1000.0 * s.playblastSeconds / s.frames : 0.0;
    const double evaluationsPerSecond = s.steppingSeconds > 0.0 ? s.evaluations / s.steppingSeconds : 0.0;
    if (json)
    {
        std::fprintf(out, "%s\n", SummaryJson(s).c_str());
        return;
    }
    std::fprintf(out, "scene          %s\n", s.scene.c_str());
    std::fprintf(out, "particles      %u in %u particle shape%s\n", s.particles, s.shapes,
                 s.shapes == 1 ? "" : "s");
    if (s.nonFinite > 0)
        std::fprintf(out, "not finite     %u particle%s (NaN or infinite)\n", s.nonFinite,
                     s.nonFinite == 1 ? "" : "s");
    std::fprintf(out, "frames         %u (%.0f to %.0f), %u stepped\n", s.frames, s.startFrame, s.endFrame,
                 s.steps);
    // Stepping is timed per frame stepped (the run-up to the range counts),
    // writing per frame of the range.
    std::fprintf(out, "stepping       %.2f ms per stepped frame (%u stepped)\n", stepMs, s.steps);
    std::fprintf(out, "writing        %.2f ms per frame (caching %.2f ms, playblast %.2f ms)\n",
                 cacheMs + pictureMs, cacheMs, pictureMs);
    std::fprintf(out, "evaluations    %.1f per second (%u field evaluations)\n", evaluationsPerSecond,
                 s.evaluations);
    if (!s.cacheDir.empty())
        std::fprintf(out, "cache          %u %s files, %.1f MB, in %s\n", s.cacheFiles, s.cacheFormat.c_str(),
                     s.bytesWritten / 1e6, s.cacheDir.c_str());
    if (!s.playblastDir.empty())
    {
        std::fprintf(out, "playblast      %u pictures in %s\n", s.pictures, s.playblastDir.c_str());
        std::fprintf(out, "summary        %s\n", s.summaryPicture.c_str());
        if (!s.video.empty())
            std::fprintf(out, "video          %s\n", s.video.c_str());
    }
    std::fprintf(out, "files written  %u\n", s.filesWritten);
    if (s.errors > 0)
        std::fprintf(out, "errors         %u\n", s.errors);
    std::fprintf(out, "wall time      %.2f s\n", s.totalSeconds);
}
