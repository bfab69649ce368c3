#include "CapsuleVolume.h"

#include "RayRoutines.h"
#include "SphereVolume.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

CapsuleVolume::CapsuleVolume(const MPoint& centre_, double radius_, double height_,
                             const MTransformationMatrix& transformation_)
    : centre(centre_), radius(radius_), height(height_), transformation(transformation_),
      matrix_(transformation_.asMatrix()), inverse_(transformation_.asMatrixInverse())
{
}

void CapsuleVolume::InitVolume()
{
    const double r = radius + margin;
    radiusSquared = r * r;
    halfHeight = height * 0.5;
    const MQuaternion rotation = transformation.rotation();
    const MVector axis = MVector(0.0, halfHeight, 0.0).rotateBy(rotation);
    topPoint = centre + axis;
    bottomPoint = centre - axis;

    const double h = r + halfHeight;
    const MVector extremes[8] = {{r, h, 0.0},  {-r, -h, 0.0}, {0.0, h, r},  {0.0, -h, -r},
                                 {r, -h, 0.0}, {-r, h, 0.0},  {0.0, -h, r}, {0.0, h, -r}};
    for (const MVector& v : extremes)
        boundingBox.expand(centre + v.rotateBy(rotation));
    initialised = true;
}

MPoint CapsuleVolume::ClosestPointOnAxis(const MPoint& p) const
{
    const MPoint& a = bottomPoint;
    const MPoint& b = topPoint;
    const double length2 = DistanceSquared(b, a);
    if (length2 == 0.0)
        return b;
    const double t = ((b - a) * (p - a)) / length2;
    if (t < 0.0)
        return a;
    if (t > 1.0)
        return b;
    return a + t * (b - a);
}

bool CapsuleVolume::IsPointInVolume(MPoint p)
{
    if (!initialised)
        InitVolume();
    return DistanceSquared(ClosestPointOnAxis(p), p) < radiusSquared;
}

double CapsuleVolume::GetFalloff(MPoint p)
{
    if (!initialised)
        InitVolume();
    const double d2 = DistanceSquared(ClosestPointOnAxis(p), p);
    if (d2 >= radiusSquared)
        return 0.0;
    return std::clamp((radiusSquared - d2) / radiusSquared, 0.0, 1.0);
}

bool CapsuleVolume::GetInfluence(MPoint p, bool linearFalloff, double& outInfluence)
{
    if (!initialised)
        InitVolume();
    const double d2 = DistanceSquared(ClosestPointOnAxis(p), p);
    const bool inside = d2 < radiusSquared;
    outInfluence = !inside         ? 0.0
                   : linearFalloff ? std::clamp((radiusSquared - d2) / radiusSquared, 0.0, 1.0)
                                   : 1.0;
    return inside;
}

MPoint CapsuleVolume::GetClosestPoint(MPoint p)
{
    if (!initialised)
        InitVolume();
    const MPoint c = ClosestPointOnAxis(p);
    MVector out = p - c;
    out.normalize();
    return c + out * (radius + margin);
}

double CapsuleVolume::GetMaxDimension()
{
    return std::max(margin + radius, margin + height);
}

bool IntersectRayCylinder(CapsuleVolume& capsule, const MPoint& origin, const MVector& direction, double& t0,
                          double& t1)
{
    if (!capsule.initialised)
        capsule.InitVolume();
    const MPoint o = origin * capsule.inverse_;
    const MVector d = direction * capsule.inverse_;
    const double a = d.x * d.x + d.z * d.z;
    const double b = 2.0 * (o.x * d.x + o.z * d.z);
    const double c = o.x * o.x + o.z * o.z - capsule.radiusSquared;
    const double disc = b * b - 4.0 * a * c;
    // Tangent rays, and rays along the axis (a = 0), never hit the body.
    if (disc <= 0.0)
        return false;
    const double q = b < 0.0 ? -0.5 * (b - std::sqrt(disc)) : -0.5 * (b + std::sqrt(disc));
    t0 = q / a;
    t1 = c / q;
    if (t0 > t1)
        std::swap(t0, t1);
    if (t0 < 0.0 && t1 < 0.0)
        return false;

    auto onBody = [&](double t) { return t >= 0.0 && std::fabs((o + d * t).y) <= capsule.halfHeight; };
    if (!onBody(t0))
    {
        t0 = -1.0;
        if (!onBody(t1))
        {
            t1 = -1.0;
            return false;
        }
    }
    return true;
}

bool CapsuleVolume::GetRayIntersection(MPoint origin, MVector direction, MPoint& hitPoint, MVector& hitNormal,
                                       MVector& reflectedDirection, bool normaliseDirection)
{
    if (!initialised)
        InitVolume();
    if (normaliseDirection)
        direction.normalize();
    if (!IntersectRayBoundingBox(*this, origin, direction))
        return false;

    const double none = std::numeric_limits<double>::max();
    double best = none;
    const double r = radius + margin;
    // The caps: spheres about the segment's ends, accepting only the hits on
    // their outer halves.
    for (const double side : {1.0, -1.0})
    {
        SphereVolume cap(MPoint(0.0, side * halfHeight, 0.0) * matrix_, r);
        double t[2];
        if (!IntersectRaySphere(cap, origin, direction, t[0], t[1], false))
            continue;
        for (const double ti : t)
        {
            const double localY = ((origin + direction * ti) * inverse_).y;
            const bool outerHalf = side > 0.0 ? localY >= halfHeight : localY <= -halfHeight;
            if (outerHalf && ti > 0.0)
                best = std::min(best, ti);
        }
    }
    double t0 = 0.0;
    double t1 = 0.0;
    if (IntersectRayCylinder(*this, origin, direction, t0, t1))
        for (const double ti : {t0, t1})
            if (ti > 0.0)
                best = std::min(best, ti);

    if (!(best < none && best > 0.0))
        return false;
    hitPoint = origin + direction * best;
    hitNormal = (hitPoint - ClosestPointOnAxis(hitPoint)) / r;
    reflectedDirection = Reflect(direction, hitNormal);
    return true;
}
