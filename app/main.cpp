// volarix: runs the built-in flocking demo. Scene files, caches and pictures
// come with the scene-driven tool.
#include "FlockDemo.h"
#include "SceneRun.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace
{
void Usage(std::FILE* to)
{
    std::fprintf(to, "usage: volarix [--particles N] [--frames N] [--threads N] [--seed N] [--quiet]\n"
                     "       volarix run SCENE.mel [--frames START:END] [--quiet]\n"
                     "Runs the built-in demo: a flock stepped by the Volarix solver; or runs a\n"
                     "scene script and steps its particles over the frames given.\n"
                     "  --particles N  flock size (default 4000)\n"
                     "  --frames N     frames to step at 24 fps (default 300)\n"
                     "  --threads N    threads per evaluation, 0 for every core (default 0)\n"
                     "  --seed N       seed of the solver's random draws (default 1)\n"
                     "  --quiet        no progress line\n");
}

// Reads a whole number argument in [min, max]; names the flag on failure.
bool ReadCount(const char* flag, const char* text, long min, long max, long& out)
{
    char* end = nullptr;
    const long value = text ? std::strtol(text, &end, 10) : -1;
    if (text == nullptr || *text == '\0' || *end != '\0' || value < min || value > max)
    {
        std::fprintf(stderr, "volarix: %s needs a whole number from %ld to %ld, got '%s'\n", flag, min, max,
                     text ? text : "");
        return false;
    }
    out = value;
    return true;
}
} // namespace

// volarix run SCENE.mel [--frames START:END] [--quiet]
int RunCommand(int argc, char** argv)
{
    SceneRunOptions options;
    options.progress = isatty(STDERR_FILENO) != 0;
    for (int a = 2; a < argc; ++a)
    {
        const std::string flag = argv[a];
        if (flag == "--quiet")
        {
            options.progress = false;
        }
        else if (flag == "--frames" && a + 1 < argc)
        {
            const std::string range = argv[++a];
            const std::size_t colon = range.find(':');
            char* end1 = nullptr;
            char* end2 = nullptr;
            const std::string first = range.substr(0, colon);
            const std::string second = colon == std::string::npos ? std::string() : range.substr(colon + 1);
            options.startFrame = std::strtod(first.c_str(), &end1);
            options.endFrame = std::strtod(second.c_str(), &end2);
            if (colon == std::string::npos || first.empty() || second.empty() || *end1 != '\0' ||
                *end2 != '\0' || options.endFrame < options.startFrame ||
                options.endFrame - options.startFrame > 1e7)
            {
                std::fprintf(stderr, "volarix: --frames needs START:END with START <= END, got '%s'\n",
                             range.c_str());
                return 2;
            }
            options.frameRange = true;
        }
        else if (flag[0] != '-' && options.scene.empty())
        {
            options.scene = flag;
        }
        else
        {
            std::fprintf(stderr,
                         "volarix run: unknown argument '%s'\n"
                         "usage: volarix run SCENE.mel [--frames START:END] [--quiet]\n",
                         flag.c_str());
            return 2;
        }
    }
    if (options.scene.empty())
    {
        std::fprintf(stderr, "usage: volarix run SCENE.mel [--frames START:END] [--quiet]\n");
        return 2;
    }
    return RunScene(options, stdout);
}

int main(int argc, char** argv)
{
    if (argc > 1 && std::string(argv[1]) == "run")
        return RunCommand(argc, argv);
    FlockDemoOptions options;
    options.progress = isatty(STDERR_FILENO) != 0;
    for (int a = 1; a < argc; ++a)
    {
        const std::string flag = argv[a];
        const char* value = a + 1 < argc ? argv[a + 1] : nullptr;
        long number = 0;
        if (flag == "--help" || flag == "-h")
        {
            Usage(stdout);
            return 0;
        }
        if (flag == "--quiet")
        {
            options.progress = false;
            continue;
        }
        if (flag == "--particles" || flag == "--frames" || flag == "--threads" || flag == "--seed")
        {
            const bool seed = flag == "--seed";
            const bool threads = flag == "--threads";
            if (!ReadCount(flag.c_str(), value, seed || threads ? 0 : 1, seed ? 4294967295L : 100000000L,
                           number))
                return 2;
            ++a;
            if (flag == "--particles")
                options.particles = static_cast<int>(number);
            else if (flag == "--frames")
                options.frames = static_cast<int>(number);
            else if (threads)
                options.threads = static_cast<int>(number);
            else
                options.seed = static_cast<unsigned>(number);
            continue;
        }
        std::fprintf(stderr, "volarix: unknown argument '%s'\n", flag.c_str());
        Usage(stderr);
        return 2;
    }
    return RunFlockDemo(options, stdout);
}
