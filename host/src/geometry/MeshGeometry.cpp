#include "MeshGeometry.h"

#include "EmbreeScene.h"
#include "EmbreeSceneCache.h"

#include <new>

namespace vxhost
{

MeshGeometry::MeshGeometry(std::shared_ptr<const MeshTopology> topology, std::vector<float> positions)
    : fTopology(std::move(topology))
{
    // The padding float is not content: leave it out of the hash.
    const std::size_t words = 3 * static_cast<std::size_t>(fTopology->NumVertices());
    static_assert(sizeof(float) == sizeof(std::uint32_t));
    fHash = CombineHashes(fTopology->Hash(),
                          HashWords(reinterpret_cast<const std::uint32_t*>(positions.data()), words, 0));
    fPositions = std::make_shared<const std::vector<float>>(std::move(positions));
}

MeshGeometry::~MeshGeometry() = default;

const std::shared_ptr<const MeshGeometry>& MeshGeometry::Empty()
{
    static const std::shared_ptr<const MeshGeometry> empty =
        std::make_shared<const MeshGeometry>(MeshTopology::Empty(), PositionBuffer(0));
    return empty;
}

const EmbreeScene* MeshGeometry::AcquireScene(MStatus& status) const
{
    if (NumTriangles() == 0)
    {
        status = MStatus(MStatus::kFailure, "The mesh has no faces to query");
        return nullptr;
    }
    std::lock_guard<std::mutex> lock(fSceneMutex);
    if (!fScene)
    {
        try
        {
            fScene = EmbreeSceneCache::Instance().Acquire(fPositions, fTopology, fHash, status);
        }
        catch (const std::bad_alloc&)
        {
            status =
                MStatus(MStatus::kInsufficientMemory, "Out of memory building the mesh's query structure");
        }
        if (!fScene)
            return nullptr;
        fSceneView.store(fScene.get(), std::memory_order_release);
    }
    return fScene.get();
}

} // namespace vxhost
