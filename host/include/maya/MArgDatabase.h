#pragma once
/// \file MArgDatabase.h
/// A command's arguments with the objects as a selection list.

#include <maya/MArgParser.h>
#include <maya/MSelectionList.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

class MArgDatabase : public MArgParser
{
public:
    MArgDatabase() = default;
    MArgDatabase(const MSyntax& syntax, const MArgList& argList, MStatus* ReturnStatus = nullptr);

    using MArgParser::getFlagArgument;
    using MArgParser::getObjects;
    /// A flag argument naming an object, added to result.
    MStatus getFlagArgument(const char* flag, unsigned int index, MSelectionList& result) const;
    /// The objects: the nodes named, or the active selection when the
    /// syntax takes it as default and none were named. Fails
    /// (kInvalidParameter) when a name matches no node.
    MStatus getObjects(MSelectionList& result) const;
};

OPENMAYA_NAMESPACE_CLOSE
