#include "BoidRules.h"

#include "SolverTestUtil.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace
{
struct Scene
{
    MVectorArray positions;
    MVectorArray velocities;
    std::vector<std::int32_t> all;

    void Add(const MVector& p, const MVector& v = MVector::zero)
    {
        all.push_back(static_cast<std::int32_t>(positions.length()));
        positions.append(p);
        velocities.append(v);
    }

    SteeringForce Force(std::int32_t i, const ParticleParameters& params, NeighbourList& list) const
    {
        const MVector& p = positions[static_cast<unsigned>(i)];
        return BoidForce(i, 0, MPoint(p.x, p.y, p.z), positions, velocities, params, KDTree(), all, list);
    }
};

std::vector<std::int32_t> Indices(const NeighbourList& list)
{
    return {list.Indices().begin(), list.Indices().end()};
}

ParticleParameters Params(double separationUrge, double centringUrge, double matchingUrge)
{
    ParticleParameters p;
    p.maximumForce = 10.0;
    p.boidSeparation = 5.0;
    p.numberOfNeighbours = 4;
    p.boidSeparationUrge = separationUrge;
    p.flockCentringUrge = centringUrge;
    p.velocityMatchingUrge = matchingUrge;
    return p;
}
} // namespace

TEST(BoidRules, SeparationPushes)
{
    Scene s;
    s.Add(MVector(0, 0, 0));
    s.Add(MVector(3, 0, 0)); // inside: (25 - 9) / 25 * 10 = 6.4
    s.Add(MVector(0, 5, 0)); // exactly at the separation distance: no push
    s.Add(MVector(0, 0, 0)); // coincident: no direction, no push
    NeighbourList list;
    const SteeringForce f = s.Force(0, Params(1.0, 0.0, 0.0), list);
    EXPECT_VEC_NEAR(f.vector, MVector(-6.4, 0.0, 0.0));
    EXPECT_EQ(f.priority, 0);
    EXPECT_EQ(f.combineMode, 0);

    // The urge scales the push; the sum is limited to maximumForce only at
    // the end: two pushes of 6.4 and 6.4 along x give 10, not 12.8.
    Scene two;
    two.Add(MVector(0, 0, 0));
    two.Add(MVector(3, 0, 0));
    two.Add(MVector(3, 0, 0));
    EXPECT_VEC_NEAR(two.Force(0, Params(0.5, 0, 0), list).vector, MVector(-6.4, 0, 0));
    EXPECT_EQ(two.Force(0, Params(1.0, 0, 0), list).vector, MVector(-10, 0, 0));

    // boidSeparation 0: no separation at all (and no division by zero).
    ParticleParameters none = Params(1.0, 0.0, 0.0);
    none.boidSeparation = 0.0;
    EXPECT_EQ(s.Force(0, none, list).vector, MVector::zero);
}

TEST(BoidRules, CentringAndMatching)
{
    Scene s;
    s.Add(MVector(0, 0, 0), MVector(1, 0, 0));
    s.Add(MVector(6, 0, 0), MVector(0, 2, 0));
    s.Add(MVector(0, 8, 0), MVector(0, 4, 0));
    NeighbourList list;
    // Centre of the neighbours (3, 4, 0): cohesion (3, 4, 0), length 5.
    EXPECT_EQ(s.Force(0, Params(0, 1, 0), list).vector, MVector(3, 4, 0));
    // Mean neighbour velocity (0, 3, 0) minus own (1, 0, 0).
    EXPECT_EQ(s.Force(0, Params(0, 0, 2), list).vector, MVector(-2, 6, 0));

    // Each term is limited to maximumForce before its urge applies.
    ParticleParameters tight = Params(0, 1, 0);
    tight.maximumForce = 2.5;
    EXPECT_VEC_NEAR(s.Force(0, tight, list).vector, MVector(1.5, 2.0, 0));
    tight.flockCentringUrge = 0.5;
    EXPECT_VEC_NEAR(s.Force(0, tight, list).vector, MVector(0.75, 1.0, 0));
}

TEST(BoidRules, NeighbourCountsAndTheBruteForceSearch)
{
    Scene s;
    s.Add(MVector(0, 0, 0));
    s.Add(MVector(1, 0, 0));
    s.Add(MVector(2, 0, 0));
    s.Add(MVector(-2, 0, 0));
    NeighbourList list;

    // A candidate as far as the current farthest does not replace it.
    FindNeighboursBruteForce(0, MPoint(0, 0, 0), s.positions, 2, s.all, list);
    EXPECT_EQ(Indices(list), (std::vector<std::int32_t>{1, 2}));
    // k beyond count - 1: everyone else; 0 or negative: nobody.
    FindNeighboursBruteForce(0, MPoint(0, 0, 0), s.positions, 9, s.all, list);
    EXPECT_EQ(Indices(list), (std::vector<std::int32_t>{1, 2, 3}));
    FindNeighboursBruteForce(0, MPoint(0, 0, 0), s.positions, -1, s.all, list);
    EXPECT_EQ(list.Size(), 0u);

    ParticleParameters noNeighbours = Params(1, 1, 1);
    noNeighbours.numberOfNeighbours = 0;
    EXPECT_EQ(s.Force(0, noNeighbours, list).vector, MVector::zero);

    // All urges 0: no search at all, the list is left as it was.
    FindNeighboursBruteForce(0, MPoint(0, 0, 0), s.positions, 9, s.all, list);
    EXPECT_EQ(s.Force(0, Params(0, 0, 0), list).vector, MVector::zero);
    EXPECT_EQ(list.Size(), 3u);
}
