#include "AvoidObstacles.h"

#include "EntityBuilders.h"
#include "SolverTestUtil.h"

#include <vxhost/MeshBuilders.h>

#include <gtest/gtest.h>

namespace
{
// Maximum force 4, obstacle separation 0 (DistinctParams).
MVector Avoid(ObstacleData& data, const MPoint& p, const MVector& v)
{
    const SteeringForce f = AvoidObstacles(data, p, v, DistinctParams());
    EXPECT_EQ(f.priority, 100);
    EXPECT_EQ(f.combineMode, 0);
    return f.vector;
}

// Adds one obstacle about the origin (by default a sphere of radius 10) and builds.
void Add(ObstacleData& data, VolumeType volume = VolumeType::kSphere, const MPoint& size = MPoint(10, 0, 0),
         const MObject& mesh = MObject())
{
    AddObstacle(data, volume, MPoint(0, 0, 0), size, mesh);
    data.BuildVolumes();
}
} // namespace

TEST(AvoidObstacles, CullingAndSkippedObstacles)
{
    ObstacleData data;
    Add(data);
    // Head-on from exactly 5 r: seen (ratio 24/25), the full maximum force along
    // the hit normal; from 5.1 r culled (the true reach is sqrt(26) r, ~5.099 r).
    EXPECT_VEC_NEAR(Avoid(data, MPoint(50, 0, 0), MVector(-3, 0, 0)), MVector(4, 0, 0));
    EXPECT_EQ(Avoid(data, MPoint(51, 0, 0), MVector(-3, 0, 0)), MVector::zero);
    EXPECT_VEC_NEAR(Avoid(data, MPoint(50.9, 0, 0), MVector(-3, 0, 0)), MVector(4, 0, 0));
    // A null volume and a curve obstacle (size 0) before the sphere are skipped
    // without dividing by zero; with no volumes built nothing pushes.
    ObstacleData mixed;
    AddObstacle(mixed, static_cast<VolumeType>(8), MPoint(50, 0, 0), MPoint(10, 0, 0));
    AddObstacle(mixed, VolumeType::kCurve, MPoint(50, 0, 0), MPoint(10, 0, 0));
    Add(mixed);
    EXPECT_VEC_NEAR(Avoid(mixed, MPoint(30, 0, 0), MVector(-1, 0, 0)), MVector(4, 0, 0));
    mixed.DeleteVolumes();
    EXPECT_EQ(Avoid(mixed, MPoint(30, 0, 0), MVector(-1, 0, 0)), MVector::zero);
}

TEST(AvoidObstacles, PushesBySituation)
{
    ObstacleData data;
    Add(data);
    // At rest: nothing, even inside. Inside and moving: radially out with
    // falloff (1 - 0.25) x 4, whatever the heading.
    EXPECT_EQ(Avoid(data, MPoint(5, 0, 0), MVector::zero), MVector::zero);
    EXPECT_VEC_NEAR(Avoid(data, MPoint(0, -5, 0), MVector(0, -1, 0)), MVector(0, -3, 0));
    // Grazing: a small push; passing by: none; moving away: none.
    const MVector grazing = Avoid(data, MPoint(30, 9.999, 0), MVector(-1, 0, 0));
    EXPECT_GT(grazing.y, 0.0);
    EXPECT_LT(grazing.length(), 0.1);
    EXPECT_EQ(Avoid(data, MPoint(30, 10.5, 0), MVector(-1, 0, 0)), MVector::zero);
    EXPECT_EQ(Avoid(data, MPoint(30, 0, 0), MVector(1, 0, 0)), MVector::zero);
    // The obstacle separation grows the sphere: a path 11 off the centre hits it grown to 12.
    ParticleParameters params = DistinctParams();
    params.obstacleSeparation = 2.0;
    EXPECT_GT(AvoidObstacles(data, MPoint(30, 11, 0), MVector(-1, 0, 0), params).vector.y, 0.0);
    // Two obstacles on the path: both pushes add up.
    AddObstacle(data, VolumeType::kSphere, MPoint(-30, 0, 0), MPoint(20, 0, 0));
    data.BuildVolumes();
    EXPECT_VEC_NEAR(Avoid(data, MPoint(40, 0, 0), MVector(-1, 0, 0)), MVector(8, 0, 0));
}

TEST(AvoidObstacles, BoxAndMeshUseTheRadialNormal)
{
    { // A box of side 10: hit at (5, 3, 0), normal (5, 3, 0) / sqrt(34) rather
        // than the face's (1, 0, 0), scaled by |cos| = 5 / sqrt(34) x 4.
        ObstacleData data;
        Add(data, VolumeType::kBox, MPoint(10, 10, 10));
        EXPECT_VEC_NEAR(Avoid(data, MPoint(30, 3, 0), MVector(-2, 0, 0)), MVector(100, 60, 0) / 34.0);
        // Inside: from the centre through p, by the box's linear falloff 1 - 2/5.
        EXPECT_VEC_NEAR(Avoid(data, MPoint(1, 2, 0), MVector(0, 0, 1)), MVector(1, 2, 0).normal() * 2.4);
    }
    { // A mesh sphere met head-on (hit found in single precision): the full force
        // along +x. Inside its bounds it is never "inside": only the ray counts.
        ObstacleData data;
        Add(data, VolumeType::kMesh, MPoint(0, 0, 0), vxhost::MakeSphereMesh(10.0, 16, 8));
        EXPECT_TRUE(Avoid(data, MPoint(30, 0, 0), MVector(-1, 0, 0)).isEquivalent(MVector(4, 0, 0), 1e-5));
        EXPECT_NEAR(Avoid(data, MPoint(0, 0, 0), MVector(-1, 0, 0)).x, -4.0, 1e-5);
    }
}
