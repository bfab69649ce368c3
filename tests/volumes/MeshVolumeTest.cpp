#include "MeshVolume.h"

#include "VolumeTestUtil.h"

#include <maya/MFnMeshData.h>
#include <maya/MIntArray.h>
#include <vxhost/EmbreeSceneStats.h>
#include <vxhost/MeshBuilders.h>
#include <vxhost/MessageLog.h>

#include <cmath>
#include <random>

namespace
{
// How far a cube's corner moves per axis when grown by margin along its vertex
// normal, (1, 1, 1) / sqrt(3).
double CornerShift(double margin)
{
    return static_cast<double>(static_cast<float>(margin) * (1.0f / std::sqrt(3.0f)));
}
} // namespace

TEST(MeshVolume, UnitCubeAtTen)
{
    const MObject cube = vxhost::MakeBoxMesh(1.0, 1.0, 1.0, MPoint(10, 0, 0));
    MeshVolume volume(cube);
    // Centre and size are answered after initialising, from the grown box.
    EXPECT_POINT_NEAR(volume.GetCentre(), MPoint(10, 0, 0));
    EXPECT_NEAR(volume.GetMaxDimension(), 1.0, 1e-6);
    EXPECT_TRUE(volume.IsPointInVolume(MPoint(10.5, 0, 0)));
    EXPECT_FALSE(volume.IsPointInVolume(MPoint(10.6, 0, 0)));
    EXPECT_EQ(volume.GetFalloff(MPoint(10, 0, 0)), 0.0);
    EXPECT_POINT_NEAR(volume.GetClosestPoint(MPoint(20, 0.2, 0)), MPoint(10.5, 0.2, 0));

    // A cube lying in negative space is measured by its size, not a corner.
    MeshVolume negative(vxhost::MakeBoxMesh(2.0, 2.0, 2.0, MPoint(-50, -50, -50)));
    EXPECT_NEAR(negative.GetMaxDimension(), 2.0, 1e-6);
}

TEST(MeshVolume, GrowsCopiesFromTheOriginalPoints)
{
    const MObject cube = vxhost::MakeBoxMesh(1.0, 1.0, 1.0, MPoint(10, 0, 0));
    MFloatPointArray before;
    MFnMesh(cube).getPoints(before, MSpace::kObject);

    MeshVolume volume(cube);
    volume.SetMargin(0.5);
    const double grown = 0.5 + CornerShift(0.5);
    EXPECT_NEAR(volume.GetClosestPoint(MPoint(20, 0, 0)).x, 10.0 + grown, 1e-5);
    EXPECT_TRUE(volume.IsPointInVolume(MPoint(10.0 + grown - 1e-4, 0, 0)));

    // Another margin and back: the growth does not pile up.
    volume.SetMargin(1.0);
    EXPECT_NEAR(volume.GetClosestPoint(MPoint(20, 0, 0)).x, 10.5 + CornerShift(1.0), 1e-5);
    volume.SetMargin(0.5);
    EXPECT_NEAR(volume.GetClosestPoint(MPoint(20, 0, 0)).x, 10.0 + grown, 1e-5);

    // The scene's mesh is never written.
    MFloatPointArray after;
    MFnMesh(cube).getPoints(after, MSpace::kObject);
    ASSERT_EQ(after.length(), before.length());
    for (unsigned i = 0; i < after.length(); ++i)
        EXPECT_EQ(MPoint(after[i].x, after[i].y, after[i].z), MPoint(before[i].x, before[i].y, before[i].z));

    // A later evaluation's volume with the same margin reuses the host's
    // acceleration structure.
    const std::uint64_t builds = vxhost::EmbreeSceneBuildCount();
    MeshVolume next(cube);
    next.SetMargin(0.5);
    EXPECT_NEAR(next.GetClosestPoint(MPoint(20, 0, 0)).x, 10.0 + grown, 1e-5);
    EXPECT_EQ(vxhost::EmbreeSceneBuildCount(), builds);
}

