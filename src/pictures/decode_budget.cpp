#include "pictures/decode_budget.h"

#include <algorithm>
#include <limits>

#include "pictures/picture.h"

namespace ris {

// bytes * Pixels / Bytes, saturating: file sizes times the densest ratios
// stay far below 2^64, but a density may be given in any units.
std::uint64_t DecodeBudget::Encodable() const noexcept {
  if (density_.Bytes == 0) return 0;
  const std::uint64_t whole = bytes_ / density_.Bytes;
  const std::uint64_t rest = bytes_ % density_.Bytes;
  constexpr std::uint64_t kMost = std::numeric_limits<std::uint64_t>::max();
  if (density_.Pixels != 0 && whole > kMost / density_.Pixels) return kMost;
  return whole * density_.Pixels + rest * density_.Pixels / density_.Bytes;
}

bool DecodeBudget::Allows(std::int64_t width, std::int64_t height) const noexcept {
  return PictureSizeAllowed(width, height) && AllowsAmount(static_cast<std::uint64_t>(width * height));
}

bool DecodeBudget::AllowsAmount(std::uint64_t amount) const noexcept { return amount <= Encodable(); }

std::uint64_t DecodeBudget::PassesOver(std::uint64_t pixels) const noexcept {
  const std::uint64_t pictures = std::min<std::uint64_t>(Encodable(), kMaxPicturePixels);
  return pixels == 0 ? kPassesPerPicture : kPassesPerPicture * pictures / pixels;
}

}  // namespace ris
