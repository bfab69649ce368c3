// Whole flocks stepped frame by frame through the evaluation core, with the
// entity records refilled every frame as the field node does, and explicit
// Euler integration as the host's dynamics does (unit mass).
#include "FieldEvaluator.h"

#include "EntityBuilders.h"
#include "SolverTestUtil.h"

#include <vxhost/CRandom.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>

namespace
{
constexpr double kDt = 1.0 / 24.0;

FlockSettings Settings(double maximumSpeed, double maximumForce)
{
    FlockSettings s;
    s.simulationAccuracy.value = 1.0;
    s.maximumSpeed.value = maximumSpeed;
    s.maximumForce.value = maximumForce;
    s.boidSeparation.value = 3.0;
    s.obstacleSeparation.value = 3.0;
    s.numberOfNeighbours.value = 6;
    s.boidSeparationUrge.value = 1.0;
    s.flockCentringUrge.value = 0.3;
    s.velocityMatchingUrge.value = 0.3;
    return s;
}

using SceneFill = std::function<void(FieldEvaluator&)>;

struct Flock
{
    MVectorArray positions;
    MVectorArray velocities;

    // n particles in a cube of half-side size about centre, with velocities
    // base plus up to jitter per axis.
    Flock(unsigned n, const MVector& centre, double size, const MVector& base, double jitter, unsigned seed)
        : positions(RandomCloud(n, seed, size)), velocities(RandomCloud(n, seed + 1, jitter))
    {
        for (unsigned i = 0; i < n; ++i)
        {
            positions[i] += centre;
            velocities[i] += base;
        }
    }

    void Step(FieldEvaluator& field, const FlockSettings& settings, const SceneFill& fill)
    {
        field.targets.Clear();
        field.modifiers.Clear();
        field.obstacles.Clear();
        fill(field);
        field.targets.BuildVolumes();
        field.modifiers.BuildVolumes();
        field.obstacles.BuildVolumes();

        FieldInput input;
        input.positions = &positions;
        input.velocities = &velocities;
        input.deltaTime = kDt;
        MVectorArray forces;
        ASSERT_TRUE(field.Evaluate(input, settings, forces));
        for (unsigned i = 0; i < positions.length(); ++i)
        {
            velocities[i] += forces[i] * kDt;
            positions[i] += velocities[i] * kDt;
        }
    }

    MVector Centroid() const
    {
        MVector sum;
        for (const MVector& p : positions)
            sum += p;
        return sum / positions.length();
    }
};

// FNV-1a over the raw bytes of the positions.
std::uint64_t Hash(const MVectorArray& positions)
{
    std::uint64_t h = 1469598103934665603ull;
    for (const MVector& p : positions)
    {
        const double xyz[3] = {p.x, p.y, p.z};
        unsigned char bytes[sizeof xyz];
        std::memcpy(bytes, xyz, sizeof xyz);
        for (const unsigned char b : bytes)
            h = (h ^ b) * 1099511628211ull;
    }
    return h;
}
} // namespace

TEST(FlockBehaviour, SeekingFlockGathersAtTheTarget)
{
    const MPoint goal(100, 50, 0);
    const SceneFill fill = [&](FieldEvaluator& field)
    {
        TargetSetup seek;
        seek.position = goal;
        seek.arrival = 30.0;
        AddTarget(field.targets, seek);
    };
    Flock flock(64, MVector(0, 0, 0), 15.0, MVector::zero, 5.0, 1);
    FieldEvaluator field(1);
    const FlockSettings settings = Settings(30.0, 20.0);
    for (int frame = 0; frame < 240; ++frame)
        flock.Step(field, settings, fill);

    EXPECT_LT((flock.Centroid() - MVector(goal)).length(), 5.0);
    for (const MVector& p : flock.positions)
        EXPECT_LT((p - MVector(goal)).length(), 25.0);
}

