#pragma once
/// \file MPxCommand.h
/// The base of plug-in commands.

#include <maya/MArgList.h>
#include <maya/MDoubleArray.h>
#include <maya/MIntArray.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MStringArray.h>
#include <maya/MSyntax.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

/// The host makes one object per call through the creator registered with
/// MFnPlugin::registerCommand, builds the arguments and calls doIt. An
/// undoable command (isUndoable() true after doIt succeeded) is kept on the
/// host's undo queue: `undo` calls its undoIt, `redo` its redoIt. Results
/// set with setResult are printed as "// Result: ... //".
class MPxCommand
{
public:
    MPxCommand() = default;
    virtual ~MPxCommand() = default;

    virtual MStatus doIt(const MArgList& args);
    virtual MStatus undoIt();
    virtual MStatus redoIt();
    virtual bool isUndoable() const;
    virtual bool hasSyntax() const;

    /// The syntax registered with the command.
    MSyntax syntax(MStatus* ReturnStatus = nullptr) const;
    MString commandString(MStatus* ReturnStatus = nullptr) const;

    static void clearResult();
    static void setResult(bool result);
    static void setResult(int result);
    static void setResult(double result);
    static void setResult(const char* result);
    static void setResult(const MString& result);
    static void setResult(const MIntArray& result);
    static void setResult(const MDoubleArray& result);
    static void setResult(const MStringArray& result);
    static void appendToResult(int result);
    static void appendToResult(double result);
    static void appendToResult(const MString& result);

    static void displayInfo(const MString& theInfo);
    static void displayWarning(const MString& theWarning);
    static void displayError(const MString& theError);

    /// Host code.
    void SetHostSyntax(const MSyntax& syntax, const MString& command)
    {
        fSyntax = syntax;
        fCommand = command;
    }

private:
    MSyntax fSyntax;
    MString fCommand;
};

OPENMAYA_NAMESPACE_CLOSE
