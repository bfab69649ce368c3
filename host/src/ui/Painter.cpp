// The renderer's cairo drawing: background and grid, the depth-ordered
// pieces of a picture, and primitives drawn as they come.
#include "Painter.h"

#include "IconGlyphs.h"
#include "Palettes.h"

#include <maya/M3dView.h>
#include <maya/MUIDrawManager.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>

using MHWRender::MUIDrawManager;

namespace vxhost
{
namespace
{
void SetColour(cairo_t* cr, const MColor& c)
{
    cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a);
}
} // namespace

void Painter::Background()
{
    const M3dView view;
    const MColor top = view.colorAtIndex(1, M3dView::kBackgroundColor);
    const MColor bottom = view.colorAtIndex(2, M3dView::kBackgroundColor);
    cairo_pattern_t* gradient = cairo_pattern_create_linear(0.0, 0.0, 0.0, fProjector.Height());
    cairo_pattern_add_color_stop_rgb(gradient, 0.0, top.r, top.g, top.b);
    cairo_pattern_add_color_stop_rgb(gradient, 1.0, bottom.r, bottom.g, bottom.b);
    cairo_set_source(fCr, gradient);
    cairo_paint(fCr);
    cairo_pattern_destroy(gradient);
}

void Painter::Grid(const std::string& camera, const MBoundingBox& bounds)
{
    // The grid lies in the plane the view looks at: the ground for persp
    // and top, the xy plane for front, yz for side. It is centred on the
    // origin as Maya's is, large enough for the scene, with a round spacing.
    int u = 0, v = 2;
    if (camera == "front")
        v = 1;
    else if (camera == "side")
        u = 2, v = 1;
    auto coord = [](const MPoint& p, int axis) { return axis == 0 ? p.x : axis == 1 ? p.y : p.z; };
    double extent = 12.0;
    for (const MPoint& p : {bounds.min(), bounds.max()})
        extent = std::max({extent, std::fabs(coord(p, u)), std::fabs(coord(p, v))});
    const double raw = extent / 10.0;
    const double decade = std::pow(10.0, std::floor(std::log10(raw)));
    const double spacing = raw <= decade       ? decade
                           : raw <= 2 * decade ? 2 * decade
                           : raw <= 5 * decade ? 5 * decade
                                               : 10 * decade;
    const int lines = static_cast<int>(std::ceil(1.2 * extent / spacing));
    const double half = lines * spacing;
    auto point = [&](double a, double b)
    {
        double xyz[3] = {0.0, 0.0, 0.0};
        xyz[u] = a;
        xyz[v] = b;
        return fProjector.ToCamera(MPoint(xyz[0], xyz[1], xyz[2]));
    };
    cairo_set_dash(fCr, nullptr, 0, 0.0);
    for (int pass = 0; pass < 2; ++pass)
    {
        cairo_new_path(fCr);
        for (int i = -lines; i <= lines; ++i)
        {
            if ((i == 0) != (pass == 1))
                continue;
            bool connected = false;
            Segment(point(i * spacing, -half), point(i * spacing, half), connected);
            connected = false;
            Segment(point(-half, i * spacing), point(half, i * spacing), connected);
        }
        // Maya's grid: light lines, the axes darker and heavier.
        const double grey = pass == 0 ? 0.47 : 0.12;
        cairo_set_source_rgba(fCr, grey, grey, grey, 1.0);
        cairo_set_line_width(fCr, pass == 0 ? 1.0 : 2.0);
        cairo_stroke(fCr);
    }
}
void Painter::Segment(const MVector& a, const MVector& b, bool& connected)
{
    MVector p = a, q = b;
    bool startClipped = false, endClipped = false;
    if (!fProjector.Ortho())
    {
        const double near = fProjector.NearClip();
        if (p.z < near && q.z < near)
        {
            connected = false;
            return;
        }
        if (p.z < near)
        {
            p = p + (q - p) * ((near - p.z) / (q.z - p.z));
            startClipped = true;
        }
        else if (q.z < near)
        {
            q = q + (p - q) * ((near - q.z) / (p.z - q.z));
            endClipped = true;
        }
    }
    double x0, y0, x1, y1;
    fProjector.CameraToPixel(p, x0, y0);
    fProjector.CameraToPixel(q, x1, y1);
    if (!connected || startClipped)
        cairo_move_to(fCr, x0, y0);
    cairo_line_to(fCr, x1, y1);
    connected = !endClipped;
}

