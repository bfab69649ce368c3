// The C runtime's rand()/srand(), defined by the host library so that they
// take the place of the C library's for the whole process: the dynamic linker
// resolves rand in the program's link order, where libvxhost comes before
// libc, and a plug-in module dlopen'ed later binds to the same definition.
// This gives the plug-in one portable, reproducible sequence (the classic
// 15-bit LCG) instead of glibc's.

#include <vxhost/CRandom.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>

namespace
{
// An unseeded C runtime behaves as if srand(1) had been called.
std::atomic<std::uint32_t> gState{1u};

constexpr std::uint32_t Next(std::uint32_t state)
{
    return state * 214013u + 2531011u;
}
} // namespace

// Declared noexcept to match glibc's declaration in <stdlib.h>.
extern "C" __attribute__((visibility("default"))) int rand(void) noexcept
{
    // A CAS loop keeps every draw distinct when worker threads call rand()
    // concurrently; single-threaded callers see the exact sequence.
    std::uint32_t state = gState.load(std::memory_order_relaxed);
    std::uint32_t next = Next(state);
    while (!gState.compare_exchange_weak(state, next, std::memory_order_relaxed))
        next = Next(state);
    return static_cast<int>((next >> 16) & 0x7FFFu);
}

extern "C" __attribute__((visibility("default"))) void srand(unsigned seed) noexcept
{
    gState.store(seed, std::memory_order_relaxed);
}

namespace vxhost
{
void SeedRandom(unsigned seed)
{
    srand(seed);
}
unsigned RandomState()
{
    return gState.load(std::memory_order_relaxed);
}

namespace
{
std::optional<unsigned> gSeedOverride;
}

void SetSeedOverride(std::optional<unsigned> seed)
{
    gSeedOverride = seed;
}

std::optional<unsigned> SeedOverride()
{
    return gSeedOverride;
}
} // namespace vxhost
