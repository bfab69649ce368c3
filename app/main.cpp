// volarix: runs Volarix scenes on the stand-in Maya host.
//
//   volarix                      the built-in demo scene, cached and playblasted to out/
//   volarix run SCENE.mel ...    a scene script, stepped, cached, summarised
//   volarix shell [SCENE.mel]    an interactive prompt for the scene script
//   volarix run SCENE.py ...     a Python scene (volarix.cmds), run as a .mel is
//   volarix shell --python       a Python prompt
//   volarix wedge SCENE ...      the variants of a scene, here or on a farm
#include "DemoScene.h"
#include "ProgressBar.h"
#include "SceneRun.h"
#include "SceneShell.h"
#include "WedgeCommand.h"
#ifdef VOLARIX_WITH_PYTHON
#include "EmbeddedPython.h"
#endif

#include <vxhost/OutputFile.h>

#include <CLI/CLI.hpp>

#include <cstdlib>
#include <exception>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <unistd.h>

namespace
{
// Usage errors exit with 2, failures of the run itself with 1.
constexpr int kUsageError = 2;

std::string CheckSize(std::string& text)
{
    int width = 0;
    int height = 0;
    return ParseSize(text, width, height);
}

std::string CheckSpeedText(std::string& text)
{
    double low = 0.0;
    double high = 0.0;
    return ParseSpeedRange(text, low, high);
}

std::string CheckCamera(std::string& name)
{
    std::string error;
    if (!CameraNamed(name, error))
        return error;
    return std::string();
}

std::string CheckFrames(std::string& text)
{
    double start = 0.0;
    double end = 0.0;
    return ParseFrameRange(text, start, end);
}

// The options a run has wherever its scene comes from.
struct RunArguments
{
    std::string frames;
    unsigned seed = 0;
    CLI::Option* seedOption = nullptr;
    bool quiet = false;
};

void AddRunOptions(CLI::App& command, SceneRunOptions& run, RunArguments& args)
{
    command
        .add_option("--frames", args.frames,
                    "START:END, whole frames, 0 <= START <= END (default: the scene's playback range)")
        ->check(CLI::Validator(CheckFrames, ""))
        ->type_name("START:END");
    command.add_option("--threads", run.threads, "most threads the run uses, 0 for every core")
        ->check(CLI::Range(0, 4096))
        ->capture_default_str();
    args.seedOption = command.add_option(
        "--seed", args.seed, "the run's seed: set before the script runs and used in place of its seed statements'");
    command
        .add_option("--set", run.sets,
                    "NODE.ATTR=VALUE, set after the script runs and before the first frame, as setAttr sets it "
                    "(repeatable; a vector's values separated by spaces)")
        ->allow_extra_args(false)
        ->check(CLI::Validator(
            [](std::string& setting)
            {
                std::string plug;
                std::string value;
                const std::string error = ParseSetting(setting, plug, value);
                return error.empty() ? error : error + ", got \"" + setting + "\"";
            },
            ""))
        ->type_name("NODE.ATTR=VALUE");
    command.add_flag("--quiet", args.quiet, "no progress bar, no information messages");
    command.add_flag("--json", run.json, "the summary as JSON");
}

int Run(SceneRunOptions& run, const RunArguments& args)
{
    if (!args.frames.empty())
    {
        ParseFrameRange(args.frames, run.startFrame, run.endFrame);
        run.frameRange = true;
    }
    if (*args.seedOption)
        run.seed = args.seed;
    run.progress = ProgressBar::Wanted(args.quiet, stderr);
    run.quiet = args.quiet;
    return RunScene(run, stdout);
}
} // namespace

