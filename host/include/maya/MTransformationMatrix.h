#pragma once
/// \file MTransformationMatrix.h
/// A transform held as separate scale, shear, rotation and translation.

#include <maya/MEulerRotation.h>
#include <maya/MMatrix.h>
#include <maya/MQuaternion.h>
#include <maya/MStatus.h>
#include <maya/MTypes.h>
#include <maya/MVector.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

/// Default tolerance of MTransformationMatrix::isEquivalent.
#define MTransformationMatrix_kTol 1.0e-10

/// Scale, shear, rotation and translation composed as Maya composes a
/// transform without pivots: M = S × Sh × R × T in the row-vector
/// convention (scale first, translation last), where
/// Sh = [1 0 0; xy 1 0; xz yz 1] for shear (xy, xz, yz).
///
/// Spaces: kTransform, kPostTransform and kWorld read and write the
/// components as stored. For translation, kPreTransform (kObject) expresses
/// the vector in the space before scale, shear and rotation (so
/// translateBy(v, kObject) moves along the object's own axes); for rotation
/// it applies an added rotation before the existing one instead of after.
/// Scale and shear are the same in every space.
class MTransformationMatrix
{
public:
    /// Rotation orders; unlike MEulerRotation's, these start at kInvalid.
    enum RotationOrder
    {
        kInvalid,
        kXYZ,
        kYZX,
        kZXY,
        kXZY,
        kYXZ,
        kZYX,
        kLast
    };

    /// The identity transform, rotation order kXYZ.
    MTransformationMatrix() = default;
    /// Decomposes `m` (see class note). The upper 3×3 is split by
    /// Gram-Schmidt on its rows: row 0 gives the X scale, shear xy and xz
    /// come from the later rows' projections. A mirroring matrix
    /// (negative det3x3) gets a negative Z scale. Rotation is read in
    /// order kXYZ. m's last column should be (0, 0, 0, 1).
    MTransformationMatrix(const MMatrix& m);

    /// S × Sh × R × T.
    MMatrix asMatrix() const;
    MMatrix asMatrixInverse() const;
    MMatrix asScaleMatrix() const;
    MMatrix asRotateMatrix() const;

    MVector getTranslation(MSpace::Space space) const;
    MStatus setTranslation(const MVector& vector, MSpace::Space space);
    MStatus translateBy(const MVector& vector, MSpace::Space space);

    MStatus getScale(double scale[3], MSpace::Space space) const;
    MStatus setScale(const double scale[3], MSpace::Space space);
    /// Multiplies each scale component by the given factor.
    MStatus scaleBy(const double scale[3], MSpace::Space space);
    /// Shear as (xy, xz, yz).
    MStatus getShear(double shear[3], MSpace::Space space) const;
    MStatus setShear(const double shear[3], MSpace::Space space);

    /// The rotation as a unit quaternion.
    MQuaternion rotation() const;
    /// The rotation as Euler angles in this transform's rotation order.
    MEulerRotation eulerRotation() const;
    /// Replaces the rotation. Euler angles are kept as given (with their
    /// order); a quaternion is converted in the current order.
    MTransformationMatrix& rotateTo(const MQuaternion& q, MSpace::Space space = MSpace::kTransform);
    MTransformationMatrix& rotateTo(const MEulerRotation& e, MSpace::Space space = MSpace::kTransform);
    /// Adds a rotation after the existing one (kTransform) or before it
    /// (kPreTransform/kObject).
    MTransformationMatrix& rotateBy(const MQuaternion& q, MSpace::Space space = MSpace::kTransform);
    MTransformationMatrix& rotateBy(const MEulerRotation& e, MSpace::Space space = MSpace::kTransform);
    MStatus setRotationQuaternion(double x, double y, double z, double w,
                                  MSpace::Space space = MSpace::kTransform);
    MStatus getRotationQuaternion(double& x, double& y, double& z, double& w,
                                  MSpace::Space space = MSpace::kTransform) const;
    /// Euler angles in radians and their order.
    MStatus getRotation(double rotation[3], RotationOrder& order) const;
    /// Fails with kInvalidParameter for kInvalid or kLast.
    MStatus setRotation(const double rotation[3], RotationOrder order);

    RotationOrder rotationOrder(MStatus* status = nullptr) const;
    /// Changes the order. With `preserve` the angles are recomputed so the
    /// orientation stays the same; without it the angles are kept and the
    /// orientation changes. Fails with kInvalidParameter for kInvalid or
    /// kLast.
    MStatus setRotationOrder(RotationOrder order, bool preserve);

    /// True if the composed matrices are equivalent within `tolerance`.
    bool isEquivalent(const MTransformationMatrix& other,
                      double tolerance = MTransformationMatrix_kTol) const;
    /// Compares the composed matrices exactly.
    bool operator==(const MTransformationMatrix& other) const { return asMatrix() == other.asMatrix(); }
    bool operator!=(const MTransformationMatrix& other) const { return !(*this == other); }

    static const MTransformationMatrix identity;

private:
    MVector fTranslation;
    MEulerRotation fRotation;
    double fScale[3] = {1.0, 1.0, 1.0};
    double fShear[3] = {0.0, 0.0, 0.0};
};

OPENMAYA_NAMESPACE_CLOSE
