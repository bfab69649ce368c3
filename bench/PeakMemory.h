#pragma once

#include <cstddef>

/// Heap bytes in use now, and the most in use since the last ResetPeak, as
/// counted by this program's operator new and delete.
namespace peak_memory
{
std::size_t Current();
std::size_t Peak();
void ResetPeak();
/// Heap bytes handed out since the program started, freed or not: what a
/// stretch of work allocated is the difference between two readings.
std::size_t Allocated();

/// The process's resident memory now (VmRSS) and its peak (VmHWM), in
/// bytes: what the heap counters miss (pages of libraries, allocator
/// overhead, memory obtained without operator new). 0 when /proc cannot be
/// read.
std::size_t Resident();
std::size_t ResidentPeak();
/// Starts the resident peak again from the resident memory now (Linux
/// 4.0 and later); false when the kernel refuses.
bool ResetResidentPeak();
} // namespace peak_memory
