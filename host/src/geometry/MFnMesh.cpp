#include <maya/MFnMesh.h>

#include "EmbreeScene.h"
#include "MeshClosestPoint.h"
#include "MeshData.h"
#include "MeshGeometry.h"
#include "MeshTopology.h"

#include <vxhost/StdString.h>

#include <algorithm>
#include <cmath>
#include <new>
#include <string>
#include <vector>

using vxhost::EmbreeScene;
using vxhost::MeshData;
using vxhost::MeshGeometry;
using vxhost::MeshTopology;
using vxhost::Vec3d;

namespace
{
MStatus Invalid(const std::string& text)
{
    return MStatus(MStatus::kInvalidParameter, vxhost::ToMString(text));
}

MStatus NotAttached()
{
    return MStatus(MStatus::kInvalidParameter, "No mesh is attached to the function set");
}

MStatus OutOfMemory()
{
    return MStatus(MStatus::kInsufficientMemory, "Out of memory for the mesh");
}

void SetStatus(MStatus* ReturnStatus, const MStatus& status)
{
    if (ReturnStatus)
        *ReturnStatus = status;
}

// The one place where a query's space meets the stored coordinates. As in
// Maya, a function set on a data object rather than on a DAG path has no
// world space: world-space queries fail. (A shape's "worldMesh" data already
// holds world coordinates; its own space is the world.) Once a function set
// can be attached through a DAG path, that path's inclusive matrix belongs
// here: kWorld maps through it, kObject does not.
bool UsableSpace(MSpace::Space space)
{
    return space > MSpace::kInvalid && space < MSpace::kLast && space != MSpace::kWorld;
}

MStatus CheckSpace(MSpace::Space space)
{
    if (space == MSpace::kWorld)
        return Invalid("MFnMesh: world space needs a DAG path; this mesh is data");
    if (UsableSpace(space))
        return MStatus::kSuccess;
    return Invalid("Unknown space " + std::to_string(static_cast<int>(space)));
}

// Positions as stored: cartesian floats, with Embree's padding at the end.
template <typename Point> std::vector<float> PackPositions(const Point* points, int count)
{
    std::vector<float> packed = MeshGeometry::PositionBuffer(count);
    for (int i = 0; i < count; ++i)
    {
        const Point& p = points[i];
        const double w = (p.w != 0.0 && p.w != 1.0) ? static_cast<double>(p.w) : 1.0;
        packed[3 * static_cast<std::size_t>(i)] = static_cast<float>(p.x / w);
        packed[3 * static_cast<std::size_t>(i) + 1] = static_cast<float>(p.y / w);
        packed[3 * static_cast<std::size_t>(i) + 2] = static_cast<float>(p.z / w);
    }
    return packed;
}

// The mesh data object create and copy write into: parentOrOwner itself, or
// a new one when it is null.
MStatus ResolveOwner(const MObject& parentOrOwner, MObject& owner, MeshData*& data)
{
    if (parentOrOwner.isNull())
    {
        owner = MeshData::New();
        data = MeshData::From(owner);
        return MStatus::kSuccess;
    }
    data = MeshData::From(parentOrOwner);
    if (!data)
        return Invalid(std::string("parentOrOwner must be a mesh data object or null, not ") +
                       parentOrOwner.apiTypeStr());
    owner = parentOrOwner;
    return MStatus::kSuccess;
}

// The triangles a face-restricted ray may hit, ascending (the filter searches
// them by bisection).
MStatus AllowedTriangles(const MeshTopology& topology, const MIntArray& faceIds, const MIntArray* triIds,
                         std::vector<std::uint32_t>& allowed)
{
    allowed.clear();
    if (triIds && triIds->length() != faceIds.length())
        return Invalid("triIds has " + std::to_string(triIds->length()) + " entries but faceIds has " +
                       std::to_string(faceIds.length()) + ": they go in pairs");
    for (unsigned int i = 0; i < faceIds.length(); ++i)
    {
        const int face = faceIds[i];
        if (face < 0 || face >= topology.NumPolygons())
            return Invalid("faceIds[" + std::to_string(i) + "] is " + std::to_string(face) +
                           ", not a polygon index (the mesh has " + std::to_string(topology.NumPolygons()) +
                           " polygons)");
        const int first = topology.FaceFirstTriangle(face);
        const int count = topology.Counts()[static_cast<std::size_t>(face)] - 2;
        if (triIds)
        {
            const int triangle = (*triIds)[i];
            if (triangle < 0 || triangle >= count)
                return Invalid("triIds[" + std::to_string(i) + "] is " + std::to_string(triangle) +
                               " but polygon " + std::to_string(face) + " has " + std::to_string(count) +
                               " triangles");
            allowed.push_back(static_cast<std::uint32_t>(first + triangle));
        }
        else
        {
            for (int k = 0; k < count; ++k)
                allowed.push_back(static_cast<std::uint32_t>(first + k));
        }
    }
    if (!std::is_sorted(allowed.begin(), allowed.end()))
        std::sort(allowed.begin(), allowed.end());
    return MStatus::kSuccess;
}
} // namespace

