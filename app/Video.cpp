#include "Video.h"

#include <vxhost/OutputFile.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <spawn.h>
#include <string_view>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

std::string FindOnPath(const std::string& program)
{
    const char* path = std::getenv("PATH");
    std::string_view rest = path ? path : "";
    while (!rest.empty())
    {
        const std::size_t colon = rest.find(':');
        const std::string_view dir = rest.substr(0, colon);
        rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
        const std::string candidate = (std::filesystem::path(dir.empty() ? "." : dir) / program).string();
        if (access(candidate.c_str(), X_OK) == 0 && !std::filesystem::is_directory(candidate))
            return candidate;
    }
    return std::string();
}

bool EncodeVideo(const std::string& ffmpeg, const std::string& pattern, int first, int count, double fps,
                 const std::string& path, std::string& error)
{
    char rate[32];
    *std::to_chars(rate, rate + sizeof(rate) - 1, fps).ptr = '\0';
    // ffmpeg writes into a temporary file made for it, exclusively and
    // under a name no one can guess, and it is renamed only when whole.
    vxhost::OutputFile output;
    if (!output.Open(path, error))
    {
        error = "cannot write \"" + path + "\": " + error;
        return false;
    }
    const std::string temporary = output.TemporaryPath();
    // Yuv420p and even sides are what every player accepts; the format is
    // named because the temporary name's extension does not say it.
    std::vector<std::string> args = {ffmpeg,
                                     "-nostdin",
                                     "-y",
                                     "-loglevel",
                                     "error",
                                     "-framerate",
                                     rate,
                                     "-start_number",
                                     std::to_string(first),
                                     "-i",
                                     pattern,
                                     "-frames:v",
                                     std::to_string(count),
                                     "-vf",
                                     "scale=trunc(iw/2)*2:trunc(ih/2)*2",
                                     "-pix_fmt",
                                     "yuv420p",
                                     "-f",
                                     "mp4",
                                     temporary};
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    if (const int failed = posix_spawn(&child, ffmpeg.c_str(), nullptr, nullptr, argv.data(), environ))
    {
        error = "cannot start \"" + ffmpeg + "\": " + std::strerror(failed);
        return false;
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0)
        if (errno != EINTR)
        {
            error = "lost track of \"" + ffmpeg + "\": " + std::strerror(errno);
            return false;
        }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    {
        error = "\"" + ffmpeg + "\" failed to make \"" + path + "\" (" +
                (WIFEXITED(status) ? "exit status " + std::to_string(WEXITSTATUS(status))
                                   : "signal " + std::to_string(WTERMSIG(status))) +
                ")";
        return false;
    }
    if (!output.Commit(error))
    {
        error = "cannot write \"" + path + "\": " + error;
        return false;
    }
    return true;
}
