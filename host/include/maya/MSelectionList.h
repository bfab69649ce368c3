#pragma once
/// \file MSelectionList.h
/// An ordered list of nodes (and DAG paths).

#include <maya/MDagPath.h>
#include <maya/MObject.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MStringArray.h>

#include <vector>

OPENMAYA_MAJOR_NAMESPACE_OPEN

/// Items are nodes; a DAG node's item has its path. A node is in the list
/// at most once.
class MSelectionList
{
public:
    enum MergeStrategy
    {
        kMergeNormal,
        kXORWithList,
        kRemoveFromList
    };

    MSelectionList() = default;

    bool isEmpty(MStatus* ReturnStatus = nullptr) const;
    unsigned int length(MStatus* ReturnStatus = nullptr) const;
    MStatus clear();
    /// Adds the node named matchString (a name or DAG path); kInvalidParameter
    /// when none matches.
    MStatus add(const MString& matchString, bool searchChildNamespacesToo = false);
    MStatus add(const MObject& object, bool mergeWithExisting = true);
    MStatus add(const MDagPath& object, const MObject& component = MObject::kNullObj,
                bool mergeWithExisting = true);
    MStatus remove(unsigned int index);
    MStatus merge(const MSelectionList& other, MergeStrategy strategy = kMergeNormal);
    bool hasItem(const MObject& item, MStatus* ReturnStatus = nullptr) const;
    bool hasItem(const MDagPath& item, const MObject& component = MObject::kNullObj,
                 MStatus* ReturnStatus = nullptr) const;
    MStatus getDependNode(unsigned int index, MObject& depNode) const;
    /// kFailure for an item that is no DAG node.
    MStatus getDagPath(unsigned int index, MDagPath& dagPath) const;
    MStatus getDagPath(unsigned int index, MDagPath& dagPath, MObject& component) const;
    MStatus getSelectionStrings(MStringArray& array) const;

private:
    std::vector<MObject> fItems;
};

OPENMAYA_NAMESPACE_CLOSE
