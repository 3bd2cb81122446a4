#include "surface/blit.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace ris {

namespace {

struct AxisClip {
  std::int64_t Source = 0;
  std::int64_t Target = 0;
  std::int64_t Length = 0;
};

AxisClip ClipAxis(std::int64_t position, std::int64_t length, std::int64_t low,
                  std::int64_t high) noexcept {
  const std::int64_t begin = std::max(position, low);
  const std::int64_t end = std::min(position + length, high);
  if (end <= begin) return {};
  return {begin - position, begin, end - begin};
}

// The pixel's bytes read as one 32-bit value, in memory order, so that the
// mask and the key below are built the same way and the comparison holds on
// any byte order.
std::uint32_t Bits(Bgra pixel) noexcept {
  std::uint32_t bits = 0;
  std::memcpy(&bits, &pixel, sizeof bits);
  return bits;
}

void CopyRowKeyed(const Bgra* from, Bgra* to, std::size_t count, std::uint32_t key) noexcept {
  const std::uint32_t colour_mask = Bits(Bgra{0xFF, 0xFF, 0xFF, 0});
  // A select rather than a skipped store: the loop then has no branch and no
  // conditional store, which is what lets the compiler vectorise it.
  for (std::size_t i = 0; i < count; ++i) {
    std::uint32_t source = 0;
    std::uint32_t target = 0;
    std::memcpy(&source, from + i, sizeof source);
    std::memcpy(&target, to + i, sizeof target);
    const std::uint32_t chosen = (source & colour_mask) == key ? target : source;
    std::memcpy(static_cast<void*>(to + i), &chosen, sizeof chosen);
  }
}

}  // namespace

ClippedBlock ClipToSurface(std::int64_t x, std::int64_t y, std::int64_t width,
                           std::int64_t height, std::int32_t surface_width,
                           std::int32_t surface_height) noexcept {
  return ClipToRect(x, y, width, height, {0, 0, surface_width, surface_height});
}

ClippedBlock ClipToRect(std::int64_t x, std::int64_t y, std::int64_t width, std::int64_t height,
                        SurfaceRect clip) noexcept {
  const AxisClip across = ClipAxis(x, width, clip.Left, clip.Right);
  const AxisClip down = ClipAxis(y, height, clip.Top, clip.Bottom);
  if (across.Length == 0 || down.Length == 0) return {};
  // Targets and lengths now lie within the clip, which is 32-bit sized.
  return {across.Source, down.Source, static_cast<std::int32_t>(across.Target), static_cast<std::int32_t>(down.Target),
          static_cast<std::int32_t>(across.Length), static_cast<std::int32_t>(down.Length)};
}

void CopyPixelRow(std::span<const Bgra> from, std::span<Bgra> to,
                  std::optional<ColourValue> key) noexcept {
  if (!key) {
    std::memcpy(static_cast<void*>(to.data()), from.data(), from.size_bytes());
    return;
  }
  const Bgra key_pixel = BgraFromColour(*key);
  CopyRowKeyed(from.data(), to.data(), from.size(), Bits(key_pixel));
}

void DrawPicture(Surface& surface, const PixelImage& picture, std::int32_t x, std::int32_t y,
                 std::optional<ColourValue> key, SurfaceRect clip) noexcept {
  const ClippedBlock block =
      ClipToRect(x, y, picture.Width, picture.Height, Intersection(clip, surface.Bounds()));
  if (block.Empty()) return;
  const auto width = static_cast<std::size_t>(block.Width);
  const auto stride = static_cast<std::size_t>(picture.Width);
  for (std::int32_t row = 0; row < block.Height; ++row) {
    const std::size_t start =
        static_cast<std::size_t>(block.SourceY + row) * stride + static_cast<std::size_t>(block.SourceX);
    const std::span<const Bgra> from(picture.Pixels.data() + start, width);
    CopyPixelRow(from, surface.Row(block.TargetY + row).subspan(static_cast<std::size_t>(block.TargetX)),
                 key);
  }
}

namespace {

std::uint8_t Mix(std::uint8_t under, std::uint8_t over, unsigned coverage) noexcept {
  return static_cast<std::uint8_t>((under * (255 - coverage) + over * coverage + 127) / 255);
}

}  // namespace

void BlendInk(Bgra& pixel, Bgra ink, unsigned coverage) noexcept {
  pixel.B = Mix(pixel.B, ink.B, coverage);
  pixel.G = Mix(pixel.G, ink.G, coverage);
  pixel.R = Mix(pixel.R, ink.R, coverage);
}

}  // namespace ris
