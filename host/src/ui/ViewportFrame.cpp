// One redraw: the view, the framing, and the drawables recorded from the
// draw overrides and the manipulators.
#include "Cameras.h"
#include "DrawOverrides.h"
#include "Manipulators.h"
#include "ViewportScene.h"

#include "commands/ParticleArrays.h"
#include "dg/Scene.h"
#include "dynamics/ParticleNode.h"

#include <maya/MFnMesh.h>
#include <maya/MFnNurbsCurve.h>
#include <maya/MHWGeometryUtilities.h>
#include <maya/MPlug.h>
#include <maya/MUIDrawManager.h>
#include <vxhost/Viewport.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

namespace vxhost
{
namespace
{
bool Shown(Node& node)
{
    MDagPath path;
    if (!MDagPath::getAPathTo(node.Object(), path))
        return false;
    const MHWRender::DisplayStatus status = MHWRender::MGeometryUtilities::displayStatus(path);
    return status != MHWRender::kInvisible && status != MHWRender::kIntermediateObject &&
           status != MHWRender::kNoStatus;
}

std::string FullPath(const Node& node)
{
    std::string path;
    for (const Node* n = &node; n; n = n->parent)
        path.insert(0, "|" + n->name);
    return path;
}
// Built-in meshes and NURBS curves have no draw override; they are drawn
// as Maya draws them dormant in wireframe: their edges, one thin colour.
constexpr float kWireColour[4] = {0.42f, 0.52f, 0.68f, 1.0f};

// The shape's edges as line pairs in object space; false for a shape with
// nothing to draw.
bool ShapeWire(Node& node, std::vector<MPoint>& lines)
{
    lines.clear();
    MStatus status;
    if (node.cls->IsA("mesh"))
    {
        const MPlug plug(node.Self(), node.PathTo(node.FindAttribute("outMesh")));
        const MFnMesh mesh(plug.asMObject(&status), &status);
        MPointArray points;
        MIntArray counts, vertices;
        if (!status || !mesh.getPoints(points) || !mesh.getVertices(counts, vertices))
            return false;
        // Every edge once, though most belong to two polygons.
        std::vector<std::pair<unsigned, unsigned>> edges;
        unsigned first = 0;
        for (unsigned polygon = 0; polygon < counts.length(); ++polygon)
        {
            const unsigned n = static_cast<unsigned>(counts[polygon]);
            if (first + n > vertices.length())
                break;
            for (unsigned k = 0; k < n; ++k)
            {
                const unsigned a = static_cast<unsigned>(vertices[first + k]);
                const unsigned b = static_cast<unsigned>(vertices[first + (k + 1) % n]);
                if (a < points.length() && b < points.length())
                    edges.emplace_back(std::min(a, b), std::max(a, b));
            }
            first += n;
        }
        std::sort(edges.begin(), edges.end());
        edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
        for (const auto& [a, b] : edges)
        {
            lines.push_back(points[a]);
            lines.push_back(points[b]);
        }
    }
    else if (node.cls->IsA("nurbsCurve"))
    {
        const MPlug plug(node.Self(), node.PathTo(node.FindAttribute("local")));
        const MFnNurbsCurve curve(plug.asMObject(&status), &status);
        double start = 0.0, end = 0.0;
        if (!status || !curve.getKnotDomain(start, end))
            return false;
        const int samples = 16 * std::max(1, curve.numSpans());
        MPoint previous;
        for (int i = 0; i <= samples; ++i)
        {
            MPoint point;
            curve.getPointAtParam(start + (end - start) * i / samples, point);
            if (i > 0)
            {
                lines.push_back(previous);
                lines.push_back(point);
            }
            previous = point;
        }
    }
    return !lines.empty();
}
} // namespace

std::vector<ParticleCloud> VisibleParticles()
{
    std::vector<ParticleCloud> clouds;
    const ParticleAttributes& a = Particle();
    const std::vector<std::shared_ptr<Node>> nodes = Scene::Get().Nodes();
    for (const auto& node : nodes)
    {
        if (!node->cls->IsA("particle") || !Shown(*node))
            continue;
        ParticleCloud cloud;
        cloud.positions = EvaluatedVectorArray(*node, a.position);
        cloud.velocities = EvaluatedVectorArray(*node, a.velocity);
        if (cloud.positions && cloud.positions->length() > 0)
            clouds.push_back(cloud);
    }
    return clouds;
}

namespace
{
MStatus CheckOptions(const ViewportOptions& options)
{
    if (!FindCamera(options.camera))
        return MStatus(MStatus::kInvalidParameter, MString("Unknown camera \"") + options.camera.c_str() +
                                                       "\": use persp, top, front or side.");
    if (options.width < 1 || options.height < 1)
        return MStatus(MStatus::kInvalidParameter, "The picture must be at least 1 pixel wide and high.");
    return MStatus::kSuccess;
}

// The bounds a picture frames on (particles, trails, the overrides that
// draw and the built-in shapes' wires), and the nodes whose overrides draw;
// the wires go to `wires` when given. False when nothing has a place.
bool GatherBounds(const ViewportOptions& options, const MDagPath& camera, std::vector<Node*>& drawn,
                  MBoundingBox& bounds, std::vector<RecordedNode>* wires)
{
    DrawOverrides& overrides = DrawOverrides::Get();
    const std::vector<std::shared_ptr<Node>> nodes = Scene::Get().Nodes();
    for (const auto& node : nodes)
        if (node->cls->dag && overrides.HasCreator(*node->cls) && Shown(*node))
            drawn.push_back(node.get());
    bool bounded = false;
    if (options.particles)
        for (const ParticleCloud& cloud : VisibleParticles())
            for (const MVector& p : *cloud.positions)
                if (std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z))
                {
                    bounds.expand(MPoint(p));
                    bounded = true;
                }
    for (const std::vector<MPoint>& trail : options.trails)
        for (const MPoint& p : trail)
            if (std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z))
            {
                bounds.expand(p);
                bounded = true;
            }
    for (Node* node : drawn)
    {
        // Where the node is drawn counts even when its box is empty (a
        // field's icon has no extent).
        MBoundingBox box;
        MMatrix world;
        if (overrides.WorldBounds(*node, camera, box, world))
        {
            if (box.width() > 0.0 || box.height() > 0.0 || box.depth() > 0.0)
                bounds.expand(box);
            bounds.expand(MPoint(world(3, 0), world(3, 1), world(3, 2)));
            bounded = true;
        }
    }
    std::vector<MPoint> lines;
    for (const auto& node : nodes)
    {
        if (!(node->cls->IsA("mesh") || node->cls->IsA("nurbsCurve")) || overrides.HasCreator(*node->cls) ||
            !Shown(*node) || !ShapeWire(*node, lines))
            continue;
        MDagPath path;
        MDagPath::getAPathTo(node->Object(), path);
        RecordedNode recorded;
        recorded.path = FullPath(*node);
        recorded.world = path.inclusiveMatrix();
        for (const MPoint& p : lines)
            bounds.expand(p * recorded.world);
        bounded = true;
        if (!wires)
            continue;
        UIPrimitive wire;
        wire.mode = MHWRender::MUIDrawManager::kLines;
        wire.points = lines;
        wire.state.color = MColor(kWireColour[0], kWireColour[1], kWireColour[2], kWireColour[3]);
        recorded.drawables.push_back(UIDrawable{0, 0, {std::move(wire)}});
        wires->push_back(std::move(recorded));
    }
    return bounded;
}
} // namespace

