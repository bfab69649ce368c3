#pragma once
/// \file MEulerRotation.h
/// Maya's Euler-angle rotation.

#include <maya/MStatus.h>
#include <maya/MVector.h>

#include <iosfwd>

OPENMAYA_MAJOR_NAMESPACE_OPEN

class MMatrix;
class MQuaternion;

/// Default tolerance of MEulerRotation::isEquivalent.
#define MEulerRotation_kTol 1.0e-10

/// Three angles in radians and the order they apply in. The order names
/// the first rotation first: kXYZ rotates about X, then Y, then Z, so its
/// matrix is Rx · Ry · Rz in Maya's row-vector convention.
class MEulerRotation
{
public:
    enum RotationOrder
    {
        kXYZ,
        kYZX,
        kZXY,
        kXZY,
        kYXZ,
        kZYX
    };

    constexpr MEulerRotation() = default;
    constexpr MEulerRotation(double xx, double yy, double zz, RotationOrder ord = kXYZ)
        : x(xx), y(yy), z(zz), order(ord)
    {
    }
    constexpr explicit MEulerRotation(const MVector& v, RotationOrder ord = kXYZ)
        : x(v.x), y(v.y), z(v.z), order(ord)
    {
    }
    constexpr explicit MEulerRotation(const double v[3], RotationOrder ord = kXYZ)
        : x(v[0]), y(v[1]), z(v[2]), order(ord)
    {
    }

    double operator[](unsigned int i) const { return i == 0 ? x : (i == 1 ? y : z); }
    double& operator[](unsigned int i) { return i == 0 ? x : (i == 1 ? y : z); }

    MEulerRotation& setValue(double xx, double yy, double zz, RotationOrder ord = kXYZ)
    {
        x = xx;
        y = yy;
        z = zz;
        order = ord;
        return *this;
    }
    /// The angles as a vector (order dropped).
    MVector asVector() const { return {x, y, z}; }
    MMatrix asMatrix() const;
    MQuaternion asQuaternion() const;

    /// The same orientation expressed in another order.
    MEulerRotation reorder(RotationOrder ord) const;
    MEulerRotation& reorderIt(RotationOrder ord) { return *this = reorder(ord); }
    /// Angles that reproduce the rotation in `m` in the given order,
    /// each in (-pi, pi], the middle one in [-pi/2, pi/2]. At gimbal lock
    /// the last angle is 0. `m`'s upper 3×3 must be a pure rotation.
    static MEulerRotation decompose(const MMatrix& m, RotationOrder ord);

    /// The rotation that undoes this one: negated angles in reversed order.
    MEulerRotation inverse() const;

    /// Component-wise sum/difference of the angles; the order is this one's.
    MEulerRotation operator+(const MEulerRotation& o) const { return {x + o.x, y + o.y, z + o.z, order}; }
    MEulerRotation operator-(const MEulerRotation& o) const { return {x - o.x, y - o.y, z - o.z, order}; }
    MEulerRotation operator-() const { return {-x, -y, -z, order}; }
    MEulerRotation operator*(double s) const { return {x * s, y * s, z * s, order}; }
    /// Rotate by this, then by `o`, expressed in this rotation's order.
    MEulerRotation operator*(const MEulerRotation& o) const;

    /// Exact comparison of angles and order.
    bool operator==(const MEulerRotation& o) const
    {
        return x == o.x && y == o.y && z == o.z && order == o.order;
    }
    bool operator!=(const MEulerRotation& o) const { return !(*this == o); }
    /// Same order and every angle within `tolerance` (angles are not
    /// wrapped: 0 and 2 pi differ).
    bool isEquivalent(const MEulerRotation& o, double tolerance = MEulerRotation_kTol) const;
    /// True if every angle is within `tolerance` of 0.
    bool isZero(double tolerance = MEulerRotation_kTol) const;

    static const MEulerRotation identity;

    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
    RotationOrder order = kXYZ;
};

inline MEulerRotation operator*(double s, const MEulerRotation& e)
{
    return e * s;
}
std::ostream& operator<<(std::ostream& out, const MEulerRotation& e);

inline const MEulerRotation MEulerRotation::identity{};

OPENMAYA_NAMESPACE_CLOSE
