#pragma once

#include "ObstacleData.h"
#include "ParticleParameters.h"
#include "SteeringForce.h"

#include <maya/MPoint.h>
#include <maya/MVector.h>

/// The avoidance force of a particle at p moving with v: for every obstacle
/// within about five times its size, a push out from the centre when the
/// particle is inside (falloff x maximumForce), or along the normal where its
/// path would hit (strongest head-on). Every shape is grown by the particle's
/// obstacleSeparation first. Always priority 100, combine mode 0; a particle
/// at rest gets nothing.
SteeringForce AvoidObstacles(ObstacleData& obstacles, const MPoint& p, const MVector& v,
                             const ParticleParameters& params);
