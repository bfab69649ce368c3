#pragma once

#include "EntityData.h"
#include "EntityTypes.h"

/// The targets of one evaluation: where particles seek, flee, wander or
/// follow a curve, with their per-target settings.
class TargetData : public EntityData
{
public:
    void Clear() override;

    MIntArray steeringTypes;       ///< SteeringType
    MDoubleArray arrivalDistances; ///< cm
    MIntArray curveDirLimits;      ///< 0 or 1
    MIntArray useCurveVolumes;     ///< 0 or 1
    MIntArray wanderModes;         ///< WanderMode
    MIntArray containments;        ///< 0 or 1; always 0 for a matrix target
    MDoubleArray containmentSeparationMins;
    MIntArray reverseCurveDirections; ///< 0 or 1
    MPointArray wanderParameters;     ///< (strength, rate, attraction, 1)
};
