// Sorting a command's arguments by its syntax. Errors are shown once, here,
// with the flag or value at fault; the command only passes the status on
// and the engine places the failure in the script.

#include <maya/MArgParser.h>

#include "ArgText.h"
#include "dg/Scene.h"

#include <maya/MGlobal.h>
#include <vxhost/StdString.h>

#include <climits>
#include <cmath>
#include <utility>

namespace
{
bool IsQueryName(const MString& name)
{
    return name == "-q" || name == "-query";
}

bool IsEditName(const MString& name)
{
    return name == "-e" || name == "-edit";
}

MString Dashed(const char* name)
{
    if (!name)
        return MString();
    return name[0] == '-' ? MString(name) : MString("-") + name;
}

int FindFlag(const MSyntax& syntax, const MString& dashedName)
{
    const auto& flags = syntax.Flags();
    for (size_t i = 0; i < flags.size(); ++i)
        if (flags[i].shortName == dashedName || flags[i].longName == dashedName)
            return static_cast<int>(i);
    return -1;
}

// What a value of the type must look like, for messages; null when any
// text will do.
const char* Expected(MSyntax::MArgType type)
{
    switch (type)
    {
    case MSyntax::kBoolean:
        return "a boolean";
    case MSyntax::kLong:
        return "an integer";
    case MSyntax::kUnsigned:
        return "a non-negative integer";
    case MSyntax::kDouble:
    case MSyntax::kDistance:
    case MSyntax::kAngle:
    case MSyntax::kTime:
        return "a number";
    default:
        return nullptr;
    }
}

bool Fits(MSyntax::MArgType type, const MString& text)
{
    int whole = 0;
    double number = 0.0;
    bool flag = false;
    switch (type)
    {
    case MSyntax::kBoolean:
        return vxhost::ParseArgBool(text.asChar(), flag);
    case MSyntax::kLong:
        return vxhost::ParseArgInt(text.asChar(), whole);
    case MSyntax::kUnsigned:
        return vxhost::ParseArgNumber(text.asChar(), number) && number >= 0.0 && number <= UINT_MAX &&
               number == std::floor(number);
    case MSyntax::kDouble:
    case MSyntax::kDistance:
    case MSyntax::kAngle:
    case MSyntax::kTime:
        return vxhost::ParseArgNumber(text.asChar(), number);
    default:
        return true;
    }
}

MString Count(unsigned int n, const char* noun)
{
    MString text;
    text += n;
    return text + " " + noun + (n == 1 ? "" : "s");
}
} // namespace

MArgParser::MArgParser() : fStatus(MStatus::kFailure, "no arguments parsed")
{
}

MArgParser::MArgParser(const MSyntax& syntax, const MArgList& argList, MStatus* ReturnStatus)
    : fSyntax(syntax)
{
    fStatus = Parse(argList);
    if (ReturnStatus)
        *ReturnStatus = fStatus;
}

MStatus MArgParser::Fail(const MString& text)
{
    MGlobal::displayError(text);
    fQuery = fEdit = fObjectsFromSelection = false;
    fUses.clear();
    fCommandArguments.clear();
    fObjects.clear();
    return MStatus(MStatus::kInvalidParameter, text);
}