TEST(FlockBehaviour, FlockFlyingAtASphereStaysOutside)
{
    // A Seek target behind a sphere of radius 20 pulls the flock straight at it.
    const double radius = 20.0;
    const SceneFill fill = [&](FieldEvaluator& field)
    {
        TargetSetup seek;
        seek.position = MPoint(100, 0, 0);
        AddTarget(field.targets, seek);
        AddObstacle(field.obstacles, VolumeType::kSphere, MPoint(0, 0, 0), MPoint(radius, 0, 0));
    };
    Flock flock(64, MVector(-80, 0, 0), 8.0, MVector(15, 0, 0), 2.0, 3);
    FieldEvaluator field(1);
    const FlockSettings settings = Settings(20.0, 20.0);
    unsigned insideFrames = 0;
    unsigned worstFrame = 0;
    for (int frame = 0; frame < 300; ++frame)
    {
        flock.Step(field, settings, fill);
        unsigned inside = 0;
        for (const MVector& p : flock.positions)
            inside += p.length() < radius ? 1 : 0;
        insideFrames += inside;
        worstFrame = std::max(worstFrame, inside);
    }
    EXPECT_LE(worstFrame, 2u);
    EXPECT_LE(insideFrames, 64u * 300u / 100u); // at most 1% of particle-frames
    // And they got past it, towards the target.
    EXPECT_GT(flock.Centroid().x, 40.0);
}

TEST(FlockBehaviour, PathFollowersStayInTheTube)
{
    const double radius = 6.0;
    const MObject curve = StraightCurve(MPoint(0, 0, 0), MPoint(400, 0, 0));
    const SceneFill fill = [&](FieldEvaluator& field)
    {
        TargetSetup follow;
        follow.type = SteeringType::kPathFollow;
        follow.volume = VolumeType::kCurve;
        follow.curve = curve;
        follow.tube = ConstantTube(400.0, radius);
        follow.useCurveVolume = 1;
        follow.containment = 1;
        follow.separationMin = 0.2;
        AddTarget(field.targets, follow);
    };
    Flock flock(48, MVector(20, 0, 0), 3.0, MVector(5, 0, 0), 2.0, 5);
    FieldEvaluator field(1);
    const FlockSettings settings = Settings(15.0, 15.0);
    const double startX = flock.Centroid().x;
    unsigned outside = 0;
    for (int frame = 0; frame < 240; ++frame)
    {
        flock.Step(field, settings, fill);
        for (const MVector& p : flock.positions)
            outside += p.y * p.y + p.z * p.z >= radius * radius ? 1 : 0;
    }
    EXPECT_LE(outside, 48u * 240u / 50u); // at most 2% of particle-frames
    EXPECT_GT(flock.Centroid().x - startX, 100.0);
}

TEST(FlockBehaviour, SameFlightForAnyThreadCount)
{
    const MObject curve = StraightCurve(MPoint(-50, 0, 0), MPoint(50, 0, 0));
    const SceneFill fill = [&](FieldEvaluator& field)
    {
        TargetSetup seek;
        seek.position = MPoint(20, 10, 0);
        seek.size = MPoint(25, 0, 0);
        seek.influence = InfluenceMethod::kLinearFalloff;
        seek.arrival = 10.0;
        AddTarget(field.targets, seek);
        TargetSetup wander;
        wander.type = SteeringType::kWander;
        wander.wanderMode = WanderMode::kSphericalConstraint;
        wander.wander = MPoint(0.5, 0.3, 0.2);
        wander.weight = 0.5;
        AddTarget(field.targets, wander);
        wander.wanderMode = WanderMode::kRandomDirection;
        AddTarget(field.targets, wander);
        TargetSetup follow;
        follow.type = SteeringType::kPathFollow;
        follow.volume = VolumeType::kCurve;
        follow.curve = curve;
        follow.tube = ConstantTube(100.0, 8.0);
        follow.useCurveVolume = 1;
        follow.containment = 1;
        AddTarget(field.targets, follow);
        AddModifier(field.modifiers, VolumeType::kBox, MPoint(-10, 0, 0), MPoint(30, 30, 30),
                    ModificationMethod::kAdditive, {{ParameterKey::kMaximumSpeed, 5.0}}, 1.0,
                    InfluenceMethod::kLinearFalloff);
        AddObstacle(field.obstacles, VolumeType::kSphere, MPoint(30, 0, 0), MPoint(8, 0, 0));
        AddObstacle(field.obstacles, VolumeType::kBox, MPoint(0, 25, 0), MPoint(10, 5, 10));
    };
    FlockSettings settings = Settings(20.0, 15.0);
    settings.simulationAccuracy.value = 0.8;
    std::uint64_t hashes[2] = {};
    for (const int threads : {1, 2})
    {
        vxhost::SeedRandom(1);
        Flock flock(3000, MVector(0, 0, 0), 40.0, MVector::zero, 5.0, 9);
        FieldEvaluator field(threads);
        for (int frame = 0; frame < 4; ++frame)
            flock.Step(field, settings, fill);
        for (const MVector& p : flock.positions)
            ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z));
        hashes[threads - 1] = Hash(flock.positions);
    }
    EXPECT_EQ(hashes[0], hashes[1]);
}
