#include "ObstacleCmd.h"

#include "EntityLocatorNodes.h"

#include <maya/MFnDependencyNode.h>

namespace
{
constexpr unsigned int kVolumeTypeChild = 1;
constexpr unsigned int kMeshChild = 3;
constexpr int kMeshVolume = 4;
} // namespace

ObstacleCmd::ObstacleCmd()
{
    entityTypeName = "obstacle";
    supportsPosition = true;
    supportsCurve = false;
    supportsMesh = true;
    matrixChildIndex = 0;
    curveChildIndex = -1;
    meshChildIndex = 3;
    volumeTypeChildIndex = 1;
    volumeDataChildIndex = 2;
    locatorTypeId = ObstacleLocatorNode::id;
}

void* ObstacleCmd::creator()
{
    return new ObstacleCmd();
}

MStatus ObstacleCmd::ConnectEntityCurve()
{
    return MS::kSuccess;
}

MStatus ObstacleCmd::ConnectEntityMesh()
{
    MPlug worldMesh;
    MPlug element;
    MStatus status = GeometryOutputAndElement("worldMesh", worldMesh, element);
    if (!status)
        return status;
    MPlug volumeType = element.child(kVolumeTypeChild, &status);
    if (!status)
        return status;
    const MPlug mesh = element.child(kMeshChild, &status);
    if (!status)
        return status;

    // Best effort, like the curve target's writes: the mesh alone decides.
    dgModifier.connect(worldMesh, mesh);
    volumeType.setValue(kMeshVolume);
    return MS::kSuccess;
}

MStatus ObstacleCmd::MakeEntityKeyable()
{
    return MS::kSuccess;
}
