#pragma once
/// \file ScriptInterrupt.h
/// Ctrl-C (or SIGTERM, SIGHUP) while a script runs or frames step: the script stops at its next
/// statement with "Interrupted.", as Maya's interrupt does, and a run of
/// frames stops before its next frame, instead of the process dying
/// half-way through a command or a file. A second Ctrl-C before the work
/// has stopped does what the signal did before (it may be stuck in a long
/// command).

#include <csignal>

class ScriptInterrupt
{
public:
    /// Catches SIGINT, SIGTERM and SIGHUP for as long as it lives, each
    /// that the process does not ignore; then puts back what was there.
    /// Nested ones share the outermost's catch.
    ScriptInterrupt();
    ~ScriptInterrupt();
    ScriptInterrupt(const ScriptInterrupt&) = delete;
    ScriptInterrupt& operator=(const ScriptInterrupt&) = delete;

    /// Whether an interrupt has been asked for and not yet taken.
    static bool Pending();
    /// Asks for one, as Ctrl-C does: for an interpreter that caught its own
    /// (Python's KeyboardInterrupt).
    static void Request();
    /// Whether an interrupt stopped a script; clears it, so the next script
    /// runs.
    static bool Taken();
    /// The signal that asked for the interrupt since the outermost one was
    /// made; 0 when none did (Request, or no interrupt).
    static int Signal();
};