TEST(MeshVolume, RaysWriteOnlyTheHitPoint)
{
    MeshVolume volume(vxhost::MakeBoxMesh(2.0, 2.0, 2.0, MPoint(0, 0, 0)));
    MPoint hit;
    MVector normal(7, 7, 7);
    MVector reflected(8, 8, 8);
    ASSERT_TRUE(
        volume.GetRayIntersection(MPoint(-5, 0.25, 0), MVector(3, 0, 0), hit, normal, reflected, true));
    EXPECT_LT(hit.distanceTo(MPoint(-1, 0.25, 0)), 1e-5); // single precision
    EXPECT_EQ(normal, MVector(7, 7, 7));
    EXPECT_EQ(reflected, MVector(8, 8, 8));

    // Parallel to the mesh and missing it: no hit and no message.
    vxhost::SetMessageEcho(false);
    vxhost::ClearMessages();
    EXPECT_FALSE(volume.GetRayIntersection(MPoint(-5, 3, 0), MVector(1, 0, 0), hit, normal, reflected, true));
    EXPECT_TRUE(vxhost::Messages().empty());
    vxhost::SetMessageEcho(true);
}

TEST(MeshVolume, MissingOrEmptyMeshes)
{
    vxhost::SetMessageEcho(false);
    vxhost::ClearMessages();
    MeshVolume missing{MObject()};
    EXPECT_FALSE(missing.IsPointInVolume(MPoint(0, 0, 0)));
    EXPECT_EQ(missing.GetMaxDimension(), 0.0);
    auto messages = vxhost::Messages();
    ASSERT_GE(messages.size(), 2u);
    EXPECT_EQ(messages[0].text,
              "MeshVolume::InitVolume - Unable to initialise mesh volume class. Not enough data provided");
    EXPECT_EQ(messages[1].text,
              "Attempting to use uninitialised bounding box in volume...no intersection will be detected");

    // A mesh with no faces cannot be an obstacle either.
    vxhost::ClearMessages();
    MObject data = MFnMeshData().create();
    MFloatPointArray points;
    points.append(MFloatPoint(0, 0, 0));
    MFnMesh().create(1, 0, points, MIntArray(), MIntArray(), data);
    MeshVolume empty(data);
    EXPECT_FALSE(empty.IsPointInVolume(MPoint(0, 0, 0)));
    messages = vxhost::Messages();
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages[0].text,
              "MeshVolume::InitVolume - Unable to initialise mesh volume class. Not enough data provided");
    vxhost::SetMessageEcho(true);
}

TEST(MeshVolume, RaysSkippedByTheBoundsAnswerAsTheHostWould)
{
    // Rays aimed at points spread over a box just around the mesh's bounds,
    // some grazing its corners: every answer, hit point included, must be
    // the host's own for the same single-precision ray.
    const MObject sphere = vxhost::MakeSphereMesh(5.0, 24, 13, MPoint(1, 2, 3));
    MeshVolume volume(sphere);
    const MFnMesh host(sphere);
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    int hits = 0;
    int misses = 0;
    for (int k = 0; k < 4000; ++k)
    {
        const MPoint origin(1 + 40 * u(rng), 2 + 40 * u(rng), 3 + 40 * u(rng));
        const MPoint aim(1 + 5.02 * u(rng), 2 + 5.02 * u(rng), 3 + 5.02 * u(rng));
        MVector direction = aim - origin;
        direction.normalize();
        MPoint hit(0, 0, 0);
        MVector normal;
        MVector reflected;
        const bool found = volume.GetRayIntersection(origin, aim - origin, hit, normal, reflected, true);
        MFloatPoint expected;
        const bool expectedFound = host.closestIntersection(
            MFloatPoint(origin),
            MFloatVector(static_cast<float>(direction.x), static_cast<float>(direction.y),
                         static_cast<float>(direction.z)),
            nullptr, nullptr, false, MSpace::kObject, 1e6f, false, nullptr, expected, nullptr, nullptr,
            nullptr, nullptr, nullptr, 1e-6f);
        ASSERT_EQ(found, expectedFound) << k;
        if (found)
        {
            EXPECT_EQ(hit, MPoint(expected.x, expected.y, expected.z)) << k;
        }
        (found ? hits : misses) += 1;
    }
    EXPECT_GT(hits, 400);
    EXPECT_GT(misses, 400);
}
