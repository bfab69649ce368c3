// One evaluation of the flocking core at 100k particles, k = 8, with a target
// of each steering type, two modifiers and three obstacles (sphere, box and a
// 10k-triangle mesh), beside the same flock with no entities, on one thread
// and on every core. Each evaluation refills the entity records and builds
// their volumes, as the field node does. BM_EntityPart then times each part
// of the entity work alone on one thread, to show where the difference goes.
#include "ApplyModifiers.h"
#include "AvoidObstacles.h"
#include "BenchCloud.h"
#include "FieldEvaluator.h"
#include "TargetSteering.h"

#include <maya/MDoubleArray.h>
#include <maya/MFnNurbsCurve.h>
#include <maya/MFnNurbsCurveData.h>
#include <maya/MTransformationMatrix.h>
#include <vxhost/CRandom.h>
#include <vxhost/MeshBuilders.h>
#include <vxhost/MessageLog.h>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cmath>
#include <vector>

namespace
{
constexpr long kParticles = 100'000;

struct Flock
{
    MVectorArray positions = SharedCloud(kParticles);
    MVectorArray velocities = BenchCloud(kParticles, 43, 10.0);
};

const Flock& TheFlock()
{
    static const Flock flock;
    return flock;
}

MMatrix Translation(double x, double y, double z)
{
    MTransformationMatrix m;
    m.setTranslation(MVector(x, y, z), MSpace::kTransform);
    return m.asMatrix();
}

// The scene's geometry, made once: the cloud spans about +-230 cm.
struct Geometry
{
    MObject curve;
    MPointArray tube;
    MObject mesh = vxhost::MakeSphereMesh(60.0, 100, 51, MPoint(0, 0, 120)); // 10,000 triangles

