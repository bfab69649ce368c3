#pragma once

#include "Volume.h"

#include <maya/MMatrix.h>
#include <maya/MTransformationMatrix.h>

/// An oriented box following its locator's world matrix (scale and shear
/// included): width, height and depth are full sizes along the local axes,
/// each grown by the margin. Its falloff is linear: 1 at the centre, 0 at the
/// nearest face.
class BoxVolume : public Volume
{
public:
    BoxVolume(const MPoint& centre, double width, double height, double depth,
              const MTransformationMatrix& transformation);

    void InitVolume() override;
    bool IsPointInVolume(MPoint p) override;
    double GetFalloff(MPoint p) override;
    bool GetInfluence(MPoint p, bool linearFalloff, double& outInfluence) override;
    MPoint GetClosestPoint(MPoint p) override;
    /// The largest of the grown full sizes.
    double GetMaxDimension() override;
    MPoint GetCentre() override { return centre; }
    /// The hit normal is the entry face's axis carried by the world matrix,
    /// not renormalised (a scaled locator gives a scaled normal).
    bool GetRayIntersection(MPoint origin, MVector direction, MPoint& hitPoint, MVector& hitNormal,
                            MVector& reflectedDirection, bool normaliseDirection) override;
    bool GetRayHitPoint(MPoint origin, MVector direction, MPoint& hitPoint, bool normaliseDirection) override;

    MPoint centre;
    double width;
    double height;
    double depth;
    MTransformationMatrix transformation;
    MPoint halfExtents; ///< half the grown sizes
    MPoint minCorner;   ///< world image of -halfExtents
    MPoint maxCorner;   ///< world image of +halfExtents

private:
    /// IsPointInVolume and GetFalloff for p already in the local frame.
    bool ContainsLocal(const MPoint& q) const;
    double FalloffLocal(const MPoint& q) const;
    /// Whether the ray certainly misses a ball around the box: most rays of
    /// a flock do, and need no trip into the box's frame.
    bool RayMissesBall(const MPoint& origin, const MVector& direction) const;

    MMatrix matrix_;  ///< transformation.asMatrix(), kept to spare the queries
    MMatrix inverse_; ///< transformation.asMatrixInverse()
    // The corners carried back into the local frame, as every ray test
    // would carry them; set with them.
    MPoint localMin_;
    MPoint localMax_;
    MPoint ballCentre_;       ///< of boundingBox, once initialised
    double ballRadius_ = 0.0; ///< half boundingBox's diagonal
    double ballSlack_ = 0.0;  ///< the ball's pad per unit of the sizes a ray involves
    bool ballUsable_ = false;
};
