#include "base/random_source.h"

namespace ris {

std::int32_t RandomSource::NextInt(std::int32_t range) noexcept {
  const std::uint64_t scaled = std::uint64_t{Advance()} * static_cast<std::uint32_t>(range);
  if (range <= 0) return 0;
  return static_cast<std::int32_t>(scaled >> 32);
}

double RandomSource::NextReal() noexcept {
  constexpr double kTwoToMinus32 = 1.0 / 4294967296.0;
  return static_cast<double>(Advance()) * kTwoToMinus32;
}

}  // namespace ris
