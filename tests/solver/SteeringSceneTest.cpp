// The steering benchmark's scene, smaller: every entity shortcut taken for
// speed must leave its forces, wander states and draws exactly as they were.
#include "FieldEvaluator.h"

#include "SolverTestUtil.h"

#include <maya/MDoubleArray.h>
#include <maya/MFnNurbsCurve.h>
#include <maya/MFnNurbsCurveData.h>
#include <maya/MTransformationMatrix.h>
#include <vxhost/CRandom.h>
#include <vxhost/MeshBuilders.h>
#include <vxhost/MessageLog.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

namespace
{
MMatrix Translation(double x, double y, double z)
{
    MTransformationMatrix m;
    m.setTranslation(MVector(x, y, z), MSpace::kTransform);
    return m.asMatrix();
}

struct Geometry
{
    MObject curve;
    MPointArray tube;
    MObject mesh = vxhost::MakeSphereMesh(60.0, 100, 51, MPoint(0, 0, 120));

    Geometry()
    {
        MPointArray cvs;
        for (int k = 0; k < 6; ++k)
            cvs.append(MPoint(-200.0 + 80.0 * k, 60.0 * std::sin(k), 40.0 * std::cos(k)));
        MDoubleArray knots;
        for (const double u : {0.0, 0.0, 0.0, 1.0, 2.0, 3.0, 3.0, 3.0})
            knots.append(u);
        curve = MFnNurbsCurveData().create();
        MFnNurbsCurve().create(cvs, knots, 3, MFnNurbsCurve::kOpen, false, false, curve);
        for (int k = 0; k <= 30; ++k)
            tube.append(MPoint(0.1 * k, 30.0 + 20.0 * (k % 10 == 0 ? 1 : 0), k % 10 == 0 ? 1.0 : 0.0));
    }
};

void AddCommon(EntityData& data, const MMatrix& matrix, VolumeType type, const MPoint& size, double weight,
               InfluenceMethod influence)
{
    data.AppendTransform(matrix);
    data.volumeTypes.append(static_cast<int>(type));
    data.volumeDimensions.append(size);
    data.weights.append(weight);
    data.influenceMethods.append(static_cast<int>(influence));
}

void AddTarget(TargetData& targets, SteeringType type, const MMatrix& matrix, VolumeType volume,
               const MPoint& size, const MPoint& wander = MPoint(0, 0, 0))
{
    AddCommon(targets, matrix, volume, size, 1.0, InfluenceMethod::kLinearFalloff);
    targets.steeringTypes.append(static_cast<int>(type));
    targets.arrivalDistances.append(40.0);
    targets.curveDirLimits.append(0);
    targets.useCurveVolumes.append(volume == VolumeType::kCurve ? 1 : 0);
    targets.wanderModes.append(static_cast<int>(WanderMode::kSphericalConstraint));
    targets.containments.append(volume == VolumeType::kCurve ? 1 : 0);
    targets.containmentSeparationMins.append(0.2);
    targets.reverseCurveDirections.append(0);
    targets.wanderParameters.append(wander);
    ++targets.count;
}

// The benchmark's entities: one target of each steering type, an override
// modifier with falloff and an additive one, a sphere, a box and a mesh.
void FillEntities(FieldEvaluator& field, const Geometry& geometry, bool separationModifier)
{
    field.targets.Clear();
    field.modifiers.Clear();
    field.obstacles.Clear();

    TargetData& targets = field.targets;
    AddTarget(targets, SteeringType::kSeek, Translation(100, 0, 0), VolumeType::kSphere, MPoint(200, 0, 0));
    AddTarget(targets, SteeringType::kFlee, Translation(-100, 50, 0), VolumeType::kBox,
              MPoint(200, 200, 200));
    AddTarget(targets, SteeringType::kWander, Translation(0, 0, 0), VolumeType::kSphere, MPoint(0, 0, 0),
              MPoint(0.5, 0.2, 0.1));
    AddTarget(targets, SteeringType::kPathFollow, MMatrix(), VolumeType::kCurve, MPoint(0, 0, 0));
    targets.curves[3] = geometry.curve;
    targets.curveDataArrays[3] = geometry.tube;

    ModifierData& modifiers = field.modifiers;
    AddCommon(modifiers, Translation(50, 50, 50), VolumeType::kSphere, MPoint(120, 0, 0), 0.8,
              InfluenceMethod::kLinearFalloff);
    modifiers.modificationMethods.append(static_cast<int>(ModificationMethod::kOverride));
    modifiers.parameterOverrides.push_back({{ParameterKey::kMaximumSpeed, 30.0}});
    AddCommon(modifiers, Translation(-80, -80, 0), VolumeType::kBox, MPoint(150, 150, 150), 1.0,
              InfluenceMethod::kFull);
    modifiers.modificationMethods.append(static_cast<int>(ModificationMethod::kAdditive));
    modifiers.parameterOverrides.push_back(
        {{ParameterKey::kBoidSeparation, 2.0}, {ParameterKey::kNumberOfNeighbours, 2.0}});
    modifiers.count = 2;
    if (separationModifier)
    {
        // Obstacles grown differently per particle cannot be shared: the
        // entity pass stays whole even where it is allowed to split.
        AddCommon(modifiers, Translation(100, -100, 0), VolumeType::kSphere, MPoint(80, 0, 0), 1.0,
                  InfluenceMethod::kLinearFalloff);
        modifiers.modificationMethods.append(static_cast<int>(ModificationMethod::kAdditive));
        modifiers.parameterOverrides.push_back({{ParameterKey::kObstacleSeparation, 3.0}});
        modifiers.count = 3;
    }

    ObstacleData& obstacles = field.obstacles;
    AddCommon(obstacles, Translation(120, -100, 0), VolumeType::kSphere, MPoint(40, 0, 0), 1.0,
              InfluenceMethod::kFull);
    AddCommon(obstacles, Translation(-120, 100, -50), VolumeType::kBox, MPoint(60, 60, 60), 1.0,
              InfluenceMethod::kFull);
    AddCommon(obstacles, MMatrix(), VolumeType::kMesh, MPoint(0, 0, 0), 1.0, InfluenceMethod::kFull);
    obstacles.meshes[2] = geometry.mesh;
    obstacles.count = 3;

    targets.BuildVolumes();
    modifiers.BuildVolumes();
    obstacles.BuildVolumes();
}

// FNV-1a over the bytes of every value.
struct Digest
{
    std::uint64_t value = 1469598103934665603ull;
    void Add(const void* data, std::size_t bytes)
    {
        const auto* p = static_cast<const unsigned char*>(data);
        for (std::size_t b = 0; b < bytes; ++b)
            value = (value ^ p[b]) * 1099511628211ull;
    }
    void Add(const MVectorArray& vectors)
    {
        for (unsigned j = 0; j < vectors.length(); ++j)
            Add(&vectors[j], sizeof(MVector));
    }
};

// Three frames of 20k particles spread over the benchmark's whole cloud, so
// that every entity meets particles inside, at its edge and far outside.
std::uint64_t SceneDigest(bool split, int threads, bool separationModifier = false)
{
    static const Geometry geometry;
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
        FillEntities(field, geometry, separationModifier);
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
