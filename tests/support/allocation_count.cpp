#include "support/allocation_count.h"

#include <malloc.h>

#include <algorithm>
#include <cstdlib>
#include <new>

namespace {
std::size_t g_allocations = 0;
std::size_t g_live_bytes = 0;
std::size_t g_peak_bytes = 0;

void* Allocate(std::size_t size) noexcept {
  ++g_allocations;
  void* block = std::malloc(size == 0 ? 1 : size);
  if (block) {
    g_live_bytes += malloc_usable_size(block);
    g_peak_bytes = std::max(g_peak_bytes, g_live_bytes);
  }
  return block;
}

void Free(void* block) noexcept {
  if (block) g_live_bytes -= malloc_usable_size(block);
  std::free(block);
}
}  // namespace

namespace ris::testing_support {
std::size_t AllocationCount() noexcept { return g_allocations; }
std::size_t LiveBytes() noexcept { return g_live_bytes; }
std::size_t PeakBytes() noexcept { return g_peak_bytes; }
void ResetPeakBytes() noexcept { g_peak_bytes = g_live_bytes; }
}  // namespace ris::testing_support

// Every form the standard library may call is replaced, so that no block is
// ever freed by a function other than the one that matches its allocation.
// Kept out of line: inlined into a new/delete pair, GCC sees malloc meet
// operator delete and warns of a mismatch that is not there.
[[gnu::noinline]] void* operator new(std::size_t size) {
  if (void* block = Allocate(size)) return block;
  throw std::bad_alloc();
}
[[gnu::noinline]] void* operator new[](std::size_t size) { return operator new(size); }
[[gnu::noinline]] void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return Allocate(size);
}
[[gnu::noinline]] void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return Allocate(size);
}
[[gnu::noinline]] void operator delete(void* block) noexcept { Free(block); }
[[gnu::noinline]] void operator delete[](void* block) noexcept { Free(block); }
[[gnu::noinline]] void operator delete(void* block, std::size_t) noexcept { Free(block); }
[[gnu::noinline]] void operator delete[](void* block, std::size_t) noexcept { Free(block); }
[[gnu::noinline]] void operator delete(void* block, const std::nothrow_t&) noexcept { Free(block); }
[[gnu::noinline]] void operator delete[](void* block, const std::nothrow_t&) noexcept {
  Free(block);
}
