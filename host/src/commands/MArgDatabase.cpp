// The objects of a command as a selection list, resolved by name when they
// are asked for, so a command that never reads them never fails on them.

#include <maya/MArgDatabase.h>

#include <maya/MGlobal.h>

MArgDatabase::MArgDatabase(const MSyntax& syntax, const MArgList& argList, MStatus* ReturnStatus)
    : MArgParser(syntax, argList, ReturnStatus)
{
}

namespace
{
MStatus AddByName(const MString& name, MSelectionList& result)
{
    if (result.add(name))
        return MStatus::kSuccess;
    const MString text = MString("No object matches name: ") + name;
    MGlobal::displayError(text);
    return MStatus(MStatus::kInvalidParameter, text);
}
} // namespace

MStatus MArgDatabase::getFlagArgument(const char* flag, unsigned int index, MSelectionList& result) const
{
    MString name;
    const MStatus status = MArgParser::getFlagArgument(flag, index, name);
    if (!status)
        return status;
    return AddByName(name, result);
}

MStatus MArgDatabase::getObjects(MSelectionList& result) const
{
    if (!fStatus)
        return fStatus;
    // The selection's objects are its nodes' names, taken when parsing, so
    // both forms of getObjects name the same nodes.
    for (unsigned int i = 0; i < fObjects.length(); ++i)
    {
        const MStatus status = AddByName(fObjects[i], result);
        if (!status)
            return status;
    }
    return MStatus::kSuccess;
}
