#include "TargetSteering.h"

#include "EntityBuilders.h"
#include "RandomUnitVector.h"
#include "SolverTestUtil.h"

#include <vxhost/CRandom.h>
#include <vxhost/MessageLog.h>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace
{
// The records and state one target pass works on. Maximum speed 10, maximum
// force 4 (DistinctParams).
struct Scene
{
    TargetData targets;
    ObstacleData obstacles;
    MVectorArray wanderStates{4, MVector::zero};
    PerlinNoise noise{0};
    TargetSteering steering{targets, obstacles, wanderStates, noise};
    ParticleParameters params = DistinctParams();

    void Build()
    {
        targets.BuildVolumes();
        obstacles.BuildVolumes();
    }
    MVector Pass(const MPoint& p, const MVector& v, unsigned i = 0)
    {
        SteeringForce force;
        EXPECT_TRUE(steering.TargetPass(i, p, v, params, force));
        EXPECT_EQ(force.priority, 0);
        return force.vector;
    }
};

unsigned Advance(unsigned state, int draws)
{
    for (int d = 0; d < draws; ++d)
        state = state * 214013u + 2531011u;
    return state;
}
} // namespace

TEST(TargetSteering, SeekArrivalSlowsLinearly)
{
    Scene s;
    TargetSetup setup;
    setup.position = MPoint(100, 0, 0);
    setup.arrival = 100.0;
    AddTarget(s.targets, setup);
    setup.arrival = 0.0;
    AddTarget(s.targets, setup);
    setup.arrival = -5.0;
    AddTarget(s.targets, setup);
    s.Build();
    const MPoint T(100, 0, 0);

    // 50 inside an arrival distance of 100: half the maximum speed.
    EXPECT_VEC_NEAR(
        s.steering.GetTargetSteering(0, 0, MPoint(50, 0, 0), MVector::zero, 0, T, s.params).vector,
        MVector(5, 0, 0));
    // Outside it: capped at the maximum speed; the steering is desired - v.
    EXPECT_VEC_NEAR(
        s.steering.GetTargetSteering(0, 0, MPoint(-100, 0, 0), MVector(1, 2, 0), 0, T, s.params).vector,
        MVector(9, -2, 0));
    // Arrival 0 or negative: full speed even close by.
    for (unsigned t : {1u, 2u})
        EXPECT_VEC_NEAR(
            s.steering.GetTargetSteering(0, t, MPoint(99, 0, 0), MVector::zero, 0, T, s.params).vector,
            MVector(10, 0, 0));
    { // Exactly at the target with arrival: no desired velocity, only -v, and finite.
        const MVector at = s.steering.GetTargetSteering(0, 0, T, MVector(1, 0, 0), 0, T, s.params).vector;
        EXPECT_EQ(at, MVector(-1, 0, 0));
    }
    // The pass sums weight x influence x steering over the targets:
    // 5 + 10 + 10 with weights 1.
    EXPECT_VEC_NEAR(s.Pass(MPoint(50, 0, 0), MVector::zero), MVector(25, 0, 0));
    s.targets.weights[1] = 2.0;
    s.targets.weights[2] = -1.0;
    EXPECT_VEC_NEAR(s.Pass(MPoint(50, 0, 0), MVector::zero), MVector(15, 0, 0));
}