void Painter::Path(const std::vector<MVector>& points, bool closed, bool pixels)
{
    if (!pixels)
    {
        Polyline(points, closed);
        return;
    }
    for (std::size_t i = 0; i < points.size(); ++i)
        (i == 0 ? cairo_move_to : cairo_line_to)(fCr, points[i].x, points[i].y);
    if (closed)
        cairo_close_path(fCr);
}

void Painter::Polyline(const std::vector<MVector>& camera, bool closed)
{
    bool connected = false;
    for (std::size_t i = 0; i + 1 < camera.size(); ++i)
        Segment(camera[i], camera[i + 1], connected);
    if (closed && camera.size() > 2)
        Segment(camera.back(), camera.front(), connected);
}

bool Painter::Pixel(const UIPrimitive& p, const MPoint& point, const MMatrix& world, double& x, double& y,
                    double* depth) const
{
    if (p.draw2D)
    {
        x = point.x;
        y = fProjector.Height() - point.y;
        if (depth)
            *depth = 1.0;
        return true;
    }
    double d = 0.0;
    const bool inFront = fProjector.Project(point * world, x, y, d);
    if (depth)
        *depth = d;
    return inFront;
}

void Painter::Stroke(const UIPrimitive& p, const MColor& colour)
{
    SetColour(fCr, colour);
    cairo_set_line_width(fCr, std::max(0.5f, p.state.lineWidth));
    static const double kShortDotted[] = {1.0, 2.0}, kShortDashed[] = {4.0, 2.0}, kDashed[] = {8.0, 4.0},
                        kDotted[] = {1.0, 4.0};
    switch (p.state.lineStyle)
    {
    case MUIDrawManager::kShortDotted:
        cairo_set_dash(fCr, kShortDotted, 2, 0.0);
        break;
    case MUIDrawManager::kShortDashed:
        cairo_set_dash(fCr, kShortDashed, 2, 0.0);
        break;
    case MUIDrawManager::kDashed:
        cairo_set_dash(fCr, kDashed, 2, 0.0);
        break;
    case MUIDrawManager::kDotted:
        cairo_set_dash(fCr, kDotted, 2, 0.0);
        break;
    default:
        cairo_set_dash(fCr, nullptr, 0, 0.0);
        break;
    }
    cairo_stroke(fCr);
}

std::vector<MVector> Painter::ViewPoints(const UIPrimitive& p, const std::vector<MPoint>& points,
                                        const MMatrix& world) const
{
    // Camera space, so that clipping at the near plane works.
    std::vector<MVector> out;
    out.reserve(points.size());
    for (const MPoint& point : points)
        out.push_back(p.draw2D ? MVector(point.x, fProjector.Height() - point.y, 0.0)
                               : fProjector.ToCamera(point * world));
    return out;
}