int main(int argc, char** argv)
{
    CLI::App app("Runs Volarix flocking scenes on a stand-in Maya host. Without a command, runs the "
                 "built-in demo scene and writes its caches and playblast to out/.",
                 "volarix");
    app.failure_message(
        [](const CLI::App*, const CLI::Error& e)
        { return "volarix: " + std::string(e.what()) + "\nRun with --help for more information.\n"; });
    app.require_subcommand(0, 1);

    SceneRunOptions demo;
    RunArguments demoArgs;
    std::string demoOut = "out";
    AddRunOptions(app, demo, demoArgs);
    app.add_option("--out", demoOut, "demo: folder for the cache/ and playblast/ folders")->capture_default_str();

    SceneRunOptions run;
    RunArguments runArgs;
    std::string format = "pdc";
    std::string view;
    std::string speedRange;
    std::string size = "960x540";
    CLI::App* runCommand =
        app.add_subcommand("run", "Runs a scene script, steps its frames, writes caches and "
                                  "prints a summary.");
    runCommand->add_option("scene", run.scene, "the scene script (.mel, or .py for Python); it loads the plug-in itself")
        ->required();
    AddRunOptions(*runCommand, run, runArgs);
    runCommand->add_option("--cache", run.cacheDir, "folder for one cache file per frame per particle shape");
    runCommand->add_flag("--keep-old", run.keepOldCaches,
                         "keeps the cache files (and the scene's pictures) an earlier run left in --cache "
                         "(and --playblast) (else removed)");
    runCommand->add_option("--cache-format", format, "pdc (Maya), ply or csv")
        ->check(CLI::IsMember({"pdc", "ply", "csv"}))
        ->capture_default_str();
    CLI::Option* playblast = runCommand->add_option(
        "--playblast", run.playblastDir,
        "folder for a picture of every frame, a summary picture and, with ffmpeg on PATH, an MP4");
    CLI::Option* frameAll =
        runCommand->add_flag("--frame-all")
            ->description("the playblast camera framed once on everything the run shows over all its frames "
                          "(a first pass steps them writing nothing); the default");
    CLI::Option* frameFirst =
        runCommand->add_flag("--frame-first")->description("the playblast camera framed once on the first frame");
    CLI::Option* viewOption =
        runCommand->add_option("--view", view, "the playblast camera as the scene has it, never framed")
            ->check(CLI::Validator(CheckCamera, ""))
            ->type_name("CAMERA");
    frameAll->excludes(frameFirst)->needs(playblast);
    frameFirst->needs(playblast);
    viewOption->excludes(frameAll)->excludes(frameFirst)->needs(playblast);
    runCommand
        ->add_option("--speed-range", speedRange,
                     "LO:HI, the speeds (cm/s) at the blue and red ends of the particles' colours "
                     "(default: 0 to the fields' largest maximumSpeed)")
        ->check(CLI::Validator(CheckSpeedText, ""))
        ->type_name("LO:HI")
        ->needs(playblast);
    runCommand->add_option("--size", size, "playblast picture size, WIDTHxHEIGHT")
        ->check(CLI::Validator(CheckSize, ""))
        ->type_name("WxH")
        ->needs(playblast)
        ->capture_default_str();

    std::string shellScene;
    CLI::App* shellCommand =
        app.add_subcommand("shell", "An interactive prompt for the scene script: one statement per line, "
                                    "\"quit\" or end of input to leave.");
    shellCommand->add_option("scene", shellScene, "a scene script to run first");
    bool shellPython = false;
    shellCommand->add_flag("--python", shellPython, "a Python prompt (volarix.cmds as cmds) instead of MEL");

    WedgeArguments wedge;
    CLI::App* wedgeCommand = AddWedgeCommand(app, wedge);

    try
    {
        app.parse(argc, argv);
    }
    catch (const CLI::ParseError& e)
    {
        const int code = app.exit(e);
        return code == 0 ? 0 : kUsageError;
    }

    // Should anything still end the process by an uncaught exception, the
    // files half-written go with it.
    std::set_terminate(
        []
        {
            vxhost::RemoveOutputTemporaries();
            std::abort();
        });

    if (*runCommand)
    {
        vxhost::CacheFormatFromName(format, run.cacheFormat);
        if (!view.empty())
        {
            run.view = view;
            run.framing = SceneRunOptions::Framing::kAsItStands;
        }
        else if (*frameFirst)
            run.framing = SceneRunOptions::Framing::kFirstFrame;
        if (!speedRange.empty())
        {
            double low = 0.0;
            double high = 0.0;
            ParseSpeedRange(speedRange, low, high);
            run.speedRange = std::pair(low, high);
        }
        ParseSize(size, run.width, run.height);
#ifdef VOLARIX_WITH_PYTHON
        std::unique_ptr<EmbeddedPython> python;
        if (std::filesystem::path(run.scene).extension() == ".py")
        {
            python = std::make_unique<EmbeddedPython>();
            run.runScene = [&python](const std::string& scene) { return python->RunFile(scene); };
        }
#endif
        return Run(run, runArgs);
    }
    if (*wedgeCommand)
    {
#ifdef VOLARIX_WITH_PYTHON
        std::unique_ptr<EmbeddedPython> python;
        return RunWedgeCommand(wedge,
                               [&python](const std::string& scene)
                               {
                                   if (!python)
                                       python = std::make_unique<EmbeddedPython>();
                                   return python->RunFile(scene);
                               });
#else
        return RunWedgeCommand(wedge, {});
#endif
    }
    if (*shellCommand)
    {
        const bool python = shellPython || std::filesystem::path(shellScene).extension() == ".py";
        if (python)
        {
#ifdef VOLARIX_WITH_PYTHON
            return EmbeddedPython().Shell(shellScene);
#else
            std::cerr << "volarix: this build has no Python\n";
            return kUsageError;
#endif
        }
        return RunShell(std::cin, stdout, isatty(STDIN_FILENO) != 0, shellScene);
    }
    demo.scene = "demo.mel";
    demo.sceneText = DemoScene();
    demo.cacheDir = (std::filesystem::path(demoOut) / "cache").string();
    demo.playblastDir = (std::filesystem::path(demoOut) / "playblast").string();
    return Run(demo, demoArgs);
}
