#pragma once
/// \file MeshClosestPoint.h
/// The closest point on a triangle, shared by the mesh point query and the
/// benchmark's raw Embree baseline.

#include <algorithm>
#include <initializer_list>

namespace vxhost
{

/// A double-precision 3D vector for the triangle routines; float vertices
/// are widened on load so distances compare without float rounding.
struct Vec3d
{
    double x = 0.0, y = 0.0, z = 0.0;

    Vec3d operator+(const Vec3d& o) const { return {x + o.x, y + o.y, z + o.z}; }
    Vec3d operator-(const Vec3d& o) const { return {x - o.x, y - o.y, z - o.z}; }
    Vec3d operator*(double s) const { return {x * s, y * s, z * s}; }
};

inline double Dot(const Vec3d& a, const Vec3d& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

inline Vec3d Cross(const Vec3d& a, const Vec3d& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

inline Vec3d Load(const float* xyz)
{
    return {xyz[0], xyz[1], xyz[2]};
}

/// The point of segment [a, b] closest to p; a when a == b.
inline Vec3d ClosestPointOnSegment(const Vec3d& p, const Vec3d& a, const Vec3d& b)
{
    const Vec3d ab = b - a;
    const double length2 = Dot(ab, ab);
    if (!(length2 > 0.0))
        return a;
    return a + ab * std::clamp(Dot(p - a, ab) / length2, 0.0, 1.0);
}

/// The point of triangle (a, b, c) closest to p. Zero-area triangles (two
/// corners equal, or all three on a line) are treated as their edges.
///
/// Follows Ericson, "Real-Time Collision Detection", 5.1.5: find which
/// Voronoi region of the triangle (corner, edge or face) holds p, using only
/// dot products, and project onto that feature.
inline Vec3d ClosestPointOnTriangle(const Vec3d& p, const Vec3d& a, const Vec3d& b, const Vec3d& c)
{
    const Vec3d ab = b - a;
    const Vec3d ac = c - a;
    const Vec3d n = Cross(ab, ac);
    const double area2 = Dot(n, n);

    const auto closestOnEdges = [&]
    {
        Vec3d best = ClosestPointOnSegment(p, a, b);
        double bestD2 = Dot(p - best, p - best);
        for (const Vec3d& q : {ClosestPointOnSegment(p, b, c), ClosestPointOnSegment(p, c, a)})
        {
            const double d2 = Dot(p - q, p - q);
            if (d2 < bestD2)
            {
                bestD2 = d2;
                best = q;
            }
        }
        return best;
    };
    // The region tests divide by edge lengths and by the area; without area
    // they would divide by zero.
    if (!(area2 > 0.0))
        return closestOnEdges();

    const Vec3d ap = p - a;
    const double d1 = Dot(ab, ap);
    const double d2 = Dot(ac, ap);
    if (d1 <= 0.0 && d2 <= 0.0)
        return a; // corner a

    const Vec3d bp = p - b;
    const double d3 = Dot(ab, bp);
    const double d4 = Dot(ac, bp);
    if (d3 >= 0.0 && d4 <= d3)
        return b; // corner b

    const double vc = d1 * d4 - d3 * d2;
    if (vc <= 0.0 && d1 >= 0.0 && d3 <= 0.0)
        return a + ab * (d1 / (d1 - d3)); // edge ab; d1 - d3 = |ab|^2

    const Vec3d cp = p - c;
    const double d5 = Dot(ab, cp);
    const double d6 = Dot(ac, cp);
    if (d6 >= 0.0 && d5 <= d6)
        return c; // corner c

    const double vb = d5 * d2 - d1 * d6;
    if (vb <= 0.0 && d2 >= 0.0 && d6 <= 0.0)
        return a + ac * (d2 / (d2 - d6)); // edge ac; d2 - d6 = |ac|^2

    const double va = d3 * d6 - d5 * d4;
    if (va <= 0.0 && d4 - d3 >= 0.0 && d5 - d6 >= 0.0)
        return b + (c - b) * ((d4 - d3) / ((d4 - d3) + (d5 - d6))); // edge bc; the sum is |bc|^2

    // Inside the face: va, vb, vc are the barycentric weights times |n|^2.
    // Rounding in a sliver can leave their sum at or below zero.
    const double sum = va + vb + vc;
    if (!(sum > 0.0))
        return closestOnEdges();
    return a + ab * (vb / sum) + ac * (vc / sum);
}

} // namespace vxhost
