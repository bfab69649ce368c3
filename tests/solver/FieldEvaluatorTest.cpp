#include "FieldEvaluator.h"

#include "BoidRules.h"
#include "EntityBuilders.h"
#include "SolverTestUtil.h"

#include <vxhost/CRandom.h>
#include <vxhost/MeshBuilders.h>
#include <vxhost/MessageLog.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <vector>

namespace
{
FlockSettings Settings(double accuracy = 1.0)
{
    FlockSettings s;
    s.simulationAccuracy.value = accuracy;
    s.maximumSpeed.value = 1000.0;
    s.maximumForce.value = 10.0;
    s.boidSeparation.value = 5.0;
    s.obstacleSeparation.value = 1.0;
    s.numberOfNeighbours.value = 4;
    s.boidSeparationUrge.value = 1.0;
    s.flockCentringUrge.value = 0.5;
    s.velocityMatchingUrge.value = 0.25;
    return s;
}

MVectorArray Evaluate(FieldEvaluator& field, const MVectorArray& positions, const MVectorArray& velocities,
                      const FlockSettings& settings, double dt = 1.0 / 24.0, double magnitude = 1.0,
                      const MDoubleArray* magnitudePP = nullptr)
{
    FieldInput input;
    input.positions = &positions;
    input.velocities = &velocities;
    input.deltaTime = dt;
    input.magnitude = magnitude;
    input.magnitudePerParticle = magnitudePP;
    MVectorArray forces;
    EXPECT_TRUE(field.Evaluate(input, settings, forces));
    EXPECT_EQ(forces.length(), positions.length());
    return forces;
}

// Two particles 3 apart on x: the boid force on particle 0 is (-6.4, 0, 0)
// with separation urge 1 and the other urges 0.
struct Pair
{
    MVectorArray positions;
    MVectorArray velocities;
    FlockSettings settings = Settings();
    Pair()
    {
        positions.append(MVector(0, 0, 0));
        positions.append(MVector(3, 0, 0));
        velocities.setLength(2);
        settings.flockCentringUrge.value = 0.0;
        settings.velocityMatchingUrge.value = 0.0;
    }
};

unsigned Advance(unsigned state, int draws)
{
    for (int d = 0; d < draws; ++d)
        state = state * 214013u + 2531011u;
    return state;
}

// A seed whose first rand() is 0.
unsigned SeedDrawingZero()
{
    for (unsigned seed = 0;; ++seed)
        if ((((seed * 214013u + 2531011u) >> 16) & 0x7FFF) == 0)
            return seed;
}
} // namespace

TEST(FieldEvaluator, HalfTheBoidForceScaledAndLimited)
{
    Pair s;
    FieldEvaluator field(1);
    // The empty obstacle force at priority 100 halves the boid force.
    EXPECT_VEC_NEAR(Evaluate(field, s.positions, s.velocities, s.settings)[0], MVector(-3.2, 0, 0));
    // Magnitude scales before the force limit: 2 * 3.2 = 6.4, and 5 * 3.2
    // is limited to maximumForce 10.
    EXPECT_VEC_NEAR(Evaluate(field, s.positions, s.velocities, s.settings, 0.04, 2.0)[0],
                    MVector(-6.4, 0, 0));
    EXPECT_VEC_NEAR(Evaluate(field, s.positions, s.velocities, s.settings, 0.04, 5.0)[0], MVector(-10, 0, 0));

    // A per-particle magnitude array overrides the field's, particle by particle;
    // one shorter than the particle count is ignored.
    MDoubleArray pp;
    pp.append(0.5);
    pp.append(3.0);
    const MVectorArray scaled = Evaluate(field, s.positions, s.velocities, s.settings, 0.04, 1.0, &pp);
    EXPECT_VEC_NEAR(scaled[0], MVector(-1.6, 0, 0));
    EXPECT_VEC_NEAR(scaled[1], MVector(9.6, 0, 0));
    pp.remove(1);
    EXPECT_VEC_NEAR(Evaluate(field, s.positions, s.velocities, s.settings, 0.04, 1.0, &pp)[1],
                    MVector(3.2, 0, 0));
}

