#include "TargetSteering.h"

#include "EntityBuilders.h"
#include "SolverTestUtil.h"

#include <vxhost/CRandom.h>
#include <vxhost/MessageLog.h>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <numeric>
#include <vector>

namespace
{
// The records and state one target pass works on; maximum speed 10, force 4.
struct Scene
{
    TargetData targets;
    ObstacleData obstacles;
    MVectorArray wanderStates{4, MVector::zero};
    PerlinNoise noise{0};
    TargetSteering steering{targets, obstacles, wanderStates, noise};
    ParticleParameters params = DistinctParams();

    explicit Scene(const TargetSetup& setup)
    {
        AddTarget(targets, setup);
        Build();
    }
    void Build()
    {
        targets.BuildVolumes();
        obstacles.BuildVolumes();
    }
    MVector Pass(const MPoint& p, const MVector& v)
    {
        SteeringForce force;
        EXPECT_TRUE(steering.TargetPass(0, p, v, params, force));
        EXPECT_EQ(force.priority, 0);
        return force.vector;
    }
    MVector Steer(unsigned t, const MPoint& p, const MVector& v, const MPoint& target)
    {
        return steering.GetTargetSteering(0, t, p, v, 0, target, params).vector;
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
    TargetSetup setup;
    setup.position = MPoint(100, 0, 0);
    setup.arrival = 100.0;
    Scene s(setup);
    setup.arrival = 0.0;
    AddTarget(s.targets, setup);
    setup.arrival = -5.0;
    AddTarget(s.targets, setup);
    s.Build();
    const MPoint T(100, 0, 0);

    // 50 inside an arrival distance of 100: half the maximum speed; outside it
    // capped at the maximum speed, and the steering is desired - v.
    EXPECT_VEC_NEAR(s.Steer(0, MPoint(50, 0, 0), MVector::zero, T), MVector(5, 0, 0));
    EXPECT_VEC_NEAR(s.Steer(0, MPoint(-100, 0, 0), MVector(1, 2, 0), T), MVector(9, -2, 0));
    // Arrival 0 or negative: full speed even close by.
    EXPECT_VEC_NEAR(s.Steer(1, MPoint(99, 0, 0), MVector::zero, T), MVector(10, 0, 0));
    EXPECT_VEC_NEAR(s.Steer(2, MPoint(99, 0, 0), MVector::zero, T), MVector(10, 0, 0));
    // Exactly at the target: no desired velocity, only -v, and no NaN.
    EXPECT_EQ(s.Steer(0, T, MVector(1, 0, 0), T), MVector(-1, 0, 0));
    // The pass sums weight x influence x steering: 5 + 10 + 10, then 5 + 20 - 10.
    EXPECT_VEC_NEAR(s.Pass(MPoint(50, 0, 0), MVector::zero), MVector(25, 0, 0));
    s.targets.weights[1] = 2.0;
    s.targets.weights[2] = -1.0;
    EXPECT_VEC_NEAR(s.Pass(MPoint(50, 0, 0), MVector::zero), MVector(15, 0, 0));
}

TEST(TargetSteering, ObstaclesMoveTheTargetPointExceptForFlee)
{
    // Target (3, 0, 0) inside a sphere obstacle of radius 10 at the origin,
    // particle at rest at (0, 20, 0): pushed out, the point becomes (0, 10, 0).
    TargetSetup setup;
    setup.position = MPoint(3, 0, 0);
    Scene s(setup);
    AddObstacle(s.obstacles, VolumeType::kSphere, MPoint(0, 0, 0), MPoint(10, 0, 0));
    s.Build();
    const MPoint p(0, 20, 0);
    EXPECT_VEC_NEAR(s.Pass(p, MVector::zero), MVector(0, -10, 0));
    // Flee runs from the original point.
    s.targets.steeringTypes[0] = static_cast<int>(SteeringType::kFlee);
    EXPECT_VEC_NEAR(s.Pass(p, MVector::zero), MVector(-3, 20, 0) * (10.0 / std::sqrt(409.0)));
    // Wander's attraction pulls towards the moved point; Random Direction of
    // strength 0 adds nothing but still makes its two draws.
    s.targets.steeringTypes[0] = static_cast<int>(SteeringType::kWander);
    s.targets.wanderParameters[0] = MPoint(0, 0, 1);
    vxhost::SeedRandom(3);
    EXPECT_VEC_NEAR(s.Pass(p, MVector::zero), MVector(0, -10, 0));
    EXPECT_EQ(vxhost::RandomState(), Advance(3, 2));
    // The push uses the obstacle separation as margin: the point is (0, 12, 0),
    // and arrival 100 gives speed 0.8.
    s.targets.steeringTypes[0] = static_cast<int>(SteeringType::kSeek);
    s.targets.arrivalDistances[0] = 100.0;
    s.params.obstacleSeparation = 2.0;
    EXPECT_VEC_NEAR(s.Pass(p, MVector::zero), MVector(0, -0.8, 0));
}

TEST(TargetSteering, WanderModes)
{
    TargetSetup setup;
    setup.type = SteeringType::kWander;
    setup.wander = MPoint(1, 0, 0);
    Scene s(setup);
    const MVector v(0, 3, 4);
    const MPoint p(0.3, 0.6, 0.9);
    const auto wander = [&](unsigned i, int mode, double strength, double rate, const MPoint& at)
    { return s.steering.GetWanderSteering(i, v, at, mode, strength, rate, 4.0); };
    { // Random Direction from seed 1: the generator gives 41, then 18467, the
        // unit vector's z first, then its angle; times F, strength 2 acting as 1.
        vxhost::SeedRandom(1);
        const MVector two = wander(0, 0, 2.0, 0.0, p);
        EXPECT_EQ(vxhost::RandomState(), Advance(1, 2));
        const double z = 2.0 * 41.0 / 32767.0 - 1.0, theta = 2.0 * std::numbers::pi * 18467.0 / 32767.0;
        EXPECT_VEC_NEAR(two, MVector(std::cos(theta), std::sin(theta), 0) * std::sqrt(1 - z * z) * 4.0 +
                                 MVector(0, 0, z * 4.0));
        vxhost::SeedRandom(1);
        EXPECT_VEC_NEAR(wander(0, 0, 0.5, 0.0, p), two * 0.5);
    }
    { // Spherical Constraint, rate 0, fresh particle: the state stays zero and
        // only the heading term normalize(v) x sqrt(2) remains.
        EXPECT_VEC_NEAR(wander(1, 1, 3.0, 0.0, p), MVector(0, 0.6, 0.8) * std::numbers::sqrt2);
        EXPECT_EQ(s.wanderStates[1], MVector::zero);
        // With a rate the state becomes a unit vector and adds strength x F of
        // it; rate 0 afterwards keeps it.
        const MVector w = wander(2, 1, 3.0, 0.5, p);
        const MVector state = s.wanderStates[2];
        EXPECT_NEAR(state.length(), 1.0, 1e-12);
        EXPECT_VEC_NEAR(w, MVector(0, 0.6, 0.8) * std::numbers::sqrt2 + state * 12.0);
        wander(2, 1, 3.0, 0.0, p);
        EXPECT_VEC_NEAR(s.wanderStates[2], state);
        wander(99, 1, 3.0, 0.5, p); // beyond the states: not stored, no crash
        EXPECT_EQ(s.wanderStates.length(), 4u);
    }
    { // Perlin Noise: no draws, length k x F; 0 on a lattice point.
        vxhost::SeedRandom(5);
        EXPECT_NEAR(wander(0, 2, 7.0, 0.9, p).length(), 4.0, 1e-12);
        EXPECT_EQ(vxhost::RandomState(), 5u);
        EXPECT_EQ(wander(0, 2, 1.0, 0.0, MPoint(1, 2, 3)), MVector::zero);
    }
    // The desired velocity is truncated to the maximum speed: F 40 gives 40, cut to 10.
    s.params.maximumForce = 40.0;
    EXPECT_NEAR(s.Pass(p, MVector::zero).length(), 10.0, 1e-12);
}

TEST(TargetSteering, InfluenceOfTheTargetVolume)
{
    TargetSetup setup;
    setup.size = MPoint(10, 0, 0); // a sphere of radius 10 about the origin
    setup.arrival = 1000.0;        // desired speed 1/100 of the distance
    Scene s(setup);
    // Outside the volume: nothing at all; Full: the whole steering inside.
    EXPECT_EQ(s.Pass(MPoint(20, 0, 0), MVector(1, 1, 1)), MVector::zero);
    EXPECT_VEC_NEAR(s.Pass(MPoint(5, 0, 0), MVector::zero), MVector(-0.05, 0, 0));
    // Linear Falloff: 1 - (d / r)^2 for a sphere, 0 at the surface.
    s.targets.influenceMethods[0] = static_cast<int>(InfluenceMethod::kLinearFalloff);
    EXPECT_VEC_NEAR(s.Pass(MPoint(5, 0, 0), MVector::zero), MVector(-0.0375, 0, 0));
    EXPECT_EQ(s.steering.GetTargetInfluence(0, MPoint(10, 0, 0)), 0.0);
    // Degenerate sizes bound nothing: full influence everywhere.
    s.targets.volumeDimensions[0] = MPoint(0, 5, 5);
    EXPECT_EQ(s.steering.GetTargetVolume(0), nullptr);
    EXPECT_EQ(s.steering.GetTargetInfluence(0, MPoint(20, 0, 0)), 1.0);
}

TEST(TargetSteering, PathFollowOnACurve)
{
    Scene s(Tube(100.0, 2.0, 0.25)); // along x from 0 to 100, radius 2
    // Outside the tube: straight at the curve at full speed, the target point
    // ignored, and the boid separation urge 0.
    EXPECT_VEC_NEAR(s.Pass(MPoint(50, 10, 0), MVector::zero), MVector(0, -10, 0));
    EXPECT_EQ(s.params.boidSeparationUrge, 0.0);
    // Inside at 1 from the centre line (falloff 0.75): the target point is one
    // tangent past the look-ahead point, (52, 0, 0); the pull adds
    // (0, -1, 0) x 0.25 x F; the urge blends towards 1 by the falloff.
    s.params = DistinctParams();
    const MVector v(1, 0, 0);
    EXPECT_VEC_NEAR(s.Pass(MPoint(50, 1, 0), v), MVector(2, -2, 0).normal() * 10.0 - v);
    EXPECT_DOUBLE_EQ(s.params.boidSeparationUrge, 0.25 * 0.25 + 0.75);
    // With a direction limit a look-ahead behind the particle falls back to
    // its own nearest point; reversing the direction turns the tangent round.
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

TEST(TargetSteering, PathFollowWithoutACurveReportsAndSeeks)
{
    vxhost::SetMessageEcho(false);
    vxhost::ClearMessages();
    TargetSetup setup;
    setup.type = SteeringType::kPathFollow;
    setup.position = MPoint(0, 10, 0);
    setup.size = MPoint(5, 0, 0);
    setup.arrival = 100.0; // not used by Path Follow
    Scene s(setup);
    // Full speed at the translation; one message per particle, collapsed into one.
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

TEST(TargetSteering, PrecomputedCurveSearchesChangeNothing)
{
    // Two curve targets (one reversed with a direction limit) and a Seek:
    // the pass with the curve searches made ahead gives the same forces
    // and the same boid separation urges, bit for bit.
    const MVectorArray positions = RandomCloud(64, 3, 60.0);
    const MVectorArray velocities = RandomCloud(64, 4, 5.0);
    auto run = [&](bool precompute)
    {
        Scene s(Tube(100.0, 3.0, 0.25));
        AddTarget(s.targets, Tube(80.0, 5.0));
        s.targets.curveDirLimits[1] = 1;
        s.targets.reverseCurveDirections[1] = 1;
        TargetSetup seek;
        seek.position = MPoint(10, 20, 0);
        AddTarget(s.targets, seek);
        s.Build();
        std::vector<std::int32_t> all(64);
        std::iota(all.begin(), all.end(), 0);
        std::vector<TargetSteering::CurveSearch> searches;
        if (precompute)
            s.steering.PrecomputeCurveSearches(all, positions, velocities, searches);
        std::vector<MVector> results;
        for (unsigned i = 0; i < 64; ++i)
        {
            const MVector& x = positions[i];
            ParticleParameters params = DistinctParams();
            SteeringForce force;
            EXPECT_TRUE(s.steering.TargetPass(i, MPoint(x.x, x.y, x.z), velocities[i], params, force));
            results.push_back(force.vector);
            results.push_back(MVector(params.boidSeparationUrge, 0, 0));
        }
        return results;
    };
    EXPECT_EQ(run(true), run(false));
}

TEST(TargetSteering, CurveSearchesLeaveUnusedTargetPointsOut)
{
    // Outside a containing tube the pass steers by the tube alone: the
    // searches made ahead skip the target point there, and the pass gives
    // the same forces and urges as the one that searches for itself.
    const MVectorArray positions(
        std::vector<MVector>{MVector(50, 10, 0), MVector(50, 1, 0), MVector(120, 0.5, 3)}.data(), 3);
    const MVectorArray velocities(
        std::vector<MVector>{MVector(1, 0, 0), MVector(1, 0.5, 0), MVector(-2, 0, 1)}.data(), 3);
    const std::vector<std::int32_t> particles = {0, 1, 2};
    Scene own(Tube(100.0, 2.0, 0.25));
    Scene ahead(Tube(100.0, 2.0, 0.25));
    std::vector<TargetSteering::CurveSearch> searches;
    ahead.steering.PrecomputeCurveSearches(particles, positions, velocities, searches);
    ASSERT_EQ(searches.size(), 3u);
    const bool unused[] = {true, false, true};
    for (unsigned i = 0; i < 3; ++i)
    {
        EXPECT_EQ(searches[i].targetUnused, unused[i]) << i;
        EXPECT_FALSE(searches[i].targetFailed) << i;
        const MPoint p(positions[i]);
        SteeringForce expected, got;
        own.params = ahead.params = DistinctParams();
        ASSERT_TRUE(own.steering.TargetPass(i, p, velocities[i], own.params, expected));
        ASSERT_TRUE(ahead.steering.TargetPass(i, p, velocities[i], ahead.params, got));
        EXPECT_EQ(got.vector, expected.vector) << i;
        EXPECT_EQ(ahead.params.boidSeparationUrge, own.params.boidSeparationUrge) << i;
    }
    // A curve of no length has no target point anywhere: it is searched for,
    // and fails, outside the tube too.
    TargetSetup point = Tube(1.0, 2.0);
    const MPoint cvs[] = {MPoint(5, 5, 5), MPoint(5, 5, 5)};
    const double knots[] = {0.0, 1.0};
    point.curve = MFnNurbsCurveData().create();
    MFnNurbsCurve().create(MPointArray(cvs, 2), MDoubleArray(knots, 2), 1, MFnNurbsCurve::kOpen, false, false,
                           point.curve);
    Scene degenerate(point);
    degenerate.steering.PrecomputeCurveSearches(particles, positions, velocities, searches);
    EXPECT_FALSE(searches[0].targetUnused);
    EXPECT_TRUE(searches[0].targetFailed);
}
