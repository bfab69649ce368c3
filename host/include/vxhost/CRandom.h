#pragma once
/// \file CRandom.h
/// Control of the host's C-runtime rand()/srand().
///
/// The host library defines rand() and srand() itself, and they take the
/// place of the C library's for the whole process: the plug-in's calls to
/// rand() get the classic 15-bit linear congruential sequence
/// (state = state * 214013 + 2531011, value = (state >> 16) & 0x7FFF),
/// starting from state 1 like an unseeded C runtime. So results are the
/// same on every platform.

#include <optional>

namespace vxhost
{
/// The largest value rand() returns. (The C library's RAND_MAX on Linux is
/// larger and does not describe the host's rand().)
constexpr int kRandMax = 32767;
/// Same as srand(seed): the next rand() continues from state `seed`.
void SeedRandom(unsigned seed);
/// The generator's current state.
unsigned RandomState();
/// A seed that takes the place of the one every `seed` command is given,
/// for a run that chooses its own (volarix run --seed); none by default.
void SetSeedOverride(std::optional<unsigned> seed);
std::optional<unsigned> SeedOverride();
} // namespace vxhost