TEST(FieldEvaluator, SpeedLimitBranches)
{
    FieldEvaluator field(1);
    { // A lone particle too fast gets the force that brings it back to the
        // limit in one step: d = v scaled to 4, F = d - v.
        MVectorArray p(1, MVector(0, 0, 0));
        MVectorArray v(1, MVector(10, 0, 0));
        FlockSettings s = Settings();
        s.maximumSpeed.value = 4.0;
        EXPECT_VEC_NEAR(Evaluate(field, p, v, s)[0], MVector(-6, 0, 0));
    }
    Pair s;
    s.settings.maximumSpeed.value = 2.0;
    // Within the limit after one step: unchanged.
    EXPECT_VEC_NEAR(Evaluate(field, s.positions, s.velocities, s.settings, 0.1)[0], MVector(-3.2, 0, 0));
    // dt = 0: the force itself is limited to the maximum speed.
    EXPECT_VEC_NEAR(Evaluate(field, s.positions, s.velocities, s.settings, 0.0)[0], MVector(-2, 0, 0));
    // dt = 1: |v + F| = 3.2 > 2, so F = 2 * normal(v + F) - v.
    EXPECT_VEC_NEAR(Evaluate(field, s.positions, s.velocities, s.settings, 1.0)[0], MVector(-2, 0, 0));
    // dt = 0 but the particle is already too fast: the first branch, with the
    // time step left out: d = v + F = (5, 0, 0) - (3.2, 0, 0) -> length 1.8.
    MVectorArray fast(2, MVector(5, 0, 0));
    EXPECT_VEC_NEAR(Evaluate(field, s.positions, fast, s.settings, 0.0)[0], MVector(-3.2, 0, 0));
}

TEST(FieldEvaluator, AccuracyDraw)
{
    Pair s;
    FieldEvaluator field(1);
    { // Accuracy 0 still steers on a draw of exactly 0; the second draw is
        // not 0, so the second particle gets nothing.
        vxhost::SeedRandom(SeedDrawingZero());
        s.settings.simulationAccuracy.value = 0.0;
        const MVectorArray f = Evaluate(field, s.positions, s.velocities, s.settings);
        EXPECT_VEC_NEAR(f[0], MVector(-3.2, 0, 0));
        EXPECT_EQ(f[1], MVector::zero);
    }
    { // Below 0: never steered, though the draw is still made per particle.
        vxhost::SeedRandom(SeedDrawingZero());
        s.settings.simulationAccuracy.value = -1.0;
        const MVectorArray f = Evaluate(field, s.positions, s.velocities, s.settings);
        EXPECT_EQ(f[0], MVector::zero);
        EXPECT_EQ(f[1], MVector::zero);
        EXPECT_EQ(vxhost::RandomState(), Advance(SeedDrawingZero(), 2));
    }
    { // Accuracy 1: every particle, whatever the draw.
        vxhost::SeedRandom(12345);
        s.settings.simulationAccuracy.value = 1.0;
        const MVectorArray f = Evaluate(field, s.positions, s.velocities, s.settings);
        EXPECT_VEC_NEAR(f[1], MVector(3.2, 0, 0));
    }
}

TEST(FieldEvaluator, TreeOnlyAboveTenParticlesAndSameForcesEitherWay)
{
    const MVectorArray ten = RandomCloud(10, 4, 5.0);
    const MVectorArray eleven = RandomCloud(11, 4, 5.0);
    const MVectorArray vel10 = RandomCloud(10, 5, 1.0);
    const MVectorArray vel11 = RandomCloud(11, 5, 1.0);
    FieldEvaluator field(1);
    Evaluate(field, ten, vel10, Settings());
    EXPECT_FALSE(field.Tree().IsBuilt());
    const MVectorArray treeForces = Evaluate(field, eleven, vel11, Settings());
    EXPECT_TRUE(field.Tree().IsBuilt());

    // Queried in leaf order and in parallel, the forces are still the boid
    // rules over a tree of the same points, halved, particle by particle.
    KDTree tree;
    tree.Build(eleven);
    const ParticleParameters params = field.Parameters().Resolve(0);
    NeighbourList list;
    for (std::size_t rank = 0; rank < 11; ++rank)
    {
        const std::int32_t i = tree.LeafOrder()[rank];
        const MVector& p = eleven[static_cast<unsigned>(i)];
        const SteeringForce boid =
            BoidForce(i, rank, MPoint(p.x, p.y, p.z), eleven, vel11, params, tree, {}, list);
        EXPECT_EQ(treeForces[static_cast<unsigned>(i)], boid.vector * 0.5);
    }
}

