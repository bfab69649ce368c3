#pragma once
/// \file EmbreeSceneStats.h
/// Counters of the host's mesh query structures, for tests and diagnostics.
/// Host code only.

#include <cstddef>
#include <cstdint>

namespace vxhost
{
/// Embree scenes built since the process started. A mesh whose content (points
/// and triangles) matches one already built reuses that scene, so a test can
/// check that a query did not trigger a build by comparing this before and
/// after.
std::uint64_t EmbreeSceneBuildCount();

/// Scenes the process-wide cache currently keeps for reuse.
std::size_t EmbreeSceneCacheSize();
} // namespace vxhost
