#pragma once

#include <cstdlib>

/// The largest value of the C runtime's 15-bit rand().
inline constexpr int kRandMax15 = 32767;

/// A draw in [0, 1], both ends included, from the process-wide C-runtime
/// generator. Every random number of an evaluation comes from here, in
/// particle order, so a scene replays exactly for a given seed.
inline double RandomDraw()
{
    return static_cast<double>(std::rand()) / static_cast<double>(kRandMax15);
}
