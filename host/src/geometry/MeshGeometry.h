#pragma once
/// \file MeshGeometry.h
/// One immutable version of a mesh: vertex positions over a shared topology.

#include "MeshTopology.h"

#include <maya/MStatus.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace vxhost
{

class EmbreeScene;

/// The positions and polygons of a mesh at one moment. Mesh data objects hold
/// it through a shared_ptr<const MeshGeometry>, so copying a mesh is a
/// pointer copy and changing points makes a new version (copy-on-write).
///
/// Each version carries a content hash, computed once at construction, and
/// finds its Embree scene in the process-wide cache the first time it is
/// queried; later queries reach the scene through one atomic load.
class MeshGeometry
{
public:
    /// `positions` holds x, y, z for each of topology->NumVertices()
    /// vertices, followed by one padding float (Embree reads vertices with
    /// 16-byte loads). PositionBuffer makes one of the right size.
    MeshGeometry(std::shared_ptr<const MeshTopology> topology, std::vector<float> positions);
    MeshGeometry(const MeshGeometry&) = delete;
    MeshGeometry& operator=(const MeshGeometry&) = delete;
    ~MeshGeometry();

    /// A mesh with no vertices and no faces (what a new mesh data object holds).
    static const std::shared_ptr<const MeshGeometry>& Empty();

    /// An empty position buffer for `numVertices` vertices, padding included.
    static std::vector<float> PositionBuffer(int numVertices)
    {
        return std::vector<float>(3 * static_cast<std::size_t>(numVertices) + 1, 0.0f);
    }

    const MeshTopology& Topology() const { return *fTopology; }
    const std::shared_ptr<const MeshTopology>& TopologyPtr() const { return fTopology; }
    int NumVertices() const { return fTopology->NumVertices(); }
    int NumPolygons() const { return fTopology->NumPolygons(); }
    int NumTriangles() const { return fTopology->NumTriangles(); }

    /// x, y, z of vertex i at Positions()[3 * i].
    const float* Positions() const { return fPositions->data(); }
    const std::shared_ptr<const std::vector<float>>& PositionsPtr() const { return fPositions; }

    /// Hash of the positions' bits and of the triangles.
    std::uint64_t ContentHash() const { return fHash; }

    /// The committed Embree scene for this content, shared with every other
    /// version of equal content. Null (with `status` saying why) when the
    /// mesh has no triangles or the build failed. Safe from several threads.
    const EmbreeScene* Scene(MStatus& status) const
    {
        if (const EmbreeScene* scene = CachedScene())
            return scene;
        return AcquireScene(status);
    }
    /// The scene if this version has fetched it already, else null: the
    /// queries' fast path, which needs no status.
    const EmbreeScene* CachedScene() const { return fSceneView.load(std::memory_order_acquire); }

private:
    const EmbreeScene* AcquireScene(MStatus& status) const;

    std::shared_ptr<const MeshTopology> fTopology;
    std::shared_ptr<const std::vector<float>> fPositions;
    std::uint64_t fHash = 0;

    // The scene is fetched lazily: most versions made by setPoints are
    // queried, but an intermediate one may never be. fScene keeps the scene
    // alive for as long as this version lives, even once the cache has
    // dropped it; fSceneView is the lock-free view queries read.
    mutable std::mutex fSceneMutex;
    mutable std::shared_ptr<const EmbreeScene> fScene;
    mutable std::atomic<const EmbreeScene*> fSceneView{nullptr};
};

} // namespace vxhost
