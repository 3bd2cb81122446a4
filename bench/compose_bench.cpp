// Composing one 1920 x 1080 frame on the back surface as a running display
// does: fill, a 1600 x 1200 background stretched to the screen through the
// scaled-picture cache, then 50 colour-keyed 64 x 64 images. Measured against
// a plain copy of a frame, the floor any composition has to pay; the ratio is
// the number of frame copies a composed frame costs.
//
// Every allocation of the program is counted, so that the benchmark also
// shows that a frame after the first allocates nothing.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

#include "media/blit.h"
#include "support/allocation_count.h"
#include "media/scaler.h"
#include "media/surface.h"

namespace ris {
namespace {

constexpr std::int32_t kScreenWidth = 1920;
constexpr std::int32_t kScreenHeight = 1080;
constexpr std::int32_t kSprite = 64;
constexpr int kSprites = 50;
constexpr ColourValue kKey = 0x00FF00FF;  // magenta, the usual transparent colour

PixelImage Background() {
  PixelImage picture = PixelImage::Blank(1600, 1200);
  for (std::int32_t y = 0; y < picture.Height; ++y) {
    for (std::int32_t x = 0; x < picture.Width; ++x) {
      picture.At(x, y) = Bgra{static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y),
                              static_cast<std::uint8_t>(x ^ y), 255};
    }
  }
  return picture;
}

// A disc on a key-coloured square, so that about a fifth of each row is
// skipped.
PixelImage Sprite() {
  PixelImage picture = PixelImage::Blank(kSprite, kSprite, Bgra{255, 0, 255, 255});
  const std::int32_t r = kSprite / 2;
  for (std::int32_t y = 0; y < kSprite; ++y) {
    for (std::int32_t x = 0; x < kSprite; ++x) {
      if ((x - r) * (x - r) + (y - r) * (y - r) < r * r) picture.At(x, y) = Bgra{40, 160, 220, 255};
    }
  }
  return picture;
}

struct Position {
  std::int32_t X, Y;
};

// Spread over the screen and a little past its edges, so that clipping is
// part of what is measured.
std::vector<Position> SpritePositions() {
  std::vector<Position> positions;
  std::uint32_t state = 12345u;
  const auto next = [&state](std::int32_t range) {
    state = state * 1664525u + 1013904223u;
    return static_cast<std::int32_t>((state >> 8) % static_cast<std::uint32_t>(range));
  };
  for (int i = 0; i < kSprites; ++i) {
    positions.push_back({next(kScreenWidth + kSprite) - kSprite / 2,
                         next(kScreenHeight + kSprite) - kSprite / 2});
  }
  return positions;
}

void ComposeFrame(Surface& surface, const PixelImage& background, ScaledPictureCache& cache,
                  const PixelImage& sprite, const std::vector<Position>& positions) {
  surface.Fill(0x00000000);
  StretchDrawPicture(surface, background, SurfaceRect{0, 0, kScreenWidth, kScreenHeight},
                     std::nullopt, cache);
  for (const Position& at : positions) DrawPicture(surface, sprite, at.X, at.Y, kKey);
}

void BM_ComposeFrame(benchmark::State& state) {
  const PixelImage background = Background();
  const PixelImage sprite = Sprite();
  const std::vector<Position> positions = SpritePositions();
  Surface surface(kScreenWidth, kScreenHeight);
  ScaledPictureCache cache;
  ComposeFrame(surface, background, cache, sprite, positions);  // the first frame scales
  const std::size_t allocations_before = testing_support::AllocationCount();
  for (auto _ : state) {
    ComposeFrame(surface, background, cache, sprite, positions);
    benchmark::DoNotOptimize(surface.Pixels().data());
    benchmark::ClobberMemory();
  }
  const std::size_t allocations = testing_support::AllocationCount() - allocations_before;
  state.counters["allocations_after_first"] = static_cast<double>(allocations);
  state.counters["rescales"] = static_cast<double>(cache.RescaleCount());
  if (allocations != 0 || cache.RescaleCount() != 1) {
    state.SkipWithError("a frame after the first allocated or rescaled");
  }
  state.SetBytesProcessed(state.iterations() * kScreenWidth * kScreenHeight * 4);
}

void BM_CopyFrame(benchmark::State& state) {
  const std::size_t bytes = std::size_t{kScreenWidth} * kScreenHeight * sizeof(Bgra);
  std::vector<Bgra> from(bytes / sizeof(Bgra), Bgra{1, 2, 3, 0});
  std::vector<Bgra> to(from.size());
  for (auto _ : state) {
    std::memcpy(static_cast<void*>(to.data()), from.data(), bytes);
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes));
}

BENCHMARK(BM_ComposeFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CopyFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace ris
