#include "SphereVolume.h"

#include "RayRoutines.h"

#include <algorithm>
#include <cmath>

SphereVolume::SphereVolume(const MPoint& centre_, double radius_) : centre(centre_), radius(radius_)
{
}

void SphereVolume::InitVolume()
{
    const double r = radius + margin;
    radiusSquared = r * r;
    boundingBox.expand(centre + MVector(r, r, r));
    boundingBox.expand(centre + MVector(-r, -r, -r));
    initialised = true;
}

bool SphereVolume::IsPointInVolume(MPoint p)
{
    if (!initialised)
        InitVolume();
    return DistanceSquared(p, centre) < radiusSquared;
}

double SphereVolume::GetFalloff(MPoint p)
{
    if (!initialised)
        InitVolume();
    const double d2 = DistanceSquared(p, centre);
    if (d2 >= radiusSquared)
        return 0.0;
    return std::clamp((radiusSquared - d2) / radiusSquared, 0.0, 1.0);
}

bool SphereVolume::GetInfluence(MPoint p, bool linearFalloff, double& outInfluence)
{
    if (!initialised)
        InitVolume();
    const double d2 = DistanceSquared(p, centre);
    const bool inside = d2 < radiusSquared;
    outInfluence = !inside         ? 0.0
                   : linearFalloff ? std::clamp((radiusSquared - d2) / radiusSquared, 0.0, 1.0)
                                   : 1.0;
    return inside;
}

MPoint SphereVolume::GetClosestPoint(MPoint p)
{
    if (!initialised)
        InitVolume();
    MVector out = p - centre;
    out.normalize();
    return centre + out * (radius + margin);
}

bool IntersectRaySphere(SphereVolume& sphere, const MPoint& origin, MVector direction, double& t0, double& t1,
                        bool normaliseDirection)
{
    if (!sphere.initialised)
        sphere.InitVolume();
    if (normaliseDirection)
        direction.normalize();
    const MVector l = origin - sphere.centre;
    const double b = l * direction;
    const double c = l * l - sphere.radiusSquared;
    const double disc = b * b - c;
    if (disc < 0.0)
        return false;
    const double s = std::sqrt(disc);
    t0 = -b - s;
    t1 = s - b;
    return true;
}

bool SphereVolume::GetRayIntersection(MPoint origin, MVector direction, MPoint& hitPoint, MVector& hitNormal,
                                      MVector& reflectedDirection, bool normaliseDirection)
{
    if (normaliseDirection)
        direction.normalize();
    double t0 = 0.0;
    double t1 = 0.0;
    if (!IntersectRaySphere(*this, origin, direction, t0, t1, false))
        return false;

    const MPoint entry = origin + direction * t0;
    const MPoint exit = origin + direction * t1;
    if ((exit - origin) * direction <= 0.0)
        return false; // the whole sphere lies behind the origin
    hitPoint = (entry - origin) * direction > 0.0 ? entry : exit;
    hitNormal = (hitPoint - centre) / (radius + margin);
    reflectedDirection = Reflect(direction, hitNormal);
    return true;
}