TEST(TargetSteering, ObstaclesMoveTheTargetPointExceptForFlee)
{
    // Target at (3, 0, 0) inside a sphere obstacle of radius 10 at the origin;
    // the particle at (0, 20, 0) at rest. Pushed out, the point becomes the
    // sphere's point nearest the particle, (0, 10, 0).
    Scene s;
    TargetSetup setup;
    setup.position = MPoint(3, 0, 0);
    AddTarget(s.targets, setup);
    AddObstacle(s.obstacles, VolumeType::kSphere, MPoint(0, 0, 0), MPoint(10, 0, 0));
    s.Build();
    const MPoint p(0, 20, 0);

    { // Seek aims at the moved point.
        EXPECT_VEC_NEAR(s.Pass(p, MVector::zero), MVector(0, -10, 0));
    }
    { // Flee runs from the original point.
        s.targets.steeringTypes[0] = static_cast<int>(SteeringType::kFlee);
        EXPECT_VEC_NEAR(s.Pass(p, MVector::zero), MVector(-3, 20, 0) * (10.0 / std::sqrt(409.0)));
    }
    { // Wander with attraction is pulled towards the moved point; Random
        // Direction of strength 0 adds nothing (its two draws are still made).
        s.targets.steeringTypes[0] = static_cast<int>(SteeringType::kWander);
        s.targets.wanderParameters[0] = MPoint(0, 0, 1);
        vxhost::SeedRandom(3);
        EXPECT_VEC_NEAR(s.Pass(p, MVector::zero), MVector(0, -10, 0));
        EXPECT_EQ(vxhost::RandomState(), Advance(3, 2));
        // Attraction 0: no pull at all, the steering is -v.
        s.targets.wanderParameters[0] = MPoint(0, 0, 0);
        EXPECT_VEC_NEAR(s.Pass(p, MVector(1, 1, 0)), MVector(-1, -1, 0));
    }
    { // The push uses the particle's obstacle separation as the margin: grown
        // to 12, the nearest point is (0, 12, 0); arrival 100 gives speed 0.8.
        s.targets.steeringTypes[0] = static_cast<int>(SteeringType::kSeek);
        s.targets.arrivalDistances[0] = 100.0;
        s.params.obstacleSeparation = 2.0;
        EXPECT_VEC_NEAR(s.Pass(p, MVector::zero), MVector(0, -0.8, 0));
    }
}

TEST(TargetSteering, WanderModes)
{
    Scene s;
    const MVector v(0, 3, 4);
    const MPoint p(0.3, 0.6, 0.9);
    { // Random Direction: strength 2 acts as 1, with the same two draws.
        vxhost::SeedRandom(11);
        const MVector two = s.steering.GetWanderSteering(0, v, p, 0, 2.0, 0.0, 4.0);
        EXPECT_EQ(vxhost::RandomState(), Advance(11, 2));
        vxhost::SeedRandom(11);
        const MVector one = s.steering.GetWanderSteering(0, v, p, 0, 1.0, 0.0, 4.0);
        EXPECT_EQ(two, one);
        vxhost::SeedRandom(11);
        EXPECT_VEC_NEAR(one, RandomUnitVector() * 4.0);
        vxhost::SeedRandom(11);
        EXPECT_VEC_NEAR(s.steering.GetWanderSteering(0, v, p, 0, 0.5, 0.0, 4.0), one * 0.5);
        EXPECT_EQ(s.steering.GetWanderSteering(0, v, p, 0, -1.0, 0.0, 4.0), MVector::zero);
    }
    { // Spherical Constraint, rate 0, fresh particle: the state stays zero and
        // only the heading term normalize(v) x sqrt(2) remains.
        const MVector w = s.steering.GetWanderSteering(1, v, p, 1, 3.0, 0.0, 4.0);
        EXPECT_VEC_NEAR(w, MVector(0, 0.6, 0.8) * std::numbers::sqrt2);
        EXPECT_EQ(s.wanderStates[1], MVector::zero);
    }
    { // With a rate the state becomes a unit vector and adds strength x F of it;
        // rate 0 afterwards keeps it.
        const MVector w = s.steering.GetWanderSteering(2, v, p, 1, 3.0, 0.5, 4.0);
        const MVector state = s.wanderStates[2];
        EXPECT_NEAR(state.length(), 1.0, 1e-12);
        EXPECT_VEC_NEAR(w, MVector(0, 0.6, 0.8) * std::numbers::sqrt2 + state * 12.0);
        s.steering.GetWanderSteering(2, v, p, 1, 3.0, 0.0, 4.0);
        EXPECT_VEC_NEAR(s.wanderStates[2], state);
        // An index beyond the states is not stored, and does not crash.
        s.steering.GetWanderSteering(99, v, p, 1, 3.0, 0.5, 4.0);
        EXPECT_EQ(s.wanderStates.length(), 4u);
    }
    { // Perlin Noise: no draws, depends on the position only; length k x F.
        vxhost::SeedRandom(5);
        const MVector n = s.steering.GetWanderSteering(0, v, p, 2, 7.0, 0.9, 4.0);
        EXPECT_EQ(vxhost::RandomState(), 5u);
        EXPECT_NEAR(n.length(), 4.0, 1e-12);
        EXPECT_EQ(s.steering.GetWanderSteering(3, -v, p, 2, 7.0, 0.0, 4.0), n);
        // On a lattice point every sample is 0: nothing to normalise.
        EXPECT_EQ(s.steering.GetWanderSteering(0, v, MPoint(1, 2, 3), 2, 1.0, 0.0, 4.0), MVector::zero);
    }
    { // The wander desired velocity is truncated to the maximum speed:
        // strength 1 with F 40 gives 40, cut to 10.
        TargetSetup setup;
        setup.type = SteeringType::kWander;
        setup.wander = MPoint(1, 0, 0);
        AddTarget(s.targets, setup);
        s.Build();
        s.params.maximumForce = 40.0;
        EXPECT_NEAR(s.Pass(p, MVector::zero).length(), 10.0, 1e-12);
    }
}

