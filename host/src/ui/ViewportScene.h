#pragma once
/// \file ViewportScene.h
/// What the renderer reads from the scene besides the recorded drawables.

#include <maya/MVectorArray.h>

#include <vector>

namespace vxhost
{
/// A particle system's current state, read in place (valid until the
/// scene changes).
struct ParticleCloud
{
    const MVectorArray* positions = nullptr;
    const MVectorArray* velocities = nullptr; ///< may be shorter, or null
};

/// Every visible particle shape with particles.
std::vector<ParticleCloud> VisibleParticles();
} // namespace vxhost
