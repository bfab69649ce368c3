#include "PerlinNoise.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>

namespace
{
// The gradient of each hash value modulo 16, as the improved noise defines it.
constexpr int kGradients[16][3] = {{1, 1, 0},  {-1, 1, 0},  {1, -1, 0}, {-1, -1, 0}, {1, 0, 1},  {-1, 0, 1},
                                   {1, 0, -1}, {-1, 0, -1}, {0, 1, 1},  {0, -1, 1},  {0, 1, -1}, {0, -1, -1},
                                   {1, 1, 0},  {0, -1, 1},  {-1, 1, 0}, {0, -1, -1}};
} // namespace

TEST(PerlinNoise, PermutationTable)
{
    const PerlinNoise noise(0);
    EXPECT_EQ(noise.seed, 0u);
    { // 0..255 is a shuffle of 0..255 (and not the identity); 256..511 repeat it.
        std::vector<std::uint32_t> first(noise.permutation, noise.permutation + 256);
        std::vector<std::uint32_t> sorted = first;
        std::sort(sorted.begin(), sorted.end());
        std::vector<std::uint32_t> identity(256);
        std::iota(identity.begin(), identity.end(), 0u);
        EXPECT_EQ(sorted, identity);
        EXPECT_NE(first, identity);
        for (int k = 0; k < 256; ++k)
            ASSERT_EQ(noise.permutation[256 + k], noise.permutation[k]) << k;
    }
    { // The same seed gives the same table; another seed another one.
        const PerlinNoise again(0);
        EXPECT_TRUE(std::equal(noise.permutation, noise.permutation + 512, again.permutation));
        const PerlinNoise other(1);
        EXPECT_FALSE(std::equal(noise.permutation, noise.permutation + 256, other.permutation));
    }
}

TEST(PerlinNoise, ValuesAndRange)
{
    const PerlinNoise noise(0);
    { // 0 at every lattice point, negative and far ones included.
        for (const double c : {-513.0, -1.0, 0.0, 1.0, 17.0, 255.0, 256.0, 1e6})
            EXPECT_EQ(noise.Noise(c, 3.0 - c, 2.0 * c), 0.0) << c;
    }
    { // Deterministic, within about [-1, 1], and actually varying; periodic
        // over 256 lattice cells on every axis.
        const PerlinNoise again(0);
        std::mt19937 rng(7);
        std::uniform_real_distribution<double> u(-300.0, 300.0);
        double lo = 0.0;
        double hi = 0.0;
        for (int k = 0; k < 20000; ++k)
        {
            const double x = u(rng);
            const double y = u(rng);
            const double z = u(rng);
            const double n = noise.Noise(x, y, z);
            ASSERT_EQ(n, again.Noise(x, y, z));
            ASSERT_EQ(n, noise.Noise(x, y, z));
            lo = std::min(lo, n);
            hi = std::max(hi, n);
            if (k % 10 == 0)
            {
                ASSERT_NEAR(noise.Noise(x + 256.0, y - 256.0, z + 512.0), n, 1e-9);
            }
        }
        EXPECT_GE(lo, -1.05);
        EXPECT_LE(hi, 1.05);
        EXPECT_LT(lo, -0.5);
        EXPECT_GT(hi, 0.5);
    }
    { // A table of one hash value makes every corner share one linear
        // gradient g, and the noise is g . (x, y, z) - g . fade(x, y, z):
        // fade(0.5) = 0.5, fade(0.25) = 0.103515625.
        PerlinNoise flat(0);
        std::fill(flat.permutation, flat.permutation + 512, 4u); // x + z
        EXPECT_DOUBLE_EQ(flat.Noise(0.5, 0.0, 0.25), 0.75 - 0.5 - 0.103515625);
        std::fill(flat.permutation, flat.permutation + 512, 13u); // -y + z
        EXPECT_DOUBLE_EQ(flat.Noise(0.3, 0.25, 0.5), 0.25 - (0.5 - 0.103515625));
    }
}

// Near a lattice point only that point's gradient matters (the fade curve is
// flat at 0 and 1), so approaching it from each of the eight neighbouring
// cells exercises each corner's hashing: the noise is eps x (s . g) for the
// gradient g of hash perm[perm[perm[X] + Y] + Z].
TEST(PerlinNoise, GradientAtLatticePointsFollowsTheHash)
{
    const PerlinNoise noise(0);
    const std::uint32_t* perm = noise.permutation;
    const double eps = 1e-4;
    const int coords[] = {-1, 0, 1, 2, 7, 255, 256};
    for (const int X : coords)
        for (const int Y : coords)
            for (const int Z : coords)
            {
                const std::uint32_t hash = perm[perm[perm[X & 255] + static_cast<std::uint32_t>(Y & 255)] +
                                                static_cast<std::uint32_t>(Z & 255)] &
                                           15u;
                const int* g = kGradients[hash];
                for (int octant = 0; octant < 8; ++octant)
                {
                    const int sx = octant & 1 ? -1 : 1;
                    const int sy = octant & 2 ? -1 : 1;
                    const int sz = octant & 4 ? -1 : 1;
                    const double n = noise.Noise(X + sx * eps, Y + sy * eps, Z + sz * eps);
                    ASSERT_NEAR(n / eps, sx * g[0] + sy * g[1] + sz * g[2], 1e-6)
                        << X << " " << Y << " " << Z << " octant " << octant;
                }
            }
}
