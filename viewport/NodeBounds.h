#pragma once
/// \file NodeBounds.h
/// The bounds both draw overrides report.

#include <maya/MBoundingBox.h>
#include <maya/MDagPath.h>
#include <maya/MFnDagNode.h>

/// The bounding box of the path's node as its DAG function set gives it; an
/// empty box when the node cannot be reached.
inline MBoundingBox NodeBounds(const MDagPath& objPath)
{
    MStatus status;
    const MObject node = objPath.node(&status);
    if (!status)
        return MBoundingBox();
    const MFnDagNode dagFn(node, &status);
    if (!status)
        return MBoundingBox();
    return dagFn.boundingBox();
}
