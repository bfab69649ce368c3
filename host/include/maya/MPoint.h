#pragma once
/// \file MPoint.h
/// Maya's double-precision homogeneous point.

#include <maya/MVector.h>

#include <iosfwd>

OPENMAYA_MAJOR_NAMESPACE_OPEN

class MFloatPoint;

/// Default tolerance of MPoint::isEquivalent.
#define MPoint_kTol 1.0e-10

/// A position in homogeneous coordinates (x, y, z, w); w is 1 for ordinary
/// positions. Points transform as row vectors: p × M, translation included.
class MPoint
{
public:
    constexpr MPoint() = default;
    constexpr MPoint(double xx, double yy, double zz = 0.0, double ww = 1.0) : x(xx), y(yy), z(zz), w(ww) {}
    /// w = 1.
    constexpr MPoint(const MVector& v) : x(v.x), y(v.y), z(v.z) {}
    constexpr explicit MPoint(const double d[4]) : x(d[0]), y(d[1]), z(d[2]), w(d[3]) {}
    constexpr explicit MPoint(const float f[4]) : x(f[0]), y(f[1]), z(f[2]), w(f[3]) {}
    inline MPoint(const MFloatPoint& p);

    double operator[](unsigned int i) const { return i == 0 ? x : i == 1 ? y : i == 2 ? z : w; }
    double& operator[](unsigned int i) { return i == 0 ? x : i == 1 ? y : i == 2 ? z : w; }
    double operator()(unsigned int i) const { return (*this)[i]; }
    double& operator()(unsigned int i) { return (*this)[i]; }

    /// The vector from `o` to this point (cartesian positions).
    MVector operator-(const MPoint& o) const
    {
        if (w == 1.0 && o.w == 1.0)
            return {x - o.x, y - o.y, z - o.z};
        return MVector(*this) - MVector(o);
    }
    /// This point moved by `v`; w is kept, so for w != 1 the
    /// cartesian position moves by exactly v.
    MPoint operator+(const MVector& v) const { return {x + v.x * w, y + v.y * w, z + v.z * w, w}; }
    MPoint operator-(const MVector& v) const { return {x - v.x * w, y - v.y * w, z - v.z * w, w}; }
    MPoint& operator+=(const MVector& v)
    {
        x += v.x * w;
        y += v.y * w;
        z += v.z * w;
        return *this;
    }
    MPoint& operator-=(const MVector& v)
    {
        x -= v.x * w;
        y -= v.y * w;
        z -= v.z * w;
        return *this;
    }
    /// Scales x, y and z; w is kept.
    MPoint operator*(double s) const { return {x * s, y * s, z * s, w}; }
    /// Divides x, y and z; w is kept.
    MPoint operator/(double s) const { return {x / s, y / s, z / s, w}; }
    MPoint& operator*=(double s)
    {
        x *= s;
        y *= s;
        z *= s;
        return *this;
    }
    /// Row vector (x, y, z, w) × M. The result is not cartesianized: w is
    /// whatever the matrix's last column makes it.
    MPoint operator*(const MMatrix& m) const;
    MPoint& operator*=(const MMatrix& m);

    /// Exact comparison of all four components.
    bool operator==(const MPoint& o) const { return x == o.x && y == o.y && z == o.z && w == o.w; }
    bool operator!=(const MPoint& o) const { return !(*this == o); }

    /// True if the 4D distance between the points is <= tolerance.
    bool isEquivalent(const MPoint& o, double tolerance = MPoint_kTol) const
    {
        const double dx = x - o.x, dy = y - o.y, dz = z - o.z, dw = w - o.w;
        return std::sqrt(dx * dx + dy * dy + dz * dz + dw * dw) <= tolerance;
    }
    /// Cartesian distance between the positions.
    double distanceTo(const MPoint& o) const { return (*this - o).length(); }

    /// Divides x, y, z and w by w (w becomes 1). No-op when w is 0.
    MPoint& cartesianize()
    {
        if (w != 0.0 && w != 1.0)
        {
            x /= w;
            y /= w;
            z /= w;
            w = 1.0;
        }
        return *this;
    }
    /// Divides x, y and z by w and keeps w. No-op when w is 0.
    MPoint& rationalize()
    {
        if (w != 0.0)
        {
            x /= w;
            y /= w;
            z /= w;
        }
        return *this;
    }
    /// Multiplies x, y and z by w (inverse of rationalize).
    MPoint& homogenize()
    {
        x *= w;
        y *= w;
        z *= w;
        return *this;
    }

    MStatus get(double d[4]) const
    {
        d[0] = x;
        d[1] = y;
        d[2] = z;
        d[3] = w;
        return MStatus::kSuccess;
    }

    static const MPoint origin;

    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
    double w = 1.0;
};

inline MPoint operator*(double s, const MPoint& p)
{
    return p * s;
}
std::ostream& operator<<(std::ostream& out, const MPoint& p);

inline const MPoint MPoint::origin{0.0, 0.0, 0.0, 1.0};

inline MVector::MVector(const MPoint& p) : x(p.x), y(p.y), z(p.z)
{
    if (p.w != 1.0 && p.w != 0.0)
    {
        x /= p.w;
        y /= p.w;
        z /= p.w;
    }
}

OPENMAYA_NAMESPACE_CLOSE
