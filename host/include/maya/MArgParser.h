#pragma once
/// \file MArgParser.h
/// A command's arguments sorted by its syntax.

#include <maya/MArgList.h>
#include <maya/MDistance.h>
#include <maya/MStatus.h>
#include <maya/MStringArray.h>
#include <maya/MSyntax.h>
#include <maya/MTime.h>

#include <vector>

OPENMAYA_MAJOR_NAMESPACE_OPEN

/// Flags are found by either name, with or without the '-'. Parsing fails
/// (kInvalidParameter, with a message naming the flag or value) on an
/// unknown flag, a flag without its arguments or with a value of the wrong
/// type, -q or -e where the syntax does not allow them, or too few or too
/// many objects.
class MArgParser
{
public:
    MArgParser();
    MArgParser(const MSyntax& syntax, const MArgList& argList, MStatus* ReturnStatus = nullptr);
    virtual ~MArgParser() = default;

    bool isFlagSet(const char* flag, MStatus* ReturnStatus = nullptr) const;
    unsigned int numberOfFlagUses(const char* flag) const;
    unsigned int numberOfFlagsUsed() const;
    bool isQuery(MStatus* ReturnStatus = nullptr) const { return Ok(ReturnStatus) && fQuery; }
    bool isEdit(MStatus* ReturnStatus = nullptr) const { return Ok(ReturnStatus) && fEdit; }

    MStatus getFlagArgument(const char* flag, unsigned int index, MString& result) const;
    MStatus getFlagArgument(const char* flag, unsigned int index, bool& result) const;
    MStatus getFlagArgument(const char* flag, unsigned int index, int& result) const;
    MStatus getFlagArgument(const char* flag, unsigned int index, unsigned int& result) const;
    MStatus getFlagArgument(const char* flag, unsigned int index, double& result) const;
    MStatus getFlagArgument(const char* flag, unsigned int index, MDistance& result) const;
    MStatus getFlagArgument(const char* flag, unsigned int index, MTime& result) const;
    /// The arguments of the i'th use of a (multi-use) flag, appended to args.
    MStatus getFlagArgumentList(const char* flag, unsigned int i, MArgList& args) const;
    MStatus getCommandArgument(unsigned int index, MString& result) const;
    MStatus getCommandArgument(unsigned int index, double& result) const;
    MStatus getCommandArgument(unsigned int index, int& result) const;
    /// The objects as written (or the selection's names when the syntax
    /// takes the selection as default and none were given).
    MStatus getObjects(MStringArray& result) const;

protected:
    bool Ok(MStatus* ReturnStatus) const;

    struct FlagUse
    {
        int flag = -1; ///< index into the syntax's flags
        std::vector<MString> values;
    };
    /// The use'th use of flag, or null.
    const FlagUse* Use(const char* flag, unsigned int use = 0) const;

    /// The i'th value of flag's first use, with the type the syntax gives it.
    MStatus FlagValue(const char* flag, unsigned int index, MString& text, MSyntax::MArgType& type) const;

    MSyntax fSyntax;
    MStatus fStatus; ///< why parsing failed, or kSuccess
    bool fQuery = false;
    bool fEdit = false;
    std::vector<FlagUse> fUses;
    std::vector<MString> fCommandArguments;
    MStringArray fObjects;
    /// No objects were given and the active selection stands in for them.
    bool fObjectsFromSelection = false;

private:
    MStatus Parse(const MArgList& argList);
    // Shows a parsing error and drops whatever was parsed before it.
    MStatus Fail(const MString& text);
};

OPENMAYA_NAMESPACE_CLOSE
