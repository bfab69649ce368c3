#pragma once

#include <maya/MVector.h>

/// A force produced by one behaviour, with the rules for merging it into a
/// running total. Boid and target forces carry priority 0, the obstacle
/// force 100.
struct SteeringForce
{
    MVector vector;      ///< the force, internal units (cm/s^2 per unit mass)
    int priority = 0;    ///< the higher priority wins when forces are merged
    int combineMode = 0; ///< how this force merges when it is added: 0 blend, 2 replace
};

/// Adds f into acc. Equal priorities add. Otherwise acc takes the higher
/// priority and, by f's combine mode, the higher force plus half the lower
/// (mode 0), the higher force alone (mode 2), or keeps its own vector (any
/// other mode). acc.combineMode never changes.
void Accumulate(SteeringForce& acc, const SteeringForce& f);
