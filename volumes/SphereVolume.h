#pragma once

#include "Volume.h"

/// A ball about centre of radius + margin. Its falloff is quadratic:
/// 1 - (d / R)^2 inside, 0 on and beyond the surface.
class SphereVolume : public Volume
{
public:
    SphereVolume(const MPoint& centre, double radius);

    void InitVolume() override;
    /// Strictly inside: the surface is outside.
    bool IsPointInVolume(MPoint p) override;
    double GetFalloff(MPoint p) override;
    bool GetInfluence(MPoint p, bool linearFalloff, double& outInfluence) override;
    /// The grown surface point in the direction of p; the centre itself for
    /// p at the centre (no direction).
    MPoint GetClosestPoint(MPoint p) override;
    /// The radius, without the margin.
    double GetMaxDimension() override { return radius; }
    MPoint GetCentre() override { return centre; }
    /// The entry point from outside, the exit point from inside; no hit when
    /// the sphere lies wholly behind the origin.
    bool GetRayIntersection(MPoint origin, MVector direction, MPoint& hitPoint, MVector& hitNormal,
                            MVector& reflectedDirection, bool normaliseDirection) override;

    MPoint centre;
    double radius;
    double radiusSquared = 0.0; ///< (radius + margin)^2
};

/// Both parameters t0 <= t1 where the ray meets sphere (a tangent ray gives
/// t0 = t1); false when it misses. direction is taken as unit length unless
/// normaliseDirection asks for it to be made so.
bool IntersectRaySphere(SphereVolume& sphere, const MPoint& origin, MVector direction, double& t0, double& t1,
                        bool normaliseDirection);
