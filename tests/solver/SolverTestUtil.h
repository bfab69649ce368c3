#pragma once

#include <maya/MVectorArray.h>

#include <cstddef>
#include <cstdint>
#include <random>

/// n points uniform in [-size, size]^3, reproducible from seed.
inline MVectorArray RandomCloud(unsigned n, unsigned seed, double size = 100.0)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> u(-size, size);
    MVectorArray points;
    for (unsigned i = 0; i < n; ++i)
    {
        const double x = u(rng);
        const double y = u(rng);
        const double z = u(rng);
        points.append(MVector(x, y, z));
    }
    return points;
}

/// FNV-1a over the bytes of every value given: a change in any bit of any
/// force changes the digest.
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

/// Component-wise comparison within tol, for values whose last bit depends on
/// how a normalisation rounds.
#define EXPECT_VEC_NEAR(a, b)                                                                                \
    do                                                                                                       \
    {                                                                                                        \
        const MVector va_ = (a);                                                                             \
        const MVector vb_ = (b);                                                                             \
        EXPECT_NEAR(va_.x, vb_.x, 1e-12);                                                                    \
        EXPECT_NEAR(va_.y, vb_.y, 1e-12);                                                                    \
        EXPECT_NEAR(va_.z, vb_.z, 1e-12);                                                                    \
    } while (false)