MStatus MArgParser::Parse(const MArgList& argList)
{
    const unsigned int count = argList.length();
    // In query mode no flag takes values ("cmd -q -count obj"), wherever
    // the -q stands, so the mode is known before any flag is read.
    for (unsigned int i = 0; i < count && fSyntax.QueryEnabled(); ++i)
        if (argList.IsFlag(i) && IsQueryName(argList.asString(i)))
            fQuery = true;

    const auto& flags = fSyntax.Flags();
    for (unsigned int i = 0; i < count; ++i)
    {
        const MString arg = argList.asString(i);
        if (!argList.IsFlag(i))
        {
            const size_t position = fCommandArguments.size();
            if (position < fSyntax.Arguments().size())
            {
                const MSyntax::MArgType type = fSyntax.Arguments()[position];
                if (!Fits(type, arg))
                {
                    MString text("Argument ");
                    text += static_cast<unsigned int>(position + 1);
                    return Fail(text + " expects " + Expected(type) + ", got \"" + arg + "\"");
                }
                fCommandArguments.push_back(arg);
            }
            else
                fObjects.append(arg);
            continue;
        }
        if (IsQueryName(arg) && fSyntax.QueryEnabled())
            continue;
        if (IsEditName(arg) && fSyntax.EditEnabled())
        {
            fEdit = true;
            continue;
        }
        const int index = FindFlag(fSyntax, arg);
        if (index < 0)
        {
            if (IsQueryName(arg))
                return Fail(MString("Flag ") + arg + " is not supported: the command cannot be queried");
            if (IsEditName(arg))
                return Fail(MString("Flag ") + arg + " is not supported: the command cannot be edited");
            return Fail(MString("Invalid flag: ") + arg);
        }
        const MSyntax::Flag& flag = flags[static_cast<size_t>(index)];
        if (!flag.multiUse)
            for (const FlagUse& use : fUses)
                if (use.flag == index)
                    return Fail(MString("Flag ") + arg + " can be used only once");
        FlagUse use;
        use.flag = index;
        if (!fQuery)
        {
            const unsigned int needed = static_cast<unsigned int>(flag.arguments.size());
            for (unsigned int k = 0; k < needed; ++k)
            {
                const unsigned int at = i + 1 + k;
                if (at >= count || argList.IsFlag(at))
                    return Fail(MString("Flag ") + arg + " requires " + Count(needed, "argument"));
                const MString value = argList.asString(at);
                if (!Fits(flag.arguments[k], value))
                    return Fail(MString("Flag ") + arg + " expects " + Expected(flag.arguments[k]) +
                                ", got \"" + value + "\"");
                use.values.push_back(value);
            }
            i += needed;
        }
        fUses.push_back(std::move(use));
    }

    if (fQuery && fEdit)
        return Fail("Flags -query and -edit cannot be used together");
    const MString command =
        argList.CommandName().length() > 0 ? argList.CommandName() : MString("The command");
    const unsigned int arguments = static_cast<unsigned int>(fSyntax.Arguments().size());
    if (fCommandArguments.size() < arguments)
        return Fail(command + " requires " + Count(arguments, "argument"));

    const bool takesObjects = fSyntax.ObjectFormat() == MSyntax::kStringObjects ||
                              fSyntax.ObjectFormat() == MSyntax::kSelectionList;
    if (fObjects.length() > 0 && (!takesObjects || fObjects.length() > fSyntax.MaxObjects()))
    {
        const unsigned int first = takesObjects ? fSyntax.MaxObjects() : 0;
        return Fail(MString("Too many objects or values: ") + fObjects[first]);
    }
    if (fObjects.length() == 0 && takesObjects && fSyntax.SelectionAsDefault())
    {
        fObjectsFromSelection = true;
        for (const auto& node : vxhost::Scene::Get().Selection())
            fObjects.append(vxhost::ToMString(node->name));
    }
    if (fObjects.length() < fSyntax.MinObjects())
        return Fail(command + " requires at least " + Count(fSyntax.MinObjects(), "object"));
    return MStatus::kSuccess;
}

bool MArgParser::Ok(MStatus* ReturnStatus) const
{
    if (ReturnStatus)
        *ReturnStatus = fStatus;
    return fStatus;
}

const MArgParser::FlagUse* MArgParser::Use(const char* flag, unsigned int use) const
{
    const int index = FindFlag(fSyntax, Dashed(flag));
    if (index < 0)
        return nullptr;
    for (const FlagUse& u : fUses)
        if (u.flag == index && use-- == 0)
            return &u;
    return nullptr;
}

bool MArgParser::isFlagSet(const char* flag, MStatus* ReturnStatus) const
{
    if (!Ok(ReturnStatus))
        return false;
    const MString name = Dashed(flag);
    if (FindFlag(fSyntax, name) < 0)
    {
        // The mode flags are no flags of the syntax, but Maya's commands ask
        // for them by name too.
        if (IsQueryName(name) && fSyntax.QueryEnabled())
            return fQuery;
        if (IsEditName(name) && fSyntax.EditEnabled())
            return fEdit;
        if (ReturnStatus)
            *ReturnStatus = MStatus(MStatus::kInvalidParameter, MString("no flag ") + name);
        return false;
    }
    return Use(flag) != nullptr;
}

unsigned int MArgParser::numberOfFlagUses(const char* flag) const
{
    unsigned int uses = 0;
    while (fStatus && Use(flag, uses))
        ++uses;
    return uses;
}

unsigned int MArgParser::numberOfFlagsUsed() const
{
    if (!fStatus)
        return 0;
    unsigned int used = 0;
    for (size_t i = 0; i < fUses.size(); ++i)
    {
        bool first = true;
        for (size_t j = 0; j < i; ++j)
            first = first && fUses[j].flag != fUses[i].flag;
        used += first ? 1 : 0;
    }
    return used;
}

