#include "Volume.h"

void Volume::SetMargin(double value)
{
    if (value == margin)
        return;
    margin = value;
    initialised = false;
}

bool Volume::GetRayIntersection(MPoint, MVector, MPoint&, MVector&, MVector&, bool)
{
    return false;
}
