#include "MeshTopology.h"

#include <vxhost/StdString.h>

#include <cstring>
#include <string>

namespace vxhost
{

namespace
{
constexpr std::uint64_t kPrime1 = 0x9E3779B185EBCA87ull;
constexpr std::uint64_t kPrime2 = 0xC2B2AE3D27D4EB4Full;

std::uint64_t Rotl(std::uint64_t x, int r)
{
    return (x << r) | (x >> (64 - r));
}

// Final avalanche, so that nearby inputs land far apart.
std::uint64_t Mix(std::uint64_t h)
{
    h ^= h >> 33;
    h *= kPrime2;
    h ^= h >> 29;
    h *= kPrime1;
    h ^= h >> 32;
    return h;
}

MStatus Invalid(const std::string& text)
{
    return MStatus(MStatus::kInvalidParameter, ToMString(text));
}

std::string Str(long long value)
{
    return std::to_string(value);
}
} // namespace

std::uint64_t HashWords(const std::uint32_t* words, std::size_t count, std::uint64_t seed)
{
    // Two words per round, in the style of xxHash's round function.
    std::uint64_t h = seed ^ (count * kPrime1);
    std::size_t i = 0;
    for (; i + 2 <= count; i += 2)
    {
        const std::uint64_t w =
            static_cast<std::uint64_t>(words[i]) | (static_cast<std::uint64_t>(words[i + 1]) << 32);
        h = Rotl(h ^ (w * kPrime2), 31) * kPrime1;
    }
    if (i < count)
        h = Rotl(h ^ (words[i] * kPrime2), 31) * kPrime1;
    return Mix(h);
}

std::uint64_t CombineHashes(std::uint64_t a, std::uint64_t b)
{
    return Mix(a ^ Rotl(b * kPrime1, 27));
}

MStatus MeshTopology::Create(int numVertices, const int* polygonCounts, int numPolygons,
                             const int* polygonConnects, int numConnects,
                             std::shared_ptr<const MeshTopology>& out)
{
    if (numVertices < 0)
        return Invalid("numVertices is negative (" + Str(numVertices) + ")");
    if (numPolygons < 0)
        return Invalid("numPolygons is negative (" + Str(numPolygons) + ")");

    std::shared_ptr<MeshTopology> topology(new MeshTopology());
    topology->fNumVertices = numVertices;
    topology->fCounts.assign(polygonCounts, polygonCounts + numPolygons);
    topology->fFaceStart.resize(static_cast<std::size_t>(numPolygons) + 1);

    long long total = 0;
    for (int f = 0; f < numPolygons; ++f)
    {
        if (polygonCounts[f] < 3)
            return Invalid("polygonCounts[" + Str(f) + "] is " + Str(polygonCounts[f]) +
                           ": a polygon needs at least 3 vertices");
        total += polygonCounts[f];
    }
    if (total != numConnects)
        return Invalid("polygonCounts add up to " + Str(total) + " vertices but polygonConnects has " +
                       Str(numConnects));
    int start = 0;
    for (int f = 0; f < numPolygons; ++f)
    {
        topology->fFaceStart[static_cast<std::size_t>(f)] = start;
        start += polygonCounts[f];
    }
    topology->fFaceStart[static_cast<std::size_t>(numPolygons)] = numConnects;

    for (int c = 0; c < numConnects; ++c)
        if (polygonConnects[c] < 0 || polygonConnects[c] >= numVertices)
            return Invalid("polygonConnects[" + Str(c) + "] is " + Str(polygonConnects[c]) +
                           ", not a vertex index (the mesh has " + Str(numVertices) + " vertices)");
    topology->fConnects.assign(polygonConnects, polygonConnects + numConnects);

    // Fan triangulation from each polygon's first vertex: exact for convex
    // polygons, which is what mesh modellers and OBJ files deliver.
    const std::size_t numTriangles =
        static_cast<std::size_t>(numConnects) - 2 * static_cast<std::size_t>(numPolygons);
    topology->fTriangles.reserve(3 * numTriangles + 1);
    topology->fTriangleFace.reserve(numTriangles);
    for (int f = 0; f < numPolygons; ++f)
    {
        const int* v = polygonConnects + topology->fFaceStart[static_cast<std::size_t>(f)];
        for (int k = 1; k + 1 < polygonCounts[f]; ++k)
        {
            topology->fTriangles.push_back(static_cast<std::uint32_t>(v[0]));
            topology->fTriangles.push_back(static_cast<std::uint32_t>(v[k]));
            topology->fTriangles.push_back(static_cast<std::uint32_t>(v[k + 1]));
            topology->fTriangleFace.push_back(f);
        }
    }
    const std::uint32_t vertexCount = static_cast<std::uint32_t>(numVertices);
    topology->fHash = HashWords(topology->fTriangles.data(), topology->fTriangles.size(), vertexCount);
    topology->fTriangles.push_back(0);

    out = std::move(topology);
    return MStatus::kSuccess;
}

const std::shared_ptr<const MeshTopology>& MeshTopology::Empty()
{
    static const std::shared_ptr<const MeshTopology> empty = []
    {
        std::shared_ptr<const MeshTopology> t;
        Create(0, nullptr, 0, nullptr, 0, t);
        return t;
    }();
    return empty;
}

bool MeshTopology::SameTriangles(const MeshTopology& other) const
{
    if (this == &other)
        return true;
    return fNumVertices == other.fNumVertices && fTriangles.size() == other.fTriangles.size() &&
           std::memcmp(fTriangles.data(), other.fTriangles.data(),
                       fTriangles.size() * sizeof(std::uint32_t)) == 0;
}

} // namespace vxhost
