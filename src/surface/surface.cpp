#include "surface/surface.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace ris {

Bgra BgraFromColour(ColourValue colour) noexcept {
  // The unused byte is left at zero, as the window system writes it.
  return Bgra{static_cast<std::uint8_t>(colour >> 16), static_cast<std::uint8_t>(colour >> 8),
              static_cast<std::uint8_t>(colour), 0};
}

ColourValue ColourFromBgra(Bgra pixel) noexcept {
  return ColourValue{pixel.R} | (ColourValue{pixel.G} << 8) | (ColourValue{pixel.B} << 16);
}

Surface::Surface(std::int32_t width, std::int32_t height) { Resize(width, height); }

void Surface::Resize(std::int32_t width, std::int32_t height) {
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
  // vector::resize never gives capacity back, which is the reuse wanted here.
  pixels_.resize(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_));
}

void Surface::Fill(ColourValue colour, SurfaceRect area) noexcept {
  area = Intersection(area, Bounds());
  if (area.Empty()) return;
  // Stored as whole 32-bit words: std::fill over the four-byte struct is
  // compiled to byte stores, several times slower than a frame copy.
  const Bgra pixel = BgraFromColour(colour);
  std::uint32_t bits = 0;
  std::memcpy(&bits, &pixel, sizeof bits);
  // The bounds are read once: byte stores may alias the vector itself, which
  // would otherwise have its size reloaded on every pixel.
  auto* bytes = reinterpret_cast<unsigned char*>(pixels_.data());
  const auto stride = static_cast<std::size_t>(width_) * sizeof bits;
  const auto row_bytes = static_cast<std::size_t>(area.Width()) * sizeof bits;
  unsigned char* const first = bytes + static_cast<std::size_t>(area.Top) * stride +
                               static_cast<std::size_t>(area.Left) * sizeof bits;
  for (std::size_t i = 0; i < row_bytes; i += sizeof bits) std::memcpy(first + i, &bits, sizeof bits);
  // The other rows are copies of the first: a block copy writes whole cache
  // lines without reading them first, which a loop of stores cannot do, and
  // the first row it reads stays in the nearest cache.
  for (std::int32_t y = area.Top + 1; y < area.Bottom; ++y) {
    std::memcpy(first + static_cast<std::size_t>(y - area.Top) * stride, first, row_bytes);
  }
}

std::span<Bgra> Surface::Row(std::int32_t y) noexcept {
  return std::span(pixels_).subspan(
      static_cast<std::size_t>(y) * static_cast<std::size_t>(width_),
      static_cast<std::size_t>(width_));
}

std::span<const Bgra> Surface::Row(std::int32_t y) const noexcept {
  return std::span(pixels_).subspan(
      static_cast<std::size_t>(y) * static_cast<std::size_t>(width_),
      static_cast<std::size_t>(width_));
}

}  // namespace ris
