#pragma once

#include "EntityCmd.h"

/// "QF_VX_obstacle": connects a transform's position, an obstacle locator or
/// a polygon mesh to the field's "obstacle" array.
class ObstacleCmd : public EntityCmd
{
public:
    ObstacleCmd();

    /// Obstacles take no curves; nothing to do.
    MStatus ConnectEntityCurve() override;
    /// Connects the mesh's world-space geometry and marks the element as a
    /// mesh volume. The mesh's transform is not connected: the world mesh
    /// already carries it.
    MStatus ConnectEntityMesh() override;
    /// Obstacles have no keyable attributes; nothing to do.
    MStatus MakeEntityKeyable() override;

    static void* creator();

    static constexpr const char* commandName = "QF_VX_obstacle";
};
