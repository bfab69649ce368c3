#pragma once
/// \file MFloatPoint.h
/// Single-precision homogeneous point.

#include <maya/MFloatVector.h>
#include <maya/MPoint.h>

#include <cmath>

OPENMAYA_MAJOR_NAMESPACE_OPEN

/// A float MPoint: same conventions (w = 1 for positions), fewer methods.
class MFloatPoint
{
public:
    constexpr MFloatPoint() = default;
    constexpr MFloatPoint(float xx, float yy, float zz = 0.0f, float ww = 1.0f) : x(xx), y(yy), z(zz), w(ww)
    {
    }
    /// Narrows each component to float.
    constexpr MFloatPoint(const MPoint& p)
        : x(static_cast<float>(p.x)), y(static_cast<float>(p.y)), z(static_cast<float>(p.z)),
          w(static_cast<float>(p.w))
    {
    }
    constexpr MFloatPoint(const MFloatVector& v) : x(v.x), y(v.y), z(v.z) {}

    float operator[](unsigned int i) const { return i == 0 ? x : i == 1 ? y : i == 2 ? z : w; }
    float& operator[](unsigned int i) { return i == 0 ? x : i == 1 ? y : i == 2 ? z : w; }

    /// Vector from `o` to this point; both are taken to have w = 1.
    MFloatVector operator-(const MFloatPoint& o) const { return {x - o.x, y - o.y, z - o.z}; }
    MFloatPoint operator+(const MFloatVector& v) const { return {x + v.x * w, y + v.y * w, z + v.z * w, w}; }
    MFloatPoint operator-(const MFloatVector& v) const { return {x - v.x * w, y - v.y * w, z - v.z * w, w}; }
    MFloatPoint& operator+=(const MFloatVector& v) { return *this = *this + v; }
    MFloatPoint& operator-=(const MFloatVector& v) { return *this = *this - v; }

    bool operator==(const MFloatPoint& o) const { return x == o.x && y == o.y && z == o.z && w == o.w; }
    bool operator!=(const MFloatPoint& o) const { return !(*this == o); }
    bool isEquivalent(const MFloatPoint& o, float tolerance = 1.0e-5f) const
    {
        const float dx = x - o.x, dy = y - o.y, dz = z - o.z, dw = w - o.w;
        return std::sqrt(dx * dx + dy * dy + dz * dz + dw * dw) <= tolerance;
    }
    float distanceTo(const MFloatPoint& o) const { return (*this - o).length(); }

    static const MFloatPoint origin;

    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 1.0f;
};

inline const MFloatPoint MFloatPoint::origin{0.0f, 0.0f, 0.0f, 1.0f};

inline MPoint::MPoint(const MFloatPoint& p) : x(p.x), y(p.y), z(p.z), w(p.w)
{
}

OPENMAYA_NAMESPACE_CLOSE
