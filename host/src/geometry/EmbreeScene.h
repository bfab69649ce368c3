#pragma once
/// \file EmbreeScene.h
/// A committed Embree scene over one mesh content, and the two queries the
/// host answers with it.

#include "MeshTopology.h"

#include <maya/MStatus.h>

#include <embree3/rtcore.h>

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

namespace vxhost
{

/// One triangle geometry in its own scene. The scene shares the position and
/// triangle buffers of the mesh version it was built from (Embree reads them
/// in place), so it keeps them alive. Immutable once built: queries may run
/// on several threads at once.
class EmbreeScene
{
public:
    /// The closest point on the surface to a query point.
    struct ClosestPoint
    {
        double point[3] = {0.0, 0.0, 0.0};
        double distanceSquared = 0.0;
        std::uint32_t triangle = 0;
    };
    /// The first hit along a ray: its parameter in units of the direction,
    /// Embree's barycentrics (hit = (1 - u - v) * v0 + u * v1 + v * v2) and
    /// the triangle index.
    struct RayHit
    {
        float t = 0.0f;
        float u = 0.0f;
        float v = 0.0f;
        std::uint32_t triangle = 0;
    };

    /// Builds and commits a scene over the triangles, on the process-wide
    /// device (created on first use). Null, with `status` set, on failure.
    static std::shared_ptr<const EmbreeScene> Build(std::shared_ptr<const std::vector<float>> positions,
                                                    std::shared_ptr<const MeshTopology> topology,
                                                    MStatus& status);

    EmbreeScene(const EmbreeScene&) = delete;
    EmbreeScene& operator=(const EmbreeScene&) = delete;
    ~EmbreeScene();

    /// The point of the surface closest to p. False only when p is not finite
    /// (nothing can be found then).
    bool FindClosestPoint(const double p[3], ClosestPoint& out) const;

    /// The nearest hit with 0 < t <= tMax along origin + t * direction.
    /// When `allowed` is not null, only the triangles it lists count; it must
    /// be sorted ascending and hold `allowedCount` entries. Inline: it sits
    /// in MFnMesh's per-ray path, whose cost should be Embree's alone.
    bool Intersect(const float origin[3], const float direction[3], float tMax, const std::uint32_t* allowed,
                   std::size_t allowedCount, RayHit& out) const
    {
        FilteredContext context;
        rtcInitIntersectContext(&context.context);
        context.allowed = allowed;
        context.allowedCount = allowedCount;
        if (allowed)
            context.context.filter = KeepAllowedTriangles;

        RTCRayHit rayHit;
        rayHit.ray.org_x = origin[0];
        rayHit.ray.org_y = origin[1];
        rayHit.ray.org_z = origin[2];
        // Embree accepts hits from tnear on; the smallest positive float
        // leaves out t = 0, a ray starting exactly on the surface.
        rayHit.ray.tnear = std::numeric_limits<float>::min();
        rayHit.ray.dir_x = direction[0];
        rayHit.ray.dir_y = direction[1];
        rayHit.ray.dir_z = direction[2];
        rayHit.ray.time = 0.0f;
        rayHit.ray.tfar = tMax;
        rayHit.ray.mask = ~0u;
        rayHit.ray.id = 0;
        rayHit.ray.flags = 0;
        rayHit.hit.geomID = RTC_INVALID_GEOMETRY_ID;
        rayHit.hit.instID[0] = RTC_INVALID_GEOMETRY_ID;
        rtcIntersect1(fScene, &context.context, &rayHit);
        if (rayHit.hit.geomID == RTC_INVALID_GEOMETRY_ID)
            return false;
        out.t = rayHit.ray.tfar;
        out.u = rayHit.hit.u;
        out.v = rayHit.hit.v;
        out.triangle = rayHit.hit.primID;
        return true;
    }

    /// Flags every mesh scene is built with: robust traversal, so a ray
    /// through a shared edge or vertex cannot slip between two triangles;
    /// and a per-query filter, for queries restricted to some faces.
    static constexpr RTCSceneFlags kSceneFlags = static_cast<RTCSceneFlags>(
        static_cast<int>(RTC_SCENE_FLAG_ROBUST) | static_cast<int>(RTC_SCENE_FLAG_CONTEXT_FILTER_FUNCTION));

private:
    EmbreeScene() = default;

    /// The process-wide Embree device, created on first call; null (with
    /// `status` set) if Embree cannot start.
    static RTCDevice Device(MStatus& status);

    // Embree hands the filter the context pointer the query was given, so
    // extra per-query data can follow the context in one struct.
    struct FilteredContext
    {
        RTCIntersectContext context;
        const std::uint32_t* allowed;
        std::size_t allowedCount;
    };
    /// Rejects hits on triangles the query's FilteredContext does not list.
    static void KeepAllowedTriangles(const RTCFilterFunctionNArguments* args);

    std::shared_ptr<const std::vector<float>> fPositions;
    std::shared_ptr<const MeshTopology> fTopology;
    RTCScene fScene = nullptr;
};

} // namespace vxhost
