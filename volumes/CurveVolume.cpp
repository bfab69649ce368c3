#include "CurveVolume.h"

#include <maya/MGlobal.h>

#include <algorithm>
#include <limits>

CurveVolume::CurveVolume(const MObject& curve_, const MPointArray& curveData_)
    : curve(curve_), curveData(curveData_), cachedPoint(0.0, 0.0, 0.0),
      minRadius(std::numeric_limits<double>::max()), minRadiusSquared(std::numeric_limits<double>::max())
{
    for (unsigned s = 0; s < curveData.length(); ++s)
        if (curveData[s].z != 0.0)
            keys_.push_back(s);
}

void CurveVolume::InitVolume()
{
    if (curve.isNull() || curveData.length() == 0)
    {
        MGlobal::displayError(
            "CurveVolume::InitVolume - Unable to initialise curve volume class. Not enough data provided");
        return;
    }
    const MStatus status = curveFn.setObject(curve);
    if (!status)
    {
        MGlobal::displayError(MString("CurveVolume::InitVolume - Unable to initialise curve volume class.") +
                              status.errorString());
        return;
    }
    for (const MPoint& sample : curveData)
    {
        if (sample.y > maxRadius)
            maxRadius = sample.y;
        if (sample.y < minRadius)
            minRadius = sample.y;
    }
    maxRadiusSquared = maxRadius * maxRadius;
    minRadiusSquared = minRadius * minRadius;
    // The tube leaves boundingBox empty.
    initialised = true;
}

bool CurveVolume::UpdateClosestPoint(MPoint p)
{
    if (!initialised)
        InitVolume(); // a failure shows up as a failed closest-point search below
    if (cacheValid && p.x == cachedPoint.x && p.y == cachedPoint.y && p.z == cachedPoint.z &&
        p.w == cachedPoint.w)
        return true;

    cachedPoint = p;
    closestParam = 0.0;
    MStatus status;
    closestPoint = curveFn.closestPoint(p, &closestParam, kClosestPointTolerance, MSpace::kObject, &status);
    if (!status)
    {
        MGlobal::displayError(MString("CurveVolume::IsPointInVolume - Unable to get closest point on curve") +
                              status.errorString());
        cacheValid = false;
        return false;
    }
    SetClosestPoint(p, closestPoint, closestParam);
    return true;
}

bool CurveVolume::UseKnownClosestPoint(const MPoint& p, const MPoint& closest, double param)
{
    // Before the tube has initialised, its own search must run (and report
    // any failure).
    if (!initialised)
        return false;
    SetClosestPoint(p, closest, param);
    return true;
}

bool CurveVolume::CanInitialise() const
{
    return !curve.isNull() && curveData.length() > 0 && MFnNurbsCurve().setObject(curve);
}

void CurveVolume::SetClosestPoint(const MPoint& p, const MPoint& closest, double param)
{
    const Sample sample = SampleAt(p, closest, param);
    cachedPoint = p;
    closestPoint = closest;
    closestParam = param;
    distanceSquared = sample.distanceSquared;
    radiusSquared = sample.radiusSquared;
    cacheValid = true;
}

CurveVolume::Sample CurveVolume::SampleAt(const MPoint& p, const MPoint& closest, double param) const
{
    // The keys bracketing the closest parameter: the last key before it and
    // the first at or after it. Samples between keys play no part.
    unsigned lower = 0;
    unsigned upper = 0;
    bool reached = false;
    for (const unsigned s : keys_)
    {
        if (curveData[s].x >= param)
        {
            upper = s;
            reached = true;
            break;
        }
        lower = s;
    }
    if (!reached)
        upper = lower;

    const MPoint& low = curveData[lower];
    const MPoint& high = curveData[upper];
    double t = 0.0;
    if (high.x - low.x != 0.0)
        t = (param - low.x) / (high.x - low.x);
    const double radius = (1.0 - t) * low.y + t * high.y;

    Sample sample;
    sample.closestPoint = closest;
    sample.distanceSquared = (closest - p) * (closest - p);
    sample.radiusSquared = radius * radius;
    return sample;
}

double CurveVolume::Falloff(const Sample& sample)
{
    // A tube of no radius here has no inside (and nothing to divide by).
    if (sample.radiusSquared == 0.0)
        return 0.0;
    return std::clamp((sample.radiusSquared - sample.distanceSquared) / sample.radiusSquared, 0.0, 1.0);
}

double CurveVolume::NormalisedRadius(const Sample& sample) const
{
    if (minRadiusSquared == maxRadiusSquared)
        return 1.0;
    return std::clamp((sample.radiusSquared - minRadiusSquared) / (maxRadiusSquared - minRadiusSquared), 0.0,
                      1.0);
}

bool CurveVolume::IsPointInVolume(MPoint p)
{
    return UpdateClosestPoint(p) && IsInside(CachedSample());
}

double CurveVolume::GetFalloff(MPoint p)
{
    if (!UpdateClosestPoint(p))
        return 1.0;
    return Falloff(CachedSample());
}

MPoint CurveVolume::GetClosestPoint(MPoint)
{
    return MPoint(0.0, 0.0, 0.0);
}

double CurveVolume::GetNormalisedRadius(MPoint p)
{
    if (!UpdateClosestPoint(p))
        return 1.0;
    return NormalisedRadius(CachedSample());
}
