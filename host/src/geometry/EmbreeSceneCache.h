#pragma once
/// \file EmbreeSceneCache.h
/// The process-wide cache of Embree scenes, keyed by mesh content.

#include "EmbreeScene.h"
#include "MeshTopology.h"

#include <maya/MStatus.h>

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <vector>

namespace vxhost
{

/// Finds or builds the scene for a mesh content. The plug-in copies a mesh
/// and rewrites its points at every evaluation, so a cache keyed by object
/// would rebuild every time; keyed by content, an evaluation that produces
/// the same points as the last one finds its scene here.
///
/// A lookup matches the 64-bit content hash first and then compares the
/// positions and triangles themselves: a lookup happens once per mesh
/// version, and a comparison at memory speed costs far less than the build
/// it saves, so a hash collision can never hand out the wrong scene.
///
/// Bounded, least recently used first out: at most kMaxEntries scenes and
/// kMaxTriangles triangles in total (the newest entry always stays, however
/// large). An evicted scene lives on for as long as some mesh version still
/// holds it. Thread-safe; two threads asking for the same new content wait
/// for one build.
class EmbreeSceneCache
{
public:
    static constexpr std::size_t kMaxEntries = 32;
    static constexpr std::size_t kMaxTriangles = 4'000'000;

    /// The process-wide cache, created on first use.
    static EmbreeSceneCache& Instance();

    /// The scene for these positions and triangles (`hash` is their content
    /// hash); null with `status` set when it cannot be built.
    std::shared_ptr<const EmbreeScene> Acquire(const std::shared_ptr<const std::vector<float>>& positions,
                                               const std::shared_ptr<const MeshTopology>& topology,
                                               std::uint64_t hash, MStatus& status);

    /// Scenes kept at present.
    std::size_t Size() const;

private:
    struct Entry
    {
        std::uint64_t hash = 0;
        std::shared_ptr<const std::vector<float>> positions;
        std::shared_ptr<const MeshTopology> topology;
        std::once_flag built;
        std::shared_ptr<const EmbreeScene> scene;
        MStatus status;

        bool Matches(std::uint64_t h, const std::vector<float>& p, const MeshTopology& t) const;
    };

    void EvictLocked();
    void RemoveLocked(const std::shared_ptr<Entry>& entry);

    mutable std::mutex fMutex;
    std::list<std::shared_ptr<Entry>> fEntries; // most recently used first
    std::size_t fTriangles = 0;
};

} // namespace vxhost
