#pragma once
/// \file MSyntax.h
/// The flags and objects a plug-in command accepts.

#include <maya/MStatus.h>
#include <maya/MString.h>

#include <vector>

OPENMAYA_MAJOR_NAMESPACE_OPEN

class MSyntax
{
public:
    enum MArgType
    {
        kInvalidArgType,
        kNoArg,
        kBoolean,
        kLong,
        kUnsigned,
        kDouble,
        kString,
        kUnused,
        kDistance,
        kAngle,
        kTime,
        kSelectionItem,
        kLastArgType
    };

    enum MObjectFormat
    {
        kInvalidObjectFormat,
        kNone,
        kStringObjects,
        kSelectionList,
        kLastObjectFormat
    };

    MSyntax() = default;

    /// Flag names with their '-' ("-add", "-addEntity"); up to six
    /// arguments. Fails with kFailure when a name is taken.
    MStatus addFlag(const char* shortName, const char* longName, MArgType argType1 = kNoArg,
                    MArgType argType2 = kNoArg, MArgType argType3 = kNoArg, MArgType argType4 = kNoArg,
                    MArgType argType5 = kNoArg, MArgType argType6 = kNoArg);
    MStatus makeFlagMultiUse(const char* flagName);
    MStatus setObjectType(MObjectFormat objectFormat, unsigned int minimumObjects = 0);
    MStatus setObjectType(MObjectFormat objectFormat, unsigned int minimumObjects, unsigned int maximumObjects);
    MStatus setMinObjects(unsigned int minimumObjects);
    MStatus setMaxObjects(unsigned int maximumObjects);
    /// With no objects given, the command works on the active selection.
    void useSelectionAsDefault(bool useSelection);
    void enableQuery(bool supportsQuery = true);
    void enableEdit(bool supportsEdit = true);
    /// A positional argument before the objects.
    MStatus addArg(MArgType arg);

    // Host code.
    struct Flag
    {
        MString shortName; ///< with '-'
        MString longName;  ///< with '-'
        std::vector<MArgType> arguments;
        bool multiUse = false;
    };
    const std::vector<Flag>& Flags() const { return fFlags; }
    const std::vector<MArgType>& Arguments() const { return fArguments; }
    MObjectFormat ObjectFormat() const { return fObjectFormat; }
    unsigned int MinObjects() const { return fMinObjects; }
    unsigned int MaxObjects() const { return fMaxObjects; }
    bool SelectionAsDefault() const { return fSelectionAsDefault; }
    bool QueryEnabled() const { return fQuery; }
    bool EditEnabled() const { return fEdit; }

private:
    std::vector<Flag> fFlags;
    std::vector<MArgType> fArguments;
    MObjectFormat fObjectFormat = kNone;
    unsigned int fMinObjects = 0;
    unsigned int fMaxObjects = 0xFFFFFFFFu;
    bool fSelectionAsDefault = false;
    bool fQuery = false;
    bool fEdit = false;
};

OPENMAYA_NAMESPACE_CLOSE
