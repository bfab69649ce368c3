#include "ScriptInterrupt.h"

#include "../host/src/mel/Interpreter.h"

#include <vxhost/OutputFile.h>

#include <cstring>

namespace
{
constexpr int kSignals[3] = {SIGINT, SIGTERM, SIGHUP};
// The handlers before the outermost ScriptInterrupt, which of them it
// took over, and how many live. Only the main thread makes them.
struct sigaction gPrevious[3];
bool gCaught[3] = {false, false, false};
int gDepth = 0;
volatile std::sig_atomic_t gSignal = 0;

void RequestStop(int signal)
{
    if (vxhost::mel::Interpreter::InterruptPending())
    {
        // Asked twice: the work has not stopped; leave as the process
        // would have without us, with no temporary file left behind.
        vxhost::RemoveOutputTemporaries();
        for (int i = 0; i < 3; ++i)
            if (kSignals[i] == signal)
                sigaction(signal, &gPrevious[i], nullptr);
        std::raise(signal);
        return;
    }
    gSignal = signal;
    vxhost::mel::Interpreter::RequestInterrupt();
}
} // namespace

ScriptInterrupt::ScriptInterrupt()
{
    if (gDepth++ > 0)
        return;
    gSignal = 0;
    struct sigaction action;
    std::memset(&action, 0, sizeof(action));
    action.sa_handler = RequestStop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < 3; ++i)
    {
        // An ignored signal stays ignored: nohup's SIGHUP must not stop a run.
        sigaction(kSignals[i], nullptr, &gPrevious[i]);
        gCaught[i] = gPrevious[i].sa_handler != SIG_IGN;
        if (gCaught[i])
            sigaction(kSignals[i], &action, nullptr);
    }
}

ScriptInterrupt::~ScriptInterrupt()
{
    if (--gDepth > 0)
        return;
    for (int i = 0; i < 3; ++i)
        if (gCaught[i])
            sigaction(kSignals[i], &gPrevious[i], nullptr);
}

int ScriptInterrupt::Signal()
{
    return gSignal;
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
