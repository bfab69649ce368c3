#include "EmbreeScene.h"

#include "MeshClosestPoint.h"

#include <vxhost/EmbreeSceneStats.h>
#include <vxhost/StdString.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <string>

namespace vxhost
{

namespace
{
std::atomic<std::uint64_t> gBuildCount{0};

// Embree reports errors through a callback on the thread that made the call;
// keep the text so the status can carry it.
thread_local std::string tLastEmbreeError;

void OnDeviceError(void*, RTCError, const char* message)
{
    tLastEmbreeError = message ? message : "";
}

MStatus EmbreeFailure(const char* what, RTCError code)
{
    std::string text = std::string(what) + " (Embree error " + std::to_string(static_cast<int>(code));
    if (!tLastEmbreeError.empty())
        text += ": " + tLastEmbreeError;
    text += ")";
    return MStatus(code == RTC_ERROR_OUT_OF_MEMORY ? MStatus::kInsufficientMemory : MStatus::kFailure,
                   ToMString(text));
}

struct PointQueryState
{
    const float* positions;
    const std::uint32_t* triangles;
    Vec3d p;
    // How far the float query point Embree culls with may sit from p.
    double roundingError;
    EmbreeScene::ClosestPoint* best;
    bool found;
};

bool OnPointQuery(RTCPointQueryFunctionArguments* args)
{
    PointQueryState& state = *static_cast<PointQueryState*>(args->userPtr);
    const std::uint32_t* tri = state.triangles + 3 * static_cast<std::size_t>(args->primID);
    const Vec3d q =
        ClosestPointOnTriangle(state.p, Load(state.positions + 3 * static_cast<std::size_t>(tri[0])),
                               Load(state.positions + 3 * static_cast<std::size_t>(tri[1])),
                               Load(state.positions + 3 * static_cast<std::size_t>(tri[2])));
    const Vec3d d = state.p - q;
    const double d2 = Dot(d, d);
    if (!(d2 < state.best->distanceSquared))
        return false;
    state.best->point[0] = q.x;
    state.best->point[1] = q.y;
    state.best->point[2] = q.z;
    state.best->distanceSquared = d2;
    state.best->triangle = args->primID;
    state.found = true;
    // Shrinking the radius lets Embree skip everything farther away. It
    // culls around the float query point, so widen by that point's rounding
    // error, and by a few float ulps for the conversion to float: a closer
    // triangle must never be culled.
    constexpr float kRoundUp = 1.0f + 4.0f * std::numeric_limits<float>::epsilon();
    args->query->radius = static_cast<float>(std::sqrt(d2) + state.roundingError) * kRoundUp;
    return true;
}

} // namespace

std::uint64_t EmbreeSceneBuildCount()
{
    return gBuildCount.load(std::memory_order_relaxed);
}

void EmbreeScene::KeepAllowedTriangles(const RTCFilterFunctionNArguments* args)
{
    const auto* filtered = reinterpret_cast<const FilteredContext*>(args->context);
    for (unsigned int i = 0; i < args->N; ++i)
    {
        if (args->valid[i] == 0)
            continue;
        const unsigned int primID = RTCHitN_primID(args->hit, args->N, i);
        if (!std::binary_search(filtered->allowed, filtered->allowed + filtered->allowedCount, primID))
            args->valid[i] = 0;
    }
}

RTCDevice EmbreeScene::Device(MStatus& status)
{
    // One device for the process, never released: scenes live in a
    // process-wide cache until exit, and releasing a device from a static
    // destructor would race with TBB's own teardown.
    static const RTCDevice device = []
    {
        RTCDevice created = rtcNewDevice(nullptr);
        if (created)
            rtcSetDeviceErrorFunction(created, OnDeviceError, nullptr);
        return created;
    }();
    if (!device)
        status = EmbreeFailure("Embree could not start", rtcGetDeviceError(nullptr));
    return device;
}

std::shared_ptr<const EmbreeScene> EmbreeScene::Build(std::shared_ptr<const std::vector<float>> positions,
                                                      std::shared_ptr<const MeshTopology> topology,
                                                      MStatus& status)
{
    const RTCDevice device = Device(status);
    if (!device)
        return nullptr;
    rtcGetDeviceError(device); // clears an error left by an earlier call on this thread
    tLastEmbreeError.clear();

    std::shared_ptr<EmbreeScene> scene(new EmbreeScene());
    scene->fPositions = std::move(positions);
    scene->fTopology = std::move(topology);
    scene->fScene = rtcNewScene(device);
    if (!scene->fScene)
    {
        status = EmbreeFailure("Embree could not create a scene", rtcGetDeviceError(device));
        return nullptr;
    }
    rtcSetSceneFlags(scene->fScene, kSceneFlags);

    const MeshTopology& mesh = *scene->fTopology;
    RTCGeometry geometry = rtcNewGeometry(device, RTC_GEOMETRY_TYPE_TRIANGLE);
    if (!geometry)
    {
        status = EmbreeFailure("Embree could not create a triangle geometry", rtcGetDeviceError(device));
        return nullptr;
    }
    // Shared, not copied: the buffers belong to the mesh version and this
    // scene holds them, so the build costs no copy of the mesh.
    rtcSetSharedGeometryBuffer(geometry, RTC_BUFFER_TYPE_VERTEX, 0, RTC_FORMAT_FLOAT3,
                               scene->fPositions->data(), 0, 3 * sizeof(float),
                               static_cast<std::size_t>(mesh.NumVertices()));
    rtcSetSharedGeometryBuffer(geometry, RTC_BUFFER_TYPE_INDEX, 0, RTC_FORMAT_UINT3,
                               mesh.TriangleVertices().data(), 0, 3 * sizeof(std::uint32_t),
                               static_cast<std::size_t>(mesh.NumTriangles()));
    rtcCommitGeometry(geometry);
    rtcAttachGeometry(scene->fScene, geometry);
    rtcReleaseGeometry(geometry); // the scene holds it now
    rtcCommitScene(scene->fScene);

    const RTCError error = rtcGetDeviceError(device);
    if (error != RTC_ERROR_NONE)
    {
        status = EmbreeFailure("Embree could not build the mesh's query structure", error);
        return nullptr;
    }
    gBuildCount.fetch_add(1, std::memory_order_relaxed);
    return scene;
}

EmbreeScene::~EmbreeScene()
{
    if (fScene)
        rtcReleaseScene(fScene);
}

bool EmbreeScene::FindClosestPoint(const double p[3], ClosestPoint& out) const
{
    RTCPointQuery query;
    query.x = static_cast<float>(p[0]);
    query.y = static_cast<float>(p[1]);
    query.z = static_cast<float>(p[2]);
    query.time = 0.0f;
    query.radius = std::numeric_limits<float>::infinity();

    out.distanceSquared = std::numeric_limits<double>::infinity();
    PointQueryState state{
        fPositions->data(), fTopology->TriangleVertices().data(), {p[0], p[1], p[2]}, 0.0, &out, false};
    const Vec3d rounding = state.p - Vec3d{query.x, query.y, query.z};
    state.roundingError = std::sqrt(Dot(rounding, rounding));

    RTCPointQueryContext context;
    rtcInitPointQueryContext(&context);
    rtcPointQuery(fScene, &query, &context, OnPointQuery, &state);
    return state.found;
}

} // namespace vxhost
