#pragma once

#include "FieldEvaluator.h"
#include "KDTree.h"

#include <maya/MVectorArray.h>

#include <benchmark/benchmark.h>

#include <cmath>
#include <map>

#include <random>

/// n points uniform in a cube of side 2 * size, the same for every run.
inline MVectorArray BenchCloud(long n, unsigned seed, double size)
{
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> u(-size, size);
    MVectorArray points;
    points.setLength(static_cast<unsigned>(n));
    for (long i = 0; i < n; ++i)
    {
        const double x = u(rng);
        const double y = u(rng);
        const double z = u(rng);
        points[static_cast<unsigned>(i)] = MVector(x, y, z);
    }
    return points;
}

/// The flock positions the benchmarks share: n points at a density that stays
/// the same for every n (side grows with the cube root of n).
inline const MVectorArray& SharedCloud(long n)
{
    static std::map<long, MVectorArray> clouds;
    auto it = clouds.find(n);
    if (it == clouds.end())
        it = clouds.emplace(n, BenchCloud(n, 42, std::cbrt(static_cast<double>(n)) * 5.0)).first;
    return it->second;
}

/// Every point's k nearest, in the tree's leaf order.
inline void QueryInLeafOrder(const KDTree& tree, int k, NeighbourList& list)
{
    for (std::size_t r = 0; r < tree.Points().size(); ++r)
    {
        tree.NearestAt(r, k, list);
        benchmark::DoNotOptimize(list.Indices().data());
    }
}

/// Every point's k nearest, querying the particles in the given order.
template <typename Order>
void QueryEveryPoint(const KDTree& tree, const MVectorArray& points, int k, const Order& order,
                     NeighbourList& list)
{
    for (const std::int32_t i : order)
    {
        tree.Nearest(i, k, points, list);
        benchmark::DoNotOptimize(list.Indices().data());
    }
}

/// The flock settings every benchmark uses: k = 8, everyone steered.
inline FlockSettings BenchSettings()
{
    FlockSettings s;
    s.simulationAccuracy.value = 1.0;
    s.maximumSpeed.value = 50.0;
    s.maximumForce.value = 20.0;
    s.boidSeparation.value = 4.0;
    s.obstacleSeparation.value = 1.0;
    s.numberOfNeighbours.value = 8;
    s.boidSeparationUrge.value = 1.0;
    s.flockCentringUrge.value = 0.5;
    s.velocityMatchingUrge.value = 0.5;
    return s;
}