MStatus MArgParser::FlagValue(const char* flag, unsigned int index, MString& text,
                              MSyntax::MArgType& type) const
{
    if (!fStatus)
        return fStatus;
    const FlagUse* use = Use(flag);
    if (!use)
        return MStatus(MStatus::kFailure, Dashed(flag) + " is not set");
    if (index >= use->values.size())
        return MStatus(MStatus::kInvalidParameter, Dashed(flag) + " has no argument at that index");
    text = use->values[index];
    type = fSyntax.Flags()[static_cast<size_t>(use->flag)].arguments[index];
    return MStatus::kSuccess;
}

MStatus MArgParser::getFlagArgument(const char* flag, unsigned int index, MString& result) const
{
    MSyntax::MArgType type;
    MString text;
    const MStatus status = FlagValue(flag, index, text, type);
    if (status)
        result = text;
    return status;
}

MStatus MArgParser::getFlagArgument(const char* flag, unsigned int index, bool& result) const
{
    MSyntax::MArgType type;
    MString text;
    MStatus status = FlagValue(flag, index, text, type);
    if (status && !vxhost::ParseArgBool(text.asChar(), result))
        status = MStatus(MStatus::kInvalidParameter, MString("not a boolean: ") + text);
    return status;
}

MStatus MArgParser::getFlagArgument(const char* flag, unsigned int index, int& result) const
{
    MSyntax::MArgType type;
    MString text;
    MStatus status = FlagValue(flag, index, text, type);
    if (status && !vxhost::ParseArgInt(text.asChar(), result))
        status = MStatus(MStatus::kInvalidParameter, MString("not an integer: ") + text);
    return status;
}

MStatus MArgParser::getFlagArgument(const char* flag, unsigned int index, unsigned int& result) const
{
    MSyntax::MArgType type;
    MString text;
    MStatus status = FlagValue(flag, index, text, type);
    if (!status)
        return status;
    if (!Fits(MSyntax::kUnsigned, text))
        return MStatus(MStatus::kInvalidParameter, MString("not a non-negative integer: ") + text);
    double value = 0.0;
    vxhost::ParseArgNumber(text.asChar(), value);
    result = static_cast<unsigned int>(value);
    return status;
}

MStatus MArgParser::getFlagArgument(const char* flag, unsigned int index, double& result) const
{
    MSyntax::MArgType type;
    MString text;
    MStatus status = FlagValue(flag, index, text, type);
    if (status && !vxhost::ParseArgNumber(text.asChar(), result))
        status = MStatus(MStatus::kInvalidParameter, MString("not a number: ") + text);
    return status;
}

MStatus MArgParser::getFlagArgument(const char* flag, unsigned int index, MDistance& result) const
{
    double value = 0.0;
    const MStatus status = getFlagArgument(flag, index, value);
    // Lengths are typed in the UI unit and handed out in the internal one.
    if (status)
        result = MDistance(MDistance::uiToInternal(value), MDistance::internalUnit());
    return status;
}

MStatus MArgParser::getFlagArgument(const char* flag, unsigned int index, MTime& result) const
{
    double value = 0.0;
    const MStatus status = getFlagArgument(flag, index, value);
    if (status)
        result = MTime(value, MTime::uiUnit());
    return status;
}

MStatus MArgParser::getFlagArgumentList(const char* flag, unsigned int i, MArgList& args) const
{
    if (!fStatus)
        return fStatus;
    const FlagUse* use = Use(flag, i);
    if (!use)
        return MStatus(MStatus::kFailure, Dashed(flag) + " is not used that often");
    for (const MString& value : use->values)
        args.addArg(value);
    return MStatus::kSuccess;
}

MStatus MArgParser::getCommandArgument(unsigned int index, MString& result) const
{
    if (!fStatus)
        return fStatus;
    if (index >= fCommandArguments.size())
        return MStatus(MStatus::kInvalidParameter, "no command argument at that index");
    result = fCommandArguments[index];
    return MStatus::kSuccess;
}

MStatus MArgParser::getCommandArgument(unsigned int index, double& result) const
{
    MString text;
    MStatus status = getCommandArgument(index, text);
    if (status && !vxhost::ParseArgNumber(text.asChar(), result))
        status = MStatus(MStatus::kInvalidParameter, MString("not a number: ") + text);
    return status;
}

MStatus MArgParser::getCommandArgument(unsigned int index, int& result) const
{
    MString text;
    MStatus status = getCommandArgument(index, text);
    if (status && !vxhost::ParseArgInt(text.asChar(), result))
        status = MStatus(MStatus::kInvalidParameter, MString("not an integer: ") + text);
    return status;
}

MStatus MArgParser::getObjects(MStringArray& result) const
{
    if (!fStatus)
        return fStatus;
    result = fObjects;
    return MStatus::kSuccess;
}
