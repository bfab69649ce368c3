#pragma once
/// \file MGlobal.h
/// Maya's global services; the stand-in host provides message display.

#include <maya/MString.h>

/// Static access to host-wide services.
class MGlobal
{
public:
    /// Shows an informational message: the plain text on stderr.
    static void displayInfo(const MString& theMessage);
    /// Shows "// Warning: text //" on stderr.
    static void displayWarning(const MString& theWarning);
    /// Shows "// Error: text //" on stderr.
    ///
    /// All three also append to the host's message log. A run of identical
    /// consecutive messages is kept as one log entry with a count, and is
    /// written to stderr once when the run ends, followed by
    /// " (repeated N times)" when N > 1. Safe to call from worker threads.
    static void displayError(const MString& theError);
};
