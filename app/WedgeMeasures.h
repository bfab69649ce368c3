#pragma once
/// \file WedgeMeasures.h
/// What a wedge's flock did by its last frame, for the wedge table.

#include <maya/MVector.h>

#include <string>
#include <vector>

/// The positions and velocities of every particle of the scene, in order.
struct FlockState
{
    std::vector<MVector> positions;
    std::vector<MVector> velocities;
};
FlockState CurrentFlock();

/// How many of `positions` lie inside an obstacle of any field of the
/// scene, each counted once, by the shapes the solver itself avoids.
unsigned ParticlesInsideObstacles(const std::vector<MVector>& positions);

/// measures.json: particles, mean speed, spread (RMS distance from the
/// centre), the centre, the mean distance to each target locator's
/// transform, and the particles inside obstacles.
std::string MeasureFlock();
