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

/// Grows every obstacle by margin and initialises it, ahead of AvoidObstacles
/// and PushTargetOutOfObstacles calls for particles whose obstacleSeparation
/// is exactly margin, so that those calls change nothing and may run on
/// several threads. The obstacles end as the first such call would leave
/// them. False (some obstacles perhaps grown already) when a shape cannot be
/// shared so: a tube, a mesh that cannot initialise, a shape of unknown kind.
bool PrepareObstacles(ObstacleData& obstacles, double margin);
