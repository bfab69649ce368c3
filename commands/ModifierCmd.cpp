#include "ModifierCmd.h"

#include "EntityLocatorNodes.h"

#include <maya/MFnDependencyNode.h>

namespace
{
using Kind = KeyableAttribute::Kind;

constexpr KeyableAttribute kModifierAttributes[] = {
    {"Weight", "wgt", Kind::kDouble, 1.0, 0.0, 1.0},
    {"SimulationAccuracy", "sa", Kind::kDouble, 1.0, -1.0, 1.0, 0.0},
    {"NumNeighbours", "nn", Kind::kInt, 2.0, {}, {}, 0.0, 10.0},
    {"BoidSeparation", "bs", Kind::kDistance, 2.0, {}, {}, 0.0, 10.0},
    {"ObstacleSeparation", "os", Kind::kDistance, 2.0, {}, {}, 0.0, 10.0},
    {"MaximumSpeed", "ms", Kind::kDistance, 3.0, {}, {}, 0.0, 100.0},
    {"MaximumForce", "mf", Kind::kDistance, 10.0, {}, {}, 0.0, 100.0},
    {"BoidSeparationUrge", "bsu", Kind::kDouble, 1.0, -1.0, 1.0, 0.0},
    {"FlockCentringUrge", "fsu", Kind::kDouble, 1.0, -1.0, 1.0, 0.0},
    {"VelocityMatchingUrge", "vmu", Kind::kDouble, 1.0, -1.0, 1.0, 0.0},
};
} // namespace

ModifierCmd::ModifierCmd()
{
    entityTypeName = "modifier";
    supportsPosition = true;
    supportsCurve = false;
    supportsMesh = false;
    matrixChildIndex = 0;
    // Modifiers take no curves, so this child is named but never connected.
    curveChildIndex = 8;
    meshChildIndex = -1;
    volumeTypeChildIndex = 1;
    volumeDataChildIndex = 7;
    locatorTypeId = ModifierLocatorNode::id;
}

void* ModifierCmd::creator()
{
    return new ModifierCmd();
}

MStatus ModifierCmd::ConnectEntityCurve()
{
    return MS::kSuccess;
}

MStatus ModifierCmd::ConnectEntityMesh()
{
    return MS::kSuccess;
}

MStatus ModifierCmd::MakeEntityKeyable()
{
    MStatus status;
    MFnDependencyNode transformFn(entityPath.transform(), &status);
    if (!status)
        return status;
    return AddKeyableAttributes(transformFn, kModifierAttributes);
}
