#pragma once
/// \file MArrayDataBuilder.h
/// Adds and removes the elements of an array value in a data block.

#include <maya/MDataHandle.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

class MDataBlock;

/// Works on the array value in place: added elements are part of the array
/// at once, and MArrayDataHandle::set(builder) just confirms them.
class MArrayDataBuilder
{
public:
    MArrayDataBuilder() = default;
    MArrayDataBuilder(MDataBlock* block, const MObject& attribute, unsigned int numElements,
                      MStatus* ReturnStatus = nullptr);

    /// The element at logical index, made when missing.
    MDataHandle addElement(unsigned int index, MStatus* ReturnStatus = nullptr);
    /// A new element after the last one.
    MDataHandle addLast(MStatus* ReturnStatus = nullptr);
    MStatus removeElement(unsigned int index);
    unsigned int elementCount(MStatus* ReturnStatus = nullptr) const;
    MStatus growArray(unsigned int amount);

#ifdef VXHOST_INTERNAL
    /// Host code.
    MArrayDataBuilder(vxhost::Node* node, vxhost::DataNode* array) : fNode(node), fArray(array) {}
    vxhost::DataNode* HostArray() const { return fArray; }
#endif

private:
    vxhost::Node* fNode = nullptr;
    vxhost::DataNode* fArray = nullptr;
};

OPENMAYA_NAMESPACE_CLOSE
