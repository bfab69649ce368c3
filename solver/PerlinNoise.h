#pragma once

#include <cstdint>

/// Ken Perlin's improved gradient noise (2002). The permutation is shuffled
/// once at construction by a 32-bit Mersenne Twister seeded with seed, so the
/// noise field is the same every time a node is made.
class PerlinNoise
{
public:
    explicit PerlinNoise(std::uint32_t seed = 0);

    /// The raw noise value at (x, y, z), about -1 to 1 (not remapped); 0 at
    /// every lattice point.
    double Noise(double x, double y, double z) const;

    std::uint32_t seed;
    std::uint32_t permutation[512];
};
