#include "ForkedPass.h"

#include "ScriptInterrupt.h"

#include <vxhost/MessageLog.h>

#include <cerrno>
#include <csignal>
#include <cstring>

#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
// In the child every Ctrl-C only asks it to stop between frames: the
// parent decides when the process as a whole gives up.
void StopChild(int)
{
    ScriptInterrupt::Request();
}

[[noreturn]] void RunChild(int out, const std::function<std::string()>& work)
{
    // Dies with the parent, whatever kills it.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    struct sigaction action;
    std::memset(&action, 0, sizeof(action));
    action.sa_handler = StopChild;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // The parent's own pass says whatever the frames have to say.
    vxhost::SetMessageEcho(false);
    const std::string answer = work() + "\n";
    for (std::size_t written = 0; written < answer.size();)
    {
        const ssize_t n = ::write(out, answer.data() + written, answer.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        written += static_cast<std::size_t>(n);
    }
    // No destructors, no atexit handlers, no stdio buffers flushed twice:
    // they belong to the parent.
    ::_exit(0);
}
} // namespace

bool ForkedPass::Run(const std::function<std::string()>& work, std::string& answer, std::string& error)
{
    answer.clear();
    int fds[2];
    if (::pipe(fds) != 0)
    {
        error = std::string("cannot start the framing pass: ") + std::strerror(errno);
        return false;
    }
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child < 0)
    {
        error = std::string("cannot start the framing pass: ") + std::strerror(errno);
        ::close(fds[0]);
        ::close(fds[1]);
        return false;
    }
    if (child == 0)
    {
        ::close(fds[0]);
        RunChild(fds[1], work);
    }
    ::close(fds[1]);
    bool forwarded = false;
    for (;;)
    {
        pollfd ready{fds[0], POLLIN, 0};
        const int polled = ::poll(&ready, 1, 100);
        if (polled < 0 && errno != EINTR)
            break;
        if (!forwarded && ScriptInterrupt::Pending())
        {
            ::kill(child, SIGINT);
            forwarded = true;
        }
        if (polled <= 0)
            continue;
        char chunk[256];
        const ssize_t n = ::read(fds[0], chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        answer.append(chunk, static_cast<std::size_t>(n));
    }
    ::close(fds[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR)
    {
    }
    if (!answer.empty() && answer.back() == '\n')
    {
        answer.pop_back();
        return true;
    }
    error = WIFSIGNALED(status) ? "the framing pass ended with signal " + std::to_string(WTERMSIG(status))
                                : "the framing pass ended without an answer";
    return false;
}
