#pragma once
/// \file Painter.h
/// Draws what a redraw recorded with cairo, through one camera: the
/// background and grid, the depth-ordered particles, trails and
/// primitives, and primitives drawn as they come (2D ones, manipulators).

#include "Cameras.h"
#include "DepthOrder.h"

#include <maya/MBoundingBox.h>
#include <maya/MColor.h>
#include <maya/detail/UIDrawRecords.h>

#include <cairo.h>

#include <string>
#include <vector>

namespace vxhost
{
class Painter
{
public:
    Painter(cairo_t* cr, const Projector& projector) : fCr(cr), fProjector(projector) {}

    void Background();
    /// Maya's grid in the plane `camera` looks at, sized for `bounds`.
    void Grid(const std::string& camera, const MBoundingBox& bounds);
    /// Everything in `order` (sorted), farthest first; particles are
    /// squares of `particleSize` pixels.
    void Ordered(const DepthOrder& order, double particleSize);
    /// The primitives of `drawable` as they come, over what is drawn.
    void Drawable(const UIDrawable& drawable, const MMatrix& world);
    void Primitive(const UIPrimitive& p, const MMatrix& world);

private:
    void Dots(const DepthOrder& order, std::size_t first, std::size_t last, double size);
    void TrailRun(const DepthOrder& order, std::size_t first, std::size_t last);
    void LineRun(const DepthOrder& order, std::size_t first, std::size_t last);
    // One triangle or point of a primitive, or the whole of it.
    void Element(const ShapePiece& piece);
    void Stroke(const UIPrimitive& p, const MColor& colour);
    // Appends the segment a-b (camera space) to the path, clipped to the
    // near plane; continuing from the last point when connected.
    void Segment(const MVector& a, const MVector& b, bool& connected);
    bool Pixel(const UIPrimitive& p, const MPoint& point, const MMatrix& world, double& x, double& y,
               double* depth = nullptr) const;
    void Polyline(const std::vector<MVector>& camera, bool closed);
    // A polyline of camera-space points, or of pixels (x, y) for 2D.
    void Path(const std::vector<MVector>& points, bool closed, bool pixels);
    // A primitive's points in camera space, or in pixels for 2D.
    std::vector<MVector> ViewPoints(const UIPrimitive& p, const std::vector<MPoint>& points,
                                    const MMatrix& world) const;

    cairo_t* fCr;
    const Projector& fProjector;
};
} // namespace vxhost
