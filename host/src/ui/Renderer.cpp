// Drawing a recorded redraw with cairo, into PNG or SVG: what is drawn in
// which order (Painter draws it).
#include "Cameras.h"
#include "DepthOrder.h"
#include "Overlays.h"
#include "Painter.h"
#include "Palettes.h"
#include "PngWriter.h"
#include "ViewportScene.h"

#include <vxhost/OutputFile.h>
#include <vxhost/Viewport.h>

#include <cairo-svg.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

namespace vxhost
{
namespace
{
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

MStatus CairoError(cairo_status_t status, const std::string& path)
{
    return MStatus(MStatus::kFailure,
                   MString("Cannot write \"") + path.c_str() + "\": " + cairo_status_to_string(status));
}

// The speed at the red end: the run's scale, or this picture's fastest
// particle (never below the blue end).
double RedEnd(const ViewportOptions& options, const std::vector<ParticleCloud>& clouds)
{
    if (options.speedScale > 0.0)
        return options.speedScale;
    double fastest = options.speedLow;
    for (const ParticleCloud& cloud : clouds)
        if (cloud.velocities)
            for (const MVector& v : *cloud.velocities)
                if (std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z))
                    fastest = std::max(fastest, v.length());
    return fastest;
}

// Everything a frame draws: background and grid; then, farthest first, the
// trails, the particles and the overrides' 3D primitives, so that what is
// nearer covers what is behind; then the 2D primitives by depth priority,
// the manipulators, and the ornaments over everything.
void Paint(cairo_t* cr, const ViewportOptions& options, const ViewportFrame& frame)
{
    const Projector projector = ActiveView().MakeProjector();
    Painter painter(cr, projector);
    painter.Background();
    if (options.grid)
        painter.Grid(options.camera, options.fixedBounds ? *options.fixedBounds : frame.bounds);

    DepthOrder order;
    if (!options.trails.empty())
        order.AddTrails(projector, options.trails, kColourBands);
    const std::vector<ParticleCloud> clouds = options.particles ? VisibleParticles() : std::vector<ParticleCloud>();
    const double redEnd = RedEnd(options, clouds);
    std::size_t count = 0;
    for (const ParticleCloud& cloud : clouds)
        count += cloud.positions->length();
    // Few particles are drawn larger, so that a sparse system still shows.
    const double particleSize = count > 20000 ? 2.0 : 3.0;
    order.AddParticles(projector, clouds, options.speedLow, redEnd, particleSize, kColourBands);
    struct Flat
    {
        unsigned priority;
        const UIPrimitive* primitive;
        const MMatrix* world;
    };
    std::vector<Flat> flat;
    for (const RecordedNode& node : frame.nodes)
        for (const UIDrawable& drawable : node.drawables)
            for (const UIPrimitive& p : drawable.primitives)
            {
                if (p.draw2D)
                    flat.push_back({p.state.depthPriority, &p, &node.world});
                else
                    order.AddPrimitive(projector, p, node.world);
            }
    order.Sort();
    painter.Ordered(order, particleSize);

    std::stable_sort(flat.begin(), flat.end(),
                     [](const Flat& a, const Flat& b) { return a.priority < b.priority; });
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    for (const Flat& item : flat)
        painter.Primitive(*item.primitive, *item.world);
    const MMatrix identity;
    for (const UIDrawable& drawable : frame.manipulators)
        painter.Drawable(drawable, identity);
    if (options.ornaments)
        DrawOverlays(cr, options, clouds.empty() ? -1.0 : redEnd);
}
} // namespace

MStatus RenderViewport(const ViewportOptions& options, const std::string& path)
{
    ViewportFrame frame;
    MStatus status = RecordViewport(options, frame);
    if (!status)
        return status;
    // An SVG streams into the run's one writer, as a PNG does; a PNG is
    // drawn in memory and written whole.
    OutputFile svg;
    std::string error;
    if (options.format == ImageFormat::kSvg && !svg.Open(path, error))
        return MStatus(MStatus::kFailure, MString("Cannot write \"") + path.c_str() + "\": " + error.c_str());
    const cairo_write_func_t toFile = [](void* closure, const unsigned char* data, unsigned int length)
    {
        return std::fwrite(data, 1, length, static_cast<std::FILE*>(closure)) == length ? CAIRO_STATUS_SUCCESS
                                                                                       : CAIRO_STATUS_WRITE_ERROR;
    };
    Surface surface(options.format == ImageFormat::kSvg
                        ? cairo_svg_surface_create_for_stream(toFile, svg.Stream(), options.width, options.height)
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
    if (result != CAIRO_STATUS_SUCCESS)
        return CairoError(result, path);
    if (!svg.Commit(error))
        return MStatus(MStatus::kFailure, MString("Cannot write \"") + path.c_str() + "\": " + error.c_str());
    return MStatus(MStatus::kSuccess);
}
} // namespace vxhost
