#pragma once
/// \file MItSelectionList.h
/// Walks a selection list, optionally only over items of one type.

#include <maya/MDagPath.h>
#include <maya/MFn.h>
#include <maya/MSelectionList.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

/// The filter MFn::kGeometric matches a NURBS curve, a mesh or a locator
/// shape, or a transform whose first shape is one of those, and yields the
/// path to that shape. Any other filter matches items whose node has that
/// function set (MFn::kField: field nodes). kInvalid matches everything.
class MItSelectionList
{
public:
    enum selItemType
    {
        kUnknownItem = -1,
        kDagSelectionItem,
        kAnimSelectionItem,
        kDNselectionItem,
        kPlugSelectionItem
    };

    MItSelectionList(const MSelectionList& list, MFn::Type filter = MFn::kInvalid, MStatus* ReturnStatus = nullptr);

    bool isDone(MStatus* ReturnStatus = nullptr) const;
    MStatus next();
    MStatus reset();
    MStatus setFilter(MFn::Type filter);
    MStatus getDependNode(MObject& depNode) const;
    MStatus getDagPath(MDagPath& dagPath) const;
    MStatus getDagPath(MDagPath& dagPath, MObject& component) const;
    selItemType itemType(MStatus* ReturnStatus = nullptr) const;
    MStatus getStrings(MStringArray& array) const;

private:
    void SkipUnmatched();
    /// The object the current item yields under the filter, or null.
    MObject Yield(unsigned int index) const;

    MSelectionList fList;
    MFn::Type fFilter;
    unsigned int fIndex = 0;
};

OPENMAYA_NAMESPACE_CLOSE
