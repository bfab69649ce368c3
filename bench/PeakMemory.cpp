#include "PeakMemory.h"

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <malloc.h>
#include <new>
#include <string>

namespace
{
std::atomic<std::size_t> current{0};
std::atomic<std::size_t> peak{0};
std::atomic<std::size_t> allocated{0};

void* Allocate(std::size_t size, std::size_t alignment = 0)
{
    void* p = alignment == 0 ? std::malloc(size == 0 ? 1 : size)
                             : std::aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment);
    if (p == nullptr)
        throw std::bad_alloc();
    const std::size_t usable = malloc_usable_size(p);
    allocated += usable;
    const std::size_t now = current += usable;
    std::size_t seen = peak.load();
    while (now > seen && !peak.compare_exchange_weak(seen, now))
    {
    }
    return p;
}

// A "Vm...:   1234 kB" line of /proc/self/status, in bytes.
std::size_t StatusBytes(const char* key)
{
    std::ifstream status("/proc/self/status");
    std::string word;
    while (status >> word)
        if (word == key)
        {
            std::size_t kilobytes = 0;
            status >> kilobytes;
            return kilobytes * 1024;
        }
    return 0;
}

void Release(void* p) noexcept
{
    if (p == nullptr)
        return;
    current -= malloc_usable_size(p);
    std::free(p);
}
} // namespace

namespace peak_memory
{
std::size_t Current()
{
    return current.load();
}
std::size_t Peak()
{
    return peak.load();
}
void ResetPeak()
{
    peak.store(current.load());
}
std::size_t Allocated()
{
    return allocated.load();
}
std::size_t Resident()
{
    return StatusBytes("VmRSS:");
}
std::size_t ResidentPeak()
{
    return StatusBytes("VmHWM:");
}
bool ResetResidentPeak()
{
    std::ofstream refs("/proc/self/clear_refs");
    refs << "5";
    refs.flush();
    return static_cast<bool>(refs);
}
} // namespace peak_memory

void* operator new(std::size_t size)
{
    return Allocate(size);
}
void* operator new[](std::size_t size)
{
    return Allocate(size);
}
void operator delete(void* p) noexcept
{
    Release(p);
}
void operator delete[](void* p) noexcept
{
    Release(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    Release(p);
}
void operator delete[](void* p, std::size_t) noexcept
{
    Release(p);
}
void* operator new(std::size_t size, std::align_val_t a)
{
    return Allocate(size, static_cast<std::size_t>(a));
}
void* operator new[](std::size_t size, std::align_val_t a)
{
    return Allocate(size, static_cast<std::size_t>(a));
}
void operator delete(void* p, std::align_val_t) noexcept
{
    Release(p);
}
void operator delete[](void* p, std::align_val_t) noexcept
{
    Release(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept
{
    Release(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept
{
    Release(p);
}
