#include "ScriptInterrupt.h"

#include "../host/src/mel/Interpreter.h"

#include <cstring>

namespace
{
constexpr int kSignals[2] = {SIGINT, SIGTERM};
struct sigaction gPrevious[2];

void RequestStop(int signal)
{
    if (vxhost::mel::Interpreter::InterruptPending())
    {
        // Asked twice: the script has not stopped; leave as the process
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
    struct sigaction action;
    std::memset(&action, 0, sizeof(action));
    action.sa_handler = RequestStop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < 2; ++i)
    {
        sigaction(kSignals[i], &action, &fPrevious[i]);
        gPrevious[i] = fPrevious[i];
    }
}

ScriptInterrupt::~ScriptInterrupt()
{
    for (int i = 0; i < 2; ++i)
        sigaction(kSignals[i], &fPrevious[i], nullptr);
}

bool ScriptInterrupt::Taken()
{
    const bool taken = vxhost::mel::Interpreter::InterruptPending();
    vxhost::mel::Interpreter::ClearInterrupt();
    return taken;
}
