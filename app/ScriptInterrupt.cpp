#include "ScriptInterrupt.h"

#include "../host/src/mel/Interpreter.h"

#include <cstring>

namespace
{
constexpr int kSignals[2] = {SIGINT, SIGTERM};
// The handlers before the outermost ScriptInterrupt, and how many live.
// Only the main thread makes them.
struct sigaction gPrevious[2];
int gDepth = 0;

void RequestStop(int signal)
{
    if (vxhost::mel::Interpreter::InterruptPending())
    {
        // Asked twice: the work has not stopped; leave as the process
        // would have without us.
        for (int i = 0; i < 2; ++i)
            if (kSignals[i] == signal)
                sigaction(signal, &gPrevious[i], nullptr);
        std::raise(signal);
        return;
    }
    vxhost::mel::Interpreter::RequestInterrupt();
}
} // namespace

ScriptInterrupt::ScriptInterrupt()
{
    if (gDepth++ > 0)
        return;
    struct sigaction action;
    std::memset(&action, 0, sizeof(action));
    action.sa_handler = RequestStop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < 2; ++i)
        sigaction(kSignals[i], &action, &gPrevious[i]);
}

ScriptInterrupt::~ScriptInterrupt()
{
    if (--gDepth > 0)
        return;
    for (int i = 0; i < 2; ++i)
        sigaction(kSignals[i], &gPrevious[i], nullptr);
}

bool ScriptInterrupt::Pending()
{
    return vxhost::mel::Interpreter::InterruptPending();
}

void ScriptInterrupt::Request()
{
    vxhost::mel::Interpreter::RequestInterrupt();
}

bool ScriptInterrupt::Taken()
{
    const bool taken = vxhost::mel::Interpreter::InterruptPending();
    vxhost::mel::Interpreter::ClearInterrupt();
    return taken;
}
