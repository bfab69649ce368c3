#pragma once
/// \file ScriptInterrupt.h
/// Ctrl-C while a script runs: the script stops at its next statement with
/// "Interrupted.", as Maya's interrupt does, instead of the process dying
/// half-way through a command. A second Ctrl-C before the script has stopped
/// does what the signal did before (the script may be stuck in a long
/// command).

#include <csignal>

class ScriptInterrupt
{
public:
    /// Catches SIGINT and SIGTERM for as long as it lives.
    ScriptInterrupt();
    ~ScriptInterrupt();
    ScriptInterrupt(const ScriptInterrupt&) = delete;
    ScriptInterrupt& operator=(const ScriptInterrupt&) = delete;

    /// Whether an interrupt stopped a script; clears it, so the next script
    /// runs.
    static bool Taken();

private:
    struct sigaction fPrevious[2];
};
