#pragma once

#include "EntityCmd.h"

/// "QF_VX_target": connects a transform's position, a target locator or a
/// NURBS curve (a path to follow) to the field's "target" array.
class TargetCmd : public EntityCmd
{
public:
    TargetCmd();

    /// Connects the curve's world-space geometry, switches the element to
    /// path following, and wires a target locator under the curve's
    /// transform, if there is one, to the curve.
    MStatus ConnectEntityCurve() override;
    /// Targets take no meshes; nothing to do.
    MStatus ConnectEntityMesh() override;
    /// Adds the steering attributes to the entity's transform, copies the
    /// element's current values into them and connects them to the element.
    MStatus MakeEntityKeyable() override;

    static void* creator();

    static constexpr const char* commandName = "QF_VX_target";
};
