// volarix: runs the built-in flocking demo. Scene files, caches and pictures
// come with the scene-driven tool.
#include "FlockDemo.h"

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
                     "Runs the built-in demo: a flock stepped by the Volarix solver.\n"
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

int main(int argc, char** argv)
{
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
