#include <maya/MMatrix.h>
#include <maya/MPoint.h>

#include <gtest/gtest.h>

TEST(MPoint, HomogeneousPointVectorAlgebra)
{
    const MPoint p(1, 2, 3);
    const MPoint q(4, 6, 3);
    EXPECT_EQ(q - p, MVector(3, 4, 0));
    EXPECT_EQ(q - MVector(3, 4, 0), p);
    EXPECT_DOUBLE_EQ(p.distanceTo(q), 5.0);

    // Homogeneous points: (2, 4, 6, 2) is the position (1, 2, 3).
    const MPoint h(2, 4, 6, 2);
    EXPECT_EQ(q - h, MVector(3, 4, 0));
    EXPECT_EQ(MVector(h), MVector(1, 2, 3));
    EXPECT_EQ(h + MVector(1, 0, 0), MPoint(4, 4, 6, 2)); // position moves by exactly 1
    MPoint c = h;
    EXPECT_EQ(c.cartesianize(), p);
    MPoint r = h;
    EXPECT_EQ(r.rationalize(), MPoint(1, 2, 3, 2));
    EXPECT_EQ(r.homogenize(), h);
    EXPECT_FALSE(p.isEquivalent(MPoint(1, 2, 3, 1.001)));
}

TEST(MPoint, RowVectorMatrixProductIncludesTranslation)
{
    MMatrix m;
    m.matrix[0][0] = 2.0;
    m.matrix[3][0] = 10.0;
    m.matrix[3][1] = 20.0;
    m.matrix[3][2] = 30.0;
    EXPECT_EQ(MPoint(1, 2, 3) * m, MPoint(12, 22, 33, 1));
    // w = 0 is a direction: translation drops out.
    EXPECT_EQ(MPoint(1, 2, 3, 0) * m, MPoint(2, 2, 3, 0));
    // A projective last column makes w differ from 1, and it is kept.
    m.matrix[2][3] = 1.0;
    EXPECT_EQ(MPoint(1, 2, 3) * m, MPoint(12, 22, 33, 4));
}
