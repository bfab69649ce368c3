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
    MStatus status;
    const MFnDependencyNode meshFn(entityPath.node(), &status);
    if (!status)
        return status;
    MPlug worldMesh = meshFn.findPlug("worldMesh", false, &status);
    if (!status)
        return status;
    worldMesh = worldMesh.elementByLogicalIndex(0, &status);
    if (!status)
        return status;

    MPlug arrayPlug = EntityArrayPlug(status);
    if (!status)
        return status;
    entityIndex = ChooseFreeIndex(arrayPlug);
    const MPlug element = arrayPlug.elementByLogicalIndex(entityIndex, &status);
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
