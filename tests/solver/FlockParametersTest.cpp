#include "FlockParameters.h"

#include <vxhost/CRandom.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <vector>

namespace
{
// The state the generator reaches from state after n draws.
unsigned Advance(unsigned state, int n)
{
    for (int d = 0; d < n; ++d)
        state = state * 214013u + 2531011u;
    return state;
}

void SetRange(ParameterEntry<double>& e, double lo, double hi, double value = 0.5)
{
    e.Set(value, lo, hi, ParameterType::kRange, {});
}
} // namespace

TEST(FlockParameters, RangeDrawsAreExactAndCachedPerParticle)
{
    vxhost::SeedRandom(1); // rand(): 41, 18467, 6334, 26500, ...
    ParameterEntry<double> e(true);
    SetRange(e, 0.0, 1.0);
    e.Fill(3);
    ASSERT_EQ(e.cache.size(), 3u);
    EXPECT_EQ(e.Resolve(0), 41 / 32767.0);
    EXPECT_EQ(e.Resolve(1), 18467 / 32767.0);
    EXPECT_EQ(e.Resolve(2), 6334 / 32767.0);

    // Only the value changed: nothing is redrawn.
    const unsigned before = vxhost::RandomState();
    e.Set(0.9, 0.0, 1.0, ParameterType::kRange, {});
    e.Fill(3);
    EXPECT_EQ(vxhost::RandomState(), before);
    EXPECT_EQ(e.Resolve(1), 18467 / 32767.0);

    // Growing from 3 to 5 draws exactly two numbers and keeps the first three.
    e.Fill(5);
    EXPECT_EQ(vxhost::RandomState(), Advance(before, 2));
    EXPECT_EQ(e.Resolve(2), 6334 / 32767.0);
    EXPECT_EQ(e.Resolve(3), 26500 / 32767.0);

    // A changed bound redraws everything at the next fill; a smaller count
    // never shrinks the cache.
    SetRange(e, 0.0, 2.0);
    EXPECT_TRUE(e.cache.empty());
    e.Fill(2);
    EXPECT_EQ(e.cache.size(), 2u);
    e.Fill(1);
    EXPECT_EQ(e.cache.size(), 2u);
}

TEST(FlockParameters, GrowthFromTenToFifteenDrawsFivePerRangeEntry)
{
    vxhost::SeedRandom(7);
    FlockSettings s;
    s.simulationAccuracy = {1.0, 0.0, 1.0, ParameterType::kRange, {}};
    s.numberOfNeighbours = {4, 2, 6, ParameterType::kRange, {}};
    s.maximumForce = {3.0, 0.0, 0.0, ParameterType::kConstant, {}};
    FlockParameters p;
    p.Set(s);
    p.Fill(10);
    const std::vector<double> first(p.simulationAccuracy.cache);
    const unsigned before = vxhost::RandomState();
    p.Set(s);
    p.Fill(15);
    EXPECT_EQ(vxhost::RandomState(), Advance(before, 10));
    EXPECT_EQ(
        std::vector<double>(p.simulationAccuracy.cache.begin(), p.simulationAccuracy.cache.begin() + 10),
        first);
    EXPECT_EQ(p.wanderStates.length(), 15u);
    EXPECT_EQ(p.wanderStates[14], MVector::zero);

    // A constant holds nothing per particle, yet a Range that takes over its
    // bounds keeps its number for the particles it had and draws for the rest.
    EXPECT_TRUE(p.maximumForce.cache.empty());
    s.maximumForce = {7.0, 0.0, 0.0, ParameterType::kConstant, {}};
    p.Set(s);
    p.Fill(17);
    s.maximumForce = {0.0, 0.0, 0.0, ParameterType::kRange, {}};
    p.Set(s);
    p.Fill(18);
    std::vector<double> expected(15, 3.0);
    expected.insert(expected.end(), {7.0, 7.0, 0.0});
    EXPECT_EQ(p.maximumForce.cache, expected);
}

TEST(FlockParameters, EntriesDrawInStorageOrderNotSetOrder)
{
    // numberOfNeighbours is set second but stored (and filled) after the
    // distances: with two particles, accuracy takes draws 1-2 and
    // boidSeparation 3-4.
    vxhost::SeedRandom(1);
    FlockSettings s;
    s.simulationAccuracy = {0.0, 0.0, 1.0, ParameterType::kRange, {}};
    s.numberOfNeighbours = {0, 0, 32766, ParameterType::kRange, {}};
    s.boidSeparation = {0.0, 0.0, 1.0, ParameterType::kRange, {}};
    FlockParameters p;
    p.Set(s);
    p.Fill(2);
    EXPECT_EQ(p.simulationAccuracy.cache, (std::vector<double>{41 / 32767.0, 18467 / 32767.0}));
    EXPECT_EQ(p.boidSeparation.cache, (std::vector<double>{6334 / 32767.0, 26500 / 32767.0}));
    // floor(32766.99999 * r / 32767) for r = 19169 and 15724.
    EXPECT_EQ(p.numberOfNeighbours.cache, (std::vector<int>{19168, 15723}));
}

