#pragma once
/// \file MArrayDataHandle.h
/// A handle to an array value in a data block, with a current element.

#include <maya/MArrayDataBuilder.h>
#include <maya/MDataHandle.h>
#include <maya/MPlug.h>

#include <vector>

OPENMAYA_MAJOR_NAMESPACE_OPEN

/// Elements are visited in logical index order; the current element starts
/// at the first one. inputValue() on an element reads through its
/// connections; outputValue() does not.
class MArrayDataHandle
{
public:
    MArrayDataHandle() = default;

    unsigned int elementCount(MStatus* ReturnStatus = nullptr) const;
    /// The current element's logical index; kFailure past the end.
    unsigned int elementIndex(MStatus* ReturnStatus = nullptr) const;
    /// Makes the element with that logical index current; kInvalidParameter
    /// when there is none.
    MStatus jumpToElement(unsigned int index);
    MStatus jumpToArrayElement(unsigned int physicalIndex);
    /// Moves to the next element; kFailure past the last.
    MStatus next();

    MDataHandle inputValue(MStatus* ReturnStatus = nullptr);
    MDataHandle outputValue(MStatus* ReturnStatus = nullptr);
    MArrayDataBuilder builder(MStatus* ReturnStatus = nullptr);
    MStatus set(const MArrayDataBuilder& builder);
    MStatus setAllClean();
    MStatus setClean();

#ifdef VXHOST_INTERNAL
    /// Host code: the array at path on node.
    MArrayDataHandle(vxhost::Node* node, std::vector<vxhost::PlugStep> path, vxhost::DataNode* array)
        : fNode(node), fPath(std::move(path)), fArray(array)
    {
    }
#endif

private:
    vxhost::Node* fNode = nullptr;
    std::vector<vxhost::PlugStep> fPath; ///< steps to the array, for reading elements through connections
    vxhost::DataNode* fArray = nullptr;
    unsigned int fPosition = 0; ///< physical index of the current element
};

OPENMAYA_NAMESPACE_CLOSE
