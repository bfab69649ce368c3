// A command call's arguments as text. A flag is known by how it was written
// in the script, so a quoted "-x" stays a string.

#include <maya/MArgList.h>

#include "ArgText.h"

#include <vxhost/Script.h>
#include <vxhost/StdString.h>

#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>

namespace vxhost
{
bool ParseArgNumber(std::string_view text, double& out)
{
    // from_chars takes no '+', which MEL numbers may carry.
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return false;
    out = value;
    return true;
}

bool ParseArgInt(std::string_view text, int& out)
{
    double value = 0.0;
    if (!ParseArgNumber(text, value) || value != std::floor(value) || value < INT_MIN || value > INT_MAX)
        return false;
    out = static_cast<int>(value);
    return true;
}

bool ParseArgBool(std::string_view text, bool& out)
{
    for (const char* word : {"on", "true", "yes", "1"})
        if (text == word)
        {
            out = true;
            return true;
        }
    for (const char* word : {"off", "false", "no", "0"})
        if (text == word)
        {
            out = false;
            return true;
        }
    return false;
}
} // namespace vxhost

namespace
{
MStatus Report(MStatus* ReturnStatus, const MStatus& status)
{
    if (ReturnStatus)
        *ReturnStatus = status;
    return status;
}

// Arguments added in code have no script to tell: a '-' followed by a
// letter reads as a flag, as it would in a script.
bool LooksLikeFlag(const MString& text)
{
    const char* s = text.asChar();
    return s[0] == '-' && ((s[1] >= 'a' && s[1] <= 'z') || (s[1] >= 'A' && s[1] <= 'Z'));
}
} // namespace

MArgList::MArgList(const vxhost::ScriptStatement& statement) : fCommand(vxhost::ToMString(statement.command))
{
    for (const vxhost::ScriptArgument& argument : statement.arguments)
    {
        const bool flag = argument.kind == vxhost::ScriptArgument::Kind::kFlag;
        fArgs.push_back(vxhost::ToMString(flag ? "-" + argument.text : argument.text));
        fIsFlag.push_back(flag);
    }
}

unsigned int MArgList::length(MStatus* ReturnStatus) const
{
    Report(ReturnStatus, MStatus::kSuccess);
    return static_cast<unsigned int>(fArgs.size());
}

MString MArgList::asString(unsigned int index, MStatus* ReturnStatus) const
{
    if (index >= fArgs.size())
    {
        Report(ReturnStatus, MStatus(MStatus::kInvalidParameter, "argument index out of range"));
        return MString();
    }
    Report(ReturnStatus, MStatus::kSuccess);
    return fArgs[index];
}

int MArgList::asInt(unsigned int index, MStatus* ReturnStatus) const
{
    MStatus status;
    const MString text = asString(index, &status);
    int value = 0;
    if (status && !vxhost::ParseArgInt(text.asChar(), value))
        status = MStatus(MStatus::kInvalidParameter, MString("not an integer: ") + text);
    Report(ReturnStatus, status);
    return status ? value : 0;
}

double MArgList::asDouble(unsigned int index, MStatus* ReturnStatus) const
{
    MStatus status;
    const MString text = asString(index, &status);
    double value = 0.0;
    if (status && !vxhost::ParseArgNumber(text.asChar(), value))
        status = MStatus(MStatus::kInvalidParameter, MString("not a number: ") + text);
    Report(ReturnStatus, status);
    return status ? value : 0.0;
}

bool MArgList::asBool(unsigned int index, MStatus* ReturnStatus) const
{
    MStatus status;
    const MString text = asString(index, &status);
    bool value = false;
    if (status && !vxhost::ParseArgBool(text.asChar(), value))
        status = MStatus(MStatus::kInvalidParameter, MString("not a boolean: ") + text);
    Report(ReturnStatus, status);
    return status && value;
}

unsigned int MArgList::flagIndex(const char* shortFlag, const char* longFlag) const
{
    const auto matches = [](const MString& arg, const char* name)
    {
        if (!name || name[0] == '\0')
            return false;
        return std::strcmp(arg.asChar() + 1, name[0] == '-' ? name + 1 : name) == 0;
    };
    for (unsigned int i = 0; i < fArgs.size(); ++i)
        if (fIsFlag[i] && (matches(fArgs[i], shortFlag) || matches(fArgs[i], longFlag)))
            return i;
    return kInvalidArgIndex;
}

MStatus MArgList::addArg(const MString& arg)
{
    fArgs.push_back(arg);
    fIsFlag.push_back(LooksLikeFlag(arg));
    return MStatus::kSuccess;
}
