#include "support/allocation_count.h"

#include <cstdlib>
#include <new>

namespace {
std::size_t g_allocations = 0;

void* Allocate(std::size_t size) noexcept {
  ++g_allocations;
  return std::malloc(size == 0 ? 1 : size);
}
}  // namespace

namespace ris::testing_support {
std::size_t AllocationCount() noexcept { return g_allocations; }
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
[[gnu::noinline]] void operator delete(void* block) noexcept { std::free(block); }
[[gnu::noinline]] void operator delete[](void* block) noexcept { std::free(block); }
[[gnu::noinline]] void operator delete(void* block, std::size_t) noexcept { std::free(block); }
[[gnu::noinline]] void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
[[gnu::noinline]] void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
[[gnu::noinline]] void operator delete[](void* block, const std::nothrow_t&) noexcept {
  std::free(block);
}
