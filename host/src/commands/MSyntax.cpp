// A plug-in command's syntax: its flags with their argument types, its
// positional arguments and what it accepts as objects.

#include <maya/MSyntax.h>

#include <cstring>
#include <utility>

namespace
{
// Flag names are kept with their '-', as Maya's own syntaxes give them; a
// name given without one is still accepted.
MString Dashed(const char* name)
{
    if (name[0] == '-')
        return MString(name);
    return MString("-") + name;
}

bool IsValueType(MSyntax::MArgType type)
{
    return type > MSyntax::kNoArg && type < MSyntax::kLastArgType && type != MSyntax::kUnused;
}
} // namespace

MStatus MSyntax::addFlag(const char* shortName, const char* longName, MArgType argType1, MArgType argType2,
                         MArgType argType3, MArgType argType4, MArgType argType5, MArgType argType6)
{
    if (!shortName || !longName || std::strlen(shortName) == 0 || std::strlen(longName) == 0 ||
        std::strcmp(shortName, "-") == 0 || std::strcmp(longName, "-") == 0)
        return MStatus(MStatus::kInvalidParameter, "a flag needs a short and a long name");
    Flag flag;
    flag.shortName = Dashed(shortName);
    flag.longName = Dashed(longName);
    for (const Flag& other : fFlags)
        for (const MString& name : {flag.shortName, flag.longName})
            if (name == other.shortName || name == other.longName)
                return MStatus(MStatus::kFailure, MString("the flag name ") + name + " is taken");
    // The argument types end at the first kNoArg, as in Maya.
    for (const MArgType type : {argType1, argType2, argType3, argType4, argType5, argType6})
    {
        if (type == kNoArg)
            break;
        if (!IsValueType(type))
            return MStatus(MStatus::kInvalidParameter,
                           MString("an invalid argument type for flag ") + flag.longName);
        flag.arguments.push_back(type);
    }
    fFlags.push_back(std::move(flag));
    return MStatus::kSuccess;
}

MStatus MSyntax::makeFlagMultiUse(const char* flagName)
{
    if (!flagName || flagName[0] == '\0')
        return MStatus::kInvalidParameter;
    const MString name = Dashed(flagName);
    for (Flag& flag : fFlags)
        if (flag.shortName == name || flag.longName == name)
        {
            flag.multiUse = true;
            return MStatus::kSuccess;
        }
    return MStatus(MStatus::kInvalidParameter, MString("no flag ") + name);
}

MStatus MSyntax::setObjectType(MObjectFormat objectFormat, unsigned int minimumObjects)
{
    return setObjectType(objectFormat, minimumObjects, 0xFFFFFFFFu);
}

MStatus MSyntax::setObjectType(MObjectFormat objectFormat, unsigned int minimumObjects,
                               unsigned int maximumObjects)
{
    if (objectFormat <= kInvalidObjectFormat || objectFormat >= kLastObjectFormat ||
        minimumObjects > maximumObjects)
        return MStatus::kInvalidParameter;
    fObjectFormat = objectFormat;
    fMinObjects = minimumObjects;
    fMaxObjects = maximumObjects;
    return MStatus::kSuccess;
}

MStatus MSyntax::setMinObjects(unsigned int minimumObjects)
{
    if (minimumObjects > fMaxObjects)
        return MStatus::kInvalidParameter;
    fMinObjects = minimumObjects;
    return MStatus::kSuccess;
}

MStatus MSyntax::setMaxObjects(unsigned int maximumObjects)
{
    if (maximumObjects < fMinObjects)
        return MStatus::kInvalidParameter;
    fMaxObjects = maximumObjects;
    return MStatus::kSuccess;
}

void MSyntax::useSelectionAsDefault(bool useSelection)
{
    fSelectionAsDefault = useSelection;
}

void MSyntax::enableQuery(bool supportsQuery)
{
    fQuery = supportsQuery;
}

void MSyntax::enableEdit(bool supportsEdit)
{
    fEdit = supportsEdit;
}

MStatus MSyntax::addArg(MArgType arg)
{
    if (!IsValueType(arg))
        return MStatus::kInvalidParameter;
    fArguments.push_back(arg);
    return MStatus::kSuccess;
}
