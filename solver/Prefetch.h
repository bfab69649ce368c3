#pragma once
/// \file Prefetch.h
/// A hint to fetch memory that a loop will soon read or write.

#if defined(_MSC_VER)
#include <xmmintrin.h>
#endif

/// Asks for the cache line holding `address`; never faults, does nothing
/// where the compiler offers no hint. `forWrite` tells a later store.
inline void Prefetch(const void* address, bool forWrite = false)
{
#if defined(__GNUC__) || defined(__clang__)
    if (forWrite)
        __builtin_prefetch(address, 1);
    else
        __builtin_prefetch(address);
#elif defined(_MSC_VER)
    (void)forWrite;
    _mm_prefetch(static_cast<const char*>(address), _MM_HINT_T0);
#else
    (void)address;
    (void)forWrite;
#endif
}
