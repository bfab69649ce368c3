#pragma once
/// \file MBoundingBox.h
/// Axis-aligned bounding box.

#include <maya/MPoint.h>

OPENMAYA_MAJOR_NAMESPACE_OPEN

class MMatrix;

/// An axis-aligned box. A new or cleared box is empty: it contains nothing,
/// its min(), max() and center() are the origin and its extents 0, and the
/// first expand() makes it exactly the given point or box.
class MBoundingBox
{
public:
    MBoundingBox() = default;
    /// The smallest box holding both corners (in any order).
    MBoundingBox(const MPoint& corner1, const MPoint& corner2);

    /// Makes the box empty.
    void clear()
    {
        fEmpty = true;
        fMin = fMax = MPoint::origin;
    }
    /// Replaces the box by the bounds of its eight corners transformed by m
    /// (so the result is axis-aligned again, and may be larger). An empty box
    /// stays empty.
    void transformUsing(const MMatrix& m);
    /// Grows to include the point (cartesian position).
    void expand(const MPoint& point);
    /// Grows to include the other box; an empty box adds nothing.
    void expand(const MBoundingBox& box);
    /// True if the point lies inside or on the boundary.
    bool contains(const MPoint& point) const;
    /// True if the boxes overlap or are within `tolerance` of touching.
    bool intersects(const MBoundingBox& box, double tolerance = 0.0) const;

    /// Extent along X, Y and Z.
    double width() const { return fMax.x - fMin.x; }
    double height() const { return fMax.y - fMin.y; }
    double depth() const { return fMax.z - fMin.z; }
    MPoint center() const
    {
        return {(fMin.x + fMax.x) * 0.5, (fMin.y + fMax.y) * 0.5, (fMin.z + fMax.z) * 0.5};
    }
    MPoint min() const { return fMin; }
    MPoint max() const { return fMax; }

private:
    MPoint fMin;
    MPoint fMax;
    bool fEmpty = true;
};

OPENMAYA_NAMESPACE_CLOSE
