#pragma once

#include "ArrayView.h"
#include "KDTree.h"
#include "NeighbourList.h"
#include "ParticleParameters.h"
#include "SteeringForce.h"

#include <maya/MPoint.h>
#include <maya/MVectorArray.h>

#include <cstddef>
#include <cstdint>

/// The flocking force of particle i from its k = numberOfNeighbours nearest
/// neighbours: separation from those closer than boidSeparation, flock
/// centring and velocity matching, weighted by their urges and limited by
/// maximumForce. Priority 0, combine mode 0.
///
/// Neighbours come from tree when it is built, where i is the particle at
/// rank in its leaf order, otherwise from a brute-force scan over candidates
/// (ascending particle indices). velocities must be at least as long as
/// positions. leafVelocities, when not empty, holds the same velocities in
/// the tree's leaf order, where a particle's neighbours lie close by.
/// neighbours is the caller's reusable working list; it holds the neighbours
/// found on return.
SteeringForce BoidForce(std::int32_t i, std::size_t rank, const MPoint& p, const MVectorArray& positions,
                        const MVectorArray& velocities, const ParticleParameters& params, const KDTree& tree,
                        ArrayView<std::int32_t> candidates, NeighbourList& neighbours,
                        ArrayView<MVector> leafVelocities = {});

/// The brute-force neighbour search: every candidate but i, keeping the k
/// nearest (signed count: a negative k finds none).
void FindNeighboursBruteForce(std::int32_t i, const MPoint& p, const MVectorArray& positions, int k,
                              ArrayView<std::int32_t> candidates, NeighbourList& out);
