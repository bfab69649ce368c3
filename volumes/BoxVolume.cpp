#include "BoxVolume.h"

#include "RayRoutines.h"

#include <algorithm>
#include <cmath>

BoxVolume::BoxVolume(const MPoint& centre_, double width_, double height_, double depth_,
                     const MTransformationMatrix& transformation_)
    : centre(centre_), width(width_), height(height_), depth(depth_), transformation(transformation_),
      halfExtents(0.0, 0.0, 0.0), minCorner(0.0, 0.0, 0.0), maxCorner(0.0, 0.0, 0.0),
      matrix_(transformation_.asMatrix()), inverse_(transformation_.asMatrixInverse())
{
}

void BoxVolume::InitVolume()
{
    halfExtents = MPoint((margin + width) * 0.5, (margin + height) * 0.5, (margin + depth) * 0.5);
    const MPoint negative(-halfExtents.x, -halfExtents.y, -halfExtents.z);
    minCorner = negative * matrix_;
    maxCorner = halfExtents * matrix_;
    localMin_ = minCorner * inverse_;
    localMax_ = maxCorner * inverse_;
    for (const double sx : {-1.0, 1.0})
        for (const double sy : {-1.0, 1.0})
            for (const double sz : {-1.0, 1.0})
                boundingBox.expand(MPoint(sx * halfExtents.x, sy * halfExtents.y, sz * halfExtents.z) *
                                   matrix_);
    ballCentre_ = boundingBox.center();
    ballRadius_ = 0.5 * (boundingBox.max() - boundingBox.min()).length();
    // The slab test in the box's frame rounds by about the machine epsilon
    // times the matrix's condition (bounded here by the product of the
    // largest entries) times the sizes involved: the ball's pad follows it.
    // A matrix too ill-conditioned for a useful pad, or one that cannot be
    // inverted, leaves the slab test to answer as it always has.
    double largest = 0.0;
    double largestInverse = 0.0;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
        {
            largest = std::max(largest, std::fabs(matrix_.matrix[r][c]));
            largestInverse = std::max(largestInverse, std::fabs(inverse_.matrix[r][c]));
        }
    ballSlack_ = 1e-8 * largest * largestInverse;
    ballUsable_ = std::isfinite(ballRadius_) && std::isfinite(largest) && std::isfinite(largestInverse) &&
                  ballSlack_ < 1e-2;
    initialised = true;
}

bool BoxVolume::IsPointInVolume(MPoint p)
{
    if (!initialised)
        InitVolume();
    return ContainsLocal(p * inverse_);
}

bool BoxVolume::ContainsLocal(const MPoint& q) const
{
    return -halfExtents.x <= q.x && q.x <= halfExtents.x && -halfExtents.y <= q.y && q.y <= halfExtents.y &&
           -halfExtents.z <= q.z && q.z <= halfExtents.z;
}

double BoxVolume::GetFalloff(MPoint p)
{
    if (!initialised)
        InitVolume();
    return FalloffLocal(p * inverse_);
}

bool BoxVolume::GetInfluence(MPoint p, bool linearFalloff, double& outInfluence)
{
    if (!initialised)
        InitVolume();
    const MPoint q = p * inverse_;
    const bool inside = ContainsLocal(q);
    outInfluence = !inside ? 0.0 : linearFalloff ? FalloffLocal(q) : 1.0;
    return inside;
}

double BoxVolume::FalloffLocal(const MPoint& q) const
{
    const double local[3] = {q.x, q.y, q.z};
    const double half[3] = {halfExtents.x, halfExtents.y, halfExtents.z};
    double falloff = 1.0;
    for (int a = 0; a < 3; ++a)
    {
        // A box with no extent on an axis has no inside to be deep in.
        if (!(half[a] > 0.0))
            return 0.0;
        falloff = std::min(falloff, 1.0 - std::clamp(std::fabs(local[a] / half[a]), 0.0, 1.0));
    }
    return falloff;
}

MPoint BoxVolume::GetClosestPoint(MPoint p)
{
    if (!initialised)
        InitVolume();
    const MPoint q = p * inverse_;
    auto clampAxis = [](double value, double half) { return value > half ? half : std::max(-half, value); };
    const MPoint clamped(clampAxis(q.x, halfExtents.x), clampAxis(q.y, halfExtents.y),
                         clampAxis(q.z, halfExtents.z));
    return clamped * matrix_;
}

double BoxVolume::GetMaxDimension()
{
    return std::max({margin + width, margin + height, margin + depth});
}

bool BoxVolume::GetRayIntersection(MPoint origin, MVector direction, MPoint& hitPoint, MVector& hitNormal,
                                   MVector& reflectedDirection, bool normaliseDirection)
{
    if (!initialised)
        InitVolume();
    if (normaliseDirection)
        direction.normalize();

    const MVector localDirection = direction * inverse_;
    const MPoint localOrigin = origin * inverse_;
    double t = 0.0;
    MVector localNormal;
    if (!IntersectRayBox(*this, localOrigin, localDirection, localMin_, localMax_, t, true, localNormal))
        return false;

    // The map is affine, so the ray parameter is the same in both frames.
    hitPoint = origin + direction * t;
    hitNormal = localNormal * matrix_;
    reflectedDirection = Reflect(direction, hitNormal);
    return true;
}

bool BoxVolume::GetRayHitPoint(MPoint origin, MVector direction, MPoint& hitPoint, bool normaliseDirection)
{
    if (!initialised)
        InitVolume();
    if (normaliseDirection)
        direction.normalize();
    if (RayMissesBall(origin, direction))
        return false;
    // The entry parameter does not depend on the face normal.
    double t = 0.0;
    MVector unused;
    if (!IntersectRayBox(*this, origin * inverse_, direction * inverse_, localMin_, localMax_, t, false,
                         unused))
        return false;
    hitPoint = origin + direction * t;
    return true;
}

bool BoxVolume::RayMissesBall(const MPoint& origin, const MVector& direction) const
{
    // The ball holds the bounds, which hold the box. Its pads are far beyond
    // the roundings of this test and of the slab test in the box's frame, so
    // that a ray it turns away could not have hit the box either. NaNs and
    // infinities fail the comparisons and go on to the slab test.
    if (!ballUsable_)
        return false;
    const MVector w = ballCentre_ - origin;
    const double ww = w * w;
    const double wd = w * direction;
    const double dd = direction * direction;
    const double size =
        std::max({std::fabs(origin.x), std::fabs(origin.y), std::fabs(origin.z), std::fabs(ballCentre_.x),
                  std::fabs(ballCentre_.y), std::fabs(ballCentre_.z)}) +
        ballRadius_;
    const double radius = ballRadius_ * (1.0 + 1e-6) + ballSlack_ * size;
    const double r2 = radius * radius + 1e-9 * ww;
    return ww > r2 && (wd <= 0.0 || ww * dd - wd * wd > r2 * dd);
}
