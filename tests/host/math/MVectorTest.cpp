#include <maya/MMatrix.h>
#include <maya/MQuaternion.h>
#include <maya/MVector.h>

#include <gtest/gtest.h>

#include <cmath>

TEST(MVector, ArithmeticByHand)
{
    const MVector a(1.0, 2.0, 3.0);
    const MVector b(4.0, -5.0, 6.0);
    // (-6, 14, -6) - (3, 6, 9) + (2, -2.5, 3) + (-1, -2, -3)
    EXPECT_EQ(2.0 * (a - b) - a * 3.0 + b / 2.0 + -a, MVector(-8.0, 3.5, -15.0));
    EXPECT_DOUBLE_EQ(a * b, 12.0);               // 4 - 10 + 18
    EXPECT_EQ(a ^ b, MVector(27.0, 6.0, -13.0)); // (2*6+15, 12-6, -5-8)

    MVector c = a;
    c += b;
    c -= a;
    c *= 3.0;
    c /= 3.0;
    EXPECT_EQ(c, b);
}

TEST(MVector, LengthAndNormalisation)
{
    MVector v(3.0, 4.0, 12.0);
    EXPECT_EQ(v.length(), 13.0);
    // The summation order matters to callers: results must match
    // sqrt(x*x + y*y + z*z) bit for bit. Here z*z first, or std::hypot,
    // gives one ulp less.
    const MVector odd(0.1, 0.6, 0.8);
    EXPECT_EQ(odd.length(), std::sqrt(0.1 * 0.1 + 0.6 * 0.6 + 0.8 * 0.8));

    EXPECT_TRUE(v.normal().isEquivalent(MVector(3.0 / 13, 4.0 / 13, 12.0 / 13)));
    EXPECT_TRUE(v.normalize());
    EXPECT_NEAR(v.length(), 1.0, 1e-15);

    MVector zero;
    EXPECT_EQ(zero.normalize(), MStatus::kFailure);
    EXPECT_EQ(zero, MVector::zero);
    EXPECT_EQ(zero.normal(), MVector::zero);
}

TEST(MVector, AnglesRotationsAndEquivalence)
{
    EXPECT_DOUBLE_EQ(MVector(1, 1, 0).angle(MVector::xAxis), M_PI / 4);
    EXPECT_EQ(MVector::zero.angle(MVector::xAxis), 0.0);
    // Right-handed turns.
    EXPECT_TRUE(MVector::xAxis.rotateBy(MVector::kZaxis, M_PI / 2).isEquivalent(MVector::yAxis));
    EXPECT_TRUE(MVector::yAxis.rotateBy(MVector::kXaxis, M_PI / 2).isEquivalent(MVector::zAxis));
    EXPECT_TRUE(MVector::zAxis.rotateBy(MVector::kYaxis, M_PI / 2).isEquivalent(MVector::xAxis));
    const MQuaternion q(2 * M_PI / 3, MVector(1, 1, 1)); // cycles the axes
    EXPECT_TRUE(MVector(1, 2, 3).rotateBy(q).isEquivalent(MVector(3, 1, 2)));
    const MVector from(1, 2, -1);
    const MVector to(-3, 0, 2);
    EXPECT_TRUE(from.rotateBy(from.rotateTo(to)).normal().isEquivalent(to.normal()));

    // isEquivalent measures the distance between the vectors, not each
    // component on its own: (0.8e-3, 0.8e-3) apart is 1.13e-3 away.
    EXPECT_TRUE(MVector(1, 0, 0).isEquivalent(MVector(1.0 + 0.5e-3, 0.5e-3, 0), 1.0e-3));
    EXPECT_FALSE(MVector(1, 0, 0).isEquivalent(MVector(1.0 + 0.8e-3, 0.8e-3, 0), 1.0e-3));
    EXPECT_TRUE(MVector(1, 2, 3).isParallel(MVector(-2, -4, -6)));
    EXPECT_FALSE(MVector(1, 2, 3).isParallel(MVector(1, 2, 3.1)));
}

TEST(MVector, MatrixProductIgnoresTranslation)
{
    MMatrix m; // row-vector convention: row 1 sends Y into Z too; row 3 translates
    m.matrix[1][2] = 1.0;
    m.matrix[3][0] = 5.0;
    MVector v(1, 2, 3);
    v *= m;
    EXPECT_EQ(v, MVector(1, 2, 5));

    // A normal stays perpendicular to the transformed surface under
    // non-uniform scale, where v × M would not.
    MMatrix s;
    s.matrix[0][0] = 4.0;
    s.matrix[3][0] = 9.0;
    const MVector normal(1, -1, 0);
    EXPECT_NEAR((MVector(1, 1, 0) * s) * normal.transformAsNormal(s), 0.0, 1e-12);
    EXPECT_TRUE(normal.transformAsNormal(s).isEquivalent(MVector(0.25, -1, 0)));
}
