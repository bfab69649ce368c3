// The neighbour tree against nanoflann (leaf size 10) on the same points, one
// thread: build, and a k-nearest query for every point.
#include "BenchCloud.h"
#include "KDTree.h"
#include "NanoflannBaseline.h"

#include <benchmark/benchmark.h>

#include <numeric>
#include <vector>

namespace
{
void Args(benchmark::internal::Benchmark* b)
{
    for (const long n : {10'000L, 100'000L, 1'000'000L})
        for (const long k : {2L, 8L, 16L})
            b->Args({n, k});
    b->Unit(benchmark::kMillisecond);
}

void BM_TreeBuild(benchmark::State& state)
{
    const MVectorArray& points = SharedCloud(state.range(0));
    KDTree tree;
    for (auto _ : state)
    {
        tree.Reset();
        tree.Build(points);
        benchmark::DoNotOptimize(tree.Points().data());
    }
}
BENCHMARK(BM_TreeBuild)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

void BM_NanoflannBuild(benchmark::State& state)
{
    NanoflannCloud cloud{&SharedCloud(state.range(0))};
    for (auto _ : state)
    {
        NanoflannTree tree(3, cloud, nanoflann::KDTreeSingleIndexAdaptorParams(10));
        benchmark::DoNotOptimize(&tree);
    }
}
BENCHMARK(BM_NanoflannBuild)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

// Every point's k nearest, queried in the tree's leaf order.
void BM_TreeQueryAll(benchmark::State& state)
{
    const MVectorArray& points = SharedCloud(state.range(0));
    KDTree tree;
    tree.Build(points);
    NeighbourList list;
    for (auto _ : state)
        QueryInLeafOrder(tree, static_cast<int>(state.range(1)), list);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_TreeQueryAll)->Apply(Args);

// The same queries in particle index order, to show what leaf order buys.
void BM_TreeQueryAllIndexOrder(benchmark::State& state)
{
    const MVectorArray& points = SharedCloud(state.range(0));
    KDTree tree;
    tree.Build(points);
    std::vector<std::int32_t> order(points.length());
    std::iota(order.begin(), order.end(), 0);
    NeighbourList list;
    for (auto _ : state)
        QueryEveryPoint(tree, points, static_cast<int>(state.range(1)), order, list);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_TreeQueryAllIndexOrder)->Args({100'000, 8})->Unit(benchmark::kMillisecond);

// nanoflann returns the query point itself, so it is asked for k + 1.
void BM_NanoflannQueryAll(benchmark::State& state)
{
    NanoflannCloud cloud{&SharedCloud(state.range(0))};
    const std::size_t k = static_cast<std::size_t>(state.range(1)) + 1;
    NanoflannTree tree(3, cloud, nanoflann::KDTreeSingleIndexAdaptorParams(10));
    std::vector<std::uint32_t> indices(k);
    std::vector<double> distances(k);
    for (auto _ : state)
        for (std::size_t i = 0; i < cloud.kdtree_get_point_count(); ++i)
        {
            const MVector& p = (*cloud.points)[static_cast<unsigned>(i)];
            const double q[3] = {p.x, p.y, p.z};
            benchmark::DoNotOptimize(tree.knnSearch(q, k, indices.data(), distances.data()));
        }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_NanoflannQueryAll)->Apply(Args);
} // namespace

BENCHMARK_MAIN();
