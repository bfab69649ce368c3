// Drawing a recorded redraw with cairo: the background and grid, the
// particles coloured by speed, the overrides' drawables and the
// manipulators, into PNG or SVG.
#include "Cameras.h"
#include "IconGlyphs.h"
#include "Overlays.h"
#include "Palettes.h"
#include "PngWriter.h"
#include "ViewportScene.h"

#include <maya/M3dView.h>
#include <maya/MUIDrawManager.h>
#include <vxhost/Viewport.h>

#include <cairo-svg.h>
#include <cairo.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <memory>
#include <numbers>

using MHWRender::MUIDrawManager;

namespace vxhost
{
namespace
{
constexpr int kSpeedBins = 16;

struct SurfaceDeleter
{
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct ContextDeleter
{
    void operator()(cairo_t* c) const { cairo_destroy(c); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;
using Context = std::unique_ptr<cairo_t, ContextDeleter>;

void SetColour(cairo_t* cr, const MColor& c)
{
    cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a);
}

class Painter
{
public:
    Painter(cairo_t* cr, const Projector& projector) : fCr(cr), fProjector(projector) {}

    void Background();
    void Grid(const std::string& camera, const MBoundingBox& bounds);
    /// Returns the speed at the red end: `scale`, or the fastest particle's
    /// when `scale` is 0.
    double Particles(const std::vector<ParticleCloud>& clouds, double scale);
    void Trails(const std::vector<std::vector<MPoint>>& trails);
    void Drawable(const UIDrawable& drawable, const MMatrix& world);

private:
    void Primitive(const UIPrimitive& p, const MMatrix& world);
    void Stroke(const UIPrimitive& p, const MColor& colour);
    // Appends the segment a-b (camera space) to the path, clipped to the
    // near plane; continuing from the last point when connected.
    void Segment(const MVector& a, const MVector& b, bool& connected);
    bool Pixel(const UIPrimitive& p, const MPoint& point, const MMatrix& world, double& x, double& y,
               double* depth = nullptr) const;
    void Polyline(const std::vector<MVector>& camera, bool closed);
    // A polyline of camera-space points, or of pixels (x, y) for 2D.
    void Path(const std::vector<MVector>& points, bool closed, bool pixels);

    cairo_t* fCr;
    const Projector& fProjector;
};

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

double Painter::Particles(const std::vector<ParticleCloud>& clouds, double scale)
{
    // A run's pictures share one scale; a lone picture takes its fastest.
    double fastest = scale > 0.0 ? scale : 0.0;
    std::size_t count = 0;
    for (const ParticleCloud& cloud : clouds)
    {
        count += cloud.positions->length();
        if (cloud.velocities && scale <= 0.0)
            for (const MVector& v : *cloud.velocities)
                if (std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z))
                    fastest = std::max(fastest, v.length());
    }
    // Few particles are drawn larger, so that a sparse system still shows.
    const double size = count > 20000 ? 2.0 : 3.0;
    const double w = fProjector.Width(), h = fProjector.Height();
    // One path per colour band: a fill per band rather than per particle.
    std::array<std::vector<float>, kSpeedBins> bins;
    for (const ParticleCloud& cloud : clouds)
    {
        const MVectorArray& positions = *cloud.positions;
        const unsigned known = cloud.velocities ? cloud.velocities->length() : 0u;
        for (unsigned i = 0; i < positions.length(); ++i)
        {
            double x, y, depth;
            if (!fProjector.Project(MPoint(positions[i]), x, y, depth) || !(x > -size && x < w + size) ||
                !(y > -size && y < h + size))
                continue;
            const double speed = i < known ? (*cloud.velocities)[i].length() : 0.0;
            const double t = fastest > 0.0 && std::isfinite(speed) ? speed / fastest : 0.0;
            const int bin = std::min(kSpeedBins - 1, static_cast<int>(t * kSpeedBins));
            bins[static_cast<std::size_t>(bin)].push_back(static_cast<float>(x));
            bins[static_cast<std::size_t>(bin)].push_back(static_cast<float>(y));
        }
    }
    cairo_surface_t* target = cairo_get_target(fCr);
    if (cairo_surface_get_type(target) == CAIRO_SURFACE_TYPE_IMAGE &&
        cairo_image_surface_get_format(target) == CAIRO_FORMAT_ARGB32)
    {
        // Straight into the pixels: filling a hundred thousand tiny
        // rectangles through cairo's rasteriser costs ten times as much.
        cairo_surface_flush(target);
        unsigned char* pixels = cairo_image_surface_get_data(target);
        const int stride = cairo_image_surface_get_stride(target);
        const int width = cairo_image_surface_get_width(target),
                  height = cairo_image_surface_get_height(target);
        const int side = static_cast<int>(size);
        for (int b = 0; b < kSpeedBins; ++b)
        {
            const MColor c = SpeedColour((b + 0.5) / kSpeedBins);
            const std::uint32_t argb = 0xFF000000u | (std::uint32_t(std::lround(c.r * 255.0f)) << 16) |
                                       (std::uint32_t(std::lround(c.g * 255.0f)) << 8) |
                                       std::uint32_t(std::lround(c.b * 255.0f));
            const auto& xy = bins[static_cast<std::size_t>(b)];
            for (std::size_t i = 0; i < xy.size(); i += 2)
            {
                const int x0 = static_cast<int>(std::floor(xy[i] - 0.5 * size + 0.5));
                const int y0 = static_cast<int>(std::floor(xy[i + 1] - 0.5 * size + 0.5));
                for (int y = std::max(y0, 0); y < std::min(y0 + side, height); ++y)
                {
                    auto* row =
                        reinterpret_cast<std::uint32_t*>(pixels + static_cast<std::ptrdiff_t>(y) * stride);
                    for (int x = std::max(x0, 0); x < std::min(x0 + side, width); ++x)
                        row[x] = argb;
                }
            }
        }
        cairo_surface_mark_dirty(target);
        return fastest;
    }
    for (int b = 0; b < kSpeedBins; ++b)
    {
        const auto& xy = bins[static_cast<std::size_t>(b)];
        if (xy.empty())
            continue;
        cairo_new_path(fCr);
        for (std::size_t i = 0; i < xy.size(); i += 2)
            cairo_rectangle(fCr, xy[i] - 0.5 * size, xy[i + 1] - 0.5 * size, size, size);
        SetColour(fCr, SpeedColour((b + 0.5) / kSpeedBins));
        cairo_fill(fCr);
    }
    return fastest;
}

void Painter::Trails(const std::vector<std::vector<MPoint>>& trails)
{
    // One stroke per colour band: each segment goes to the band of its
    // place along its trail, coloured by time (a palette of its own).
    cairo_set_dash(fCr, nullptr, 0, 0.0);
    cairo_set_line_width(fCr, 1.0);
    cairo_set_line_join(fCr, CAIRO_LINE_JOIN_ROUND);
    for (int b = 0; b < kSpeedBins; ++b)
    {
        cairo_new_path(fCr);
        for (const std::vector<MPoint>& trail : trails)
        {
            const std::size_t segments = trail.size() > 1 ? trail.size() - 1 : 0;
            bool connected = false;
            for (std::size_t i = 0; i < segments; ++i)
            {
                const int band = static_cast<int>(i * kSpeedBins / segments);
                const MPoint& a = trail[i];
                const MPoint& c = trail[i + 1];
                if (band != b || !std::isfinite(a.x + a.y + a.z + c.x + c.y + c.z))
                {
                    connected = false;
                    continue;
                }
                Segment(fProjector.ToCamera(a), fProjector.ToCamera(c), connected);
            }
        }
        MColor colour = TimeColour((b + 0.5) / kSpeedBins);
        colour.a = 0.7f;
        SetColour(fCr, colour);
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
        // Lines and faces in camera space, so that clipping at the near
        // plane works; 2D ones in pixels.
        std::vector<MVector> points;
        points.reserve(p.points.size());
        for (const MPoint& point : p.points)
            points.push_back(p.draw2D ? MVector(point.x, fProjector.Height() - point.y, 0.0)
                                      : fProjector.ToCamera(point * world));
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
        std::vector<MVector> camera;
        MVector n = p.normal.normal();
        if (n.length() == 0.0)
            n = MVector(0.0, 0.0, 1.0);
        MVector u = n ^ MVector(1.0, 0.0, 0.0);
        if (u.length() < 1e-6)
            u = n ^ MVector(0.0, 1.0, 0.0);
        u.normalize();
        const MVector v = n ^ u;
        for (int k = 0; k < 48; ++k)
        {
            const double a = 2.0 * std::numbers::pi * k / 48.0;
            const MPoint q = p.points[0] + (u * std::cos(a) + v * std::sin(a)) * p.radius;
            camera.push_back(p.draw2D ? MVector(q.x, fProjector.Height() - q.y, 0.0)
                                      : fProjector.ToCamera(q * world));
        }
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

MStatus CairoError(cairo_status_t status, const std::string& path)
{
    return MStatus(MStatus::kFailure,
                   MString("Cannot write \"") + path.c_str() + "\": " + cairo_status_to_string(status));
}

// Everything a frame draws, in Maya's order: background and grid, then the
// particles, then the drawables by depth priority, the manipulators last.
void Paint(cairo_t* cr, const ViewportOptions& options, const ViewportFrame& frame)
{
    const Projector projector = ActiveView().MakeProjector();
    Painter painter(cr, projector);
    painter.Background();
    if (options.grid)
        painter.Grid(options.camera, frame.bounds);
    if (!options.trails.empty())
        painter.Trails(options.trails);
    double speedScale = 0.0;
    const std::vector<ParticleCloud> clouds = options.particles ? VisibleParticles() : std::vector<ParticleCloud>();
    if (!clouds.empty())
        speedScale = painter.Particles(clouds, options.speedScale);
    struct Item
    {
        unsigned priority;
        const UIDrawable* drawable;
        const MMatrix* world;
    };
    std::vector<Item> items;
    for (const RecordedNode& node : frame.nodes)
        for (const UIDrawable& drawable : node.drawables)
        {
            unsigned priority = 0;
            for (const UIPrimitive& p : drawable.primitives)
                priority = std::max(priority, p.state.depthPriority);
            items.push_back({priority, &drawable, &node.world});
        }
    std::stable_sort(items.begin(), items.end(),
                     [](const Item& a, const Item& b) { return a.priority < b.priority; });
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    for (const Item& item : items)
        painter.Drawable(*item.drawable, *item.world);
    const MMatrix identity;
    for (const UIDrawable& drawable : frame.manipulators)
        painter.Drawable(drawable, identity);
    if (options.ornaments)
        DrawOverlays(cr, options, clouds.empty() ? -1.0 : speedScale);
}
} // namespace

MStatus RenderViewport(const ViewportOptions& options, const std::string& path)
{
    ViewportFrame frame;
    MStatus status = RecordViewport(options, frame);
    if (!status)
        return status;
    Surface surface(options.format == ImageFormat::kSvg
                        ? cairo_svg_surface_create(path.c_str(), options.width, options.height)
                        : cairo_image_surface_create(CAIRO_FORMAT_ARGB32, options.width, options.height));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS)
        return CairoError(cairo_surface_status(surface.get()), path);
    {
        Context cr(cairo_create(surface.get()));
        Paint(cr.get(), options, frame);
    }
    if (options.format == ImageFormat::kPng)
        return WritePng(surface.get(), path);
    cairo_surface_finish(surface.get());
    const cairo_status_t result = cairo_surface_status(surface.get());
    return result == CAIRO_STATUS_SUCCESS ? MStatus(MStatus::kSuccess) : CairoError(result, path);
}
} // namespace vxhost
