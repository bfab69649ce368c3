#include <maya/MEulerRotation.h>
#include <maya/MPoint.h>
#include <maya/MTransformationMatrix.h>

#include <gtest/gtest.h>

#include <cmath>

namespace
{
MTransformationMatrix Compose(const double scale[3], const double shear[3], const MEulerRotation& r,
                              const MVector& t)
{
    MTransformationMatrix tm;
    tm.setScale(scale, MSpace::kTransform);
    tm.setShear(shear, MSpace::kTransform);
    tm.rotateTo(r);
    tm.setTranslation(t, MSpace::kTransform);
    return tm;
}
} // namespace

TEST(MTransformationMatrix, ComposesScaleShearRotateTranslate)
{
    const double scale[3] = {2, 3, 4};
    const double shear[3] = {0.5, 0, 0};
    const MTransformationMatrix tm = Compose(scale, shear, MEulerRotation(0, 0, M_PI / 2), MVector(10, 0, 0));
    const MMatrix m = tm.asMatrix();
    // X: scaled to 2, turned onto Y, moved by 10 in X.
    EXPECT_TRUE((MPoint(1, 0, 0) * m).isEquivalent(MPoint(10, 2, 0)));
    // Y: scaled to 3 and sheared by 0.5*3 along X: (1.5, 3), turned to (-3, 1.5).
    EXPECT_TRUE((MPoint(0, 1, 0) * m).isEquivalent(MPoint(7, 1.5, 0)));
    EXPECT_TRUE((MPoint(0, 0, 1) * m).isEquivalent(MPoint(10, 0, 4)));
    EXPECT_TRUE((m * tm.asMatrixInverse()).isEquivalent(MMatrix::identity, 1e-14));
}

TEST(MTransformationMatrix, DecomposeRecomposeRoundTrip)
{
    const double scale[3] = {1.5, 0.25, 3};
    const double shear[3] = {0.3, -0.2, 0.7};
    const MEulerRotation rotation(0.4, -1.0, 2.2);
    const MVector translation(-3, 5, 0.5);
    const MMatrix m = Compose(scale, shear, rotation, translation).asMatrix();

    const MTransformationMatrix back(m);
    double s[3], sh[3];
    back.getScale(s, MSpace::kTransform);
    back.getShear(sh, MSpace::kTransform);
    for (int i = 0; i < 3; ++i)
    {
        EXPECT_NEAR(s[i], scale[i], 1e-13);
        EXPECT_NEAR(sh[i], shear[i], 1e-13);
    }
    EXPECT_TRUE(back.eulerRotation().isEquivalent(rotation, 1e-13));
    EXPECT_TRUE(back.getTranslation(MSpace::kWorld).isEquivalent(translation));
    EXPECT_TRUE(back.asMatrix().isEquivalent(m, 1e-13));

    // A mirror cannot be a rotation: it comes back as a negative Z scale.
    const double mirrored[3] = {1, -2, 1};
    const MMatrix mm = Compose(mirrored, shear, rotation, translation).asMatrix();
    const MTransformationMatrix mb(mm);
    mb.getScale(s, MSpace::kTransform);
    EXPECT_LT(s[2], 0.0);
    EXPECT_TRUE(mb.asMatrix().isEquivalent(mm, 1e-13));
}

TEST(MTransformationMatrix, SpacesAndRotationOrder)
{
    MTransformationMatrix tm;
    tm.rotateTo(MEulerRotation(0, 0, M_PI / 2));
    const double scale[3] = {2, 2, 2};
    tm.setScale(scale, MSpace::kTransform);
    // One unit along the object's X is two units along world Y.
    tm.translateBy(MVector(1, 0, 0), MSpace::kObject);
    EXPECT_TRUE(tm.getTranslation(MSpace::kTransform).isEquivalent(MVector(0, 2, 0)));

    // rotateBy in kTransform applies after the existing rotation.
    tm.rotateBy(MQuaternion(M_PI / 2, MVector::xAxis));
    EXPECT_TRUE((MVector::xAxis * tm.asRotateMatrix()).isEquivalent(MVector::zAxis, 1e-15));

    const MMatrix before = tm.asMatrix();
    EXPECT_TRUE(tm.setRotationOrder(MTransformationMatrix::kZYX, true));
    EXPECT_EQ(tm.eulerRotation().order, MEulerRotation::kZYX);
    EXPECT_TRUE(tm.asMatrix().isEquivalent(before, 1e-14));
    const MEulerRotation kept = tm.eulerRotation();
    EXPECT_TRUE(tm.setRotationOrder(MTransformationMatrix::kXYZ, false));
    EXPECT_TRUE(tm.eulerRotation().asVector().isEquivalent(kept.asVector(), 0.0));
    EXPECT_EQ(tm.setRotationOrder(MTransformationMatrix::kInvalid, true), MStatus::kInvalidParameter);
}
