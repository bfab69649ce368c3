// The painter's order: farthest first, particles slotted between the other
// pieces by depth and kept in their own order, runs of one kind together.
#include "ui/DepthOrder.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
// The drawing order as letters: a particle by its x, a line by its colour's
// red times ten.
std::string Drawn(const vxhost::DepthOrder& order, std::string& runs)
{
    std::string drawn;
    order.ForEachRun(
        [&](vxhost::DepthKind kind, std::size_t first, std::size_t last)
        {
            runs += kind == vxhost::DepthKind::kParticle ? 'P' : 'L';
            for (std::size_t i = first; i < last; ++i)
                drawn += kind == vxhost::DepthKind::kParticle
                             ? static_cast<char>('a' + order.Dots()[order.ParticleOrder()[i]].x)
                             : static_cast<char>('0' + order.Lines()[order.Items()[i].index].colour.r * 10.0f);
        });
    return drawn;
}
} // namespace

TEST(DepthOrderTest, FarthestFirstWithTheParticlesSlottedBetween)
{
    vxhost::DepthOrder order;
    const vxhost::UIPrimitive primitive;
    const auto line = [&](double depth, unsigned priority, float red)
    { order.Add(depth, priority, vxhost::LinePiece{MVector(), MVector(), &primitive, MColor(red, 0.0f, 0.0f)}); };
    const auto dot = [&](double depth, float x) { order.Add(depth, vxhost::ParticleDot{x, 0.0f, 0}); };
    line(3.0, 0, 0.3f);
    dot(1.0, 0); // a: nearest of all
    dot(4.0, 1); // b and c: between the lines at 5 and 3, in the order added
    line(5.0, 0, 0.5f);
    dot(4.0, 2);
    dot(3.0, 3); // d: as far as a line, so drawn before it
    line(3.0, 5, 0.4f); // at equal depth the higher priority draws later
    line(7.0, 0, 0.7f);
    line(6.0, 0, 0.6f);
    dot(9.0, 4); // e: farthest
    order.Sort();
    std::string runs;
    EXPECT_EQ(Drawn(order, runs), "e765bcd34a");
    EXPECT_EQ(runs, "PLPLP");

    // Nothing but particles: one run, as added.
    vxhost::DepthOrder alone;
    alone.Add(2.0, vxhost::ParticleDot{1.0f, 0.0f, 0});
    alone.Add(8.0, vxhost::ParticleDot{0.0f, 0.0f, 0});
    alone.Sort();
    runs.clear();
    EXPECT_EQ(Drawn(alone, runs), "ba");
    EXPECT_EQ(runs, "P");
}
