#include "EmbreeSceneCache.h"

#include <vxhost/EmbreeSceneStats.h>

#include <cstring>

namespace vxhost
{

bool EmbreeSceneCache::Entry::Matches(std::uint64_t h, const std::vector<float>& p,
                                      const MeshTopology& t) const
{
    if (h != hash || !t.SameTriangles(*topology))
        return false;
    if (&p == positions.get())
        return true;
    const std::size_t words = 3 * static_cast<std::size_t>(t.NumVertices());
    return p.size() > words && positions->size() > words &&
           std::memcmp(p.data(), positions->data(), words * sizeof(float)) == 0;
}

EmbreeSceneCache& EmbreeSceneCache::Instance()
{
    // Never destroyed, like the Embree device its scenes belong to: mesh
    // data in other static objects may still hold scenes at exit.
    static EmbreeSceneCache* const cache = new EmbreeSceneCache();
    return *cache;
}

std::shared_ptr<const EmbreeScene>
EmbreeSceneCache::Acquire(const std::shared_ptr<const std::vector<float>>& positions,
                          const std::shared_ptr<const MeshTopology>& topology, std::uint64_t hash,
                          MStatus& status)
{
    std::shared_ptr<Entry> entry;
    {
        std::lock_guard<std::mutex> lock(fMutex);
        for (auto it = fEntries.begin(); it != fEntries.end(); ++it)
        {
            if ((*it)->Matches(hash, *positions, *topology))
            {
                fEntries.splice(fEntries.begin(), fEntries, it);
                entry = *it;
                break;
            }
        }
        if (!entry)
        {
            entry = std::make_shared<Entry>();
            entry->hash = hash;
            entry->positions = positions;
            entry->topology = topology;
            fEntries.push_front(entry);
            fTriangles += static_cast<std::size_t>(topology->NumTriangles());
            EvictLocked();
        }
    }

    // Built outside the lock, so lookups of other content go on meanwhile;
    // callers of the same content wait here for the one build.
    std::call_once(entry->built, [&]
                   { entry->scene = EmbreeScene::Build(entry->positions, entry->topology, entry->status); });
    if (!entry->scene)
    {
        status = entry->status;
        // Leave no failed entry behind: a later query may try again.
        std::lock_guard<std::mutex> lock(fMutex);
        RemoveLocked(entry);
        return nullptr;
    }
    return entry->scene;
}

std::size_t EmbreeSceneCache::Size() const
{
    std::lock_guard<std::mutex> lock(fMutex);
    return fEntries.size();
}

void EmbreeSceneCache::EvictLocked()
{
    while (fEntries.size() > kMaxEntries || (fTriangles > kMaxTriangles && fEntries.size() > 1))
    {
        fTriangles -= static_cast<std::size_t>(fEntries.back()->topology->NumTriangles());
        fEntries.pop_back();
    }
}

void EmbreeSceneCache::RemoveLocked(const std::shared_ptr<Entry>& entry)
{
    for (auto it = fEntries.begin(); it != fEntries.end(); ++it)
    {
        if (*it == entry)
        {
            fTriangles -= static_cast<std::size_t>(entry->topology->NumTriangles());
            fEntries.erase(it);
            return;
        }
    }
}

std::size_t EmbreeSceneCacheSize()
{
    return EmbreeSceneCache::Instance().Size();
}

} // namespace vxhost
