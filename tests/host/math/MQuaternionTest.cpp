#include <maya/MEulerRotation.h>
#include <maya/MMatrix.h>
#include <maya/MQuaternion.h>
#include <maya/MVector.h>

#include <gtest/gtest.h>

#include <cmath>

TEST(MQuaternion, AxisAngleByHandAndProductOrder)
{
    const MQuaternion q(M_PI / 2, MVector(0, 0, 2)); // axis need not be unit
    EXPECT_NEAR(q.z, std::sqrt(0.5), 1e-15);
    // Row-vector matrix: row 0 is the image of X, which turns into Y.
    const MMatrix m = q.asMatrix();
    EXPECT_NEAR(m(0, 1), 1.0, 1e-15);
    EXPECT_NEAR(m(1, 0), -1.0, 1e-15);

    MVector axis;
    double angle = 0.0;
    EXPECT_TRUE(q.getAxisAngle(axis, angle));
    EXPECT_TRUE(axis.isEquivalent(MVector::zAxis));
    EXPECT_NEAR(angle, M_PI / 2, 1e-15);
    EXPECT_FALSE(MQuaternion::identity.getAxisAngle(axis, angle));

    // The product composes like matrices: rotating by a then b.
    const MQuaternion a(0.7, MVector(1, 2, 3));
    const MQuaternion b(-1.3, MVector(-2, 0.5, 1));
    EXPECT_TRUE((a * b).asMatrix().isEquivalent(a.asMatrix() * b.asMatrix(), 1e-14));
    const MVector v(0.3, -1, 2);
    EXPECT_TRUE(v.rotateBy(a * b).isEquivalent(v.rotateBy(a).rotateBy(b), 1e-14));
    // The inverse of a non-unit quaternion divides by the squared norm.
    const MQuaternion scaled = a * 2.0;
    EXPECT_TRUE((scaled * scaled.inverse()).isEquivalent(MQuaternion::identity, 1e-15));
    EXPECT_TRUE(scaled.normal().isEquivalent(a, 1e-15));
}

TEST(MQuaternion, MatrixRoundTripIncludingHalfTurns)
{
    // Half turns exercise every branch of the matrix conversion (w = 0).
    const MQuaternion cases[] = {
        MQuaternion(0.4, MVector(1, 1, 0)),  MQuaternion(M_PI, MVector::xAxis),
        MQuaternion(M_PI, MVector::yAxis),   MQuaternion(M_PI, MVector::zAxis),
        MQuaternion(3.0, MVector(-1, 2, 5)),
    };
    for (const MQuaternion& q : cases)
    {
        MQuaternion back;
        back = q.asMatrix();
        EXPECT_TRUE(back.asMatrix().isEquivalent(q.asMatrix(), 1e-14)) << q;
        EXPECT_NEAR(back.w * back.w + back.x * back.x + back.y * back.y + back.z * back.z, 1.0, 1e-15);
    }
}

TEST(MQuaternion, BetweenVectorsAndSlerp)
{
    const MVector a(1, 0, 0);
    EXPECT_TRUE(a.rotateBy(MQuaternion(a, MVector(0, 3, 0), 0.5)).isEquivalent(MVector(1, 1, 0).normal()));
    // Opposite vectors: a half turn about some perpendicular axis.
    EXPECT_TRUE(a.rotateBy(MQuaternion(a, -a)).isEquivalent(-a, 1e-15));
    EXPECT_EQ(MQuaternion(a, MVector::zero), MQuaternion::identity);

    const MQuaternion from;
    const MQuaternion to(M_PI / 2, MVector::zAxis);
    EXPECT_TRUE(slerp(from, to, 0.5).isEquivalent(MQuaternion(M_PI / 4, MVector::zAxis), 1e-15));
    // -to is the same rotation; slerp still takes the short way.
    EXPECT_TRUE(
        MVector::xAxis.rotateBy(slerp(from, -to, 0.5)).isEquivalent(MVector(1, 1, 0).normal(), 1e-15));
    EXPECT_TRUE(to.asEulerRotation().isEquivalent(MEulerRotation(0, 0, M_PI / 2), 1e-15));
}
