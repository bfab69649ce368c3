#include "WedgeCommand.h"

#include "ContactSheet.h"
#include "ProgressBar.h"
#include "SceneRun.h"
#include "SlurmJob.h"
#include "OutputFile.h"
#include "WedgeRun.h"

#include "dg/Scene.h"

#include <vxhost/CommandEngine.h>
#include <vxhost/MessageLog.h>

#include <charconv>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;

namespace
{
constexpr int kUsageError = 2;

std::string ThisProgram()
{
    std::error_code code;
    const fs::path program = fs::read_symlink("/proc/self/exe", code);
    return code ? std::string("volarix") : program.string();
}

// Every core shared out between the runs at once, one at least each.
int ThreadsPerRun(int asked, unsigned parallel)
{
    if (asked > 0)
        return asked;
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency() / std::max(1u, parallel)));
}

// The scene runs once here, and every value of every variation is set as
// its runs will set it, so that a wedge with a bad value never starts.
std::string CheckSettings(const WedgePlan& plan, const std::function<MStatus(const std::string&)>& runScene)
{
    vxhost::Scene::Get().Reset();
    vxhost::SetSeverityEcho(vxhost::Severity::kInfo, false);
    vxhost::SetSeverityEcho(vxhost::Severity::kResult, false);
    const MStatus ran = fs::path(plan.scene).extension() == ".py"
                            ? (runScene ? runScene(plan.scene) : MStatus(MStatus::kFailure, "no Python"))
                            : vxhost::CommandEngine::Instance().RunScriptFile(plan.scene);
    if (!ran)
        return "the scene \"" + plan.scene + "\" failed; see the error above";
    for (const WedgeVariation& variation : plan.variations)
        for (const std::string& value : variation.values)
        {
            const std::string setting = variation.plug + "=" + value;
            if (const std::string error = ApplySetting(setting); !error.empty())
                return "--vary " + setting + ": " + error;
        }
    vxhost::Scene::Get().Reset();
    return std::string();
}

std::string MakePlan(const WedgeArguments& args, WedgePlan& plan)
{
    std::error_code code;
    if (!fs::is_regular_file(args.scene, code))
        return "no scene file \"" + args.scene + "\"";
    plan.scene = fs::absolute(args.scene).lexically_normal().string();
    for (const std::string& text : args.vary)
    {
        WedgeVariation variation;
        if (const std::string error = ParseVariation(text, variation); !error.empty())
            return "--vary: " + error;
        plan.variations.push_back(std::move(variation));
    }
    if (!args.seeds.empty())
        if (const std::string error = ParseSeeds(args.seeds, plan.seeds); !error.empty())
            return "--seeds: " + error;
    if (plan.variations.empty() && plan.seeds.empty())
        return "nothing to vary: give --vary NODE.ATTR=V1,V2,... or --seeds A:B";
    if (!args.frames.empty())
    {
        if (const std::string error = ParseFrameRange(args.frames, plan.startFrame, plan.endFrame); !error.empty())
            return "--frames: " + error;
        plan.frameRange = true;
    }
    plan.cacheFormat = args.cacheFormat;
    plan.playblast = args.playblast;
    return CheckPlan(plan, args.maxWedges);
}

std::vector<std::size_t> Unfinished(const std::string& dir, const WedgePlan& plan)
{
    std::vector<std::size_t> indices;
    std::string message;
    for (std::size_t i = 0; i < plan.Count(); ++i)
        if (StateOf(dir, plan.At(i), message) != WedgeState::kDone)
            indices.push_back(i);
    return indices;
}

bool WriteJobs(const std::string& dir, const WedgePlan& plan, int threads, std::string& error)
{
    std::string jobs;
    const std::string program = ThisProgram();
    for (std::size_t i = 0; i < plan.Count(); ++i)
        jobs += TaskCommand(program, dir, i, threads) + "\n";
    return WriteText(fs::path(dir) / "jobs.txt", jobs, error);
}

// The table and the contact sheet of what the wedges of DIR left.
int Collect(const std::string& dir, const WedgePlan& plan)
{
    std::string error;
    if (!WriteWedgeTable(dir, plan, error) || !WriteContactSheet(dir, plan, error))
        return FailRun(error);
    std::printf("%s\n%s\n", (fs::path(dir) / "wedges.csv").c_str(), (fs::path(dir) / "contact.png").c_str());
    return 0;
}

