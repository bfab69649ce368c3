#pragma once

#include "EntityCmd.h"

/// "QF_VX_modifier": connects a transform's position or a modifier locator
/// to the field's "modifier" array.
class ModifierCmd : public EntityCmd
{
public:
    ModifierCmd();

    /// Modifiers take no curves; nothing to do.
    MStatus ConnectEntityCurve() override;
    /// Modifiers take no meshes; nothing to do.
    MStatus ConnectEntityMesh() override;
    /// Adds the modifier attributes to the entity's transform. They are
    /// neither filled from nor connected to the field.
    MStatus MakeEntityKeyable() override;

    static void* creator();

    static constexpr const char* commandName = "QF_VX_modifier";
};
