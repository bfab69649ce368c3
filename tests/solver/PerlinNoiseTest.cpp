#include "PerlinNoise.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

TEST(PerlinNoise, PermutationTableAndValues)
{
    const PerlinNoise noise(0);
    { // 0..255 is a shuffle of 0..255 (not the identity); 256..511 repeat it;
        // the same seed gives the same table, another seed another one.
        std::vector<std::uint32_t> sorted(noise.permutation, noise.permutation + 256);
        std::sort(sorted.begin(), sorted.end());
        for (std::uint32_t k = 0; k < 256; ++k)
            ASSERT_EQ(sorted[k], k);
        EXPECT_FALSE(std::equal(sorted.begin(), sorted.end(), noise.permutation));
        EXPECT_TRUE(std::equal(noise.permutation, noise.permutation + 256, noise.permutation + 256));
        EXPECT_TRUE(std::equal(noise.permutation, noise.permutation + 512, PerlinNoise(0).permutation));
        EXPECT_FALSE(std::equal(noise.permutation, noise.permutation + 256, PerlinNoise(1).permutation));
    }
    // 0 at every lattice point, negative and far ones included.
    for (const double c : {-513.0, -1.0, 0.0, 17.0, 256.0, 1e6})
        EXPECT_EQ(noise.Noise(c, 3.0 - c, 2.0 * c), 0.0) << c;
    { // Within about [-1, 1] and actually varying; periodic over 256 cells.
        std::mt19937 rng(7);
        std::uniform_real_distribution<double> u(-300.0, 300.0);
        double lo = 0.0, hi = 0.0;
        for (int k = 0; k < 5000; ++k)
        {
            const double x = u(rng), y = u(rng), z = u(rng);
            const double n = noise.Noise(x, y, z);
            lo = std::min(lo, n);
            hi = std::max(hi, n);
            ASSERT_NEAR(noise.Noise(x + 256.0, y - 256.0, z + 512.0), n, 1e-9);
        }
        EXPECT_GE(lo, -1.05);
        EXPECT_LE(hi, 1.05);
        EXPECT_LT(lo, -0.5);
        EXPECT_GT(hi, 0.5);
    }
    { // A table of one hash value gives every corner one linear gradient g, and
        // the noise is g . (x, y, z) - g . fade(x, y, z): fade(0.5) = 0.5,
        // fade(0.25) = 0.103515625.
        PerlinNoise flat(0);
        std::fill(flat.permutation, flat.permutation + 512, 4u); // x + z
        EXPECT_DOUBLE_EQ(flat.Noise(0.5, 0.0, 0.25), 0.75 - 0.5 - 0.103515625);
        std::fill(flat.permutation, flat.permutation + 512, 13u); // -y + z
        EXPECT_DOUBLE_EQ(flat.Noise(0.3, 0.25, 0.5), 0.25 - (0.5 - 0.103515625));
    }
}

// Near a lattice point only its gradient matters (the fade curve is flat at 0
// and 1), so approaching it from each of the eight neighbouring cells
// exercises each corner's hashing: the noise is eps x (s . g) for the gradient
// g of hash perm[perm[perm[X] + Y] + Z] modulo 16.
TEST(PerlinNoise, GradientAtLatticePointsFollowsTheHash)
{
    constexpr int kGradients[16][3] = {
        {1, 1, 0}, {-1, 1, 0}, {1, -1, 0}, {-1, -1, 0}, {1, 0, 1}, {-1, 0, 1}, {1, 0, -1}, {-1, 0, -1},
        {0, 1, 1}, {0, -1, 1}, {0, 1, -1}, {0, -1, -1}, {1, 1, 0}, {0, -1, 1}, {-1, 1, 0}, {0, -1, -1}};
    const PerlinNoise noise(0);
    const std::uint32_t* perm = noise.permutation;
    const double eps = 1e-4;
    const int coords[] = {-1, 0, 1, 2, 7, 255, 256};
    for (const int X : coords)
        for (const int Y : coords)
            for (const int Z : coords)
            {
                const int* g = kGradients[perm[perm[perm[X & 255] + (Y & 255)] + (Z & 255)] & 15u];
                for (int octant = 0; octant < 8; ++octant)
                {
                    const int sx = octant & 1 ? -1 : 1, sy = octant & 2 ? -1 : 1, sz = octant & 4 ? -1 : 1;
                    const double n = noise.Noise(X + sx * eps, Y + sy * eps, Z + sz * eps);
                    ASSERT_NEAR(n / eps, sx * g[0] + sy * g[1] + sz * g[2], 1e-6)
                        << X << " " << Y << " " << Z << " octant " << octant;
                }
            }
}
