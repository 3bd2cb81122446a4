#pragma once
// Small helpers shared by the raster decoders of the extended formats
// (portable maps, Targa, GIF, PCX, SGI, Photoshop).

#include <cstdint>
#include <string_view>

#include "pictures/image_decoder.h"

namespace ris::raster {

// The bytes as the ByteReader takes them.
inline std::string_view AsText(ByteSpan data) noexcept {
  return {reinterpret_cast<const char*>(data.data()), data.size()};
}

// A sample of 0..maxval scaled to 0..255, rounded to nearest.
inline std::uint8_t ScaleToByte(std::uint32_t value, std::uint32_t maxval) noexcept {
  if (maxval == 0) return 0;
  if (value > maxval) value = maxval;
  return static_cast<std::uint8_t>((std::uint64_t{value} * 255 + maxval / 2) / maxval);
}

inline constexpr Bgra Grey(std::uint8_t level) noexcept { return Bgra{level, level, level, 255}; }

}  // namespace ris::raster