MFnMesh::MFnMesh(const MObject& object, MStatus* ReturnStatus)
{
    SetStatus(ReturnStatus, setObject(object));
}

bool MFnMesh::Accepts(const MObject& object) const
{
    // A mesh shape node attaches too, as in Maya; its queries then report
    // that no mesh data is attached.
    return MeshData::From(object) != nullptr || object.hasFn(MFn::kMesh);
}

MStatus MFnMesh::setObject(const MObject& object)
{
    const MStatus status = MFnBase::setObject(object);
    fData = status ? MeshData::From(fObject) : nullptr;
    return status;
}

MObject MFnMesh::create(int numVertices, int numPolygons, const MFloatPointArray& vertexArray,
                        const MIntArray& polygonCounts, const MIntArray& polygonConnects,
                        MObject parentOrOwner, MStatus* ReturnStatus)
{
    try
    {
        if (numVertices < 0 || vertexArray.length() != static_cast<unsigned int>(numVertices))
        {
            SetStatus(ReturnStatus,
                      Invalid("numVertices is " + std::to_string(numVertices) + " but vertexArray has " +
                              std::to_string(vertexArray.length()) + " points"));
            return MObject::kNullObj;
        }
        if (numPolygons < 0 || polygonCounts.length() != static_cast<unsigned int>(numPolygons))
        {
            SetStatus(ReturnStatus,
                      Invalid("numPolygons is " + std::to_string(numPolygons) + " but polygonCounts has " +
                              std::to_string(polygonCounts.length()) + " entries"));
            return MObject::kNullObj;
        }
        std::shared_ptr<const MeshTopology> topology;
        MStatus status =
            MeshTopology::Create(numVertices, polygonCounts.data(), numPolygons, polygonConnects.data(),
                                 static_cast<int>(polygonConnects.length()), topology);
        MObject owner;
        MeshData* data = nullptr;
        if (status)
            status = ResolveOwner(parentOrOwner, owner, data);
        if (!status)
        {
            SetStatus(ReturnStatus, status);
            return MObject::kNullObj;
        }
        data->SetGeometry(std::make_shared<const MeshGeometry>(
            std::move(topology), PackPositions(vertexArray.data(), numVertices)));
        fObject = owner;
        fData = data;
        SetStatus(ReturnStatus, MStatus::kSuccess);
        return owner;
    }
    catch (const std::bad_alloc&)
    {
        SetStatus(ReturnStatus, OutOfMemory());
        return MObject::kNullObj;
    }
}