    Geometry()
    {
        // A cubic curve through the cloud, with a tube of radius 30 to 50.
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

// What the gathering puts into the records at every evaluation.
void FillEntities(FieldEvaluator& field, const Geometry& geometry)
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

// Args: threads (0 = every core), entities (0 or 1).
void BM_Steering(benchmark::State& state)
{
    static const Geometry geometry;
    const int threads = static_cast<int>(state.range(0));
    const bool entities = state.range(1) != 0;
    const Flock& flock = TheFlock();
    vxhost::SetMessageEcho(false);
    vxhost::SeedRandom(1);

    FieldEvaluator field(threads);
    FieldInput input;
    input.positions = &flock.positions;
    input.velocities = &flock.velocities;
    input.deltaTime = 1.0 / 24.0;
    const FlockSettings settings = BenchSettings();
    MVectorArray forces;
    for (auto _ : state)
    {
        if (entities)
            FillEntities(field, geometry);
        field.Evaluate(input, settings, forces);
        benchmark::DoNotOptimize(forces.length());
    }
    state.SetItemsProcessed(state.iterations() * kParticles);
    state.counters["threads"] = field.ThreadCount();
    // The entity work is meant to run split across the threads here.
    state.counters["split"] = field.EntityPassWasSplit() ? 1 : 0;
}
BENCHMARK(BM_Steering)
    ->ArgNames({"threads", "entities"})
    ->Args({1, 0})
    ->Args({0, 0})
    ->Args({1, 1})
    ->Args({0, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(2.0);

// This thread's processor time: the machines the benchmarks run on are
// shared, and a part that runs on one thread is best timed by what it used.
double ThreadSeconds()
{
    rusage used{};
    getrusage(RUSAGE_THREAD, &used);
    const auto seconds = [](const timeval& t)
    { return static_cast<double>(t.tv_sec) + 1e-6 * static_cast<double>(t.tv_usec); };
    return seconds(used.ru_utime) + seconds(used.ru_stime);
}

// The parts of the entity work one at a time, on one thread, over every
// particle: where the difference between the two flocks above goes.
enum class Part : int
{
    kCurveSearches = 0,
    kDraws = 1,   ///< in particle order: the wander draws
    kTargets = 2, ///< the target pass with the draws made
    kObstacles = 3,
    kModifiers = 4,
    kSetup = 5, ///< filling the records, building and readying the volumes
};

void BM_EntityPart(benchmark::State& state)
{
    static const Geometry geometry;
    const Part part = static_cast<Part>(state.range(0));
    const Flock& flock = TheFlock();
    const unsigned count = flock.positions.length();
    vxhost::SetMessageEcho(false);
    vxhost::SeedRandom(1);
    tbb::task_arena one(1);

    FieldEvaluator field(1);
    const FlockSettings settings = BenchSettings();
    ParticleParameters params;
    params.simulationAccuracy = settings.simulationAccuracy.value;
    params.maximumSpeed = settings.maximumSpeed.value;
    params.maximumForce = settings.maximumForce.value;
    params.boidSeparation = settings.boidSeparation.value;
    params.obstacleSeparation = settings.obstacleSeparation.value;
    params.numberOfNeighbours = 8;
    params.boidSeparationUrge = settings.boidSeparationUrge.value;
    params.flockCentringUrge = settings.flockCentringUrge.value;
    params.velocityMatchingUrge = settings.velocityMatchingUrge.value;
    std::vector<std::int32_t> particles(count);
    for (unsigned i = 0; i < count; ++i)
        particles[i] = static_cast<std::int32_t>(i);
    MVectorArray wanderStates(count, MVector::zero);
    const PerlinNoise noise(0);
    std::vector<TargetSteering::CurveSearch> searches;
    std::vector<MVector> draws;
    MVector sum;
    for (auto _ : state)
    {
        const double filling = ThreadSeconds();
        FillEntities(field, geometry);
        const double filled = ThreadSeconds();
        TargetSteering steering(field.targets, field.obstacles, wanderStates, noise);
        const double start = ThreadSeconds();
        // The obstacles and modifiers do without the curve searches.
        if (part != Part::kObstacles && part != Part::kModifiers)
            one.execute(
                [&] {
                    steering.PrecomputeCurveSearches(particles, flock.positions, flock.velocities, searches);
                });
        double end = ThreadSeconds();
        if (part != Part::kCurveSearches)
        {
            const double preparing = ThreadSeconds();
            PrepareModifiers(field.modifiers);
            steering.PrepareSplitPass();
            PrepareObstacles(field.obstacles, params.obstacleSeparation);
            steering.NoteFixedTargetsInObstacles();
            const double prepared = ThreadSeconds();
            const std::size_t columns = steering.WanderColumns();
            draws.resize(count * columns);
            const double from = ThreadSeconds();
            for (unsigned i = 0; part != Part::kSetup && i < count; ++i)
            {
                const MVector& x = flock.positions[i];
                const MPoint p(x.x, x.y, x.z);
                const MVector& v = flock.velocities[i];
                ParticleParameters own = params;
                switch (part)
                {
                case Part::kDraws:
                    steering.DrawWander(i, p, v, own, draws.data() + i * columns);
                    break;
                case Part::kTargets:
                    sum += steering.TargetPassWithDraws(i, p, v, own, draws.data() + i * columns).vector;
                    break;
                case Part::kObstacles:
                    sum += AvoidObstacles(field.obstacles, p, v, own).vector;
                    break;
                case Part::kModifiers:
                    ApplyModifiers(field.modifiers, p, own);
                    sum.x += own.maximumSpeed;
                    break;
                case Part::kCurveSearches:
                case Part::kSetup:
                    break;
                }
            }
            end = ThreadSeconds();
            state.SetIterationTime(part == Part::kSetup ? (filled - filling) + (prepared - preparing)
                                                        : end - from);
        }
        else
        {
            state.SetIterationTime(end - start);
        }
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_EntityPart)->ArgName("part")->DenseRange(0, 5)->Unit(benchmark::kMillisecond)->UseManualTime();
} // namespace

BENCHMARK_MAIN();
