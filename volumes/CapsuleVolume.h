#pragma once

#include "Volume.h"

#include <maya/MMatrix.h>
#include <maya/MTransformationMatrix.h>

/// Points closer than radius + margin to a segment of length height along the
/// local y axis: a cylinder capped by two hemispheres. The segment follows the
/// rotation of the world matrix only; the ray test places the caps with the
/// full matrix. Falloff is quadratic in the distance to the segment.
class CapsuleVolume : public Volume
{
public:
    CapsuleVolume(const MPoint& centre, double radius, double height,
                  const MTransformationMatrix& transformation);

    void InitVolume() override;
    bool IsPointInVolume(MPoint p) override;
    double GetFalloff(MPoint p) override;
    bool GetInfluence(MPoint p, bool linearFalloff, double& outInfluence) override;
    /// The surface point straight out from the segment through p.
    MPoint GetClosestPoint(MPoint p) override;
    /// The larger of the grown radius and the grown height.
    double GetMaxDimension() override;
    MPoint GetCentre() override { return centre; }
    bool GetRayIntersection(MPoint origin, MVector direction, MPoint& hitPoint, MVector& hitNormal,
                            MVector& reflectedDirection, bool normaliseDirection) override;

    /// The point of the segment bottomPoint-topPoint nearest p.
    MPoint ClosestPointOnAxis(const MPoint& p) const;

    MPoint centre;
    double radius;
    double height;
    MTransformationMatrix transformation;
    double halfHeight = 0.0;
    MPoint topPoint;
    MPoint bottomPoint;
    double radiusSquared = 0.0; ///< (radius + margin)^2

private:
    friend bool IntersectRayCylinder(CapsuleVolume& capsule, const MPoint& origin, const MVector& direction,
                                     double& t0, double& t1);
    MMatrix matrix_;  ///< transformation.asMatrix()
    MMatrix inverse_; ///< transformation.asMatrixInverse()
};

/// The ray against the capsule's body in its local frame (the infinite
/// cylinder about local y, clipped to |y| <= halfHeight). A parameter whose
/// point misses the body is returned as -1; false when neither hits.
bool IntersectRayCylinder(CapsuleVolume& capsule, const MPoint& origin, const MVector& direction, double& t0,
                          double& t1);
