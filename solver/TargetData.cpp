#include "TargetData.h"

void TargetData::Clear()
{
    EntityData::Clear();
    steeringTypes.clear();
    arrivalDistances.clear();
    curveDirLimits.clear();
    wanderParameters.clear();
    useCurveVolumes.clear();
    wanderModes.clear();
    containments.clear();
    containmentSeparationMins.clear();
    reverseCurveDirections.clear();
}