TEST(FieldEvaluator, BadInputsStayContained)
{
    MVectorArray positions = RandomCloud(40, 9, 10.0);
    MVectorArray velocities = RandomCloud(40, 10, 2.0);
    FieldEvaluator field(1);
    const MVectorArray clean = Evaluate(field, positions, velocities, Settings());

    // Insert a NaN position and an infinite velocity: both get no force, and
    // every other particle gets exactly the force it had without them.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    MVectorArray dirtyP;
    MVectorArray dirtyV;
    for (unsigned j = 0; j < 40; ++j)
    {
        if (j == 7)
        {
            dirtyP.append(MVector(nan, 0, 0));
            dirtyV.append(MVector::zero);
            dirtyP.append(MVector(1, 1, 1));
            dirtyV.append(MVector(0, inf, 0));
        }
        dirtyP.append(positions[j]);
        dirtyV.append(velocities[j]);
    }
    const MVectorArray dirty = Evaluate(field, dirtyP, dirtyV, Settings());
    EXPECT_EQ(dirty[7], MVector::zero);
    EXPECT_EQ(dirty[8], MVector::zero);
    for (unsigned j = 0; j < 40; ++j)
        EXPECT_EQ(dirty[j < 7 ? j : j + 2], clean[j]) << j;

    // Fewer velocities than positions: the missing ones count as zero.
    MVectorArray shortV = velocities;
    shortV.setLength(30);
    MVectorArray zeroTail = velocities;
    for (unsigned j = 30; j < 40; ++j)
        zeroTail[j] = MVector::zero;
    EXPECT_EQ(Evaluate(field, positions, shortV, Settings())[35],
              Evaluate(field, positions, zeroTail, Settings())[35]);

    // No particles: an empty force array, and no random draw.
    vxhost::SeedRandom(77);
    EXPECT_EQ(Evaluate(field, MVectorArray(), MVectorArray(), Settings()).length(), 0u);
    EXPECT_EQ(vxhost::RandomState(), 77u);
}

TEST(FieldEvaluator, SameForcesForAnyThreadCount)
{
    const MVectorArray positions = RandomCloud(20000, 21, 50.0);
    const MVectorArray velocities = RandomCloud(20000, 22, 3.0);
    FlockSettings s = Settings(0.7);
    s.numberOfNeighbours = {8, 2, 12, ParameterType::kRange, {}};
    std::vector<MVectorArray> results;
    for (const int threads : {1, 2, 4})
    {
        vxhost::SeedRandom(1);
        FieldEvaluator field(threads);
        results.push_back(Evaluate(field, positions, velocities, s));
    }
    for (std::size_t r = 1; r < results.size(); ++r)
        for (unsigned j = 0; j < positions.length(); ++j)
            ASSERT_EQ(results[r][j], results[0][j]) << "particle " << j;
}

