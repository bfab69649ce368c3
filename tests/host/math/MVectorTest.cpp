#include <maya/MMatrix.h>
#include <maya/MPoint.h>
#include <maya/MQuaternion.h>
#include <maya/MVector.h>

#include <gtest/gtest.h>

#include <cmath>

TEST(MVector, ArithmeticByHand)
{
    const MVector a(1.0, 2.0, 3.0);
    const MVector b(4.0, -5.0, 6.0);
    EXPECT_EQ(a + b, MVector(5.0, -3.0, 9.0));
    EXPECT_EQ(a - b, MVector(-3.0, 7.0, -3.0));
    EXPECT_EQ(-a, MVector(-1.0, -2.0, -3.0));
    EXPECT_EQ(a * 2.0, MVector(2.0, 4.0, 6.0));
    EXPECT_EQ(2.0 * a, a * 2.0);
    EXPECT_EQ(b / 2.0, MVector(2.0, -2.5, 3.0));
    EXPECT_DOUBLE_EQ(a * b, 12.0);               // 4 - 10 + 18
    EXPECT_EQ(a ^ b, MVector(27.0, 6.0, -13.0)); // (2*6+15, 12-6, -5-8)
    EXPECT_EQ(MVector::xAxis ^ MVector::yAxis, MVector::zAxis);

    MVector c = a;
    c += b;
    c -= a;
    c *= 3.0;
    c /= 3.0;
    EXPECT_EQ(c, b);
    c[1] = 7.0;
    EXPECT_EQ(c.y, 7.0);
    EXPECT_EQ(c(2), 6.0);
}

TEST(MVector, LengthAndNormalisation)
{
    MVector v(3.0, 4.0, 12.0);
    EXPECT_EQ(v.length(), 13.0);
    // The summation order matters to callers: results must match
    // sqrt(x*x + y*y + z*z) bit for bit.
    const MVector odd(0.1, 0.7, 1e-9);
    EXPECT_EQ(odd.length(), std::sqrt(0.1 * 0.1 + 0.7 * 0.7 + 1e-9 * 1e-9));

    EXPECT_TRUE(v.normal().isEquivalent(MVector(3.0 / 13, 4.0 / 13, 12.0 / 13)));
    EXPECT_TRUE(v.normalize());
    EXPECT_NEAR(v.length(), 1.0, 1e-15);

    MVector zero;
    EXPECT_EQ(zero.normalize(), MStatus::kFailure);
    EXPECT_EQ(zero, MVector::zero);
    EXPECT_EQ(zero.normal(), MVector::zero);
}

TEST(MVector, AnglesAndEquivalence)
{
    EXPECT_DOUBLE_EQ(MVector::xAxis.angle(MVector::yAxis), M_PI / 2);
    EXPECT_DOUBLE_EQ(MVector(1, 1, 0).angle(MVector::xAxis), M_PI / 4);
    EXPECT_DOUBLE_EQ(MVector::xAxis.angle(MVector::xNegAxis), M_PI);
    EXPECT_EQ(MVector::zero.angle(MVector::xAxis), 0.0);

    // isEquivalent measures the distance between the vectors, not each
    // component on its own: (0.8e-3, 0.8e-3) apart is 1.13e-3 away.
    EXPECT_TRUE(MVector(1, 0, 0).isEquivalent(MVector(1.0 + 0.5e-3, 0.5e-3, 0), 1.0e-3));
    EXPECT_FALSE(MVector(1, 0, 0).isEquivalent(MVector(1.0 + 0.8e-3, 0.8e-3, 0), 1.0e-3));
    EXPECT_TRUE(MVector(1, 2, 3).isParallel(MVector(-2, -4, -6)));
    EXPECT_FALSE(MVector(1, 2, 3).isParallel(MVector(1, 2, 3.1)));
}

TEST(MVector, RotationsAreRightHanded)
{
    EXPECT_TRUE(MVector::xAxis.rotateBy(MVector::kZaxis, M_PI / 2).isEquivalent(MVector::yAxis));
    EXPECT_TRUE(MVector::yAxis.rotateBy(MVector::kXaxis, M_PI / 2).isEquivalent(MVector::zAxis));
    EXPECT_TRUE(MVector::zAxis.rotateBy(MVector::kYaxis, M_PI / 2).isEquivalent(MVector::xAxis));

    const MQuaternion q(2 * M_PI / 3, MVector(1, 1, 1)); // cycles the axes
    EXPECT_TRUE(MVector(1, 2, 3).rotateBy(q).isEquivalent(MVector(3, 1, 2)));
    EXPECT_TRUE(MVector(1, 2, 3).rotateBy(q).isEquivalent(MVector(1, 2, 3) * q.asMatrix()));

    const MVector from(1, 2, -1);
    const MVector to(-3, 0, 2);
    EXPECT_TRUE(from.rotateBy(from.rotateTo(to)).normal().isEquivalent(to.normal()));
}

TEST(MVector, MatrixProductIgnoresTranslation)
{
    MMatrix m; // rows: scale X by 2, swap Y into Z, translate by (5, 6, 7)
    m.matrix[0][0] = 2.0;
    m.matrix[1][1] = 0.0;
    m.matrix[1][2] = 1.0;
    m.matrix[2][1] = -1.0;
    m.matrix[2][2] = 0.0;
    m.matrix[3][0] = 5.0;
    m.matrix[3][1] = 6.0;
    m.matrix[3][2] = 7.0;
    EXPECT_EQ(MVector(1, 2, 3) * m, MVector(2, -3, 2));
    MVector v(1, 2, 3);
    v *= m;
    EXPECT_EQ(v, MVector(2, -3, 2));

    // A normal stays perpendicular to the transformed surface under
    // non-uniform scale, where v × M would not.
    MMatrix s;
    s.matrix[0][0] = 4.0;
    s.matrix[3][0] = 9.0;
    const MVector tangent(1, 1, 0);
    const MVector normal(1, -1, 0);
    EXPECT_NEAR((tangent * s) * normal.transformAsNormal(s), 0.0, 1e-12);
    EXPECT_TRUE(normal.transformAsNormal(s).isEquivalent(MVector(0.25, -1, 0)));
}
