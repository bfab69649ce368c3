// One evaluation of the flocking core with no entities, k = 8, beside the
// tree's own all-points query for the same points, and the heap it needs.
#include "BenchCloud.h"
#include "FieldEvaluator.h"
#include "NanoflannBaseline.h"
#include "PeakMemory.h"

#include <benchmark/benchmark.h>
#include <tbb/blocked_range.h>
#include <tbb/parallel_for.h>
#include <tbb/task_arena.h>

#include <cmath>
#include <cstdint>
#include <map>
#include <utility>

namespace
{
struct Flock
{
    MVectorArray positions;
    MVectorArray velocities;
};

const Flock& FlockOf(long n)
{
    static std::map<long, Flock> flocks;
    auto it = flocks.find(n);
    if (it == flocks.end())
    {
        it = flocks.emplace(n, Flock{SharedCloud(n), BenchCloud(n, 43, 10.0)}).first;
    }
    return it->second;
}

FieldInput Input(const Flock& flock)
{
    FieldInput input;
    input.positions = &flock.positions;
    input.velocities = &flock.velocities;
    input.deltaTime = 1.0 / 24.0;
    return input;
}

void Sizes(benchmark::internal::Benchmark* b)
{
    for (const long n : {10'000L, 100'000L, 1'000'000L})
        b->Arg(n);
    b->Unit(benchmark::kMillisecond);
}

// Args: particle count, threads (0 = every core).
void BM_Evaluate(benchmark::State& state, int threads)
{
    const Flock& flock = FlockOf(state.range(0));
    FieldEvaluator field(threads);
    MVectorArray forces;
    const FlockSettings settings = BenchSettings();
    // A frame of a run: the working arrays are there from the frame before.
    field.Evaluate(Input(flock), settings, forces);
    for (auto _ : state)
    {
        field.Evaluate(Input(flock), settings, forces);
        benchmark::DoNotOptimize(forces.length());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.counters["threads"] = field.ThreadCount();
}
BENCHMARK_CAPTURE(BM_Evaluate, one_thread, 1)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_Evaluate, all_cores, 0)->Apply(Sizes);

// The tree's own query time: every particle's 8 nearest, in leaf order.
void BM_TreeQuery(benchmark::State& state)
{
    const Flock& flock = FlockOf(state.range(0));
    KDTree tree;
    tree.Build(flock.positions);
    NeighbourList list;
    for (auto _ : state)
        QueryInLeafOrder(tree, 8, list);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_TreeQuery)->Apply(Sizes);

// nanoflann's 8 nearest of every point (asked for 9: it returns the point
// itself), the query alone with the tree built once, the points taken in
// index order or in the tree's leaf order, on `threads` threads (0: all).
void NanoflannQueries(benchmark::State& state, bool leafOrder, int threads)
{
    NanoflannCloud cloud{&FlockOf(state.range(0)).positions};
    const NanoflannTree tree(3, cloud, nanoflann::KDTreeSingleIndexAdaptorParams(10));
    const std::uint32_t* at = leafOrder ? tree.vAcc.data() : nullptr;
    tbb::task_arena arena(threads > 0 ? threads : tbb::this_task_arena::max_concurrency());
    for (auto _ : state)
        arena.execute(
            [&]
            {
                tbb::parallel_for(tbb::blocked_range<std::size_t>(0, cloud.kdtree_get_point_count(), 1024),
                                  [&](const tbb::blocked_range<std::size_t>& range)
                                  {
                                      std::uint32_t indices[9];
                                      double distances[9];
                                      for (std::size_t i = range.begin(); i != range.end(); ++i)
                                      {
                                          const auto point = static_cast<unsigned>(at ? at[i] : i);
                                          const MVector& p = (*cloud.points)[point];
                                          const double q[3] = {p.x, p.y, p.z};
                                          benchmark::DoNotOptimize(tree.knnSearch(q, 9, indices, distances));
                                      }
                                  });
            });
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// In index order: queries that jump about the tree, which flatters whoever
// is measured against it.
void BM_NanoflannQueryAllCores(benchmark::State& state)
{
    NanoflannQueries(state, false, 0);
}
BENCHMARK(BM_NanoflannQueryAllCores)->Apply(Sizes);

// In nanoflann's own leaf order (its index array after the build), as a
// user of the library would walk the points: the fair baseline.
void BM_NanoflannLeafOrder(benchmark::State& state, int threads)
{
    NanoflannQueries(state, true, threads);
}
BENCHMARK_CAPTURE(BM_NanoflannLeafOrder, one_thread, 1)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_NanoflannLeafOrder, all_cores, 0)->Apply(Sizes);

// Heap of a first evaluation at 1M particles: everything alive at its peak
// (inputs, output, parameter caches, tree, working arrays), per particle.
void BM_PeakMemory(benchmark::State& state)
{
    const long n = state.range(0);
    for (auto _ : state)
    {
        state.PauseTiming();
        const std::size_t base = peak_memory::Current();
        Flock flock{BenchCloud(n, 42, std::cbrt(static_cast<double>(n)) * 5.0), BenchCloud(n, 43, 10.0)};
        const std::size_t inputs = peak_memory::Current() - base;
        peak_memory::ResetPeak();
        state.ResumeTiming();
        {
            FieldEvaluator field(0);
            MVectorArray forces;
            field.Evaluate(Input(flock), BenchSettings(), forces);
            benchmark::DoNotOptimize(forces.length());
        }
        state.PauseTiming();
        const double particles = static_cast<double>(n);
        const double peak = static_cast<double>(peak_memory::Peak() - base);
        state.counters["peak_B_per_particle"] = peak / particles;
        state.counters["inputs_B_per_particle"] = static_cast<double>(inputs) / particles;
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PeakMemory)->Arg(1'000'000)->Iterations(1)->Unit(benchmark::kMillisecond);
} // namespace

BENCHMARK_MAIN();
