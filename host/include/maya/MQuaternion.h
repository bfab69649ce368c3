#pragma once
/// \file MQuaternion.h
/// Maya's rotation quaternion.

#include <maya/MStatus.h>

#include <iosfwd>

OPENMAYA_MAJOR_NAMESPACE_OPEN

class MVector;
class MMatrix;
class MEulerRotation;

/// Default tolerance of MQuaternion::isEquivalent.
#define MQuaternion_kTol 1.0e-10

/// A quaternion x i + y j + z k + w; unit quaternions are rotations.
/// Products follow Maya's matrix order: (a * b).asMatrix() equals
/// a.asMatrix() * b.asMatrix(), i.e. rotate by a, then by b.
class MQuaternion
{
public:
    /// The identity rotation (0, 0, 0, 1).
    constexpr MQuaternion() = default;
    constexpr MQuaternion(double xx, double yy, double zz, double ww) : x(xx), y(yy), z(zz), w(ww) {}
    constexpr explicit MQuaternion(const double q[4]) : x(q[0]), y(q[1]), z(q[2]), w(q[3]) {}
    /// The shortest-arc rotation taking the direction of `a` onto that of
    /// `b`. Opposite directions give a half turn about an axis
    /// perpendicular to `a`; a zero vector gives the identity.
    MQuaternion(const MVector& a, const MVector& b);
    /// As above, but only `angleFactor` (0..1) of the way.
    MQuaternion(const MVector& a, const MVector& b, double angleFactor);
    /// Rotation by `angle` radians about `axis` (right-handed; the axis need
    /// not be unit length; a zero axis gives the identity).
    MQuaternion(double angle, const MVector& axis);

    double operator[](unsigned int i) const { return i == 0 ? x : i == 1 ? y : i == 2 ? z : w; }
    double& operator[](unsigned int i) { return i == 0 ? x : i == 1 ? y : i == 2 ? z : w; }

    /// Sets this to the rotation matching the rotation in `m`.
    /// The upper 3×3 must be a pure rotation (orthonormal, determinant +1).
    MQuaternion& operator=(const MMatrix& m);
    MQuaternion& operator=(const MEulerRotation& e);

    /// The rotation as a matrix in Maya's row-vector convention.
    MMatrix asMatrix() const;
    /// The rotation as Euler angles in order XYZ.
    MEulerRotation asEulerRotation() const;

    MQuaternion& setAxisAngle(const MVector& axis, double angle);
    /// The unit axis and the angle in [0, 2 pi]. Returns false (axis set
    /// to +X, angle 0) for the identity, which has no axis.
    bool getAxisAngle(MVector& axis, double& angle) const;
    MQuaternion& setToXAxis(double angle);
    MQuaternion& setToYAxis(double angle);
    MQuaternion& setToZAxis(double angle);

    /// Rotate by this, then by `o` (see class note).
    MQuaternion operator*(const MQuaternion& o) const;
    MQuaternion& operator*=(const MQuaternion& o) { return *this = *this * o; }
    MQuaternion operator+(const MQuaternion& o) const { return {x + o.x, y + o.y, z + o.z, w + o.w}; }
    MQuaternion operator-(const MQuaternion& o) const { return {x - o.x, y - o.y, z - o.z, w - o.w}; }
    MQuaternion operator-() const { return {-x, -y, -z, -w}; }
    MQuaternion operator*(double s) const { return {x * s, y * s, z * s, w * s}; }

    /// Exact comparison.
    bool operator==(const MQuaternion& o) const { return x == o.x && y == o.y && z == o.z && w == o.w; }
    bool operator!=(const MQuaternion& o) const { return !(*this == o); }
    /// True if the 4D distance between the quaternions is <= tolerance.
    /// q and -q are the same rotation but are not equivalent here.
    bool isEquivalent(const MQuaternion& o, double tolerance = MQuaternion_kTol) const;

    /// Unit-length copy; a zero quaternion is returned unchanged.
    MQuaternion normal() const;
    MQuaternion& normalizeIt() { return *this = normal(); }
    /// (-x, -y, -z, w): the inverse rotation for a unit quaternion.
    MQuaternion conjugate() const { return {-x, -y, -z, w}; }
    MQuaternion& conjugateIt() { return *this = conjugate(); }
    /// conjugate() / |q|²; a zero quaternion is returned unchanged.
    MQuaternion inverse() const;
    MQuaternion& invertIt() { return *this = inverse(); }

    static const MQuaternion identity;

    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
    double w = 1.0;
};

inline MQuaternion operator*(double s, const MQuaternion& q)
{
    return q * s;
}
/// Spherical interpolation from p (t = 0) to q (t = 1) along the shorter arc.
MQuaternion slerp(const MQuaternion& p, const MQuaternion& q, double t);
std::ostream& operator<<(std::ostream& out, const MQuaternion& q);

inline const MQuaternion MQuaternion::identity{0.0, 0.0, 0.0, 1.0};

OPENMAYA_NAMESPACE_CLOSE
