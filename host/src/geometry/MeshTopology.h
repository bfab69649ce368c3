#pragma once
/// \file MeshTopology.h
/// The polygons of a mesh and their fan triangulation.

#include <maya/MStatus.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace vxhost
{

/// Polygons (counts + connects) and the triangles the queries run on. Never
/// changed once built: every version of a mesh whose points move but whose
/// faces stay shares one topology.
class MeshTopology
{
public:
    /// Checks the polygon description and builds the topology into `out`.
    /// Fails with kInvalidParameter, naming the offending entry, when a
    /// count is below 3, the counts do not add up to the number of connects,
    /// or a connect is not an index in [0, numVertices).
    static MStatus Create(int numVertices, const int* polygonCounts, int numPolygons,
                          const int* polygonConnects, int numConnects,
                          std::shared_ptr<const MeshTopology>& out);

    /// The topology of a mesh with no vertices and no faces.
    static const std::shared_ptr<const MeshTopology>& Empty();

    int NumVertices() const { return fNumVertices; }
    int NumPolygons() const { return static_cast<int>(fCounts.size()); }
    int NumTriangles() const { return static_cast<int>(fTriangleFace.size()); }

    const std::vector<int>& Counts() const { return fCounts; }
    const std::vector<int>& Connects() const { return fConnects; }
    /// Index into Connects() of the first vertex of `face`.
    int FaceStart(int face) const { return fFaceStart[static_cast<std::size_t>(face)]; }

    /// Three vertex indices per triangle, followed by one unused entry: Embree
    /// reads buffers with 16-byte loads, so the last triangle must not end
    /// the allocation.
    const std::vector<std::uint32_t>& TriangleVertices() const { return fTriangles; }
    /// The polygon a triangle was cut from.
    int TriangleFace(std::uint32_t triangle) const { return fTriangleFace[triangle]; }
    /// The first triangle of `face`. A fan over n vertices gives n - 2
    /// triangles, so the faces before it contributed FaceStart - 2 * face.
    int FaceFirstTriangle(int face) const { return FaceStart(face) - 2 * face; }

    /// Hash of the vertex count and the triangles: the part of a mesh's
    /// content hash that only changes with its faces.
    std::uint64_t Hash() const { return fHash; }

    /// Same vertex count and triangles, bit for bit.
    bool SameTriangles(const MeshTopology& other) const;

private:
    MeshTopology() = default;

    int fNumVertices = 0;
    std::vector<int> fCounts;
    std::vector<int> fConnects;
    std::vector<int> fFaceStart;
    std::vector<std::uint32_t> fTriangles;
    std::vector<int> fTriangleFace;
    std::uint64_t fHash = 0;
};

/// Running 64-bit hash over 32-bit words (floats by their bits, indices).
/// Not cryptographic: a hit in the scene cache is confirmed by comparing the
/// content itself, so this only has to spread values well and be fast.
std::uint64_t HashWords(const std::uint32_t* words, std::size_t count, std::uint64_t seed);

/// Combines two hashes into one (order matters).
std::uint64_t CombineHashes(std::uint64_t a, std::uint64_t b);

} // namespace vxhost
