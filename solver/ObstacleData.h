#pragma once

#include "EntityData.h"
#include "EntityTypes.h"

/// The obstacles of one evaluation: volumes and meshes the particles avoid.
/// Adds nothing to the common record.
class ObstacleData : public EntityData
{
};
