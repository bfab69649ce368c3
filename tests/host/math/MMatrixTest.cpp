#include <maya/MMatrix.h>
#include <maya/MPoint.h>

#include <gtest/gtest.h>

namespace
{
MMatrix Translation(double x, double y, double z)
{
    MMatrix m;
    m.matrix[3][0] = x;
    m.matrix[3][1] = y;
    m.matrix[3][2] = z;
    return m;
}

MMatrix Scale(double s)
{
    MMatrix m;
    m.matrix[0][0] = m.matrix[1][1] = m.matrix[2][2] = s;
    return m;
}

// A general (non-affine, non-symmetric) invertible matrix.
MMatrix General()
{
    const double values[4][4] = {{2, 1, 0, 3}, {-1, 4, 2, 0}, {0, 5, 1, -2}, {1, 0, 3, 6}};
    return MMatrix(values);
}
} // namespace

TEST(MMatrix, ProductAppliesLeftFactorFirst)
{
    const MPoint p(1, 0, 0);
    // Scale then translate: (2, 0, 0) + (5, 0, 0).
    EXPECT_EQ(p * (Scale(2) * Translation(5, 0, 0)), MPoint(7, 0, 0));
    // Translate then scale: (6, 0, 0) * 2.
    EXPECT_EQ(p * (Translation(5, 0, 0) * Scale(2)), MPoint(12, 0, 0));
    EXPECT_EQ(p * Scale(2) * Translation(5, 0, 0), MPoint(7, 0, 0));

    MMatrix m = Scale(2);
    m *= Translation(5, 0, 0);
    EXPECT_EQ(m, Scale(2) * Translation(5, 0, 0));
    EXPECT_EQ(m(3, 0), 5.0);
    EXPECT_EQ(m[0][0], 2.0);
    EXPECT_EQ(MMatrix(), MMatrix::identity);
}

TEST(MMatrix, DeterminantsAndInverse)
{
    const MMatrix g = General();
    // Cofactor expansion by hand: det3x3 of the upper-left block is
    // 2*(4*1-2*5) - 1*(-1*1-2*0) + 0 = -12 + 1 = -11.
    EXPECT_DOUBLE_EQ(g.det3x3(), -11.0);
    EXPECT_DOUBLE_EQ(g.det4x4(), 55.0);
    EXPECT_DOUBLE_EQ(Scale(2).det4x4(), 8.0);

    EXPECT_TRUE((g * g.inverse()).isEquivalent(MMatrix::identity, 1e-14));
    EXPECT_TRUE((g.inverse() * g).isEquivalent(MMatrix::identity, 1e-14));
    EXPECT_TRUE(g.adjoint().isEquivalent(g.inverse() * g.det4x4(), 1e-13));
    EXPECT_TRUE(Translation(1, 2, 3).inverse().isEquivalent(Translation(-1, -2, -3)));

    EXPECT_EQ(g.transpose()(0, 3), 1.0);
    EXPECT_EQ(g.transpose()(3, 0), 3.0);
    EXPECT_EQ(g.transpose().transpose(), g);

    MMatrix singular = General();
    for (int c = 0; c < 4; ++c)
        singular.matrix[2][c] = 2.0 * singular.matrix[0][c];
    EXPECT_TRUE(singular.isSingular());
    EXPECT_FALSE(g.isSingular());
    EXPECT_EQ(singular.inverse(), MMatrix::identity);
}

TEST(MMatrix, ElementwiseOperations)
{
    const MMatrix g = General();
    EXPECT_EQ((g + g)(1, 2), 4.0);
    EXPECT_EQ((g - g), MMatrix() * 0.0);
    EXPECT_EQ((2.0 * g)(3, 3), 12.0);

    MMatrix h = g;
    h.matrix[1][1] += 1e-12;
    EXPECT_NE(h, g);
    EXPECT_TRUE(h.isEquivalent(g));
    EXPECT_FALSE(h.isEquivalent(g, 1e-13));

    MMatrix m = General();
    m.matrix[3][3] = 2.0;
    EXPECT_EQ(m.homogenize()(0, 0), 1.0);
    EXPECT_EQ(m.setToIdentity(), MMatrix::identity);
}