TEST(TargetSteering, InfluenceOfTheTargetVolume)
{
    Scene s;
    TargetSetup setup;
    setup.size = MPoint(10, 0, 0); // a sphere of radius 10 about the origin
    setup.arrival = 1000.0;        // desired speed 1/100 of the distance
    AddTarget(s.targets, setup);
    s.Build();
    { // Outside the volume: nothing at all.
        EXPECT_EQ(s.steering.GetTargetInfluence(0, MPoint(20, 0, 0)), 0.0);
        EXPECT_EQ(s.Pass(MPoint(20, 0, 0), MVector(1, 1, 1)), MVector::zero);
    }
    { // Full: the whole steering inside.
        EXPECT_EQ(s.steering.GetTargetInfluence(0, MPoint(5, 0, 0)), 1.0);
        EXPECT_VEC_NEAR(s.Pass(MPoint(5, 0, 0), MVector::zero), MVector(-0.05, 0, 0));
    }
    { // Linear Falloff: 1 - (d / r)^2 for a sphere, 0 at the surface.
        s.targets.influenceMethods[0] = static_cast<int>(InfluenceMethod::kLinearFalloff);
        EXPECT_DOUBLE_EQ(s.steering.GetTargetInfluence(0, MPoint(5, 0, 0)), 0.75);
        EXPECT_VEC_NEAR(s.Pass(MPoint(5, 0, 0), MVector::zero), MVector(-0.0375, 0, 0));
        EXPECT_EQ(s.steering.GetTargetInfluence(0, MPoint(10, 0, 0)), 0.0);
        EXPECT_EQ(s.steering.GetTargetInfluence(0, MPoint(0, 0, 0)), 1.0);
    }
    { // Degenerate sizes bound nothing: full influence everywhere.
        s.targets.volumeDimensions[0] = MPoint(0, 5, 5);
        EXPECT_EQ(s.steering.GetTargetVolume(0), nullptr);
        EXPECT_EQ(s.steering.GetTargetInfluence(0, MPoint(20, 0, 0)), 1.0);
        s.targets.volumeTypes[0] = static_cast<int>(VolumeType::kBox);
        s.targets.volumeDimensions[0] = MPoint(5, 0, 5);
        EXPECT_EQ(s.steering.GetTargetVolume(0), nullptr);
    }
}

