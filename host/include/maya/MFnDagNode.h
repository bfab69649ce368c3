#pragma once
/// \file MFnDagNode.h
/// Function set for DAG nodes: the hierarchy of transforms and shapes.

#include <maya/MBoundingBox.h>
#include <maya/MDagPath.h>
#include <maya/MFnDependencyNode.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

class MFnDagNode : public MFnDependencyNode
{
public:
    MFnDagNode() = default;
    explicit MFnDagNode(const MObject& object, MStatus* ReturnStatus = nullptr);
    explicit MFnDagNode(const MDagPath& path, MStatus* ReturnStatus = nullptr);

    MFn::Type type() const override { return MFn::kDagNode; }

    /// A new DAG node under parent; a shape without a parent gets a new
    /// transform.
    MObject create(const MString& type, const MObject& parent = MObject::kNullObj,
                   MStatus* ReturnStatus = nullptr);
    MObject create(const MString& type, const MString& name, const MObject& parent = MObject::kNullObj,
                   MStatus* ReturnStatus = nullptr);

    unsigned int parentCount(MStatus* ReturnStatus = nullptr) const;
    MObject parent(unsigned int index, MStatus* ReturnStatus = nullptr) const;
    unsigned int childCount(MStatus* ReturnStatus = nullptr) const;
    MObject child(unsigned int index, MStatus* ReturnStatus = nullptr) const;
    /// Moves child under this node (kInvalidParameter for a cycle).
    MStatus addChild(MObject& child, unsigned int index = kNextPos, bool keepExistingParents = false);
    MStatus removeChild(MObject& child);
    MString fullPathName(MStatus* ReturnStatus = nullptr) const;
    MString partialPathName(MStatus* ReturnStatus = nullptr) const;
    MStatus getPath(MDagPath& path) const;
    MDagPath dagPath(MStatus* ReturnStatus = nullptr) const;
    /// The node's own transformation (identity for a shape).
    MMatrix transformationMatrix(MStatus* ReturnStatus = nullptr) const;
    bool isIntermediateObject(MStatus* ReturnStatus = nullptr) const;
    /// Object-space bounds: a locator's (a plug-in locator's boundingBox()
    /// when it isBounded()); for a transform, its children's bounds placed
    /// by their transformations; empty for anything else.
    MBoundingBox boundingBox(MStatus* ReturnStatus = nullptr) const;

    static constexpr unsigned int kNextPos = 0xFFFFFFFFu;
};

OPENMAYA_NAMESPACE_CLOSE
