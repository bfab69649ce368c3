#include <maya/MMatrix.h>
#include <maya/MPoint.h>

#include <gtest/gtest.h>

TEST(MMatrix, ProductAppliesLeftFactorFirst)
{
    const double s[4][4] = {{2, 0, 0, 0}, {0, 2, 0, 0}, {0, 0, 2, 0}, {0, 0, 0, 1}};
    const double t[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {5, 0, 0, 1}};
    const MMatrix scale(s), move(t);
    const MPoint p(1, 0, 0);
    // Scale then translate: (2, 0, 0) + (5, 0, 0).
    EXPECT_EQ(p * (scale * move), MPoint(7, 0, 0));
    // Translate then scale: (6, 0, 0) * 2.
    EXPECT_EQ(p * (move * scale), MPoint(12, 0, 0));
    MMatrix m = scale;
    m *= move;
    EXPECT_EQ(m, scale * move);
}

TEST(MMatrix, DeterminantsInverseAndEquivalence)
{
    // A general (non-affine, non-symmetric) invertible matrix.
    const double values[4][4] = {{2, 1, 0, 3}, {-1, 4, 2, 0}, {0, 5, 1, -2}, {1, 0, 3, 6}};
    const MMatrix g(values);
    // Cofactor expansion by hand: det3x3 of the upper-left block is
    // 2*(4*1-2*5) - 1*(-1*1-2*0) + 0 = -12 + 1 = -11.
    EXPECT_DOUBLE_EQ(g.det3x3(), -11.0);
    EXPECT_DOUBLE_EQ(g.det4x4(), 55.0);

    EXPECT_TRUE((g * g.inverse()).isEquivalent(MMatrix::identity, 1e-14));
    EXPECT_TRUE(g.adjoint().isEquivalent(g.inverse() * g.det4x4(), 1e-13));
    EXPECT_EQ(g.transpose()(0, 3), 1.0);

    MMatrix singular = g;
    for (int c = 0; c < 4; ++c)
        singular.matrix[2][c] = 2.0 * singular.matrix[0][c];
    EXPECT_TRUE(singular.isSingular());
    EXPECT_FALSE(g.isSingular());
    EXPECT_EQ(singular.inverse(), MMatrix::identity);

    MMatrix h = g;
    h.matrix[1][1] += 1e-12;
    EXPECT_NE(h, g);
    EXPECT_TRUE(h.isEquivalent(g));
    EXPECT_FALSE(h.isEquivalent(g, 1e-13));
    h.matrix[3][3] = 2.0;
    EXPECT_EQ(h.homogenize()(0, 0), 1.0);
}
