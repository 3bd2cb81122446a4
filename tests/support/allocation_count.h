#pragma once
// Counts every allocation of the program it is linked into (it replaces the
// global operator new), so that a test or benchmark can show that a piece of
// work allocates nothing, or how much, and the most memory it held at once.

#include <cstddef>

namespace ris::testing_support {

std::size_t AllocationCount() noexcept;

// Bytes in blocks from operator new that are not yet freed, and the most
// there were at once since the last ResetPeakBytes (or the start). Blocks
// are counted at their usable size, so a peak is what the heap really held.
std::size_t LiveBytes() noexcept;
std::size_t PeakBytes() noexcept;
void ResetPeakBytes() noexcept;

}  // namespace ris::testing_support