namespace
{
// Every kind of entity work: targets that draw (random and spherical wander,
// the second gated by a volume), that keep state (the wander directions) and
// that read curve searches (a contained tube, and an uncontained one whose
// tube is its influence); modifiers changing the accuracy, the separation
// urge and the neighbour count; obstacles of every shape.
void FillEntities(FieldEvaluator& field, const MObject& mesh)
{
    field.targets.Clear();
    field.modifiers.Clear();
    field.obstacles.Clear();

    TargetSetup seek; // its point inside the sphere obstacle
    seek.position = MPoint(28, 3, 0);
    seek.size = MPoint(40, 0, 0);
    seek.influence = InfluenceMethod::kLinearFalloff;
    seek.arrival = 10.0;
    AddTarget(field.targets, seek);
    TargetSetup wander;
    wander.type = SteeringType::kWander;
    wander.wanderMode = WanderMode::kSphericalConstraint;
    wander.wander = MPoint(0.5, 0.3, 0.2);
    AddTarget(field.targets, wander);
    AddTarget(field.targets, Tube(100.0, 8.0, 0.25));
    TargetSetup flee;
    flee.type = SteeringType::kFlee;
    flee.position = MPoint(-20, 0, 0);
    flee.volume = VolumeType::kBox;
    flee.size = MPoint(30, 30, 30);
    AddTarget(field.targets, flee);
    TargetSetup gated = wander;
    gated.wanderMode = WanderMode::kRandomDirection;
    gated.position = MPoint(0, -20, 0);
    gated.size = MPoint(25, 0, 0);
    AddTarget(field.targets, gated);
    TargetSetup loose = Tube(60.0, 12.0);
    loose.containment = 0;
    AddTarget(field.targets, loose);
    field.targets.curveDirLimits[5] = 1;
    field.targets.reverseCurveDirections[5] = 1;

    AddModifier(field.modifiers, VolumeType::kBox, MPoint(-10, 0, 0), MPoint(30, 30, 30),
                ModificationMethod::kAdditive, {{ParameterKey::kNumberOfNeighbours, 3.0}}, 1.0);
    AddModifier(field.modifiers, VolumeType::kSphere, MPoint(10, 10, 0), MPoint(25, 0, 0),
                ModificationMethod::kOverride,
                {{ParameterKey::kSimulationAccuracy, 0.2}, {ParameterKey::kBoidSeparationUrge, 3.0}}, 0.9,
                InfluenceMethod::kLinearFalloff);

    AddObstacle(field.obstacles, VolumeType::kSphere, MPoint(30, 0, 0), MPoint(8, 0, 0));
    AddObstacle(field.obstacles, VolumeType::kBox, MPoint(-30, 20, 0), MPoint(10, 12, 14));
    AddObstacle(field.obstacles, VolumeType::kCapsule, MPoint(0, 30, 10), MPoint(5, 12, 0));
    AddObstacle(field.obstacles, VolumeType::kMesh, MPoint::origin, MPoint(0, 0, 0), mesh);

    field.targets.BuildVolumes();
    field.modifiers.BuildVolumes();
    field.obstacles.BuildVolumes();
}

// What one run of frames leaves behind, to compare bit for bit.
struct FlightRecord
{
    std::vector<MVectorArray> forces; ///< per frame
    MVectorArray wanderStates;
    unsigned randomState = 0;
    bool split = true; ///< every frame's entity pass split
};

// Steps a flock frame by frame with the entity pass split or whole.
FlightRecord Fly(bool split, int threads, const FlockSettings& settings, int frames = 3)
{
    static const MObject mesh = vxhost::MakeSphereMesh(6.0, 12, 7, MPoint(0, 0, -25));
    MVectorArray positions = RandomCloud(3000, 31, 40.0);
    MVectorArray velocities = RandomCloud(3000, 32, 6.0);
    vxhost::SeedRandom(5);
    FieldEvaluator field(threads);
    field.SetSplitEntityPass(split);
    FlightRecord run;
    for (int frame = 0; frame < frames; ++frame)
    {
        FillEntities(field, mesh);
        MVectorArray forces = Evaluate(field, positions, velocities, settings);
        run.split = run.split && field.EntityPassWasSplit();
        for (unsigned i = 0; i < positions.length(); ++i)
        {
            velocities[i] += forces[i] / 24.0;
            positions[i] += velocities[i] / 24.0;
        }
        run.forces.push_back(forces);
    }
    run.wanderStates = field.Parameters().wanderStates;
    run.randomState = vxhost::RandomState();
    return run;
}

void ExpectSameRuns(const FlightRecord& a, const FlightRecord& b)
{
    ASSERT_EQ(a.forces.size(), b.forces.size());
    for (std::size_t f = 0; f < a.forces.size(); ++f)
        for (unsigned j = 0; j < a.forces[f].length(); ++j)
            ASSERT_EQ(a.forces[f][j], b.forces[f][j]) << "frame " << f << ", particle " << j;
    EXPECT_TRUE(a.wanderStates == b.wanderStates);
    EXPECT_EQ(a.randomState, b.randomState);
}
} // namespace

TEST(FieldEvaluator, SplitEntityPassMatchesTheInOrderPass)
{
    FlockSettings s = Settings(0.8);
    s.maximumSpeed.value = 20.0;
    s.obstacleSeparation.value = 2.0;
    const FlightRecord whole = Fly(false, 1, s);
    EXPECT_FALSE(whole.split);
    for (const int threads : {1, 2})
    {
        const FlightRecord split = Fly(true, threads, s);
        EXPECT_TRUE(split.split);
        ExpectSameRuns(split, whole);
    }

    // Particles growing the obstacles by different separations keep the
    // pass whole, with the same results as asking for that.
    s.obstacleSeparation = {1.0, 0.5, 3.0, ParameterType::kRange, {}};
    const FlightRecord mixed = Fly(true, 2, s, 1);
    EXPECT_FALSE(mixed.split);
    ExpectSameRuns(mixed, Fly(false, 2, s, 1));
}