MObject MFnMesh::create(int numVertices, int numPolygons, const MPointArray& vertexArray,
                        const MIntArray& polygonCounts, const MIntArray& polygonConnects,
                        MObject parentOrOwner, MStatus* ReturnStatus)
{
    MFloatPointArray points;
    try
    {
        points.setLength(vertexArray.length());
    }
    catch (const std::bad_alloc&)
    {
        SetStatus(ReturnStatus, OutOfMemory());
        return MObject::kNullObj;
    }
    std::copy(vertexArray.begin(), vertexArray.end(), points.begin());
    return create(numVertices, numPolygons, points, polygonCounts, polygonConnects, std::move(parentOrOwner),
                  ReturnStatus);
}

MObject MFnMesh::copy(const MObject& source, MObject parentOrOwner, MStatus* ReturnStatus)
{
    const MeshData* sourceData = MeshData::From(source);
    if (!sourceData)
    {
        SetStatus(ReturnStatus,
                  Invalid(std::string("The source of a copy must be a mesh, not ") + source.apiTypeStr()));
        return MObject::kNullObj;
    }
    MObject owner;
    MeshData* data = nullptr;
    const MStatus status = ResolveOwner(parentOrOwner, owner, data);
    if (!status)
    {
        SetStatus(ReturnStatus, status);
        return MObject::kNullObj;
    }
    data->SetGeometry(sourceData->GeometryPtr());
    fObject = owner;
    fData = data;
    SetStatus(ReturnStatus, MStatus::kSuccess);
    return owner;
}

int MFnMesh::numVertices(MStatus* ReturnStatus) const
{
    SetStatus(ReturnStatus, fData ? MStatus(MStatus::kSuccess) : NotAttached());
    return fData ? fData->Geometry().NumVertices() : 0;
}

int MFnMesh::numPolygons(MStatus* ReturnStatus) const
{
    SetStatus(ReturnStatus, fData ? MStatus(MStatus::kSuccess) : NotAttached());
    return fData ? fData->Geometry().NumPolygons() : 0;
}

namespace
{
// Reads the positions into either point array type.
template <typename PointArray>
MStatus GetPointsOf(const MeshData* data, PointArray& vertexArray, MSpace::Space space)
{
    if (!data)
        return NotAttached();
    const MStatus status = CheckSpace(space);
    if (!status)
        return status;
    const MeshGeometry& geometry = data->Geometry();
    const float* p = geometry.Positions();
    vertexArray.setLength(static_cast<unsigned int>(geometry.NumVertices()));
    for (auto& point : vertexArray)
    {
        point = {p[0], p[1], p[2]};
        p += 3;
    }
    return MStatus::kSuccess;
}
} // namespace

MStatus MFnMesh::getPoints(MFloatPointArray& vertexArray, MSpace::Space space) const
{
    return GetPointsOf(fData, vertexArray, space);
}

MStatus MFnMesh::getPoints(MPointArray& vertexArray, MSpace::Space space) const
{
    return GetPointsOf(fData, vertexArray, space);
}

namespace
{
template <typename Array> MStatus SetPointsOf(MeshData* data, const Array& vertexArray, MSpace::Space space)
{
    if (!data)
        return NotAttached();
    const MStatus status = CheckSpace(space);
    if (!status)
        return status;
    const MeshGeometry& geometry = data->Geometry();
    if (vertexArray.length() != static_cast<unsigned int>(geometry.NumVertices()))
        return Invalid("setPoints was given " + std::to_string(vertexArray.length()) +
                       " points for a mesh of " + std::to_string(geometry.NumVertices()) + " vertices");
    try
    {
        // A new version: copies of this mesh keep the one they share.
        data->SetGeometry(std::make_shared<const MeshGeometry>(
            geometry.TopologyPtr(), PackPositions(vertexArray.data(), geometry.NumVertices())));
    }
    catch (const std::bad_alloc&)
    {
        return OutOfMemory();
    }
    return MStatus::kSuccess;
}
} // namespace

MStatus MFnMesh::setPoints(const MFloatPointArray& vertexArray, MSpace::Space space)
{
    return SetPointsOf(fData, vertexArray, space);
}

MStatus MFnMesh::setPoints(const MPointArray& vertexArray, MSpace::Space space)
{
    return SetPointsOf(fData, vertexArray, space);
}

