#pragma once

#include "ModifierData.h"
#include "ParticleParameters.h"

#include <maya/MPoint.h>

/// Changes the parameters of a particle at p by every modifier whose volume
/// contains it, in index order, each working on the result of the ones before:
/// "Override" blends from the particle's value towards the modifier's by the
/// effective weight (the modifier's weight, times the volume's falloff with
/// "Linear Falloff"), "Additive" adds the weighted value; any other method
/// sets 0. No parameter becomes negative; the neighbour count is truncated.
void ApplyModifiers(ModifierData& modifiers, const MPoint& p, ParticleParameters& params);

/// Initialises the modifiers' volumes so that ApplyModifiers changes nothing
/// and may run on several threads. False when a volume is of a shape whose
/// queries keep state (a tube, a mesh) or of unknown kind.
bool PrepareModifiers(ModifierData& modifiers);
