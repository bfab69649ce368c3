#pragma once

#include <maya/MPoint.h>

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

/// Follows a sample of the scene's particles through a run, for the summary
/// picture: the path of every sampled particle, one point per recorded
/// frame.
///
/// The sample is fixed by particle id, so a particle keeps its trail while
/// others are born or die around it: on the first recorded frame with
/// particles, a stride is chosen that samples about `wanted` of them, and
/// every particle whose id is a multiple of it is followed, the ones
/// emitted later included.
class TrailRecorder
{
public:
    explicit TrailRecorder(unsigned wanted = 200) : fWanted(wanted) {}

    /// Adds the current position of every sampled particle of every
    /// particle shape.
    void Record();

    /// The trails, each in frame order; particles seen in one frame only
    /// make no trail.
    std::vector<std::vector<MPoint>> Trails() const;

private:
    unsigned fWanted;
    std::uint64_t fStride = 0; // 0 until the first frame with particles
    // Keyed by particle shape and id.
    std::map<std::pair<std::string, std::int64_t>, std::vector<MPoint>> fTrails;
};
