#include <maya/MEulerRotation.h>
#include <maya/MMatrix.h>
#include <maya/MQuaternion.h>
#include <maya/MVector.h>

#include <gtest/gtest.h>

#include <cmath>

TEST(MEulerRotation, OrderXyzIsRxRyRz)
{
    const MEulerRotation e(0.3, -0.5, 1.1);
    const MMatrix expected = MEulerRotation(0.3, 0, 0).asMatrix() * MEulerRotation(0, -0.5, 0).asMatrix() *
                             MEulerRotation(0, 0, 1.1).asMatrix();
    EXPECT_TRUE(e.asMatrix().isEquivalent(expected, 1e-15));

    // Row vectors, XYZ turns about X first: Y goes to Z, which the Z turn leaves alone.
    // ZYX turns about Z first: Y goes to -X, which the X turn leaves alone.
    const MVector y = MVector::yAxis;
    EXPECT_TRUE((y * MEulerRotation(M_PI / 2, 0, M_PI / 2).asMatrix()).isEquivalent(MVector::zAxis));
    EXPECT_TRUE((y * MEulerRotation(M_PI / 2, 0, M_PI / 2, MEulerRotation::kZYX).asMatrix())
                    .isEquivalent(MVector::xNegAxis));
}

TEST(MEulerRotation, EveryOrderRoundTrips)
{
    const MEulerRotation angles[] = {
        {0.3, -0.5, 1.1}, {-2.5, 1.2, 3.0}, {0.0, M_PI / 2, 0.4}, {0.7, -M_PI / 2, -0.2}, {0, 0, 0}};
    for (const auto order : {MEulerRotation::kXYZ, MEulerRotation::kYZX, MEulerRotation::kZXY,
                             MEulerRotation::kXZY, MEulerRotation::kYXZ, MEulerRotation::kZYX})
    {
        for (const MEulerRotation& a : angles)
        {
            const MEulerRotation e(a.x, a.y, a.z, order);
            EXPECT_TRUE(e.asQuaternion().asMatrix().isEquivalent(e.asMatrix(), 1e-14)) << e;
            const MEulerRotation back = MEulerRotation::decompose(e.asMatrix(), order);
            EXPECT_EQ(back.order, order);
            EXPECT_TRUE(back.asMatrix().isEquivalent(e.asMatrix(), 1e-12)) << e << " -> " << back;
            EXPECT_TRUE((e * e.inverse()).asMatrix().isEquivalent(MMatrix::identity, 1e-14)) << e;
            EXPECT_TRUE(e.reorder(MEulerRotation::kYXZ).asMatrix().isEquivalent(e.asMatrix(), 1e-12)) << e;
        }
    }
    // Away from gimbal lock the angles themselves come back.
    const MEulerRotation e(0.3, -0.5, 1.1, MEulerRotation::kZXY);
    EXPECT_TRUE(MEulerRotation::decompose(e.asMatrix(), MEulerRotation::kZXY).isEquivalent(e, 1e-14));
}