TEST(FieldEvaluator, SplitEntityPassFailsWhereTheInOrderPassFails)
{
    // A curve target on a curve of no length has no tangent: the pass fails
    // at the first steered particle within its tube, after that particle's
    // accuracy draw and the wander draws of the targets before it.
    const MPoint cvs[] = {MPoint(5, 5, 5), MPoint(5, 5, 5)};
    const double knots[] = {0.0, 1.0};
    MObject point = MFnNurbsCurveData().create();
    MFnNurbsCurve().create(MPointArray(cvs, 2), MDoubleArray(knots, 2), 1, MFnNurbsCurve::kOpen, false, false,
                           point);
    const MVectorArray positions = RandomCloud(500, 41, 40.0);
    const MVectorArray velocities = RandomCloud(500, 42, 6.0);
    unsigned states[2] = {};
    for (const bool split : {false, true})
    {
        FieldEvaluator field(2);
        field.SetSplitEntityPass(split);
        TargetSetup wander;
        wander.type = SteeringType::kWander;
        wander.wanderMode = WanderMode::kSphericalConstraint;
        wander.wander = MPoint(0.5, 0.3, 0.0);
        AddTarget(field.targets, wander);
        TargetSetup tube = Tube(1.0, 15.0);
        tube.curve = point;
        tube.containment = 0;
        AddTarget(field.targets, tube);
        field.targets.BuildVolumes();
        vxhost::SetMessageEcho(false);
        vxhost::ClearMessages();
        vxhost::SeedRandom(3);
        FieldInput input;
        input.positions = &positions;
        input.velocities = &velocities;
        MVectorArray forces(2, MVector(1, 2, 3));
        EXPECT_FALSE(field.Evaluate(input, Settings(0.5), forces));
        EXPECT_EQ(forces.length(), 2u); // left untouched
        EXPECT_EQ(field.EntityPassWasSplit(), split);
        const auto log = vxhost::Messages();
        ASSERT_EQ(log.size(), 1u);
        EXPECT_EQ(log[0].text.rfind("getting curve target", 0), 0u) << log[0].text;
        vxhost::SetMessageEcho(true);
        states[split ? 1 : 0] = vxhost::RandomState();
    }
    EXPECT_EQ(states[1], states[0]);
}

namespace
{
// Frames of a flock that has particles with non-finite positions and
// velocities, gets new particles between frames (as emit adds them) and, on
// the second frame, fewer velocities than positions. With entities, the
// entity pass is split or whole as asked, with or without the modifiers.
std::uint64_t FlightDigest(bool entities, bool split, int threads, bool modifiers = true)
{
    static const MObject mesh = vxhost::MakeSphereMesh(6.0, 12, 7, MPoint(0, 0, -25));
    const unsigned count = entities ? 3000 : 20000;
    MVectorArray positions = RandomCloud(count, 61, entities ? 40.0 : 60.0);
    MVectorArray velocities = RandomCloud(count, 62, 6.0);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (unsigned j = 7; j < count; j += count / 9)
    {
        positions[j].y = nan;
        velocities[j + 1].z = -inf;
    }
    FlockSettings s = Settings(0.8);
    s.maximumSpeed.value = 20.0;
    s.obstacleSeparation.value = 2.0;
    s.numberOfNeighbours = {8, 2, 12, ParameterType::kRange, {}};
    vxhost::SeedRandom(9);
    FieldEvaluator field(threads);
    field.SetSplitEntityPass(split);
    Digest digest;
    for (int frame = 0; frame < 3; ++frame)
    {
        if (entities)
            FillEntities(field, mesh);
        if (!modifiers)
            field.modifiers.Clear();
        MVectorArray given = velocities;
        if (frame == 1)
            given.setLength(count - 100);
        const MVectorArray forces = Evaluate(field, positions, given, s);
        EXPECT_EQ(field.EntityPassWasSplit(), entities && split);
        digest.Add(forces);
        for (unsigned i = 0; i < positions.length(); ++i)
        {
            velocities[i] += forces[i] / 24.0;
            positions[i] += velocities[i] / 24.0;
        }
        const MVectorArray born = RandomCloud(frame == 0 ? 250 : 40, 70 + frame, 30.0);
        for (unsigned b = 0; b < born.length(); ++b)
        {
            positions.append(born[b]);
            velocities.append(MVector(0, 1, 0));
        }
    }
    digest.Add(field.Parameters().wanderStates);
    const unsigned state = vxhost::RandomState();
    digest.Add(&state, sizeof state);
    return digest.value;
}
} // namespace

TEST(FieldEvaluator, ForcesWanderStatesAndDrawsStayExactlyAsRecorded)
{
    // Recorded from the evaluation as it stood before it was reworked for
    // speed; every later version must give these bits, on any thread count.
    for (const int threads : {1, 2})
    {
        EXPECT_EQ(FlightDigest(false, false, threads), 15292356862097285146ull) << threads;
        EXPECT_EQ(FlightDigest(true, false, threads), 14611849625011001983ull) << threads;
        EXPECT_EQ(FlightDigest(true, true, threads), 14611849625011001983ull) << threads;
        EXPECT_EQ(FlightDigest(true, false, threads, false), 743485243875682144ull) << threads;
        EXPECT_EQ(FlightDigest(true, true, threads, false), 743485243875682144ull) << threads;
    }
}
