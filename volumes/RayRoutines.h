#pragma once

#include "Volume.h"

#include <maya/MGlobal.h>

#include <algorithm>
#include <limits>

/// (a.x - b.x)^2 + (a.y - b.y)^2 + (a.z - b.z)^2, in that order.
inline double DistanceSquared(const MPoint& a, const MPoint& b)
{
    const double dx = a.x - b.x;
    const double dy = a.y - b.y;
    const double dz = a.z - b.z;
    return dx * dx + dy * dy + dz * dz;
}

/// The reflection of direction about normal: d - 2 (d.n) n.
inline MVector Reflect(const MVector& direction, const MVector& normal)
{
    return direction - 2.0 * (direction * normal) * normal;
}

/// Slab test of the ray from origin along direction against the axis-aligned
/// box [boxMin, boxMax]. On a hit, outT is the entry parameter (negative when
/// the origin is inside: the entry then lies behind it) and, with
/// computeNormal, outNormal the axis normal of the entry face (x before y
/// before z, the min plane before the max plane on ties). A volume that is
/// not initialised is never hit, with a warning. Zero direction components
/// work through IEEE infinities.
inline bool IntersectRayBox(const Volume& volume, const MPoint& origin, const MVector& direction,
                            const MPoint& boxMin, const MPoint& boxMax, double& outT, bool computeNormal,
                            MVector& outNormal)
{
    if (!volume.initialised)
    {
        MGlobal::displayWarning(
            "Attempting to use uninitialised bounding box in volume...no intersection will be detected");
        return false;
    }
    const double o[3] = {origin.x, origin.y, origin.z};
    const double d[3] = {direction.x, direction.y, direction.z};
    const double lo[3] = {boxMin.x, boxMin.y, boxMin.z};
    const double hi[3] = {boxMax.x, boxMax.y, boxMax.z};
    double nearT[3];
    double farT[3];
    double tEnter = -std::numeric_limits<double>::infinity();
    double tExit = std::numeric_limits<double>::infinity();
    for (int a = 0; a < 3; ++a)
    {
        const double inv = 1.0 / d[a];
        nearT[a] = (lo[a] - o[a]) * inv;
        farT[a] = (hi[a] - o[a]) * inv;
        tEnter = std::max(tEnter, std::min(nearT[a], farT[a]));
        tExit = std::min(tExit, std::max(nearT[a], farT[a]));
    }
    if (tExit < 0.0 || tEnter > tExit)
        return false;
    outT = tEnter;
    if (computeNormal)
    {
        for (int a = 0; a < 3; ++a)
        {
            MVector axis;
            axis[static_cast<unsigned>(a)] = 1.0;
            if (nearT[a] == tEnter)
            {
                outNormal = -axis;
                break;
            }
            if (farT[a] == tEnter)
            {
                outNormal = axis;
                break;
            }
        }
    }
    return true;
}

/// IntersectRayBox against the volume's own boundingBox, without a normal:
/// a quick rejection test.
inline bool IntersectRayBoundingBox(const Volume& volume, const MPoint& origin, const MVector& direction)
{
    double t = 0.0;
    MVector unused;
    return IntersectRayBox(volume, origin, direction, volume.boundingBox.min(), volume.boundingBox.max(), t,
                           false, unused);
}