MStatus MFnMesh::getVertices(MIntArray& vertexCount, MIntArray& vertexList) const
{
    if (!fData)
        return NotAttached();
    const MeshTopology& topology = fData->Geometry().Topology();
    vertexCount.setLength(static_cast<unsigned int>(topology.NumPolygons()));
    std::copy(topology.Counts().begin(), topology.Counts().end(), vertexCount.begin());
    vertexList.setLength(static_cast<unsigned int>(topology.Connects().size()));
    std::copy(topology.Connects().begin(), topology.Connects().end(), vertexList.begin());
    return MStatus::kSuccess;
}

MStatus MFnMesh::getTriangles(MIntArray& triangleCounts, MIntArray& triangleVertices) const
{
    if (!fData)
        return NotAttached();
    const MeshTopology& topology = fData->Geometry().Topology();
    triangleCounts.setLength(static_cast<unsigned int>(topology.NumPolygons()));
    for (int f = 0; f < topology.NumPolygons(); ++f)
        triangleCounts[static_cast<unsigned int>(f)] = topology.Counts()[static_cast<std::size_t>(f)] - 2;
    // The stored list ends with Embree's padding entry; leave it out.
    const unsigned int count = 3 * static_cast<unsigned int>(topology.NumTriangles());
    triangleVertices.setLength(count);
    std::copy_n(topology.TriangleVertices().begin(), count, triangleVertices.begin());
    return MStatus::kSuccess;
}

MStatus MFnMesh::getVertexNormals(bool angleWeighted, MFloatVectorArray& normals, MSpace::Space space) const
{
    if (!fData)
        return NotAttached();
    const MStatus status = CheckSpace(space);
    if (!status)
        return status;
    const MeshGeometry& geometry = fData->Geometry();
    const MeshTopology& topology = geometry.Topology();
    const float* positions = geometry.Positions();
    const auto point = [positions](int v)
    { return vxhost::Load(positions + 3 * static_cast<std::size_t>(v)); };

    std::vector<Vec3d> sums;
    try
    {
        sums.resize(static_cast<std::size_t>(geometry.NumVertices()));
    }
    catch (const std::bad_alloc&)
    {
        return OutOfMemory();
    }
    for (int f = 0; f < topology.NumPolygons(); ++f)
    {
        const int* v = topology.Connects().data() + topology.FaceStart(f);
        const int n = topology.Counts()[static_cast<std::size_t>(f)];
        // Newell's method: the sum over edges is twice the vector area, which
        // stays meaningful for non-planar polygons and is exact for planar ones.
        Vec3d normal;
        for (int i = 0; i < n; ++i)
        {
            const Vec3d a = point(v[i]);
            const Vec3d b = point(v[(i + 1) % n]);
            normal.x += (a.y - b.y) * (a.z + b.z);
            normal.y += (a.z - b.z) * (a.x + b.x);
            normal.z += (a.x - b.x) * (a.y + b.y);
        }
        const double length = std::sqrt(vxhost::Dot(normal, normal));
        if (!(length > 0.0))
            continue; // a degenerate polygon has no direction to contribute
        normal = normal * (1.0 / length);
        for (int i = 0; i < n; ++i)
        {
            double weight = 1.0;
            if (angleWeighted)
            {
                const Vec3d corner = point(v[i]);
                const Vec3d toPrev = point(v[(i + n - 1) % n]) - corner;
                const Vec3d toNext = point(v[(i + 1) % n]) - corner;
                const Vec3d c = vxhost::Cross(toPrev, toNext);
                weight = std::atan2(std::sqrt(vxhost::Dot(c, c)), vxhost::Dot(toPrev, toNext));
            }
            Vec3d& sum = sums[static_cast<std::size_t>(v[i])];
            sum = sum + normal * weight;
        }
    }

    normals.setLength(static_cast<unsigned int>(sums.size()));
    for (std::size_t i = 0; i < sums.size(); ++i)
    {
        const double length = std::sqrt(vxhost::Dot(sums[i], sums[i]));
        const Vec3d unit = length > 0.0 ? sums[i] * (1.0 / length) : Vec3d{};
        normals[static_cast<unsigned int>(i)] =
            MFloatVector(static_cast<float>(unit.x), static_cast<float>(unit.y), static_cast<float>(unit.z));
    }
    return MStatus::kSuccess;
}

