#include "PerlinNoise.h"

#include <cmath>
#include <random>

namespace
{
double Fade(double t)
{
    return t * t * t * (t * (t * 6.0 - 15.0) + 10.0);
}

double Lerp(double t, double a, double b)
{
    return a + t * (b - a);
}

// The lattice coordinate wrapped into the 256-entry table, negative and huge
// coordinates included (no integer conversion that could overflow).
std::uint32_t Wrap(double floored)
{
    const double m = floored - 256.0 * std::floor(floored / 256.0);
    return static_cast<std::uint32_t>(m) & 255u;
}

// The twelve edge gradients of the cube, with four repeated to fill sixteen.
double Gradient(std::uint32_t hash, double x, double y, double z)
{
    switch (hash & 15u)
    {
    case 0:
    case 12:
        return x + y;
    case 1:
    case 14:
        return -x + y;
    case 2:
        return x - y;
    case 3:
        return -x - y;
    case 4:
        return x + z;
    case 5:
        return -x + z;
    case 6:
        return x - z;
    case 7:
        return -x - z;
    case 8:
        return y + z;
    case 9:
    case 13:
        return -y + z;
    case 10:
        return y - z;
    default:
        return -y - z; // 11 and 15
    }
}
} // namespace

PerlinNoise::PerlinNoise(std::uint32_t seed_) : seed(seed_)
{
    for (std::uint32_t k = 0; k < 256; ++k)
        permutation[k] = k;
    // Forward Fisher-Yates: entry k swaps with an entry drawn from [0, k].
    std::mt19937 engine(seed);
    for (std::uint32_t k = 1; k < 256; ++k)
    {
        std::uniform_int_distribution<std::uint32_t> pick(0, k);
        const std::uint32_t j = pick(engine);
        const std::uint32_t swapped = permutation[k];
        permutation[k] = permutation[j];
        permutation[j] = swapped;
    }
    for (std::uint32_t k = 0; k < 256; ++k)
        permutation[256 + k] = permutation[k];
}

double PerlinNoise::Noise(double x, double y, double z) const
{
    const double fx = std::floor(x);
    const double fy = std::floor(y);
    const double fz = std::floor(z);
    const std::uint32_t X = Wrap(fx);
    const std::uint32_t Y = Wrap(fy);
    const std::uint32_t Z = Wrap(fz);
    x -= fx;
    y -= fy;
    z -= fz;
    const double u = Fade(x);
    const double v = Fade(y);
    const double w = Fade(z);
    const std::uint32_t* p = permutation;
    const std::uint32_t A = p[X] + Y;
    const std::uint32_t AA = p[A] + Z;
    const std::uint32_t AB = p[A + 1] + Z;
    const std::uint32_t B = p[X + 1] + Y;
    const std::uint32_t BA = p[B] + Z;
    const std::uint32_t BB = p[B + 1] + Z;
    return Lerp(
        w,
        Lerp(v, Lerp(u, Gradient(p[AA], x, y, z), Gradient(p[BA], x - 1, y, z)),
             Lerp(u, Gradient(p[AB], x, y - 1, z), Gradient(p[BB], x - 1, y - 1, z))),
        Lerp(v, Lerp(u, Gradient(p[AA + 1], x, y, z - 1), Gradient(p[BA + 1], x - 1, y, z - 1)),
             Lerp(u, Gradient(p[AB + 1], x, y - 1, z - 1), Gradient(p[BB + 1], x - 1, y - 1, z - 1))));
}
