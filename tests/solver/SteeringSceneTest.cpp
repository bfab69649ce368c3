// The steering benchmark's scene, smaller: every entity shortcut taken for
// speed must leave its forces, wander states and draws exactly as they were.
#include "FieldEvaluator.h"

#include "SolverTestUtil.h"
#include "SteeringScene.h"

#include <vxhost/CRandom.h>
#include <vxhost/MessageLog.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

namespace
{
// Three frames of 20k particles spread over the benchmark's whole cloud, so
// that every entity meets particles inside, at its edge and far outside.
std::uint64_t SceneDigest(bool split, int threads, bool separationModifier = false)
{
    static const steering_scene::Geometry geometry;
    constexpr unsigned kCount = 20000;
    MVectorArray positions = RandomCloud(kCount, 42, 230.0);
    MVectorArray velocities = RandomCloud(kCount, 43, 10.0);
    FlockSettings s;
    s.simulationAccuracy.value = 0.9;
    s.maximumSpeed.value = 50.0;
    s.maximumForce.value = 20.0;
    s.boidSeparation.value = 4.0;
    s.obstacleSeparation.value = 1.0;
    s.numberOfNeighbours.value = 8;
    s.boidSeparationUrge.value = 1.0;
    s.flockCentringUrge.value = 0.5;
    s.velocityMatchingUrge.value = 0.5;

    vxhost::SetMessageEcho(false);
    vxhost::ClearMessages();
    vxhost::SeedRandom(5);
    FieldEvaluator field(threads);
    field.SetSplitEntityPass(split);
    Digest digest;
    for (int frame = 0; frame < 3; ++frame)
    {
        steering_scene::FillSteeringEntities(field, geometry, separationModifier);
        FieldInput input;
        input.positions = &positions;
        input.velocities = &velocities;
        input.deltaTime = 1.0 / 24.0;
        MVectorArray forces;
        EXPECT_TRUE(field.Evaluate(input, s, forces));
        EXPECT_EQ(field.EntityPassWasSplit(), split && !separationModifier);
        digest.Add(forces);
        for (unsigned i = 0; i < kCount; ++i)
        {
            velocities[i] += forces[i] / 24.0;
            positions[i] += velocities[i] / 24.0;
        }
    }
    EXPECT_TRUE(vxhost::Messages().empty());
    vxhost::SetMessageEcho(true);
    digest.Add(field.Parameters().wanderStates);
    const unsigned state = vxhost::RandomState();
    digest.Add(&state, sizeof state);
    return digest.value;
}
} // namespace

TEST(SteeringScene, ForcesWanderStatesAndDrawsStayExactlyAsRecorded)
{
    // Recorded before the entity work was reworked for speed.
    for (const int threads : {1, 2})
    {
        EXPECT_EQ(SceneDigest(true, threads), 3789733335577235215ull) << threads;
        EXPECT_EQ(SceneDigest(false, threads), 3789733335577235215ull) << threads;
    }
}

TEST(SteeringScene, AWholePassAfterAReadiedSplitGivesTheWholePassForces)
{
    // The split is readied (targets, modifiers) and then given up for the
    // obstacles: the whole pass that follows must not differ by a bit from
    // one that never tried to split.
    const std::uint64_t whole = SceneDigest(false, 1, true);
    EXPECT_EQ(SceneDigest(true, 1, true), whole);
    EXPECT_EQ(SceneDigest(true, 2, true), whole);
    EXPECT_NE(whole, SceneDigest(false, 1, false));
}