MStatus ViewportBounds(const ViewportOptions& options, MBoundingBox& out, bool& bounded)
{
    out = MBoundingBox();
    bounded = false;
    if (MStatus status = CheckOptions(options); !status)
        return status;
    MDagPath camera;
    CameraPath(options.camera, camera);
    std::vector<Node*> drawn;
    bounded = GatherBounds(options, camera, drawn, out, nullptr);
    return MStatus::kSuccess;
}

MStatus RecordViewport(const ViewportOptions& options, ViewportFrame& out)
{
    out = ViewportFrame();
    if (MStatus status = CheckOptions(options); !status)
        return status;
    ViewState& view = ActiveView();
    view.camera = options.camera;
    view.width = options.width;
    view.height = options.height;
    ++view.frameStamp;
    MDagPath camera;
    CameraPath(options.camera, camera);

    if (options.manipulators)
    {
        // A container that fails to connect has said why; the picture goes
        // on without it.
        std::string error;
        ManipContext::Get().Sync(false, error);
    }

    std::vector<Node*> drawn;
    const bool bounded = GatherBounds(options, camera, drawn, out.bounds, &out.nodes);
    if (options.fitView)
    {
        // A run's fixed bounds hold the camera still; nothing to frame gets
        // Maya's default grid, 24 centimetres across.
        const MBoundingBox bounds = options.fixedBounds ? *options.fixedBounds
                                    : bounded ? out.bounds
                                              : MBoundingBox(MPoint(-12.0, -12.0, -12.0), MPoint(12.0, 12.0, 12.0));
        FrameCamera(options.camera, *FindCamera(options.camera), bounds, options.width, options.height);
    }

    DrawOverrides& overrides = DrawOverrides::Get();
    for (Node* node : drawn)
    {
        MHWRender::MUIDrawManager drawManager;
        RecordedNode recorded;
        if (!overrides.Draw(*node, camera, view, drawManager, recorded.world))
            continue;
        recorded.path = FullPath(*node);
        recorded.drawables = drawManager.Drawables();
        out.nodes.push_back(std::move(recorded));
    }
    if (options.manipulators)
    {
        MHWRender::MUIDrawManager drawManager;
        ManipContext::Get().Draw(drawManager, view);
        out.manipulators = drawManager.Drawables();
    }
    return MStatus::kSuccess;
}

ImageFormat FormatForPath(const std::string& path)
{
    std::string tail = path.size() >= 4 ? path.substr(path.size() - 4) : path;
    std::transform(tail.begin(), tail.end(), tail.begin(), [](unsigned char c) { return std::tolower(c); });
    return tail == ".svg" ? ImageFormat::kSvg : ImageFormat::kPng;
}

std::string FrameFileName(const std::string& base, int frame, ImageFormat format)
{
    char number[32];
    std::snprintf(number, sizeof number, ".%04d", frame);
    return base + number + (format == ImageFormat::kSvg ? ".svg" : ".png");
}
} // namespace vxhost