// Runs `indices` here, then collects; says how it went.
int RunHere(const WedgeArguments& args, const std::string& dir, const WedgePlan& plan,
            const std::vector<std::size_t>& indices)
{
    const std::size_t failed =
        RunLocal(ThisProgram(), dir, indices, args.local, ThreadsPerRun(args.threads, args.local),
                 ProgressBar::Wanted(args.quiet, stderr));
    if (const int status = Collect(dir, plan); status != 0)
        return status;
    std::printf("%zu wedge%s run, %zu failed\n", indices.size(), indices.size() == 1 ? "" : "s", failed);
    return failed == 0 ? 0 : 1;
}
// Submits `indices` as a Slurm job array; with --wait, waits for it and
// collects, else says how to collect later.
int RunOnSlurm(const WedgeArguments& args, const std::string& dir, const WedgePlan& plan,
               const std::vector<std::size_t>& indices)
{
    if (indices.empty())
        return Collect(dir, plan);
    SlurmOptions options;
    options.partition = args.partition;
    options.time = args.time;
    options.memory = args.memory;
    options.cpus = args.cpus;
    std::string jobId;
    std::string error;
    if (!SubmitToSlurm(ThisProgram(), dir, plan, indices, options, jobId, error))
        return FailRun(error);
    std::printf("Slurm job %s: %zu task%s (%s)\n", jobId.c_str(), indices.size(), indices.size() == 1 ? "" : "s",
                (fs::path(dir) / "wedge.sbatch").c_str());
    std::fflush(stdout);
    if (!args.wait)
    {
        std::printf("when it is over: volarix wedge --collect %s\n", dir.c_str());
        return 0;
    }
    const bool progress = ProgressBar::Wanted(args.quiet, stderr);
    const auto start = std::chrono::steady_clock::now();
    const auto poll = [&]
    {
        if (!progress)
            return;
        std::size_t done = 0;
        std::size_t failed = 0;
        std::string message;
        for (const std::size_t i : indices)
        {
            const WedgeState state = StateOf(dir, plan.At(i), message);
            done += state != WedgeState::kMissing ? 1 : 0;
            failed += state == WedgeState::kFailed ? 1 : 0;
        }
        DrawWedgeProgress(done, failed, indices.size(), "Slurm job " + jobId,
                          std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    };
    const bool waited = WaitForSlurmJob(jobId, poll, error);
    if (progress)
        std::fprintf(stderr, "\n");
    if (!waited)
        return FailRun(error);
    if (const int status = Collect(dir, plan); status != 0)
        return status;
    const std::size_t unfinished = Unfinished(dir, plan).size();
    std::printf("%zu wedge%s run on Slurm, %zu not done\n", indices.size(), indices.size() == 1 ? "" : "s",
                unfinished);
    return unfinished == 0 ? 0 : 1;
}
} // namespace

