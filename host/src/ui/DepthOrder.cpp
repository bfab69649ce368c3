#include "DepthOrder.h"

#include <maya/MUIDrawManager.h>

#include <algorithm>
#include <cmath>
#include <numbers>

using MHWRender::MUIDrawManager;

namespace vxhost
{
namespace
{
constexpr int kCircleSegments = 48;

bool Finite(const MVector& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}
} // namespace

std::vector<MPoint> CircleOutline(const UIPrimitive& p)
{
    MVector n = p.normal.normal();
    if (n.length() == 0.0)
        n = MVector(0.0, 0.0, 1.0);
    MVector u = n ^ MVector(1.0, 0.0, 0.0);
    if (u.length() < 1e-6)
        u = n ^ MVector(0.0, 1.0, 0.0);
    u.normalize();
    const MVector v = n ^ u;
    std::vector<MPoint> points;
    points.reserve(kCircleSegments);
    for (int k = 0; k < kCircleSegments; ++k)
    {
        const double a = 2.0 * std::numbers::pi * k / kCircleSegments;
        points.push_back(p.points[0] + (u * std::cos(a) + v * std::sin(a)) * p.radius);
    }
    return points;
}

void DepthOrder::AddParticles(const Projector& projector, const std::vector<ParticleCloud>& clouds, double low,
                              double high, double size, int bands)
{
    const double w = projector.Width(), h = projector.Height();
    const double range = high - low;
    std::size_t total = fDots.size();
    for (const ParticleCloud& cloud : clouds)
        total += cloud.positions->length();
    fDots.reserve(total);
    fDotDepths.reserve(total);
    for (const ParticleCloud& cloud : clouds)
    {
        const MVectorArray& positions = *cloud.positions;
        const unsigned known = cloud.velocities ? cloud.velocities->length() : 0u;
        for (unsigned i = 0; i < positions.length(); ++i)
        {
            double x, y, depth;
            if (!projector.Project(MPoint(positions[i]), x, y, depth) || !(x > -size && x < w + size) ||
                !(y > -size && y < h + size) || !std::isfinite(depth))
                continue;
            const double speed = i < known ? (*cloud.velocities)[i].length() : 0.0;
            const double t = range > 0.0 && std::isfinite(speed) ? (speed - low) / range : 0.0;
            const int band = std::clamp(static_cast<int>(std::floor(t * bands)), 0, bands - 1);
            Add(depth, ParticleDot{static_cast<float>(x), static_cast<float>(y), static_cast<std::uint8_t>(band)});
        }
    }
}

void DepthOrder::AddTrails(const Projector& projector, const std::vector<std::vector<MPoint>>& trails, int bands)
{
    for (const std::vector<MPoint>& trail : trails)
    {
        const std::size_t segments = trail.size() > 1 ? trail.size() - 1 : 0;
        for (std::size_t i = 0; i < segments; ++i)
        {
            const MVector a = projector.ToCamera(trail[i]);
            const MVector b = projector.ToCamera(trail[i + 1]);
            if (!Finite(a) || !Finite(b))
                continue;
            const auto band = static_cast<std::uint8_t>(i * static_cast<std::size_t>(bands) / segments);
            Add(0.5 * (a.z + b.z), TrailPiece{a, b, band});
        }
    }
}

void DepthOrder::AddPrimitive(const Projector& projector, const UIPrimitive& p, const MMatrix& world)
{
    if (p.points.empty() || p.draw2D)
        return;
    const std::uint32_t priority = p.state.depthPriority;
    auto line = [&](const MVector& a, const MVector& b, const MColor& colour)
    {
        if (Finite(a) && Finite(b))
            Add(0.5 * (a.z + b.z), priority, LinePiece{a, b, &p, colour});
    };
    auto whole = [&](const MPoint& centre)
    {
        const MVector c = projector.ToCamera(centre * world);
        if (Finite(c))
            Add(c.z, priority, ShapePiece{&p, &world, ShapePiece::kWhole});
    };
    switch (p.kind)
    {
    case UIPrimitiveKind::kMesh:
    {
        std::vector<MVector> camera;
        camera.reserve(p.points.size());
        for (const MPoint& point : p.points)
            camera.push_back(projector.ToCamera(point * world));
        const bool perPoint = p.colors.size() == p.points.size();
        const std::size_t n = camera.size();
        if (p.mode == MUIDrawManager::kPoints)
        {
            for (std::size_t i = 0; i < n; ++i)
                if (Finite(camera[i]))
                    Add(camera[i].z, priority, ShapePiece{&p, &world, static_cast<std::uint32_t>(i)});
        }
        else if (p.mode == MUIDrawManager::kTriangles || p.mode == MUIDrawManager::kTriStrip)
        {
            const bool strip = p.mode == MUIDrawManager::kTriStrip;
            for (std::size_t i = 0; i + 2 < n; i += strip ? 1 : 3)
            {
                const double depth = (camera[i].z + camera[i + 1].z + camera[i + 2].z) / 3.0;
                if (std::isfinite(depth))
                    Add(depth, priority, ShapePiece{&p, &world, static_cast<std::uint32_t>(i)});
            }
        }
        else if (p.mode == MUIDrawManager::kLines)
        {
            for (std::size_t i = 0; i + 1 < n; i += 2)
                line(camera[i], camera[i + 1], perPoint ? p.colors[i] : p.state.color);
        }
        else
        {
            const MColor colour = perPoint ? p.colors[0] : p.state.color;
            for (std::size_t i = 0; i + 1 < n; ++i)
                line(camera[i], camera[i + 1], colour);
            if (p.mode == MUIDrawManager::kClosedLine && n > 2)
                line(camera[n - 1], camera[0], colour);
        }
        return;
    }
    case UIPrimitiveKind::kCircle:
    {
        if (p.filled)
        {
            whole(p.points[0]);
            return;
        }
        const std::vector<MPoint> outline = CircleOutline(p);
        for (std::size_t k = 0; k < outline.size(); ++k)
            line(projector.ToCamera(outline[k] * world),
                 projector.ToCamera(outline[(k + 1) % outline.size()] * world), p.state.color);
        return;
    }
    case UIPrimitiveKind::kSphere:
    case UIPrimitiveKind::kIcon:
    case UIPrimitiveKind::kText:
        whole(p.points[0]);
        return;
    }
}

void DepthOrder::Add(double depth, const ParticleDot& dot)
{
    fDotDepths.push_back(depth);
    fDots.push_back(dot);
}

void DepthOrder::Add(double depth, const TrailPiece& piece)
{
    fItems.push_back({depth, 0u, DepthKind::kTrail, static_cast<std::uint32_t>(fTrails.size())});
    fTrails.push_back(piece);
}

void DepthOrder::Add(double depth, std::uint32_t priority, const LinePiece& piece)
{
    fItems.push_back({depth, priority, DepthKind::kLine, static_cast<std::uint32_t>(fLines.size())});
    fLines.push_back(piece);
}

void DepthOrder::Add(double depth, std::uint32_t priority, const ShapePiece& piece)
{
    fItems.push_back({depth, priority, DepthKind::kShape, static_cast<std::uint32_t>(fShapes.size())});
    fShapes.push_back(piece);
}

void DepthOrder::Sort()
{
    std::stable_sort(fItems.begin(), fItems.end(),
                     [](const DepthItem& a, const DepthItem& b)
                     { return a.depth > b.depth || (a.depth == b.depth && a.priority < b.priority); });
    // Each particle's slot is the number of pieces strictly farther than it;
    // a counting sort by slot keeps the particles' own order within one.
    const std::size_t count = fItems.size();
    std::vector<std::uint32_t> slotOf(fDots.size());
    fSlots.assign(count + 2, 0);
    for (std::size_t i = 0; i < fDots.size(); ++i)
    {
        const double depth = fDotDepths[i];
        const auto farther = std::partition_point(fItems.begin(), fItems.end(),
                                                  [depth](const DepthItem& item) { return item.depth > depth; });
        slotOf[i] = static_cast<std::uint32_t>(farther - fItems.begin());
        ++fSlots[slotOf[i] + 1];
    }
    for (std::size_t k = 1; k < fSlots.size(); ++k)
        fSlots[k] += fSlots[k - 1];
    fDotOrder.resize(fDots.size());
    std::vector<std::size_t> next(fSlots.begin(), fSlots.end() - 1);
    for (std::size_t i = 0; i < fDots.size(); ++i)
        fDotOrder[next[slotOf[i]]++] = static_cast<std::uint32_t>(i);
}
} // namespace vxhost