TEST(FlockParameters, IntegerRangeRules)
{
    { // (2, 4): the first draws 41, 18467, 6334 give 2, 3, 2; only 2..4 ever occur.
        vxhost::SeedRandom(1);
        ParameterEntry<int> e(true);
        e.Set(0, 2, 4, ParameterType::kRange, {});
        e.Fill(3000);
        EXPECT_EQ(e.cache[0], 2);
        EXPECT_EQ(e.cache[1], 3);
        EXPECT_EQ(e.cache[2], 2);
        const std::set<int> seen(e.cache.begin(), e.cache.end());
        EXPECT_EQ(seen, (std::set<int>{2, 3, 4}));
    }
    { // (3, 3): always 3, one draw per particle all the same.
        vxhost::SeedRandom(5);
        ParameterEntry<int> e(true);
        e.Set(0, 3, 3, ParameterType::kRange, {});
        e.Fill(4);
        EXPECT_EQ(e.cache, std::vector<int>(4, 3));
        EXPECT_EQ(vxhost::RandomState(), Advance(5, 4));
    }
    { // (5, 2): the minimum, with no draw.
        vxhost::SeedRandom(5);
        ParameterEntry<int> e(true);
        e.Set(0, 5, 2, ParameterType::kRange, {});
        e.Fill(4);
        EXPECT_EQ(e.cache, std::vector<int>(4, 5));
        EXPECT_EQ(vxhost::RandomState(), 5u);
    }
}

TEST(FlockParameters, DegenerateAndClampedRanges)
{
    vxhost::SeedRandom(3);
    ParameterEntry<double> same(true);
    SetRange(same, 1.0, 1.0);
    same.Fill(3);
    ParameterEntry<double> reversed(true);
    SetRange(reversed, 5.0, 2.0);
    reversed.Fill(3);
    EXPECT_EQ(same.cache, std::vector<double>(3, 1.0));
    EXPECT_EQ(reversed.cache, std::vector<double>(3, 5.0));
    EXPECT_EQ(vxhost::RandomState(), 3u);

    // A negative bound is stored as 0 but compared unclamped, so the cache
    // is redrawn every time; the urges are not clamped at all.
    ParameterEntry<double> clamped(true);
    SetRange(clamped, -1.0, 1.0);
    EXPECT_EQ(clamped.minimum, 0.0);
    clamped.Fill(2);
    SetRange(clamped, -1.0, 1.0);
    EXPECT_TRUE(clamped.cache.empty());

    ParameterEntry<double> urge(false);
    SetRange(urge, -1.0, 1.0);
    EXPECT_EQ(urge.minimum, -1.0);
    urge.Fill(2);
    SetRange(urge, -1.0, 1.0);
    EXPECT_EQ(urge.cache.size(), 2u);
}

TEST(FlockParameters, ExpressionArraysAndTheirFallback)
{
    ParameterEntry<double> e(true);
    const std::vector<double> values{0.25, 0.5, 0.75};
    e.Set(9.0, 0.0, 1.0, ParameterType::kExpression, values);
    e.Fill(3);
    EXPECT_EQ(e.Resolve(2), 0.75);
    EXPECT_EQ(e.minimum, -1.0);

    // Shorter than the particle count, or missing: the value for every particle.
    e.Set(9.0, 0.0, 1.0, ParameterType::kExpression, values);
    e.Fill(4);
    EXPECT_EQ(e.Resolve(0), 9.0);
    EXPECT_EQ(e.Resolve(3), 9.0);
    e.Set(8.0, 0.0, 1.0, ParameterType::kExpression, {});
    e.Fill(1);
    EXPECT_EQ(e.Resolve(0), 8.0);

    // Back to Range with the old bounds still redraws: the minimum became -1.
    vxhost::SeedRandom(1);
    SetRange(e, 0.0, 1.0);
    e.Fill(1);
    EXPECT_EQ(e.Resolve(0), 41 / 32767.0);

    // Range -> Constant -> Range with the same bounds: particles cached while
    // Constant keep the Constant value.
    e.Set(0.3, 0.0, 1.0, ParameterType::kConstant, {});
    e.Fill(2);
    SetRange(e, 0.0, 1.0);
    e.Fill(2);
    EXPECT_EQ(e.Resolve(0), 41 / 32767.0);
    EXPECT_EQ(e.Resolve(1), 0.3);
}
