#pragma once
/// \file DepthOrder.h
/// The painter's algorithm of the renderer: the particles, the trails and
/// the pieces of the overrides' primitives, each at its depth in front of
/// the camera, drawn farthest first, so that what is nearer covers what is
/// behind it. cairo has no depth buffer, and a vector picture (SVG) could
/// not keep one; small pieces (a particle, one segment of a line) sorted on
/// their own depth give the right cover wherever pieces do not cross.

#include "Cameras.h"
#include "ViewportScene.h"

#include <maya/MColor.h>
#include <maya/MMatrix.h>
#include <maya/MVector.h>
#include <maya/detail/UIDrawRecords.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vxhost
{
enum class DepthKind : std::uint8_t
{
    kParticle, ///< a dot in pixels
    kTrail,    ///< one segment of a trail
    kLine,     ///< one segment of a primitive's line
    kShape     ///< a primitive drawn whole, or one triangle or point of it
};

/// One piece to draw (not a particle), by where it sits: `index` is into
/// the DepthOrder's list for its kind.
struct DepthItem
{
    double depth;           ///< along the view direction from the eye; larger is farther
    std::uint32_t priority; ///< the primitive's depth priority: at equal depth the higher draws later
    DepthKind kind;
    std::uint32_t index;
};

struct ParticleDot
{
    float x, y;       ///< pixel centre
    std::uint8_t band; ///< colour band of the speed ramp
};

/// A segment in camera space (right, up, forward), clipped when drawn.
struct TrailPiece
{
    MVector a, b;
    std::uint8_t band; ///< colour band of the time ramp
};

struct LinePiece
{
    MVector a, b; ///< camera space
    const UIPrimitive* primitive; ///< its line width and style
    MColor colour;
};

/// `element` is the first point of a triangle or the point of a points
/// primitive; kWhole for the primitive drawn whole (a sphere, a filled
/// circle, an icon, a text).
struct ShapePiece
{
    static constexpr std::uint32_t kWhole = 0xFFFFFFFFu;
    const UIPrimitive* primitive;
    const MMatrix* world;
    std::uint32_t element;
};

/// The points of a circle primitive's outline, in its own space (pixels,
/// y up, for a 2D one).
std::vector<MPoint> CircleOutline(const UIPrimitive& p);

class DepthOrder
{
public:
    /// Every particle inside the picture (or within `size` pixels of it), in
    /// its band of `bands` from `low` (cm/s, the first band and below) to
    /// `high` (the last band and above).
    void AddParticles(const Projector& projector, const std::vector<ParticleCloud>& clouds, double low,
                      double high, double size, int bands);
    /// Every segment of the trails, in its band of time: its place along
    /// its trail over `bands`.
    void AddTrails(const Projector& projector, const std::vector<std::vector<MPoint>>& trails, int bands);
    /// A 3D primitive in pieces: the segments of its lines and outlines,
    /// its triangles, its points; a sphere, filled circle, icon or text
    /// whole at its centre's depth.
    void AddPrimitive(const Projector& projector, const UIPrimitive& p, const MMatrix& world);

    void Add(double depth, const ParticleDot& dot);
    void Add(double depth, const TrailPiece& piece);
    void Add(double depth, std::uint32_t priority, const LinePiece& piece);
    void Add(double depth, std::uint32_t priority, const ShapePiece& piece);

    /// Farthest first; at equal depth the lower priority first, then the
    /// order added, so that a picture does not depend on the sort. The
    /// particles go between the other pieces by depth (before a piece as
    /// far as themselves) but keep the order added among themselves: they
    /// are all alike squares, and sorting a million of them would cost
    /// more than drawing them.
    void Sort();

    /// Calls draw(kind, first, last) for every run of consecutive pieces of
    /// one kind, in drawing order: [first, last) of ParticleOrder() for
    /// particles, of Items() for the others. Only after Sort().
    template <typename Draw> void ForEachRun(Draw&& draw) const
    {
        const std::size_t count = fItems.size();
        for (std::size_t i = 0;;)
        {
            if (fSlots[i] < fSlots[i + 1])
                draw(DepthKind::kParticle, fSlots[i], fSlots[i + 1]);
            if (i == count)
                return;
            std::size_t last = i + 1;
            while (last < count && fItems[last].kind == fItems[i].kind && fSlots[last] == fSlots[last + 1])
                ++last;
            draw(fItems[i].kind, i, last);
            i = last;
        }
    }

    const std::vector<DepthItem>& Items() const { return fItems; }
    const std::vector<ParticleDot>& Dots() const { return fDots; }
    /// Indices into Dots(), in drawing order.
    const std::vector<std::uint32_t>& ParticleOrder() const { return fDotOrder; }
    const std::vector<TrailPiece>& Trails() const { return fTrails; }
    const std::vector<LinePiece>& Lines() const { return fLines; }
    const std::vector<ShapePiece>& Shapes() const { return fShapes; }

private:
    std::vector<DepthItem> fItems; // every piece but the particles
    std::vector<ParticleDot> fDots;
    std::vector<double> fDotDepths;
    std::vector<std::uint32_t> fDotOrder;
    // The particles drawn before Items()[k] are fDotOrder[fSlots[k]] up to
    // fDotOrder[fSlots[k + 1]]; the last slot's come after every item.
    std::vector<std::size_t> fSlots;
    std::vector<TrailPiece> fTrails;
    std::vector<LinePiece> fLines;
    std::vector<ShapePiece> fShapes;
};
} // namespace vxhost