MStatus MFnMesh::getClosestPoint(const MPoint& toThisPoint, MPoint& theClosestPoint, MSpace::Space space,
                                 int* closestPolygon, MMeshIsectAccelParams*) const
{
    if (!fData)
        return NotAttached();
    MStatus status = CheckSpace(space);
    if (!status)
        return status;
    const MeshGeometry& geometry = fData->Geometry();
    const EmbreeScene* scene = geometry.Scene(status);
    if (!scene)
        return status;

    MPoint p = toThisPoint;
    p.cartesianize();
    const double query[3] = {p.x, p.y, p.z};
    EmbreeScene::ClosestPoint closest;
    if (!scene->FindClosestPoint(query, closest))
        return Invalid("getClosestPoint was given a point that is not finite");
    theClosestPoint = MPoint(closest.point[0], closest.point[1], closest.point[2]);
    if (closestPolygon)
        *closestPolygon = geometry.Topology().TriangleFace(closest.triangle);
    return MStatus::kSuccess;
}

namespace
{
/// Where closestIntersection writes a hit; any pointer may be null.
struct HitOutputs
{
    MFloatPoint& point;
    float* param;
    int* face;
    int* triangle;
    float* bary1;
    float* bary2;
};

void WriteHit(const MeshTopology& topology, const float origin[3], const float direction[3],
              const EmbreeScene::RayHit& hit, const HitOutputs& out)
{
    out.point = MFloatPoint(origin[0] + hit.t * direction[0], origin[1] + hit.t * direction[1],
                            origin[2] + hit.t * direction[2]);
    if (out.param)
        *out.param = hit.t;
    if (out.face || out.triangle)
    {
        const int face = topology.TriangleFace(hit.triangle);
        if (out.face)
            *out.face = face;
        if (out.triangle)
            *out.triangle = static_cast<int>(hit.triangle) - topology.FaceFirstTriangle(face);
    }
    // Embree's u and v weigh the triangle's second and third vertex.
    if (out.bary1)
        *out.bary1 = 1.0f - hit.u - hit.v;
    if (out.bary2)
        *out.bary2 = hit.u;
}

// closestIntersection in full: every check, face restrictions, both
// directions, fetching the scene on first use. Kept out of line so that the
// fast path in closestIntersection stays a small function.
[[gnu::noinline]] bool GeneralIntersection(const MeshData* data, const MFloatPoint& raySource,
                                           const MFloatVector& rayDirection, const MIntArray* faceIds,
                                           const MIntArray* triIds, MSpace::Space space, float maxParam,
                                           bool testBothDirections, const HitOutputs& out,
                                           MStatus* ReturnStatus)
{
    const auto fail = [ReturnStatus](const MStatus& status)
    {
        SetStatus(ReturnStatus, status);
        return false;
    };
    if (!data)
        return fail(NotAttached());
    if (!UsableSpace(space))
        return fail(CheckSpace(space));
    const MeshGeometry& geometry = data->Geometry();
    MStatus status;
    const EmbreeScene* scene = geometry.Scene(status);
    if (!scene)
        return fail(status);
    if (rayDirection.x == 0.0f && rayDirection.y == 0.0f && rayDirection.z == 0.0f)
        return fail(Invalid("closestIntersection was given a zero rayDirection"));

    const std::uint32_t* allowed = nullptr;
    std::size_t allowedCount = 0;
    if (faceIds)
    {
        // Reused from query to query, so restricted queries do not allocate
        // once warmed up; one per thread, as queries may run in parallel.
        thread_local std::vector<std::uint32_t> allowedScratch;
        try
        {
            status = AllowedTriangles(geometry.Topology(), *faceIds, triIds, allowedScratch);
        }
        catch (const std::bad_alloc&)
        {
            status = OutOfMemory();
        }
        if (!status)
            return fail(status);
        allowed = allowedScratch.data();
        allowedCount = allowedScratch.size();
    }
    else if (triIds)
    {
        return fail(Invalid("closestIntersection was given triIds without faceIds"));
    }

    SetStatus(ReturnStatus, MStatus::kSuccess);
    if ((faceIds && allowedCount == 0) || !(maxParam > 0.0f))
        return false; // nothing may be hit

    float origin[3] = {raySource.x, raySource.y, raySource.z};
    if (raySource.w != 1.0f && raySource.w != 0.0f)
        for (float& c : origin)
            c /= raySource.w;
    const float forward[3] = {rayDirection.x, rayDirection.y, rayDirection.z};
    EmbreeScene::RayHit hit;
    bool found = scene->Intersect(origin, forward, maxParam, allowed, allowedCount, hit);
    if (testBothDirections)
    {
        const float backward[3] = {-forward[0], -forward[1], -forward[2]};
        // A hit behind the source wins only when strictly nearer.
        const float backMax = found ? std::nextafter(hit.t, 0.0f) : maxParam;
        EmbreeScene::RayHit behind;
        if (scene->Intersect(origin, backward, backMax, allowed, allowedCount, behind))
        {
            hit = behind;
            hit.t = -behind.t;
            found = true;
        }
    }
    if (found)
        WriteHit(geometry.Topology(), origin, forward, hit, out);
    return found;
}
} // namespace

