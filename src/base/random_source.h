#pragma once
// The saver's one source of random numbers. A linear congruential generator
// with a 32-bit state: cheap, and the same sequence on every platform for a
// given seed, so runs with a fixed seed are reproducible in tests and renders.

#include <cstdint>

namespace ris {

class RandomSource {
 public:
  explicit RandomSource(std::uint32_t seed = 0) noexcept : state_(seed) {}

  void Seed(std::uint32_t seed) noexcept { state_ = seed; }
  std::uint32_t State() const noexcept { return state_; }

  // Uniform integer 0 <= r < range; 0 when range is 0 or negative.
  std::int32_t NextInt(std::int32_t range) noexcept;

  // Uniform real 0 <= r < 1.
  double NextReal() noexcept;

 private:
  std::uint32_t Advance() noexcept {
    state_ = state_ * 134775813u + 1u;
    return state_;
  }

  std::uint32_t state_;
};

}  // namespace ris
