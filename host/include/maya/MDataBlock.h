#pragma once
/// \file MDataBlock.h
/// A node's values, as compute sees them.

#include <maya/MArrayDataHandle.h>
#include <maya/MDataHandle.h>
#include <maya/MPlug.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

/// inputValue reads through connections (evaluating upstream nodes);
/// outputValue gives the stored value for writing. A handle stays valid
/// for the compute call that obtained it.
class MDataBlock
{
public:
    MDataHandle inputValue(const MPlug& plug, MStatus* ReturnStatus = nullptr);
    MDataHandle inputValue(const MObject& attribute, MStatus* ReturnStatus = nullptr);
    MDataHandle outputValue(const MPlug& plug, MStatus* ReturnStatus = nullptr);
    MDataHandle outputValue(const MObject& attribute, MStatus* ReturnStatus = nullptr);
    MArrayDataHandle inputArrayValue(const MObject& attribute, MStatus* ReturnStatus = nullptr);
    MArrayDataHandle outputArrayValue(const MObject& attribute, MStatus* ReturnStatus = nullptr);
    MStatus setClean(const MPlug& plug);
    MStatus setClean(const MObject& attribute);

#ifdef VXHOST_INTERNAL
    /// Host code: the data block of node.
    explicit MDataBlock(vxhost::Node* node) : fNode(node) {}
    vxhost::Node* HostNode() const { return fNode; }
#endif

private:
    vxhost::Node* fNode = nullptr;
};

OPENMAYA_NAMESPACE_CLOSE
