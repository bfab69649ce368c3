#pragma once
/// \file MGlobal.h
/// Maya's global services; the stand-in host provides message display.

#include <maya/MStatus.h>
#include <maya/MString.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

class MSelectionList;

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

    /// The active selection, in the order selected (the last is the lead).
    static MStatus getActiveSelectionList(MSelectionList& dest, bool orderedSelectionIfAvailable = false);
    static MStatus setActiveSelectionList(const MSelectionList& src);

    /// Option variables: named values kept by the host (`optionVar -iv`).
    static bool optionVarExists(const MString& name);
    /// The integer value; 0 (and *exists false) when there is none.
    static int optionVarIntValue(const MString& name, bool* exists = nullptr);
    static bool setOptionVarValue(const MString& name, int value);
    static void removeOptionVar(const MString& name);

    /// Runs a script statement through the host's command engine.
    static MStatus executeCommand(const MString& command, bool displayEnabled = false, bool undoEnabled = false);
};

OPENMAYA_NAMESPACE_CLOSE
