#pragma once

#include <cstddef>

/// Heap bytes in use now, and the most in use since the last ResetPeak, as
/// counted by this program's operator new and delete.
namespace peak_memory
{
std::size_t Current();
std::size_t Peak();
void ResetPeak();
} // namespace peak_memory
