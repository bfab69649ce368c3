// volarix: runs Volarix scenes on the stand-in Maya host.
//
//   volarix                      the built-in demo flock
//   volarix run SCENE.mel ...    a scene script, stepped, cached, summarised
//   volarix shell [SCENE.mel]    an interactive prompt for the scene script
#include "FlockDemo.h"
#include "ProgressBar.h"
#include "SceneRun.h"
#include "SceneShell.h"

#include <CLI/CLI.hpp>

#include <iostream>
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
} // namespace

int main(int argc, char** argv)
{
    CLI::App app("Runs Volarix flocking scenes on a stand-in Maya host. Without a command, runs the "
                 "built-in demo flock.",
                 "volarix");
    app.failure_message(
        [](const CLI::App*, const CLI::Error& e)
        { return "volarix: " + std::string(e.what()) + "\nRun with --help for more information.\n"; });
    app.require_subcommand(0, 1);

    FlockDemoOptions demo;
    bool demoQuiet = false;
    app.add_option("--particles", demo.particles, "demo: flock size")
        ->check(CLI::Range(1, 100000000))
        ->capture_default_str();
    app.add_option("--frames", demo.frames, "demo: frames to step at 24 fps")
        ->check(CLI::Range(1, 100000000))
        ->capture_default_str();
    app.add_option("--threads", demo.threads, "demo: threads per evaluation, 0 for every core")
        ->check(CLI::Range(0, 4096))
        ->capture_default_str();
    app.add_option("--seed", demo.seed, "demo: seed of the solver's random draws")->capture_default_str();
    app.add_flag("--quiet", demoQuiet, "demo: no progress line");

    SceneRunOptions run;
    std::string frames;
    std::string format = "pdc";
    std::string view = "persp";
    std::string size = "960x540";
    unsigned seed = 0;
    bool runQuiet = false;
    CLI::App* runCommand =
        app.add_subcommand("run", "Runs a scene script, steps its frames, writes caches and "
                                  "prints a summary.");
    runCommand->add_option("scene", run.scene, "the scene script (.mel); it loads the plug-in itself")
        ->required();
    runCommand
        ->add_option("--frames", frames,
                     "START:END, whole frames, 0 <= START <= END (default: the scene's playback range)")
        ->check(CLI::Validator(
            [](std::string& text)
            {
                double start = 0.0;
                double end = 0.0;
                return ParseFrameRange(text, start, end);
            },
            ""))
        ->type_name("START:END");
    runCommand->add_option("--cache", run.cacheDir, "folder for one cache file per frame per particle shape");
    runCommand->add_option("--cache-format", format, "pdc (Maya), ply or csv")
        ->check(CLI::IsMember({"pdc", "ply", "csv"}))
        ->capture_default_str();
    CLI::Option* playblast =
        runCommand->add_option("--playblast", run.playblastDir, "folder for a picture of every frame");
    runCommand->add_option("--view", view, "playblast camera")
        ->check(CLI::IsMember({"persp", "top", "front", "side"}))
        ->needs(playblast)
        ->capture_default_str();
    runCommand->add_option("--size", size, "playblast picture size, WIDTHxHEIGHT")
        ->check(CLI::Validator(CheckSize, ""))
        ->type_name("WxH")
        ->needs(playblast)
        ->capture_default_str();
    runCommand->add_option("--threads", run.threads, "most threads the run uses, 0 for every core")
        ->check(CLI::Range(0, 4096))
        ->capture_default_str();
    CLI::Option* seedOption =
        runCommand->add_option("--seed", seed, "seed of the C-runtime generator, set before the script runs");
    runCommand->add_flag("--quiet", runQuiet, "no progress bar");
    runCommand->add_flag("--json", run.json, "the summary as JSON");

    std::string shellScene;
    CLI::App* shellCommand =
        app.add_subcommand("shell", "An interactive prompt for the scene script: one statement per line, "
                                    "\"quit\" or end of input to leave.");
    shellCommand->add_option("scene", shellScene, "a scene script to run first");

    try
    {
        app.parse(argc, argv);
    }
    catch (const CLI::ParseError& e)
    {
        const int code = app.exit(e);
        return code == 0 ? 0 : kUsageError;
    }

    if (*runCommand)
    {
        if (!frames.empty())
        {
            ParseFrameRange(frames, run.startFrame, run.endFrame);
            run.frameRange = true;
        }
        vxhost::CacheFormatFromName(format, run.cacheFormat);
        run.view = view;
        ParseSize(size, run.width, run.height);
        if (*seedOption)
            run.seed = seed;
        run.progress = ProgressBar::Wanted(runQuiet, stderr);
        return RunScene(run, stdout);
    }
    if (*shellCommand)
        return RunShell(std::cin, stdout, isatty(STDIN_FILENO) != 0, shellScene);
    demo.progress = ProgressBar::Wanted(demoQuiet, stderr);
    return RunFlockDemo(demo, stdout);
}