void Painter::Ordered(const DepthOrder& order, double particleSize)
{
    cairo_save(fCr);
    // A polyline arrives segment by segment, each at its own depth: round
    // ends close the corners that its joins would have made.
    cairo_set_line_cap(fCr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(fCr, CAIRO_LINE_JOIN_ROUND);
    order.ForEachRun(
        [&](DepthKind kind, std::size_t first, std::size_t last)
        {
            switch (kind)
            {
            case DepthKind::kParticle:
                Dots(order, first, last, particleSize);
                break;
            case DepthKind::kTrail:
                TrailRun(order, first, last);
                break;
            case DepthKind::kLine:
                LineRun(order, first, last);
                break;
            case DepthKind::kShape:
                for (std::size_t i = first; i < last; ++i)
                    Element(order.Shapes()[order.Items()[i].index]);
                break;
            }
        });
    cairo_restore(fCr);
}

void Painter::Dots(const DepthOrder& order, std::size_t first, std::size_t last, double size)
{
    cairo_surface_t* target = cairo_get_target(fCr);
    const std::vector<std::uint32_t>& drawn = order.ParticleOrder();
    const std::vector<ParticleDot>& dots = order.Dots();
    if (cairo_surface_get_type(target) == CAIRO_SURFACE_TYPE_IMAGE &&
        cairo_image_surface_get_format(target) == CAIRO_FORMAT_ARGB32)
    {
        // Straight into the pixels: filling a hundred thousand tiny
        // rectangles through cairo's rasteriser costs ten times as much.
        std::array<std::uint32_t, kColourBands> argb;
        for (int b = 0; b < kColourBands; ++b)
        {
            const MColor c = SpeedColour((b + 0.5) / kColourBands);
            argb[static_cast<std::size_t>(b)] = 0xFF000000u | (std::uint32_t(std::lround(c.r * 255.0f)) << 16) |
                                                (std::uint32_t(std::lround(c.g * 255.0f)) << 8) |
                                                std::uint32_t(std::lround(c.b * 255.0f));
        }
        cairo_surface_flush(target);
        unsigned char* pixels = cairo_image_surface_get_data(target);
        const int stride = cairo_image_surface_get_stride(target);
        const int width = cairo_image_surface_get_width(target), height = cairo_image_surface_get_height(target);
        const int side = static_cast<int>(size);
        for (std::size_t i = first; i < last; ++i)
        {
            const ParticleDot& dot = dots[drawn[i]];
            const int x0 = static_cast<int>(std::floor(dot.x - 0.5 * size + 0.5));
            const int y0 = static_cast<int>(std::floor(dot.y - 0.5 * size + 0.5));
            for (int y = std::max(y0, 0); y < std::min(y0 + side, height); ++y)
            {
                auto* row = reinterpret_cast<std::uint32_t*>(pixels + static_cast<std::ptrdiff_t>(y) * stride);
                for (int x = std::max(x0, 0); x < std::min(x0 + side, width); ++x)
                    row[x] = argb[dot.band];
            }
        }
        cairo_surface_mark_dirty(target);
        return;
    }
    // Vectors: one fill per colour band of the run.
    for (int b = 0; b < kColourBands; ++b)
    {
        bool any = false;
        cairo_new_path(fCr);
        for (std::size_t i = first; i < last; ++i)
        {
            const ParticleDot& dot = dots[drawn[i]];
            if (dot.band != b)
                continue;
            cairo_rectangle(fCr, dot.x - 0.5 * size, dot.y - 0.5 * size, size, size);
            any = true;
        }
        if (!any)
            continue;
        SetColour(fCr, SpeedColour((b + 0.5) / kColourBands));
        cairo_fill(fCr);
    }
}

void Painter::TrailRun(const DepthOrder& order, std::size_t first, std::size_t last)
{
    // One stroke per band of time in the run, translucent so that crossing
    // trails show.
    cairo_set_dash(fCr, nullptr, 0, 0.0);
    cairo_set_line_width(fCr, 1.0);
    const std::vector<DepthItem>& items = order.Items();
    for (int b = 0; b < kColourBands; ++b)
    {
        bool any = false;
        cairo_new_path(fCr);
        for (std::size_t i = first; i < last; ++i)
        {
            const TrailPiece& piece = order.Trails()[items[i].index];
            if (piece.band != b)
                continue;
            bool connected = false;
            Segment(piece.a, piece.b, connected);
            any = true;
        }
        if (!any)
            continue;
        MColor colour = TimeColour((b + 0.5) / kColourBands);
        colour.a = 0.7f;
        SetColour(fCr, colour);
        cairo_stroke(fCr);
    }
}

void Painter::LineRun(const DepthOrder& order, std::size_t first, std::size_t last)
{
    // Segments of one primitive and colour that follow each other in depth
    // go in one stroke, joined where they meet.
    const std::vector<DepthItem>& items = order.Items();
    const std::vector<LinePiece>& lines = order.Lines();
    std::size_t i = first;
    while (i < last)
    {
        const LinePiece& head = lines[items[i].index];
        cairo_new_path(fCr);
        bool connected = false;
        const MVector* end = nullptr;
        std::size_t j = i;
        for (; j < last; ++j)
        {
            const LinePiece& piece = lines[items[j].index];
            if (piece.primitive != head.primitive || !(piece.colour == head.colour))
                break;
            connected = connected && end && *end == piece.a;
            Segment(piece.a, piece.b, connected);
            end = &piece.b;
        }
        Stroke(*head.primitive, head.colour);
        i = j;
    }
}

void Painter::Element(const ShapePiece& piece)
{
    const UIPrimitive& p = *piece.primitive;
    if (piece.element == ShapePiece::kWhole)
    {
        Primitive(p, *piece.world);
        return;
    }
    const std::size_t i = piece.element;
    const bool perPoint = p.colors.size() == p.points.size();
    const MColor colour = perPoint ? p.colors[i] : p.state.color;
    cairo_new_path(fCr);
    if (p.mode == MUIDrawManager::kPoints)
    {
        double x, y;
        if (!Pixel(p, p.points[i], *piece.world, x, y))
            return;
        const double size = std::max(1.0f, p.state.pointSize);
        cairo_rectangle(fCr, x - 0.5 * size, y - 0.5 * size, size, size);
    }
    else
    {
        Path(ViewPoints(p, {p.points[i], p.points[i + 1], p.points[i + 2]}, *piece.world), true, false);
        cairo_close_path(fCr);
    }
    SetColour(fCr, colour);
    cairo_fill(fCr);
}

void Painter::Drawable(const UIDrawable& drawable, const MMatrix& world)
{
    for (const UIPrimitive& p : drawable.primitives)
        Primitive(p, world);
}

void Painter::Primitive(const UIPrimitive& p, const MMatrix& world)
{
    if (p.points.empty())
        return;
    const MColor colour = p.state.color;
    cairo_new_path(fCr);
    switch (p.kind)
    {
    case UIPrimitiveKind::kMesh:
    {
        const bool perPoint = p.colors.size() == p.points.size();
        if (p.mode == MUIDrawManager::kPoints)
        {
            const double size = std::max(1.0f, p.state.pointSize);
            for (std::size_t i = 0; i < p.points.size(); ++i)
            {
                double x, y;
                if (!Pixel(p, p.points[i], world, x, y))
                    continue;
                cairo_rectangle(fCr, x - 0.5 * size, y - 0.5 * size, size, size);
                if (perPoint)
                {
                    SetColour(fCr, p.colors[i]);
                    cairo_fill(fCr);
                }
            }
            if (!perPoint)
            {
                SetColour(fCr, colour);
                cairo_fill(fCr);
            }
            return;
        }
        const std::vector<MVector> points = ViewPoints(p, p.points, world);
        if (p.mode == MUIDrawManager::kTriangles || p.mode == MUIDrawManager::kTriStrip)
        {
            const bool strip = p.mode == MUIDrawManager::kTriStrip;
            for (std::size_t i = 0; i + 2 < points.size(); i += strip ? 1 : 3)
            {
                cairo_new_path(fCr);
                Path({points[i], points[i + 1], points[i + 2]}, true, p.draw2D);
                cairo_close_path(fCr);
                SetColour(fCr, perPoint ? p.colors[i] : colour);
                cairo_fill(fCr);
            }
            return;
        }
        if (p.mode == MUIDrawManager::kLines)
        {
            for (std::size_t i = 0; i + 1 < points.size(); i += 2)
            {
                Path({points[i], points[i + 1]}, false, p.draw2D);
                if (perPoint)
                {
                    Stroke(p, p.colors[i]);
                    cairo_new_path(fCr);
                }
            }
            if (!perPoint)
                Stroke(p, colour);
            return;
        }
        Path(points, p.mode == MUIDrawManager::kClosedLine, p.draw2D);
        Stroke(p, perPoint ? p.colors[0] : colour);
        return;
    }
    case UIPrimitiveKind::kCircle:
    {
        const std::vector<MVector> camera = ViewPoints(p, CircleOutline(p), world);
        Path(camera, true, p.draw2D);
        if (p.filled)
        {
            cairo_close_path(fCr);
            SetColour(fCr, colour);
            cairo_fill(fCr);
        }
        else
            Stroke(p, colour);
        return;
    }
    case UIPrimitiveKind::kSphere:
    {
        double x, y, depth;
        if (!Pixel(p, p.points[0], world, x, y, &depth))
            return;
        // The outline of a sphere as seen: its radius at its depth (the
        // object's scale taken from the matrix's first row).
        const double scale = p.draw2D ? 1.0 : MVector(world(0, 0), world(0, 1), world(0, 2)).length();
        const double radius = p.radius * scale * (p.draw2D ? 1.0 : fProjector.PixelsPerUnit(depth));
        cairo_arc(fCr, x, y, std::max(radius, 0.5), 0.0, 2.0 * std::numbers::pi);
        if (p.filled)
        {
            SetColour(fCr, colour);
            cairo_fill(fCr);
        }
        else
            Stroke(p, colour);
        return;
    }
    case UIPrimitiveKind::kIcon:
    {
        double x, y;
        if (Pixel(p, p.points[0], world, x, y))
            DrawIconGlyph(fCr, p.text, x, y, p.scale, colour);
        return;
    }
    case UIPrimitiveKind::kText:
    {
        double x, y;
        if (!Pixel(p, p.points[0], world, x, y))
            return;
        cairo_select_font_face(fCr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
        cairo_set_font_size(fCr, p.state.fontSize);
        cairo_text_extents_t extents;
        cairo_text_extents(fCr, p.text.c_str(), &extents);
        if (p.alignment == MUIDrawManager::kCenter)
            x -= 0.5 * extents.x_advance;
        else if (p.alignment == MUIDrawManager::kRight)
            x -= extents.x_advance;
        cairo_move_to(fCr, x, y);
        SetColour(fCr, colour);
        cairo_show_text(fCr, p.text.c_str());
        cairo_new_path(fCr);
        return;
    }
    }
}
} // namespace vxhost
