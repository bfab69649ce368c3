#include <maya/MTransformationMatrix.h>

#include <cmath>

namespace
{
// The two enumerations list the same orders, offset by kInvalid.
MEulerRotation::RotationOrder ToEulerOrder(MTransformationMatrix::RotationOrder order)
{
    return static_cast<MEulerRotation::RotationOrder>(static_cast<int>(order) - MTransformationMatrix::kXYZ);
}

MTransformationMatrix::RotationOrder ToTransformOrder(MEulerRotation::RotationOrder order)
{
    return static_cast<MTransformationMatrix::RotationOrder>(static_cast<int>(order) +
                                                             MTransformationMatrix::kXYZ);
}

bool IsValid(MTransformationMatrix::RotationOrder order)
{
    return order > MTransformationMatrix::kInvalid && order < MTransformationMatrix::kLast;
}

bool IsPreTransform(MSpace::Space space)
{
    return space == MSpace::kPreTransform;
}

MVector Row(const MMatrix& m, int r)
{
    return {m.matrix[r][0], m.matrix[r][1], m.matrix[r][2]};
}

void SetRow(MMatrix& m, int r, const MVector& v)
{
    m.matrix[r][0] = v.x;
    m.matrix[r][1] = v.y;
    m.matrix[r][2] = v.z;
}

// Some unit vector perpendicular to the unit vector `v`.
MVector Perpendicular(const MVector& v)
{
    const MVector helper = std::fabs(v.x) < 0.9 ? MVector::xAxis : MVector::yAxis;
    return (helper ^ v).normal();
}

// Unit vector along `v`, or `fallback` when v has (nearly) vanished, as for a
// zero scale: the rotation must stay a rotation whatever the scale.
MVector UnitOr(const MVector& v, double length, const MVector& fallback)
{
    return length > 1e-300 ? v / length : fallback;
}
} // namespace

const MTransformationMatrix MTransformationMatrix::identity{};

MTransformationMatrix::MTransformationMatrix(const MMatrix& m)
{
    fTranslation = Row(m, 3);

    // Rows of S·Sh·R are sx·R0, sy·(xy·R0 + R1), sz·(xz·R0 + yz·R1 + R2):
    // lower-triangular times orthonormal, which Gram-Schmidt on the rows in
    // order undoes.
    const MVector row0 = Row(m, 0);
    const MVector row1 = Row(m, 1);
    const MVector row2 = Row(m, 2);

    fScale[0] = row0.length();
    const MVector r0 = UnitOr(row0, fScale[0], MVector::xAxis);

    const double p10 = row1 * r0; // sy·xy
    const MVector rest1 = row1 - r0 * p10;
    fScale[1] = rest1.length();
    const MVector r1 = UnitOr(rest1, fScale[1], Perpendicular(r0));

    const double p20 = row2 * r0; // sz·xz
    const double p21 = row2 * r1; // sz·yz
    const MVector rest2 = row2 - r0 * p20 - r1 * p21;
    fScale[2] = rest2.length();
    const MVector r2 = r0 ^ r1;
    if (fScale[2] > 1e-300 && rest2 * r2 < 0.0)
    {
        // The matrix mirrors; a rotation cannot, so the Z scale goes negative.
        fScale[2] = -fScale[2];
    }

    fShear[0] = fScale[1] != 0.0 ? p10 / fScale[1] : 0.0;
    fShear[1] = fScale[2] != 0.0 ? p20 / fScale[2] : 0.0;
    fShear[2] = fScale[2] != 0.0 ? p21 / fScale[2] : 0.0;

    MMatrix rotation;
    SetRow(rotation, 0, r0);
    SetRow(rotation, 1, r1);
    SetRow(rotation, 2, r2);
    fRotation = MEulerRotation::decompose(rotation, MEulerRotation::kXYZ);
}

MMatrix MTransformationMatrix::asScaleMatrix() const
{
    MMatrix s;
    s.matrix[0][0] = fScale[0];
    s.matrix[1][1] = fScale[1];
    s.matrix[2][2] = fScale[2];
    return s;
}

MMatrix MTransformationMatrix::asRotateMatrix() const
{
    return fRotation.asMatrix();
}

MMatrix MTransformationMatrix::asMatrix() const
{
    // S × Sh is lower-triangular; write it out rather than multiply.
    MMatrix ssh;
    ssh.matrix[0][0] = fScale[0];
    ssh.matrix[1][0] = fScale[1] * fShear[0];
    ssh.matrix[1][1] = fScale[1];
    ssh.matrix[2][0] = fScale[2] * fShear[1];
    ssh.matrix[2][1] = fScale[2] * fShear[2];
    ssh.matrix[2][2] = fScale[2];
    MMatrix m = ssh * fRotation.asMatrix();
    SetRow(m, 3, fTranslation);
    return m;
}

MMatrix MTransformationMatrix::asMatrixInverse() const
{
    return asMatrix().inverse();
}

MVector MTransformationMatrix::getTranslation(MSpace::Space space) const
{
    if (IsPreTransform(space))
    {
        // t expressed before S·Sh·R: solve v × (S·Sh·R) = t.
        MMatrix linear = asMatrix();
        SetRow(linear, 3, MVector::zero);
        return fTranslation * linear.inverse();
    }
    return fTranslation;
}

