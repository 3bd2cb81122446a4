#pragma once

#include <cstdint>

namespace ris {

// A width and height in whole pixels.
struct PixelSize {
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  friend bool operator==(const PixelSize&, const PixelSize&) = default;
};

}  // namespace ris
