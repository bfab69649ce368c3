// Whole flocks stepped frame by frame through the evaluation core, with the
// entity records refilled every frame as the field node does, and explicit
// Euler integration as the host's dynamics does (unit mass).
#include "FieldEvaluator.h"

#include "EntityBuilders.h"
#include "SolverTestUtil.h"

#include <vxhost/CRandom.h>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace
{
struct Flock
{
    MVectorArray positions;
    MVectorArray velocities;
    FlockSettings settings;
    FieldEvaluator field;

    // n particles in a cube of half-side size about centre, with velocities
    // base plus up to 2 per axis.
    Flock(unsigned n, const MVector& centre, double size, const MVector& base, double maximumSpeed,
          unsigned seed, int threads = 1)
        : positions(RandomCloud(n, seed, size)), velocities(RandomCloud(n, seed + 1, 2.0)), field(threads)
    {
        for (unsigned i = 0; i < n; ++i)
        {
            positions[i] += centre;
            velocities[i] += base;
        }
        settings.simulationAccuracy.value = 1.0;
        settings.maximumSpeed.value = maximumSpeed;
        settings.maximumForce.value = maximumSpeed;
        settings.boidSeparation.value = 3.0;
        settings.obstacleSeparation.value = 3.0;
        settings.numberOfNeighbours.value = 6;
        settings.boidSeparationUrge.value = 1.0;
        settings.flockCentringUrge.value = 0.3;
        settings.velocityMatchingUrge.value = 0.3;
    }

    // Steps the frames; returns how many particle-frames ended `bad`.
    unsigned Fly(int frames, const std::function<void(FieldEvaluator&)>& fill,
                 const std::function<bool(const MVector&)>& bad = nullptr)
    {
        unsigned count = 0;
        for (int frame = 0; frame < frames; ++frame)
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
            input.deltaTime = 1.0 / 24.0;
            MVectorArray forces;
            EXPECT_TRUE(field.Evaluate(input, settings, forces));
            for (unsigned i = 0; i < positions.length(); ++i)
            {
                velocities[i] += forces[i] * input.deltaTime;
                positions[i] += velocities[i] * input.deltaTime;
                count += bad && bad(positions[i]) ? 1 : 0;
            }
        }
        return count;
    }

    MVector Centroid() const
    {
        MVector sum;
        for (const MVector& p : positions)
            sum += p;
        return sum / positions.length();
    }
};
} // namespace

TEST(FlockBehaviour, SeekingFlockGathersAtTheTarget)
{
    TargetSetup seek;
    seek.position = MPoint(100, 50, 0);
    seek.arrival = 30.0;
    Flock flock(32, MVector::zero, 15.0, MVector::zero, 30.0, 1);
    flock.settings.maximumForce.value = 20.0;
    flock.Fly(240, [&](FieldEvaluator& field) { AddTarget(field.targets, seek); });
    EXPECT_LT((flock.Centroid() - MVector(seek.position)).length(), 5.0);
    for (const MVector& p : flock.positions)
        EXPECT_LT((p - MVector(seek.position)).length(), 25.0);
}

TEST(FlockBehaviour, FlockFlyingAtASphereStaysOutside)
{
    // A Seek target behind a sphere of radius 20 pulls the flock straight at it:
    // at most 1% of particle-frames inside, and they get past it.
    TargetSetup seek;
    seek.position = MPoint(100, 0, 0);
    Flock flock(32, MVector(-80, 0, 0), 8.0, MVector(15, 0, 0), 20.0, 3);
    const auto fill = [&](FieldEvaluator& field)
    {
        AddTarget(field.targets, seek);
        AddObstacle(field.obstacles, VolumeType::kSphere, MPoint(0, 0, 0), MPoint(20, 0, 0));
    };
    EXPECT_LE(flock.Fly(240, fill, [](const MVector& p) { return p.length() < 20.0; }), 32u * 240u / 100u);
    EXPECT_GT(flock.Centroid().x, 40.0);
}

TEST(FlockBehaviour, PathFollowersStayInTheTube)
{
    // At most 2% of particle-frames outside a tube of radius 6, moving along it.
    const TargetSetup follow = Tube(400.0, 6.0, 0.2);
    Flock flock(32, MVector(20, 0, 0), 3.0, MVector(5, 0, 0), 15.0, 5);
    EXPECT_LE(flock.Fly(
                  200, [&](FieldEvaluator& field) { AddTarget(field.targets, follow); },
                  [](const MVector& p) { return p.y * p.y + p.z * p.z >= 36.0; }),
              32u * 200u / 50u);
    EXPECT_GT(flock.Centroid().x, 100.0);
}

TEST(FlockBehaviour, SameFlightForAnyThreadCount)
{
    const auto fill = [](FieldEvaluator& field)
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
        AddTarget(field.targets, Tube(100.0, 8.0));
        AddModifier(field.modifiers, VolumeType::kBox, MPoint(-10, 0, 0), MPoint(30, 30, 30),
                    ModificationMethod::kAdditive, {{ParameterKey::kMaximumSpeed, 5.0}}, 1.0,
                    InfluenceMethod::kLinearFalloff);
        AddObstacle(field.obstacles, VolumeType::kSphere, MPoint(30, 0, 0), MPoint(8, 0, 0));
    };
    MVectorArray positions[2];
    for (const int threads : {1, 2})
    {
        vxhost::SeedRandom(1);
        Flock flock(3000, MVector::zero, 40.0, MVector::zero, 20.0, 9, threads);
        flock.settings.simulationAccuracy.value = 0.8;
        flock.Fly(4, fill);
        for (const MVector& p : flock.positions)
            ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z));
        positions[threads - 1] = flock.positions;
    }
    EXPECT_TRUE(positions[0] == positions[1]); // bit for bit
}
