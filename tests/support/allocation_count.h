#pragma once
// Counts every allocation of the program it is linked into (it replaces the
// global operator new), so that a test or benchmark can show that a piece of
// work allocates nothing, or how much.

#include <cstddef>

namespace ris::testing_support {

std::size_t AllocationCount() noexcept;

}  // namespace ris::testing_support
