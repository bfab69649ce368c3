#pragma once
/// \file MColor.h
/// Maya's RGBA colour.

#include <maya/MApiNamespace.h>

#include <iosfwd>

OPENMAYA_MAJOR_NAMESPACE_OPEN

/// An RGBA colour in floats. Arithmetic is component-wise on all four
/// channels, alpha included. Channels are not clamped.
class MColor
{
public:
    /// Colour models accepted by the converting constructor and get().
    /// HSV hue is in degrees [0, 360); saturation and value in [0, 1].
    enum MColorType
    {
        kRGB,
        kHSV,
        kCMY,
        kCMYK
    };

    /// Opaque black.
    constexpr MColor() = default;
    constexpr MColor(float rr, float gg, float bb = 0.0f, float aa = 1.0f) : r(rr), g(gg), b(bb), a(aa) {}
    constexpr explicit MColor(const float rgb[3]) : r(rgb[0]), g(rgb[1]), b(rgb[2]) {}
    /// A colour given in another model, converted to RGB. For kCMYK the
    /// fourth value is K and alpha is `alpha`; otherwise the fourth value is
    /// alpha.
    MColor(MColorType type, float c1, float c2, float c3, float c4 = 1.0f, float alpha = 1.0f);

    /// The colour in another model (alpha is left out).
    bool get(MColorType type, float& c1, float& c2, float& c3) const;

    float operator[](unsigned int i) const { return i == 0 ? r : i == 1 ? g : i == 2 ? b : a; }
    float& operator[](unsigned int i) { return i == 0 ? r : i == 1 ? g : i == 2 ? b : a; }

    MColor operator+(const MColor& o) const { return {r + o.r, g + o.g, b + o.b, a + o.a}; }
    MColor operator-(const MColor& o) const { return {r - o.r, g - o.g, b - o.b, a - o.a}; }
    MColor operator-() const { return {-r, -g, -b, -a}; }
    /// Component-wise product (filtering one colour by another).
    MColor operator*(const MColor& o) const { return {r * o.r, g * o.g, b * o.b, a * o.a}; }
    MColor operator*(float s) const { return {r * s, g * s, b * s, a * s}; }
    MColor operator/(float s) const { return {r / s, g / s, b / s, a / s}; }
    MColor& operator+=(const MColor& o) { return *this = *this + o; }
    MColor& operator-=(const MColor& o) { return *this = *this - o; }
    MColor& operator*=(const MColor& o) { return *this = *this * o; }
    MColor& operator*=(float s) { return *this = *this * s; }
    MColor& operator/=(float s) { return *this = *this / s; }

    /// Exact comparison of all four channels.
    bool operator==(const MColor& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
    bool operator!=(const MColor& o) const { return !(*this == o); }

    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
    float a = 1.0f;
};

inline MColor operator*(float s, const MColor& c)
{
    return c * s;
}
std::ostream& operator<<(std::ostream& out, const MColor& c);

OPENMAYA_NAMESPACE_CLOSE