MStatus MTransformationMatrix::setTranslation(const MVector& vector, MSpace::Space space)
{
    if (IsPreTransform(space))
    {
        MMatrix linear = asMatrix();
        SetRow(linear, 3, MVector::zero);
        fTranslation = vector * linear;
    }
    else
    {
        fTranslation = vector;
    }
    return MStatus::kSuccess;
}

MStatus MTransformationMatrix::translateBy(const MVector& vector, MSpace::Space space)
{
    if (IsPreTransform(space))
    {
        MMatrix linear = asMatrix();
        SetRow(linear, 3, MVector::zero);
        fTranslation += vector * linear;
    }
    else
    {
        fTranslation += vector;
    }
    return MStatus::kSuccess;
}

MStatus MTransformationMatrix::getScale(double scale[3], MSpace::Space) const
{
    for (int i = 0; i < 3; ++i)
        scale[i] = fScale[i];
    return MStatus::kSuccess;
}

MStatus MTransformationMatrix::setScale(const double scale[3], MSpace::Space)
{
    for (int i = 0; i < 3; ++i)
        fScale[i] = scale[i];
    return MStatus::kSuccess;
}

MStatus MTransformationMatrix::scaleBy(const double scale[3], MSpace::Space)
{
    for (int i = 0; i < 3; ++i)
        fScale[i] *= scale[i];
    return MStatus::kSuccess;
}

MStatus MTransformationMatrix::getShear(double shear[3], MSpace::Space) const
{
    for (int i = 0; i < 3; ++i)
        shear[i] = fShear[i];
    return MStatus::kSuccess;
}

MStatus MTransformationMatrix::setShear(const double shear[3], MSpace::Space)
{
    for (int i = 0; i < 3; ++i)
        fShear[i] = shear[i];
    return MStatus::kSuccess;
}

MQuaternion MTransformationMatrix::rotation() const
{
    return fRotation.asQuaternion();
}

MEulerRotation MTransformationMatrix::eulerRotation() const
{
    return fRotation;
}

MTransformationMatrix& MTransformationMatrix::rotateTo(const MQuaternion& q, MSpace::Space)
{
    fRotation = MEulerRotation::decompose(q.normal().asMatrix(), fRotation.order);
    return *this;
}

MTransformationMatrix& MTransformationMatrix::rotateTo(const MEulerRotation& e, MSpace::Space)
{
    fRotation = e;
    return *this;
}

MTransformationMatrix& MTransformationMatrix::rotateBy(const MQuaternion& q, MSpace::Space space)
{
    const MMatrix added = q.normal().asMatrix();
    const MMatrix current = fRotation.asMatrix();
    fRotation =
        MEulerRotation::decompose(IsPreTransform(space) ? added * current : current * added, fRotation.order);
    return *this;
}

MTransformationMatrix& MTransformationMatrix::rotateBy(const MEulerRotation& e, MSpace::Space space)
{
    return rotateBy(e.asQuaternion(), space);
}

MStatus MTransformationMatrix::setRotationQuaternion(double x, double y, double z, double w,
                                                     MSpace::Space space)
{
    const MQuaternion q(x, y, z, w);
    if (q.x == 0.0 && q.y == 0.0 && q.z == 0.0 && q.w == 0.0)
        return MStatus(MStatus::kInvalidParameter, "Zero quaternion is not a rotation");
    rotateTo(q, space);
    return MStatus::kSuccess;
}

MStatus MTransformationMatrix::getRotationQuaternion(double& x, double& y, double& z, double& w,
                                                     MSpace::Space) const
{
    const MQuaternion q = rotation();
    x = q.x;
    y = q.y;
    z = q.z;
    w = q.w;
    return MStatus::kSuccess;
}

MStatus MTransformationMatrix::getRotation(double rotation[3], RotationOrder& order) const
{
    rotation[0] = fRotation.x;
    rotation[1] = fRotation.y;
    rotation[2] = fRotation.z;
    order = ToTransformOrder(fRotation.order);
    return MStatus::kSuccess;
}

MStatus MTransformationMatrix::setRotation(const double rotation[3], RotationOrder order)
{
    if (!IsValid(order))
        return MStatus::kInvalidParameter;
    fRotation = MEulerRotation(rotation, ToEulerOrder(order));
    return MStatus::kSuccess;
}

MTransformationMatrix::RotationOrder MTransformationMatrix::rotationOrder(MStatus* status) const
{
    if (status)
        *status = MStatus::kSuccess;
    return ToTransformOrder(fRotation.order);
}

MStatus MTransformationMatrix::setRotationOrder(RotationOrder order, bool preserve)
{
    if (!IsValid(order))
        return MStatus::kInvalidParameter;
    if (preserve)
        fRotation.reorderIt(ToEulerOrder(order));
    else
        fRotation.order = ToEulerOrder(order);
    return MStatus::kSuccess;
}

bool MTransformationMatrix::isEquivalent(const MTransformationMatrix& other, double tolerance) const
{
    return asMatrix().isEquivalent(other.asMatrix(), tolerance);
}
