#pragma once
/// \file MFloatVector.h
/// Single-precision 3D vector, for data Maya stores in floats.

#include <maya/MStatus.h>
#include <maya/MVector.h>

#include <cmath>

OPENMAYA_MAJOR_NAMESPACE_OPEN

/// A float MVector: same conventions, fewer methods.
class MFloatVector
{
public:
    constexpr MFloatVector() = default;
    constexpr MFloatVector(float xx, float yy, float zz = 0.0f) : x(xx), y(yy), z(zz) {}
    /// Narrows each component to float.
    constexpr MFloatVector(const MVector& v)
        : x(static_cast<float>(v.x)), y(static_cast<float>(v.y)), z(static_cast<float>(v.z))
    {
    }

    float operator[](unsigned int i) const { return i == 0 ? x : (i == 1 ? y : z); }
    float& operator[](unsigned int i) { return i == 0 ? x : (i == 1 ? y : z); }

    MFloatVector operator+(const MFloatVector& o) const { return {x + o.x, y + o.y, z + o.z}; }
    MFloatVector operator-(const MFloatVector& o) const { return {x - o.x, y - o.y, z - o.z}; }
    MFloatVector operator-() const { return {-x, -y, -z}; }
    MFloatVector operator*(float s) const { return {x * s, y * s, z * s}; }
    MFloatVector operator/(float s) const { return {x / s, y / s, z / s}; }
    MFloatVector& operator+=(const MFloatVector& o) { return *this = *this + o; }
    MFloatVector& operator-=(const MFloatVector& o) { return *this = *this - o; }
    MFloatVector& operator*=(float s) { return *this = *this * s; }
    MFloatVector& operator/=(float s) { return *this = *this / s; }
    /// Dot product.
    float operator*(const MFloatVector& o) const { return x * o.x + y * o.y + z * o.z; }
    /// Cross product.
    MFloatVector operator^(const MFloatVector& o) const
    {
        return {y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x};
    }

    bool operator==(const MFloatVector& o) const { return x == o.x && y == o.y && z == o.z; }
    bool operator!=(const MFloatVector& o) const { return !(*this == o); }
    bool isEquivalent(const MFloatVector& o, float tolerance = 1.0e-5f) const
    {
        return (*this - o).length() <= tolerance;
    }

    float length() const { return std::sqrt(x * x + y * y + z * z); }
    /// Unit vector; a zero vector is returned unchanged.
    MFloatVector normal() const
    {
        const float len = length();
        return len > 0.0f ? MFloatVector(x / len, y / len, z / len) : *this;
    }
    /// Fails with kFailure, leaving the vector unchanged, at zero length.
    MStatus normalize()
    {
        const float len = length();
        if (!(len > 0.0f))
            return MStatus::kFailure;
        *this /= len;
        return MStatus::kSuccess;
    }

    static const MFloatVector zero;
    static const MFloatVector one;
    static const MFloatVector xAxis;
    static const MFloatVector yAxis;
    static const MFloatVector zAxis;

    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

inline MFloatVector operator*(float s, const MFloatVector& v)
{
    return v * s;
}

inline const MFloatVector MFloatVector::zero{0.0f, 0.0f, 0.0f};
inline const MFloatVector MFloatVector::one{1.0f, 1.0f, 1.0f};
inline const MFloatVector MFloatVector::xAxis{1.0f, 0.0f, 0.0f};
inline const MFloatVector MFloatVector::yAxis{0.0f, 1.0f, 0.0f};
inline const MFloatVector MFloatVector::zAxis{0.0f, 0.0f, 1.0f};

inline MVector::MVector(const MFloatVector& v) : x(v.x), y(v.y), z(v.z)
{
}

OPENMAYA_NAMESPACE_CLOSE
