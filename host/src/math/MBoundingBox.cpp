#include <maya/MBoundingBox.h>
#include <maya/MMatrix.h>

#include <algorithm>

MBoundingBox::MBoundingBox(const MPoint& corner1, const MPoint& corner2)
{
    expand(corner1);
    expand(corner2);
}

void MBoundingBox::expand(const MPoint& point)
{
    const MPoint p = MPoint(point).cartesianize();
    if (fEmpty)
    {
        fMin = fMax = MPoint(p.x, p.y, p.z);
        fEmpty = false;
        return;
    }
    fMin.x = std::min(fMin.x, p.x);
    fMin.y = std::min(fMin.y, p.y);
    fMin.z = std::min(fMin.z, p.z);
    fMax.x = std::max(fMax.x, p.x);
    fMax.y = std::max(fMax.y, p.y);
    fMax.z = std::max(fMax.z, p.z);
}

void MBoundingBox::expand(const MBoundingBox& box)
{
    if (box.fEmpty)
        return;
    expand(box.fMin);
    expand(box.fMax);
}

bool MBoundingBox::contains(const MPoint& point) const
{
    if (fEmpty)
        return false;
    const MPoint p = MPoint(point).cartesianize();
    return p.x >= fMin.x && p.x <= fMax.x && p.y >= fMin.y && p.y <= fMax.y && p.z >= fMin.z && p.z <= fMax.z;
}

bool MBoundingBox::intersects(const MBoundingBox& box, double tolerance) const
{
    if (fEmpty || box.fEmpty)
        return false;
    return fMin.x <= box.fMax.x + tolerance && box.fMin.x <= fMax.x + tolerance &&
           fMin.y <= box.fMax.y + tolerance && box.fMin.y <= fMax.y + tolerance &&
           fMin.z <= box.fMax.z + tolerance && box.fMin.z <= fMax.z + tolerance;
}

void MBoundingBox::transformUsing(const MMatrix& m)
{
    if (fEmpty)
        return;
    const MPoint lo = fMin;
    const MPoint hi = fMax;
    clear();
    for (int corner = 0; corner < 8; ++corner)
    {
        const MPoint p((corner & 1) ? hi.x : lo.x, (corner & 2) ? hi.y : lo.y, (corner & 4) ? hi.z : lo.z);
        expand(p * m);
    }
}