bool MFnMesh::closestIntersection(const MFloatPoint& raySource, const MFloatVector& rayDirection,
                                  const MIntArray* faceIds, const MIntArray* triIds, bool,
                                  MSpace::Space space, float maxParam, bool testBothDirections,
                                  MMeshIsectAccelParams*, MFloatPoint& hitPoint, float* hitRayParam,
                                  int* hitFace, int* hitTriangle, float* hitBary1, float* hitBary2, float,
                                  MStatus* ReturnStatus) const
{
    // The query the plug-in makes per particle (whole mesh, one direction,
    // scene already fetched, nothing invalid) goes straight to Embree, so
    // that its cost per ray is Embree's; anything else takes the general
    // path, which repeats these checks and says what failed.
    const EmbreeScene* scene = fData ? fData->Geometry().CachedScene() : nullptr;
    if (scene && !faceIds && !triIds && !testBothDirections && UsableSpace(space) && maxParam > 0.0f &&
        raySource.w == 1.0f && (rayDirection.x != 0.0f || rayDirection.y != 0.0f || rayDirection.z != 0.0f))
    {
        if (ReturnStatus)
            ReturnStatus->clear();
        const float origin[3] = {raySource.x, raySource.y, raySource.z};
        const float direction[3] = {rayDirection.x, rayDirection.y, rayDirection.z};
        EmbreeScene::RayHit hit;
        if (!scene->Intersect(origin, direction, maxParam, nullptr, 0, hit))
            return false;
        WriteHit(fData->Geometry().Topology(), origin, direction, hit,
                 {hitPoint, hitRayParam, hitFace, hitTriangle, hitBary1, hitBary2});
        return true;
    }
    return GeneralIntersection(
        fData, raySource, rayDirection, faceIds, triIds, space, maxParam, testBothDirections,
        {hitPoint, hitRayParam, hitFace, hitTriangle, hitBary1, hitBary2}, ReturnStatus);
}

MMeshIsectAccelParams MFnMesh::autoUniformGridParams()
{
    return MMeshIsectAccelParams::Auto();
}

MMeshIsectAccelParams MFnMesh::uniformGridParams(int xDivisions, int yDivisions, int zDivisions)
{
    return MMeshIsectAccelParams::UniformGrid(xDivisions, yDivisions, zDivisions);
}
