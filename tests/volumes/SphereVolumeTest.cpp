#include "SphereVolume.h"

#include "VolumeTestUtil.h"

TEST(SphereVolume, ContainmentFalloffAndClosestPoint)
{
    SphereVolume sphere(MPoint(1, 1, 1), 2.0);
    EXPECT_FALSE(sphere.IsPointInVolume(MPoint(3, 1, 1))); // the surface is outside
    EXPECT_TRUE(sphere.IsPointInVolume(MPoint(2.9, 1, 1)));
    EXPECT_EQ(sphere.GetFalloff(MPoint(1, 1, 1)), 1.0);
    EXPECT_EQ(sphere.GetFalloff(MPoint(2, 1, 1)), 0.75); // quadratic, not 0.5
    EXPECT_EQ(sphere.GetFalloff(MPoint(5, 1, 1)), 0.0);
    EXPECT_POINT_NEAR(sphere.GetClosestPoint(MPoint(1, 11, 1)), MPoint(1, 3, 1));
    EXPECT_POINT_NEAR(sphere.GetClosestPoint(MPoint(1.5, 1, 1)), MPoint(3, 1, 1));

    sphere.SetMargin(1.0);
    EXPECT_NEAR(sphere.GetFalloff(MPoint(2, 1, 1)), 8.0 / 9.0, 1e-15);
    EXPECT_EQ(sphere.GetMaxDimension(), 2.0);
    EXPECT_POINT_NEAR(sphere.boundingBox.max(), MPoint(4, 4, 4));
}

TEST(SphereVolume, RayIntersection)
{
    SphereVolume sphere(MPoint(0, 0, 0), 2.0);
    MPoint hit;
    MVector normal;
    MVector reflected;
    // From outside: the entry point.
    ASSERT_TRUE(sphere.GetRayIntersection(MPoint(-5, 0, 0), MVector(3, 0, 0), hit, normal, reflected, true));
    EXPECT_POINT_NEAR(hit, MPoint(-2, 0, 0));
    EXPECT_VECTOR_NEAR(normal, MVector(-1, 0, 0));
    EXPECT_VECTOR_NEAR(reflected, MVector(-1, 0, 0));
    // From the centre: the exit point.
    ASSERT_TRUE(sphere.GetRayIntersection(MPoint(0, 0, 0), MVector(0, 1, 0), hit, normal, reflected, false));
    EXPECT_POINT_NEAR(hit, MPoint(0, 2, 0));
    // The line meets the sphere only behind the origin.
    hit = MPoint(9, 9, 9);
    EXPECT_FALSE(sphere.GetRayIntersection(MPoint(5, 0, 0), MVector(1, 0, 0), hit, normal, reflected, false));
    EXPECT_POINT_NEAR(hit, MPoint(9, 9, 9));
    // A tangent ray counts as a hit with both parameters equal.
    double t0 = 0.0;
    double t1 = 0.0;
    ASSERT_TRUE(IntersectRaySphere(sphere, MPoint(-5, 2, 0), MVector(1, 0, 0), t0, t1, false));
    EXPECT_EQ(t0, 5.0);
    EXPECT_EQ(t1, 5.0);
    EXPECT_FALSE(IntersectRaySphere(sphere, MPoint(-5, 2.5, 0), MVector(1, 0, 0), t0, t1, false));
}
