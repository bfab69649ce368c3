#pragma once
/// \file MVector.h
/// Maya's double-precision 3D vector.

#include <maya/MStatus.h>

#include <cmath>
#include <iosfwd>

OPENMAYA_MAJOR_NAMESPACE_OPEN

class MPoint;
class MFloatVector;
class MMatrix;
class MQuaternion;

/// Default tolerance of MVector::isEquivalent.
#define MVector_kTol 1.0e-10

/// A direction or displacement in 3D. Vectors transform as row vectors
/// (v × M) and ignore the matrix's translation row.
class MVector
{
public:
    /// Axis selector for rotateBy(Axis, angle).
    enum Axis
    {
        kXaxis,
        kYaxis,
        kZaxis,
        kWaxis
    };

    constexpr MVector() = default;
    constexpr MVector(double xx, double yy, double zz = 0.0) : x(xx), y(yy), z(zz) {}
    constexpr explicit MVector(const double d[3]) : x(d[0]), y(d[1]), z(d[2]) {}
    constexpr explicit MVector(const float f[3]) : x(f[0]), y(f[1]), z(f[2]) {}
    /// The point's cartesian position (x/w, y/w, z/w; unchanged when w is 0).
    inline MVector(const MPoint& p);
    inline MVector(const MFloatVector& v);

    double operator[](unsigned int i) const { return i == 0 ? x : (i == 1 ? y : z); }
    double& operator[](unsigned int i) { return i == 0 ? x : (i == 1 ? y : z); }
    double operator()(unsigned int i) const { return (*this)[i]; }
    double& operator()(unsigned int i) { return (*this)[i]; }

    MVector operator+(const MVector& o) const { return {x + o.x, y + o.y, z + o.z}; }
    MVector operator-(const MVector& o) const { return {x - o.x, y - o.y, z - o.z}; }
    MVector operator-() const { return {-x, -y, -z}; }
    MVector operator*(double s) const { return {x * s, y * s, z * s}; }
    /// Component-wise x / s (not multiplication by 1/s), so results match
    /// division done by hand.
    MVector operator/(double s) const { return {x / s, y / s, z / s}; }
    MVector& operator+=(const MVector& o)
    {
        x += o.x;
        y += o.y;
        z += o.z;
        return *this;
    }
    MVector& operator-=(const MVector& o)
    {
        x -= o.x;
        y -= o.y;
        z -= o.z;
        return *this;
    }
    MVector& operator*=(double s)
    {
        x *= s;
        y *= s;
        z *= s;
        return *this;
    }
    MVector& operator/=(double s)
    {
        x /= s;
        y /= s;
        z /= s;
        return *this;
    }
    /// Dot product.
    double operator*(const MVector& o) const { return x * o.x + y * o.y + z * o.z; }
    /// Cross product (right-handed: xAxis ^ yAxis == zAxis).
    MVector operator^(const MVector& o) const
    {
        return {y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x};
    }
    /// v × M with the translation row ignored.
    MVector operator*(const MMatrix& m) const;
    MVector& operator*=(const MMatrix& m);

    /// Exact component-wise comparison; use isEquivalent for tolerance.
    bool operator==(const MVector& o) const { return x == o.x && y == o.y && z == o.z; }
    bool operator!=(const MVector& o) const { return !(*this == o); }

    /// sqrt(x*x + y*y + z*z), summed in that order.
    double length() const { return std::sqrt(x * x + y * y + z * z); }
    /// A unit vector in this direction; a zero vector is returned unchanged.
    MVector normal() const
    {
        const double len = length();
        return len > 0.0 ? MVector(x / len, y / len, z / len) : *this;
    }
    /// Scales to unit length. Fails with kFailure, leaving the vector
    /// unchanged, when its length is zero.
    MStatus normalize()
    {
        const double len = length();
        if (!(len > 0.0))
            return MStatus::kFailure;
        x /= len;
        y /= len;
        z /= len;
        return MStatus::kSuccess;
    }
    /// The angle to `o` in radians, in [0, pi]; 0 if either is zero length.
    double angle(const MVector& o) const;
    /// True if the distance between the two vectors is <= tolerance.
    bool isEquivalent(const MVector& o, double tolerance = MVector_kTol) const
    {
        return (*this - o).length() <= tolerance;
    }
    /// True if the two vectors point the same or opposite way, within
    /// `tolerance` on the sine of the angle between their directions.
    bool isParallel(const MVector& o, double tolerance = MVector_kTol) const;

    /// This vector rotated by the quaternion.
    MVector rotateBy(const MQuaternion& q) const;
    /// This vector rotated by `angle` radians about a principal axis.
    MVector rotateBy(Axis axis, double angle) const;
    /// The shortest-arc rotation taking this vector's direction onto `o`'s.
    MQuaternion rotateTo(const MVector& o) const;
    /// This vector transformed as a surface normal by `m`: v × (M⁻¹)ᵀ over
    /// the upper 3×3. The result is not renormalised.
    MVector transformAsNormal(const MMatrix& m) const;

    MStatus get(double d[3]) const
    {
        d[0] = x;
        d[1] = y;
        d[2] = z;
        return MStatus::kSuccess;
    }

    static const MVector zero;
    static const MVector one;
    static const MVector xAxis;
    static const MVector yAxis;
    static const MVector zAxis;
    static const MVector xNegAxis;
    static const MVector yNegAxis;
    static const MVector zNegAxis;

    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

inline MVector operator*(double s, const MVector& v)
{
    return v * s;
}
inline MVector operator*(int s, const MVector& v)
{
    return v * static_cast<double>(s);
}
std::ostream& operator<<(std::ostream& out, const MVector& v);

// Constant-initialised, so usable from other modules' static initialisers.
inline const MVector MVector::zero{0.0, 0.0, 0.0};
inline const MVector MVector::one{1.0, 1.0, 1.0};
inline const MVector MVector::xAxis{1.0, 0.0, 0.0};
inline const MVector MVector::yAxis{0.0, 1.0, 0.0};
inline const MVector MVector::zAxis{0.0, 0.0, 1.0};
inline const MVector MVector::xNegAxis{-1.0, 0.0, 0.0};
inline const MVector MVector::yNegAxis{0.0, -1.0, 0.0};
inline const MVector MVector::zNegAxis{0.0, 0.0, -1.0};

OPENMAYA_NAMESPACE_CLOSE
