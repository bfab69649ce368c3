#pragma once

#include <maya/MVectorArray.h>

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