TEST(TargetSteering, PathFollowOnACurve)
{
    // A straight tube of radius 2 along x from 0 to 100.
    Scene s;
    TargetSetup setup;
    setup.type = SteeringType::kPathFollow;
    setup.volume = VolumeType::kCurve;
    setup.curve = StraightCurve(MPoint(0, 0, 0), MPoint(100, 0, 0));
    setup.tube = ConstantTube(100.0, 2.0);
    setup.useCurveVolume = 1;
    setup.containment = 1;
    setup.separationMin = 0.25;
    AddTarget(s.targets, setup);
    s.Build();
    { // Outside the tube: straight at the curve at full speed, the target
        // point ignored, and no boid separation.
        EXPECT_VEC_NEAR(s.Pass(MPoint(50, 10, 0), MVector::zero), MVector(0, -10, 0));
        EXPECT_EQ(s.params.boidSeparationUrge, 0.0);
    }
    { // Inside at 1 from the centre line (falloff 0.75): the target point is
        // one tangent past the look-ahead point, (52, 0, 0); the pull adds
        // (0, -1, 0) x 0.25 x F; the urge blends towards 1 by the falloff.
        s.params = DistinctParams();
        const MVector v(1, 0, 0);
        const MVector desired = MVector(2, -2, 0).normal() * 10.0;
        EXPECT_VEC_NEAR(s.Pass(MPoint(50, 1, 0), v), desired - v);
        EXPECT_DOUBLE_EQ(s.params.boidSeparationUrge, 0.25 * 0.25 + 0.75);
    }
    { // The curve point with a direction limit: a look-ahead behind the
        // particle falls back to the particle's own nearest point; reversing
        // the allowed direction turns the tangent round.
        MStatus status;
        const MPoint p(50, 1, 0);
        const MVector back(-5, 0, 0);
        EXPECT_VEC_NEAR(s.steering.GetCurveTargetPoint(0, p, back, status), MVector(46, 0, 0));
        s.targets.curveDirLimits[0] = 1;
        EXPECT_VEC_NEAR(s.steering.GetCurveTargetPoint(0, p, back, status), MVector(51, 0, 0));
        s.targets.reverseCurveDirections[0] = 1;
        EXPECT_VEC_NEAR(s.steering.GetCurveTargetPoint(0, p, back, status), MVector(44, 0, 0));
        EXPECT_TRUE(status);
    }
}

TEST(TargetSteering, PathFollowWithoutACurveReportsAndSeeks)
{
    vxhost::SetMessageEcho(false);
    vxhost::ClearMessages();
    Scene s;
    TargetSetup setup;
    setup.type = SteeringType::kPathFollow;
    setup.position = MPoint(0, 10, 0);
    setup.size = MPoint(5, 0, 0);
    setup.arrival = 100.0; // not used by Path Follow
    AddTarget(s.targets, setup);
    s.Build();
    // Once per particle, collapsed into one entry with a count; the target
    // has no volume and steers at its translation at full speed.
    for (int k = 0; k < 3; ++k)
        EXPECT_VEC_NEAR(s.Pass(MPoint(0, 0, 0), MVector::zero), MVector(0, 10, 0));
    const std::vector<vxhost::Message> log = vxhost::Messages();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].severity, vxhost::Severity::kError);
    EXPECT_EQ(log[0].text, "Target type must be a curve to use the Path Follow steering type.");
    EXPECT_EQ(log[0].count, 3u);
    vxhost::ClearMessages();
    vxhost::SetMessageEcho(true);
}

TEST(TargetSteering, RandomUnitVector)
{
    { // From seed 1 the generator gives 41, then 18467: z first, then the angle.
        vxhost::SeedRandom(1);
        const MVector r = RandomUnitVector();
        EXPECT_EQ(vxhost::RandomState(), Advance(1, 2));
        const double z = 2.0 * 41.0 / 32767.0 - 1.0;
        const double theta = 2.0 * std::numbers::pi * 18467.0 / 32767.0;
        const double rho = std::sqrt(1.0 - z * z);
        EXPECT_VEC_NEAR(r, MVector(rho * std::cos(theta), rho * std::sin(theta), z));
    }
    { // Always unit length.
        for (int k = 0; k < 1000; ++k)
            ASSERT_NEAR(RandomUnitVector().length(), 1.0, 1e-12);
    }
}
