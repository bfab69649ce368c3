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
#include "SteeringScene.h"
#include "TargetSteering.h"

#include <vxhost/CRandom.h>
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

// Args: threads (0 = every core), entities (0 or 1).
void BM_Steering(benchmark::State& state)
{
    static const steering_scene::Geometry geometry;
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
            steering_scene::FillSteeringEntities(field, geometry);
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
    static const steering_scene::Geometry geometry;
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
        steering_scene::FillSteeringEntities(field, geometry);
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
