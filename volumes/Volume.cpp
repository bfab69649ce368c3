#include "Volume.h"

void Volume::SetMargin(double value)
{
    if (value == margin)
        return;
    margin = value;
    initialised = false;
}

bool Volume::GetInfluence(MPoint p, bool linearFalloff, double& outInfluence)
{
    outInfluence = 0.0;
    if (!IsPointInVolume(p))
        return false;
    outInfluence = linearFalloff ? GetFalloff(p) : 1.0;
    return true;
}

bool Volume::GetRayIntersection(MPoint, MVector, MPoint&, MVector&, MVector&, bool)
{
    return false;
}

bool Volume::GetRayHitPoint(MPoint origin, MVector direction, MPoint& hitPoint, bool normaliseDirection)
{
    MVector normal;
    MVector reflected;
    return GetRayIntersection(origin, direction, hitPoint, normal, reflected, normaliseDirection);
}
