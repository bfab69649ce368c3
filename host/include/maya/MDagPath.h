#pragma once
/// \file MDagPath.h
/// The path from the world to a DAG node.

#include <maya/MFn.h>
#include <maya/MMatrix.h>
#include <maya/MObject.h>
#include <maya/MStatus.h>
#include <maya/MString.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

/// The host has no instancing: each DAG node has one path, so a path is
/// its last node.
class MDagPath
{
public:
    MDagPath() = default;

    static MStatus getAPathTo(const MObject& node, MDagPath& path);

    bool isValid(MStatus* ReturnStatus = nullptr) const;
    MObject node(MStatus* ReturnStatus = nullptr) const;
    /// The transform of a shape; the node itself for a transform.
    MObject transform(MStatus* ReturnStatus = nullptr) const;
    /// "|goal|goalShape".
    MString fullPathName(MStatus* ReturnStatus = nullptr) const;
    /// The shortest unique name: the node name when it is unique.
    MString partialPathName(MStatus* ReturnStatus = nullptr) const;
    /// Nodes below the world on this path.
    unsigned int length(MStatus* ReturnStatus = nullptr) const;
    MStatus pop(unsigned int num = 1);
    MStatus push(const MObject& child);
    /// Moves to the transform's first shape; kFailure when it has none.
    MStatus extendToShape();
    unsigned int childCount(MStatus* ReturnStatus = nullptr) const;
    MObject child(unsigned int index, MStatus* ReturnStatus = nullptr) const;
    MStatus numberOfShapesDirectlyBelow(unsigned int& num) const;

    MFn::Type apiType(MStatus* ReturnStatus = nullptr) const;
    bool hasFn(MFn::Type type, MStatus* ReturnStatus = nullptr) const;

    /// The world matrix of the last node, with and without its own transform.
    MMatrix inclusiveMatrix(MStatus* ReturnStatus = nullptr) const;
    MMatrix inclusiveMatrixInverse(MStatus* ReturnStatus = nullptr) const;
    MMatrix exclusiveMatrix(MStatus* ReturnStatus = nullptr) const;
    MMatrix exclusiveMatrixInverse(MStatus* ReturnStatus = nullptr) const;

    bool operator==(const MDagPath& other) const { return fNode == other.fNode; }
    bool operator!=(const MDagPath& other) const { return fNode != other.fNode; }

private:
    MObject fNode;
};

OPENMAYA_NAMESPACE_CLOSE
