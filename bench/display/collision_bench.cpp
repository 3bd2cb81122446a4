// One collision pass over n images of 64 x 64 pixels on a 1920 x 1080
// playfield, through the grid and through the all-pairs reference. The images
// are placed from a fixed seed and moved a few steps first, so that the
// positions and directions are those of a running display.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <map>
#include <vector>

#include "base/random_source.h"
#include "display/collision_grid.h"
#include "display/motion.h"

namespace ris {
namespace {

constexpr PixelSize kPicture{64, 64};
constexpr PixelSize kScreen{1920, 1080};
constexpr int kWarmUpSteps = 10;

std::vector<TBouncingImage> MakeRunningImages(std::int64_t count) {
  RandomSource random(20240611u);
  std::vector<TBouncingImage> images(static_cast<std::size_t>(count));
  const PlacementParams placement{kPicture, kScreen, false};
  for (std::size_t i = 0; i < images.size(); ++i) {
    images[i] = PlaceImage(std::span(images).first(i), placement, random);
  }
  const MotionParams motion{kPicture, kScreen, true};
  CollisionGrid grid;
  for (int step = 0; step < kWarmUpSteps; ++step) MotionStep(images, motion, grid);
  return images;
}

// Placing 10,000 images takes longer than the passes measured, and the
// library may call a benchmark several times; each count is placed once.
const std::vector<TBouncingImage>& RunningImages(std::int64_t count) {
  static std::map<std::int64_t, std::vector<TBouncingImage>> placed;
  auto found = placed.find(count);
  if (found == placed.end()) found = placed.emplace(count, MakeRunningImages(count)).first;
  return found->second;
}

void BM_CollisionGrid(benchmark::State& state) {
  std::vector<TBouncingImage> images = RunningImages(state.range(0));
  CollisionGrid grid;
  for (auto _ : state) {
    grid.Collide(images, kPicture.Width);
    benchmark::DoNotOptimize(images.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_CollisionAllPairs(benchmark::State& state) {
  std::vector<TBouncingImage> images = RunningImages(state.range(0));
  for (auto _ : state) {
    CollideAllPairs(images, kPicture.Width);
    benchmark::DoNotOptimize(images.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(BM_CollisionGrid)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CollisionAllPairs)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace ris
