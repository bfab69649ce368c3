#include "CapsuleVolume.h"
#include "SphereVolume.h"

#include "VolumeTestUtil.h"

#include <maya/MEulerRotation.h>

#include <cmath>

TEST(CapsuleVolume, ContainmentFalloffAndClosestPoint)
{
    CapsuleVolume capsule(MPoint(0, 0, 0), 1.0, 4.0, MTransformationMatrix());
    EXPECT_TRUE(capsule.IsPointInVolume(MPoint(0, 2.9, 0))); // in the top cap
    EXPECT_FALSE(capsule.IsPointInVolume(MPoint(0, 3, 0)));
    EXPECT_POINT_NEAR(capsule.bottomPoint, MPoint(0, -2, 0));
    EXPECT_POINT_NEAR(capsule.topPoint, MPoint(0, 2, 0));
    EXPECT_EQ(capsule.GetFalloff(MPoint(0.5, 0, 0)), 0.75);
    for (const double y : {-2.0, -0.3, 0.0, 1.7, 2.0})
        EXPECT_EQ(capsule.GetFalloff(MPoint(0, y, 0)), 1.0) << y; // the whole segment is the core
    EXPECT_POINT_NEAR(capsule.GetClosestPoint(MPoint(0, 10, 0)), MPoint(0, 3, 0));
    EXPECT_POINT_NEAR(capsule.GetClosestPoint(MPoint(5, 1, 0)), MPoint(1, 1, 0));
    EXPECT_EQ(capsule.GetMaxDimension(), 4.0);
    EXPECT_POINT_NEAR(capsule.boundingBox.min(), MPoint(-1, -3, -1));
    EXPECT_POINT_NEAR(capsule.boundingBox.max(), MPoint(1, 3, 1));

    // Height 0: a sphere of radius R about the centre.
    CapsuleVolume ball(MPoint(1, 0, 0), 2.0, 0.0, MTransformationMatrix());
    SphereVolume sphere(MPoint(1, 0, 0), 2.0);
    for (const MPoint& p : {MPoint(2, 1, 0), MPoint(-0.5, 0.2, 1), MPoint(4, 0, 0)})
    {
        EXPECT_EQ(ball.IsPointInVolume(p), sphere.IsPointInVolume(p));
        EXPECT_NEAR(ball.GetFalloff(p), sphere.GetFalloff(p), 1e-15);
    }

    // Turned a quarter about z: the axis lies along x.
    MTransformationMatrix turned;
    turned.rotateTo(MEulerRotation(0, 0, M_PI / 2));
    CapsuleVolume lying(MPoint(0, 0, 0), 1.0, 4.0, turned);
    EXPECT_TRUE(lying.IsPointInVolume(MPoint(2.9, 0, 0)));
    EXPECT_FALSE(lying.IsPointInVolume(MPoint(0, 2.9, 0)));
}

TEST(CapsuleVolume, RayIntersection)
{
    CapsuleVolume capsule(MPoint(0, 0, 0), 1.0, 4.0, MTransformationMatrix());
    MPoint hit;
    MVector normal;
    MVector reflected;
    // Across the body.
    ASSERT_TRUE(capsule.GetRayIntersection(MPoint(-5, 0, 0), MVector(1, 0, 0), hit, normal, reflected, false));
    EXPECT_POINT_NEAR(hit, MPoint(-1, 0, 0));
    EXPECT_VECTOR_NEAR(normal, MVector(-1, 0, 0));
    EXPECT_VECTOR_NEAR(reflected, MVector(-1, 0, 0));
    // Along the axis: the body is never hit, the cap is.
    double t0 = 0.0;
    double t1 = 0.0;
    EXPECT_FALSE(IntersectRayCylinder(capsule, MPoint(0, 10, 0), MVector(0, -1, 0), t0, t1));
    ASSERT_TRUE(capsule.GetRayIntersection(MPoint(0, 10, 0), MVector(0, -2, 0), hit, normal, reflected, true));
    EXPECT_POINT_NEAR(hit, MPoint(0, 3, 0));
    EXPECT_VECTOR_NEAR(normal, MVector(0, 1, 0));
    // Into the bottom cap at an angle, and a clean miss.
    ASSERT_TRUE(capsule.GetRayIntersection(MPoint(0, -10, 0.5), MVector(0, 1, 0), hit, normal, reflected, false));
    EXPECT_POINT_NEAR(hit, MPoint(0, -2 - std::sqrt(0.75), 0.5));
    EXPECT_FALSE(capsule.GetRayIntersection(MPoint(-5, 0, 3), MVector(1, 0, 0), hit, normal, reflected, false));
}