CLI::App* AddWedgeCommand(CLI::App& app, WedgeArguments& args)
{
    CLI::App* command = app.add_subcommand(
        "wedge", "Runs the variants of a scene: every combination of the --vary values and --seeds, each a "
                 "volarix run with its own --set and --seed, here or on a farm.");
    command->add_option("scene", args.scene, "the scene script");
    command->add_option("--vary", args.vary, "NODE.ATTR=V1,V2,...: the values of one attribute (repeatable)")
        ->allow_extra_args(false)
        ->type_name("NODE.ATTR=V1,V2,...");
    command->add_option("--seeds", args.seeds, "A:B, the run's seed from A to B for each combination")
        ->type_name("A:B");
    command->add_option("--out", args.out, "the wedge folder: one folder per wedge, wedge.json, wedges.csv");
    command->add_option("--frames", args.frames, "START:END (default: the scene's playback range)")
        ->type_name("START:END");
    command->add_option("--cache-format", args.cacheFormat, "pdc (Maya), ply or csv")
        ->check(CLI::IsMember({"pdc", "ply", "csv"}))
        ->capture_default_str();
    command->add_flag("--playblast", args.playblast, "pictures of every frame and a summary picture per wedge");
    CLI::Option* local =
        command->add_option("--local", args.local, "runs N wedges at a time on this machine (the default, 1)")
            ->check(CLI::Range(1u, 256u));
    CLI::Option* printJobs =
        command->add_flag("--print-jobs", args.printJobs,
                          "writes DIR/jobs.txt, one command line per wedge, for another scheduler, and runs nothing")
            ->excludes(local);
    CLI::Option* slurm =
        command->add_flag("--slurm", args.slurm, "submits the wedges to Slurm as a job array (DIR/wedge.sbatch)")
            ->excludes(local)
            ->excludes(printJobs);
    command->add_option("--partition", args.partition, "Slurm: the partition")->needs(slurm);
    command->add_option("--time", args.time, "Slurm: each task's time limit (sbatch --time)")->needs(slurm);
    command->add_option("--mem", args.memory, "Slurm: each task's memory (sbatch --mem)")->needs(slurm);
    command->add_option("--cpus", args.cpus, "Slurm: CPUs per task, the run's threads")
        ->check(CLI::Range(1, 4096))
        ->needs(slurm);
    command->add_flag("--wait", args.wait, "Slurm: waits for the job, then collects")->needs(slurm);
    command->add_option("--resume", args.resume, "reruns the failed and missing wedges of DIR")->type_name("DIR");
    command->add_option("--collect", args.collect, "writes DIR/wedges.csv from what the wedges left")
        ->type_name("DIR");
    command->add_option("--task", args.task, "runs one wedge of DIR, as a farm task does")
        ->expected(2)
        ->type_name("DIR INDEX");
    command->add_option("--threads", args.threads, "threads per run (default: the cores shared out)")
        ->check(CLI::Range(0, 4096));
    command->add_option("--max-wedges", args.maxWedges, "most wedges allowed")->capture_default_str();
    command->add_flag("--quiet", args.quiet, "no progress line");
    return command;
}

int RunWedgeCommand(const WedgeArguments& given, const std::function<MStatus(const std::string&)>& runScene)
{
    // Folders as absolute paths: farm tasks and job lines run from anywhere.
    WedgeArguments args = given;
    for (std::string* dir : {&args.out, &args.resume, &args.collect})
        if (!dir->empty())
            *dir = fs::absolute(*dir).lexically_normal().string();
    if (!args.task.empty())
        args.task[0] = fs::absolute(args.task[0]).lexically_normal().string();
    if (!args.task.empty())
    {
        std::size_t index = 0;
        const std::string& text = args.task[1];
        const auto read = std::from_chars(text.data(), text.data() + text.size(), index);
        if (read.ec != std::errc() || read.ptr != text.data() + text.size())
            return FailRun("--task: the wedge index must be a whole number, got \"" + text + "\"", kUsageError);
        return RunWedgeTask(args.task[0], index, args.threads, runScene);
    }
    if (!args.resume.empty() || !args.collect.empty())
    {
        const std::string& dir = args.resume.empty() ? args.collect : args.resume;
        WedgePlan plan;
        std::string error;
        if (!ReadPlan(dir, plan, error))
            return FailRun(error);
        if (!args.resume.empty())
            return args.slurm ? RunOnSlurm(args, dir, plan, Unfinished(dir, plan))
                              : RunHere(args, dir, plan, Unfinished(dir, plan));
        if (const int status = Collect(dir, plan); status != 0)
            return status;
        return Unfinished(dir, plan).empty() ? 0 : 1;
    }

    if (args.scene.empty() || args.out.empty())
        return FailRun("wedge needs a scene and --out DIR (or --resume, --collect or --task)", kUsageError);
    WedgePlan plan;
    if (const std::string error = MakePlan(args, plan); !error.empty())
        return FailRun(error, kUsageError);
    if (const std::string error = CheckSettings(plan, runScene); !error.empty())
        return FailRun(error);
    std::string error;
    if (!WritePlan(args.out, plan, error))
        return FailRun(error);
    if (args.printJobs)
    {
        if (!WriteJobs(args.out, plan, ThreadsPerRun(args.threads, 1), error))
            return FailRun(error);
        std::printf("%zu jobs in %s\n", plan.Count(), (fs::path(args.out) / "jobs.txt").c_str());
        return 0;
    }
    std::vector<std::size_t> all(plan.Count());
    for (std::size_t i = 0; i < all.size(); ++i)
        all[i] = i;
    return args.slurm ? RunOnSlurm(args, args.out, plan, all) : RunHere(args, args.out, plan, all);
}
