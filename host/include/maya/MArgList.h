#pragma once
/// \file MArgList.h
/// The arguments of a command call, as written.

#include <maya/MStatus.h>
#include <maya/MString.h>

#include <vector>

namespace vxhost
{
struct ScriptStatement;
}

OPENMAYA_MAJOR_NAMESPACE_OPEN

/// Each argument as text: a flag keeps its '-' ("-addEntity"), a string its
/// contents. The as* readers convert one argument; index is advanced past
/// what was read.
class MArgList
{
public:
    MArgList() = default;

    unsigned int length(MStatus* ReturnStatus = nullptr) const;
    MString asString(unsigned int index, MStatus* ReturnStatus = nullptr) const;
    int asInt(unsigned int index, MStatus* ReturnStatus = nullptr) const;
    double asDouble(unsigned int index, MStatus* ReturnStatus = nullptr) const;
    bool asBool(unsigned int index, MStatus* ReturnStatus = nullptr) const;
    unsigned int flagIndex(const char* shortFlag, const char* longFlag = nullptr) const;
    MStatus addArg(const MString& arg);

    static constexpr unsigned int kInvalidArgIndex = 0xFFFFFFFFu;

#ifdef VXHOST_INTERNAL
    /// Host code: the arguments of a statement, and where it was written.
    explicit MArgList(const vxhost::ScriptStatement& statement);
#endif
    /// Whether argument index was a flag in the script (not a quoted
    /// string that starts with '-').
    bool IsFlag(unsigned int index) const { return index < fIsFlag.size() && fIsFlag[index]; }
    /// The command the arguments were written for; empty when built in code.
    const MString& CommandName() const { return fCommand; }

private:
    std::vector<MString> fArgs;
    std::vector<bool> fIsFlag;
    MString fCommand;
};

OPENMAYA_NAMESPACE_CLOSE
