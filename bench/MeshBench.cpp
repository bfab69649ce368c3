// MFnMesh::closestIntersection and MFnMesh::getClosestPoint on sphere meshes
// of 10k and 100k triangles, each beside the raw Embree call
// (rtcIntersect1, rtcPointQuery) on a scene built here from the same
// triangles with the same flags. One query per iteration, cycling through a
// fixed set of random rays or points, so time per iteration is time per query.
// Also the plug-in's per-evaluation pattern (copy, grow, query) with the
// grown content cached and with a new build every time.
#include "EmbreeScene.h"
#include "MeshClosestPoint.h"

#include <maya/MFloatVectorArray.h>
#include <maya/MFnMesh.h>
#include <vxhost/MeshBuilders.h>

#include <benchmark/benchmark.h>
#include <embree3/rtcore.h>

#include <cmath>
#include <limits>
#include <map>
#include <random>
#include <vector>

namespace
{
constexpr std::size_t kQueries = 4096; // a power of two: cycling is a mask

/// A unit sphere of about n triangles: 2 * axis * (height - 1) of them.
struct Sphere
{
    MObject mesh;
    std::vector<float> positions; // padded for Embree's 16-byte loads
    std::vector<unsigned int> triangles;
    RTCScene rawScene = nullptr;
};

RTCDevice RawDevice()
{
    static const RTCDevice device = rtcNewDevice(nullptr);
    return device;
}

const Sphere& SharedSphere(long triangles)
{
    static std::map<long, Sphere> spheres;
    auto it = spheres.find(triangles);
    if (it != spheres.end())
        return it->second;

    Sphere& sphere = spheres[triangles];
    sphere.mesh =
        triangles == 10'000 ? vxhost::MakeSphereMesh(1, 100, 51) : vxhost::MakeSphereMesh(1, 400, 126);
    MFnMesh fn(sphere.mesh);
    MFloatPointArray points;
    fn.getPoints(points);
    for (const MFloatPoint& p : points)
        sphere.positions.insert(sphere.positions.end(), {p.x, p.y, p.z});
    sphere.positions.push_back(0.0f);
    MIntArray counts, vertices;
    fn.getTriangles(counts, vertices);
    sphere.triangles.assign(vertices.begin(), vertices.end());
    sphere.triangles.push_back(0);

    sphere.rawScene = rtcNewScene(RawDevice());
    rtcSetSceneFlags(sphere.rawScene, vxhost::EmbreeScene::kSceneFlags); // as the host builds its scenes
    RTCGeometry geometry = rtcNewGeometry(RawDevice(), RTC_GEOMETRY_TYPE_TRIANGLE);
    rtcSetSharedGeometryBuffer(geometry, RTC_BUFFER_TYPE_VERTEX, 0, RTC_FORMAT_FLOAT3,
                               sphere.positions.data(), 0, 3 * sizeof(float), points.length());
    rtcSetSharedGeometryBuffer(geometry, RTC_BUFFER_TYPE_INDEX, 0, RTC_FORMAT_UINT3, sphere.triangles.data(),
                               0, 3 * sizeof(unsigned int), vertices.length() / 3);
    rtcCommitGeometry(geometry);
    rtcAttachGeometry(sphere.rawScene, geometry);
    rtcReleaseGeometry(geometry);
    rtcCommitScene(sphere.rawScene);

    // Build the host's scene now, outside any timing.
    MPoint closest;
    fn.getClosestPoint(MPoint(2, 0, 0), closest);
    return sphere;
}

/// Query positions in [-2, 2]^3 around the unit sphere, and ray directions
/// of random direction and length (about half the rays hit).
const std::vector<MFloatPoint>& Origins()
{
    static const std::vector<MFloatPoint> origins = []
    {
        std::mt19937 rng(17);
        std::uniform_real_distribution<float> u(-2.0f, 2.0f);
        std::vector<MFloatPoint> out(kQueries);
        for (MFloatPoint& p : out)
            p = MFloatPoint(u(rng), u(rng), u(rng));
        return out;
    }();
    return origins;
}

const std::vector<MFloatVector>& Directions()
{
    static const std::vector<MFloatVector> directions = []
    {
        std::mt19937 rng(23);
        std::uniform_real_distribution<float> u(-1.0f, 1.0f);
        std::vector<MFloatVector> out(kQueries);
        for (MFloatVector& d : out)
            d = MFloatVector(u(rng), u(rng), u(rng));
        return out;
    }();
    return directions;
}

void BM_MeshClosestIntersection(benchmark::State& state)
{
    const Sphere& sphere = SharedSphere(state.range(0));
    MFnMesh mesh(sphere.mesh);
    MMeshIsectAccelParams accel = MFnMesh::autoUniformGridParams();
    const auto& origins = Origins();
    const auto& directions = Directions();
    // With and without asking for the polygon hit, which costs a lookup.
    int face = 0;
    int* const hitFace = state.range(1) ? &face : nullptr;
    std::size_t i = 0;
    for (auto _ : state)
    {
        MFloatPoint hit;
        float t = 0.0f;
        const bool found =
            mesh.closestIntersection(origins[i], directions[i], nullptr, nullptr, false, MSpace::kObject,
                                     100.0f, false, &accel, hit, &t, hitFace, nullptr, nullptr, nullptr);
        benchmark::DoNotOptimize(found);
        benchmark::DoNotOptimize(hit);
        i = (i + 1) & (kQueries - 1);
    }
}

void BM_RawIntersect1(benchmark::State& state)
{
    const Sphere& sphere = SharedSphere(state.range(0));
    const auto& origins = Origins();
    const auto& directions = Directions();
    std::size_t i = 0;
    for (auto _ : state)
    {
        RTCIntersectContext context;
        rtcInitIntersectContext(&context);
        RTCRayHit rayHit;
        rayHit.ray.org_x = origins[i].x;
        rayHit.ray.org_y = origins[i].y;
        rayHit.ray.org_z = origins[i].z;
        rayHit.ray.tnear = 0.0f;
        rayHit.ray.dir_x = directions[i].x;
        rayHit.ray.dir_y = directions[i].y;
        rayHit.ray.dir_z = directions[i].z;
        rayHit.ray.time = 0.0f;
        rayHit.ray.tfar = 100.0f;
        rayHit.ray.mask = ~0u;
        rayHit.ray.id = 0;
        rayHit.ray.flags = 0;
        rayHit.hit.geomID = RTC_INVALID_GEOMETRY_ID;
        rayHit.hit.instID[0] = RTC_INVALID_GEOMETRY_ID;
        rtcIntersect1(sphere.rawScene, &context, &rayHit);
        benchmark::DoNotOptimize(rayHit.hit.primID);
        benchmark::DoNotOptimize(rayHit.ray.tfar);
        i = (i + 1) & (kQueries - 1);
    }
}

void BM_MeshGetClosestPoint(benchmark::State& state)
{
    const Sphere& sphere = SharedSphere(state.range(0));
    MFnMesh mesh(sphere.mesh);
    const auto& origins = Origins();
    std::size_t i = 0;
    for (auto _ : state)
    {
        MPoint closest;
        int face = 0;
        const MStatus status = mesh.getClosestPoint(MPoint(origins[i]), closest, MSpace::kObject, &face);
        benchmark::DoNotOptimize(status);
        benchmark::DoNotOptimize(closest);
        i = (i + 1) & (kQueries - 1);
    }
}

struct RawClosest
{
    const Sphere* sphere;
    vxhost::Vec3d p;
    vxhost::Vec3d best;
    double bestD2;
    unsigned int triangle;
};

bool RawPointQueryCallback(RTCPointQueryFunctionArguments* args)
{
    RawClosest& q = *static_cast<RawClosest*>(args->userPtr);
    const unsigned int* tri = q.sphere->triangles.data() + 3 * static_cast<std::size_t>(args->primID);
    const float* positions = q.sphere->positions.data();
    const vxhost::Vec3d c = vxhost::ClosestPointOnTriangle(q.p, vxhost::Load(positions + 3 * tri[0]),
                                                           vxhost::Load(positions + 3 * tri[1]),
                                                           vxhost::Load(positions + 3 * tri[2]));
    const double d2 = vxhost::Dot(q.p - c, q.p - c);
    if (!(d2 < q.bestD2))
        return false;
    q.best = c;
    q.bestD2 = d2;
    q.triangle = args->primID;
    args->query->radius = static_cast<float>(std::sqrt(d2));
    return true;
}

void BM_RawPointQuery(benchmark::State& state)
{
    const Sphere& sphere = SharedSphere(state.range(0));
    const auto& origins = Origins();
    std::size_t i = 0;
    for (auto _ : state)
    {
        RTCPointQuery query;
        query.x = origins[i].x;
        query.y = origins[i].y;
        query.z = origins[i].z;
        query.time = 0.0f;
        query.radius = std::numeric_limits<float>::infinity();
        RawClosest closest{
            &sphere, {query.x, query.y, query.z}, {}, std::numeric_limits<double>::infinity(), 0};
        RTCPointQueryContext context;
        rtcInitPointQueryContext(&context);
        rtcPointQuery(sphere.rawScene, &query, &context, RawPointQueryCallback, &closest);
        benchmark::DoNotOptimize(closest.best);
        benchmark::DoNotOptimize(closest.triangle);
        i = (i + 1) & (kQueries - 1);
    }
}
// What the plug-in does per obstacle and evaluation: copy the mesh, write
// grown points into the copy, query it. With content the cache has seen, the
// first query finds the scene by hash and comparison instead of building.
void BM_GrowCopyAndQuery(benchmark::State& state)
{
    const Sphere& sphere = SharedSphere(state.range(0));
    MFnMesh source(sphere.mesh);
    MFloatPointArray grown;
    MFloatVectorArray normals;
    source.getPoints(grown);
    source.getVertexNormals(false, normals);
    for (unsigned int i = 0; i < grown.length(); ++i)
        grown[i] += normals[i] * 0.1f;
    const bool rebuild = state.range(1) != 0;
    float nudge = 0.0f;
    for (auto _ : state)
    {
        if (rebuild)
            grown[0].x += (nudge += 1e-3f); // new content every time: a build per evaluation
        MFnMesh copy;
        copy.copy(sphere.mesh);
        copy.setPoints(grown);
        MPoint closest;
        benchmark::DoNotOptimize(copy.getClosestPoint(MPoint(2, 0, 0), closest));
    }
}
} // namespace

BENCHMARK(BM_GrowCopyAndQuery)
    ->ArgNames({"triangles", "rebuild"})
    ->Args({10'000, 0})
    ->Args({10'000, 1})
    ->Args({100'000, 0})
    ->Args({100'000, 1})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MeshClosestIntersection)
    ->Args({10000, 0})
    ->Args({10000, 1})
    ->Args({100000, 0})
    ->Args({100000, 1});
BENCHMARK(BM_RawIntersect1)->Arg(10'000)->Arg(100'000);
BENCHMARK(BM_MeshGetClosestPoint)->Arg(10'000)->Arg(100'000);
BENCHMARK(BM_RawPointQuery)->Arg(10'000)->Arg(100'000);

BENCHMARK_MAIN();
