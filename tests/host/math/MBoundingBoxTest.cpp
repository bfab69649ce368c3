#include <maya/MBoundingBox.h>
#include <maya/MEulerRotation.h>
#include <maya/MMatrix.h>

#include <gtest/gtest.h>

#include <cmath>

TEST(MBoundingBox, ExpandIntersectAndTransform)
{
    MBoundingBox box;
    EXPECT_FALSE(box.contains(MPoint::origin));
    // The first point defines the box, even far from the origin.
    box.expand(MPoint(5, 6, 7));
    EXPECT_TRUE(box.contains(MPoint(5, 6, 7)));
    EXPECT_FALSE(box.contains(MPoint::origin));

    box.expand(MPoint(1, 10, 8));
    box.expand(MBoundingBox()); // nothing to add
    EXPECT_EQ(box.min(), MPoint(1, 6, 7));
    EXPECT_EQ(box.max(), MPoint(5, 10, 8));
    EXPECT_EQ(box.center(), MPoint(3, 8, 7.5));
    box.clear();
    box.expand(MPoint(2, 4, 6, 2)); // homogeneous (1, 2, 3)
    EXPECT_EQ(box.max(), MPoint(1, 2, 3));

    const MBoundingBox a(MPoint(1, 1, 1), MPoint(-1, -1, -1)); // corners in any order
    const MBoundingBox touching(MPoint(1, 0, 0), MPoint(2, 1, 1));
    const MBoundingBox apart(MPoint(1.5, 0, 0), MPoint(2, 1, 1));
    EXPECT_TRUE(a.intersects(touching));
    EXPECT_FALSE(a.intersects(apart));
    EXPECT_TRUE(a.intersects(apart, 0.5));
    EXPECT_FALSE(a.intersects(MBoundingBox()));

    // A 45 degree turn about Z makes the unit cube's footprint sqrt(2) wide.
    MBoundingBox b = a;
    MMatrix m = MEulerRotation(0, 0, M_PI / 4).asMatrix();
    m.matrix[3][2] = 10.0;
    b.transformUsing(m);
    EXPECT_NEAR(b.width(), 2 * std::sqrt(2.0), 1e-14);
    EXPECT_NEAR(b.depth(), 2.0, 1e-14);
    EXPECT_TRUE(b.center().isEquivalent(MPoint(0, 0, 10)));
}
