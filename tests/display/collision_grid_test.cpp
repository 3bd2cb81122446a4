#include "display/collision_grid.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <ostream>
#include <string>
#include <vector>

#include "base/random_source.h"
#include "display/motion.h"

// Every allocation of this test program is counted, so that a test can show
// that a collision pass allocates nothing.
namespace {
std::size_t g_allocations = 0;
}  // namespace

void* operator new(std::size_t size) {
  ++g_allocations;
  if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
  throw std::bad_alloc();
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }

namespace ris {
namespace {

static_assert(sizeof(TBouncingImage) == 4 * sizeof(float), "the bit comparison covers every field");

constexpr float kInfinity = std::numeric_limits<float>::infinity();
constexpr std::int32_t kInt32Max = std::numeric_limits<std::int32_t>::max();

using Images = std::vector<TBouncingImage>;

::testing::AssertionResult SameBits(const Images& actual, const Images& expected) {
  if (actual.size() != expected.size()) {
    return ::testing::AssertionFailure() << actual.size() << " images, expected " << expected.size();
  }
  for (std::size_t i = 0; i < actual.size(); ++i) {
    if (std::memcmp(&actual[i], &expected[i], sizeof(TBouncingImage)) != 0) {
      const TBouncingImage& a = actual[i];
      const TBouncingImage& e = expected[i];
      return ::testing::AssertionFailure()
             << "image " << i << " differs: position (" << a.Position.X << ", " << a.Position.Y
             << ") direction (" << a.Direction.X << ", " << a.Direction.Y << "), expected ("
             << e.Position.X << ", " << e.Position.Y << ") direction (" << e.Direction.X << ", "
             << e.Direction.Y << ")";
    }
  }
  return ::testing::AssertionSuccess();
}

float Uniform(RandomSource& random, double low, double high) {
  return static_cast<float>(low + (high - low) * random.NextReal());
}

// --- Rules of the pass, for the reference and the grid alike ---

struct PassKind {
  const char* Name;
  void (*Run)(std::span<TBouncingImage>, std::int32_t);
};

void PrintTo(const PassKind& kind, std::ostream* out) { *out << kind.Name; }

void RunGrid(std::span<TBouncingImage> images, std::int32_t width) {
  CollisionGrid grid;
  grid.Collide(images, width);
}

class CollisionPass : public ::testing::TestWithParam<PassKind> {
 protected:
  Images Collided(Images images, std::int32_t width) const {
    GetParam().Run(images, width);
    return images;
  }
};

TEST_P(CollisionPass, HeadOnImagesExchangeTheirVelocities) {
  const Images along_x = Collided({{{0.0f, 0.0f}, {2.0f, 0.0f}}, {{10.0f, 0.0f}, {-1.0f, 0.0f}}}, 64);
  EXPECT_EQ(along_x[0].Direction, TVector(-1.0f, 0.0f));
  EXPECT_EQ(along_x[1].Direction, TVector(2.0f, 0.0f));
  const Images along_y = Collided({{{5.0f, 0.0f}, {0.0f, 1.5f}}, {{5.0f, 20.0f}, {0.0f, -0.5f}}}, 64);
  EXPECT_EQ(along_y[0].Direction, TVector(0.0f, -0.5f));
  EXPECT_EQ(along_y[1].Direction, TVector(0.0f, 1.5f));
  // Collisions change directions only.
  EXPECT_EQ(along_y[1].Position, TVector(5.0f, 20.0f));
}

TEST_P(CollisionPass, OnlyTheComponentsAlongTheLineAreExchanged) {
  // The line runs from (30, 40) to (0, 0): N = (-0.6, -0.8).
  const Images images = Collided({{{0.0f, 0.0f}, {1.0f, 0.0f}}, {{30.0f, 40.0f}, {0.0f, 0.0f}}}, 64);
  EXPECT_FLOAT_EQ(images[0].Direction.X, 0.64f);
  EXPECT_FLOAT_EQ(images[0].Direction.Y, -0.48f);
  EXPECT_FLOAT_EQ(images[1].Direction.X, 0.36f);
  EXPECT_FLOAT_EQ(images[1].Direction.Y, 0.48f);
}

TEST_P(CollisionPass, ImagesThatAlreadyPartAreExchangedToo) {
  const Images images = Collided({{{0.0f, 0.0f}, {-1.0f, 0.0f}}, {{10.0f, 0.0f}, {0.5f, 0.0f}}}, 64);
  EXPECT_EQ(images[0].Direction, TVector(0.5f, 0.0f));
  EXPECT_EQ(images[1].Direction, TVector(-1.0f, 0.0f));
}

TEST_P(CollisionPass, CoincidentImagesKeepTheirDirections) {
  const Images start = {{{7.0f, 7.0f}, {1.0f, 0.5f}}, {{7.0f, 7.0f}, {-0.25f, 1.0f}}};
  EXPECT_TRUE(SameBits(Collided(start, 64), start));
}

TEST_P(CollisionPass, TouchingAtExactlyTheWidthCounts) {
  const TVector right(1.0f, 0.0f);
  const TVector left(-1.0f, 0.0f);
  const Images at_width = Collided({{{0.0f, 0.0f}, right}, {{64.0f, 0.0f}, left}}, 64);
  EXPECT_EQ(at_width[0].Direction, left);
  const Images diagonal = Collided({{{0.0f, 0.0f}, right}, {{6.0f, 8.0f}, left}}, 10);
  EXPECT_NE(diagonal[0].Direction, right);
  const Images beyond = {{{0.0f, 0.0f}, right}, {{std::nextafter(64.0f, 65.0f), 0.0f}, left}};
  EXPECT_TRUE(SameBits(Collided(beyond, 64), beyond));
}

TEST_P(CollisionPass, TouchingGoesByTheRoundedDifference) {
  // 128 - (64 - 2^-18) is 64 + 2^-18, which rounds to 64 as a float: the two
  // touch at width 64 although they lie a little further apart. The third
  // image only stretches the playfield.
  const Images images = Collided({{{64.0f - 0x1p-18f, 0.0f}, {1.0f, 0.0f}},
                                  {{128.0f, 0.0f}, {-1.0f, 0.0f}},
                                  {{0.0f, 500.0f}, {0.0f, 1.0f}}},
                                 64);
  EXPECT_EQ(images[0].Direction, TVector(-1.0f, 0.0f));
  EXPECT_EQ(images[1].Direction, TVector(1.0f, 0.0f));
}

TEST_P(CollisionPass, ComparesTheWidthExactly) {
  // 2^24 + 3 is no float; as one it would be 2^24 + 4 and touch at that distance.
  const Images start = {{{0.0f, 0.0f}, {1.0f, 0.0f}}, {{0x1p24f + 4.0f, 0.0f}, {-1.0f, 0.0f}}};
  EXPECT_TRUE(SameBits(Collided(start, (1 << 24) + 3), start));
  EXPECT_FALSE(SameBits(Collided(start, (1 << 24) + 4), start));
}

TEST_P(CollisionPass, NegativeWidthTouchesNothingAndZeroOnlyCoincidence) {
  const Images start = {{{0.0f, 0.0f}, {0.0f, 1.0f}}, {{0.0f, 0.5f}, {0.0f, -1.0f}}};
  EXPECT_TRUE(SameBits(Collided(start, -1), start));
  EXPECT_TRUE(SameBits(Collided(start, 0), start));
  EXPECT_FALSE(SameBits(Collided(start, 1), start));
}

TEST_P(CollisionPass, LaterPairsSeeTheDirectionsOfEarlierPairs) {
  const Images start = {{{0.0f, 0.0f}, {1.0f, 0.0f}},
                        {{10.0f, 0.0f}, {-1.0f, 0.25f}},
                        {{5.0f, 8.0f}, {0.0f, -1.0f}},
                        {{500.0f, 500.0f}, {1.0f, 1.0f}}};
  Images lexicographic = start;
  BounceApart(lexicographic[0], lexicographic[1]);
  BounceApart(lexicographic[0], lexicographic[2]);
  BounceApart(lexicographic[1], lexicographic[2]);
  EXPECT_TRUE(SameBits(Collided(start, 64), lexicographic));

  // The order matters here, so the comparison above can tell.
  Images by_j = start;
  BounceApart(by_j[0], by_j[1]);
  BounceApart(by_j[1], by_j[2]);
  BounceApart(by_j[0], by_j[2]);
  EXPECT_FALSE(SameBits(by_j, lexicographic));
}

TEST_P(CollisionPass, ImagesAtInfinityTouchNothing) {
  const float huge = std::numeric_limits<float>::max();
  const Images start = {{{kInfinity, 0.0f}, {1.0f, 0.0f}},  {{kInfinity, 0.0f}, {-1.0f, 0.0f}},
                        {{0.0f, -kInfinity}, {1.0f, 1.0f}}, {{huge, 3.0f}, {1.0f, 0.0f}},
                        {{-huge, 3.0f}, {-1.0f, 0.0f}},     {{0.0f, 0.0f}, {0.0f, 1.0f}},
                        {{0.0f, 1.0f}, {0.0f, -1.0f}}};
  const Images images = Collided(start, kInt32Max);
  // Only the finite pair near the origin touches; the largest floats are too
  // far apart for their distance to be finite.
  Images expected = start;
  expected[5].Direction = TVector(0.0f, -1.0f);
  expected[6].Direction = TVector(0.0f, 1.0f);
  EXPECT_TRUE(SameBits(images, expected));
}

INSTANTIATE_TEST_SUITE_P(Implementations, CollisionPass,
                         ::testing::Values(PassKind{"AllPairs", CollideAllPairs},
                                           PassKind{"Grid", RunGrid}),
                         [](const ::testing::TestParamInfo<PassKind>& param_info) {
                           return std::string(param_info.param.Name);
                         });

// --- The grid against the reference ---

enum class Layout { kUniform, kClustered, kLattice, kNegative, kSpreadWide, kWithInfinities };

Images MakeLayout(Layout layout, std::size_t count, std::int32_t width, RandomSource& random) {
  Images images(count);
  const double w = std::max(width, 1);
  for (TBouncingImage& image : images) {
    image.Direction = TVector(Uniform(random, -1.0, 1.0), Uniform(random, -1.0, 1.0));
    switch (layout) {
      case Layout::kUniform:
        image.Position = TVector(Uniform(random, 0.0, 1920.0), Uniform(random, 0.0, 1080.0));
        break;
      case Layout::kClustered: {
        // A few points, most images exactly on one, some a hair away.
        const auto point = static_cast<float>(random.NextInt(4));
        const float jitter = random.NextInt(3) == 0 ? Uniform(random, -1e-3, 1e-3) : 0.0f;
        image.Position = TVector(point * 37.0f + jitter, point * 11.0f);
        break;
      }
      case Layout::kLattice: {
        // Neighbours exactly one width apart, or the next float beyond.
        const auto column = static_cast<float>(random.NextInt(12));
        const auto row = static_cast<float>(random.NextInt(12));
        float x = column * static_cast<float>(w);
        if (random.NextInt(2) == 0) x = std::nextafter(x, kInfinity);
        image.Position = TVector(x, row * static_cast<float>(w));
        break;
      }
      case Layout::kNegative:
        image.Position = TVector(Uniform(random, -5000.0, -3000.0), Uniform(random, -40.0, 10.0));
        break;
      case Layout::kSpreadWide:
        image.Position = random.NextInt(2) == 0
                             ? TVector(Uniform(random, -1e30, 1e30), Uniform(random, -1e30, 1e30))
                             : TVector(Uniform(random, 0.0, 3.0 * w), Uniform(random, 0.0, 3.0 * w));
        break;
      case Layout::kWithInfinities:
        image.Position = TVector(Uniform(random, 0.0, 4.0 * w), Uniform(random, 0.0, 4.0 * w));
        if (random.NextInt(5) == 0) image.Position.X = random.NextInt(2) ? kInfinity : -kInfinity;
        break;
    }
  }
  return images;
}

TEST(CollisionGrid, MatchesAllPairsOnHardLayouts) {
  CollisionGrid grid;  // one grid throughout, so that no pass leans on a fresh one
  RandomSource random(2024u);
  for (const Layout layout : {Layout::kUniform, Layout::kClustered, Layout::kLattice,
                              Layout::kNegative, Layout::kSpreadWide, Layout::kWithInfinities}) {
    for (const std::int32_t width : {0, 1, 2, 7, 64, 300, 5000, kInt32Max}) {
      for (const std::size_t count : {0u, 1u, 2u, 3u, 10u, 100u, 700u}) {
        const Images start = MakeLayout(layout, count, width, random);
        Images by_grid = start;
        Images by_pairs = start;
        grid.Collide(by_grid, width);
        CollideAllPairs(by_pairs, width);
        ASSERT_TRUE(SameBits(by_grid, by_pairs))
            << "layout " << static_cast<int>(layout) << ", width " << width << ", " << count
            << " images";
      }
    }
  }
}

// Square pictures first, then pictures wider than, or larger than, some
// playfields in both directions.
constexpr PixelSize kPictures[] = {{0, 0}, {1, 1}, {64, 64}, {300, 300}, {700, 40}, {2000, 1200}};

struct MotionRun {
  std::size_t Count;
  PixelSize Playfield;
  std::size_t Pictures;  // how many of kPictures, from the first
  int Seeds;
  int Steps;
};

TEST(CollisionGrid, MatchesAllPairsThroughRandomMotion) {
  // The large runs are few and short: the reference is quadratic.
  const MotionRun runs[] = {
      {0, {640, 480}, 6, 2, 5},       {1, {640, 480}, 6, 4, 30},
      {2, {200, 150}, 6, 12, 60},     {2, {640, 480}, 6, 12, 60},
      {50, {200, 150}, 6, 4, 40},     {50, {640, 480}, 6, 4, 40},
      {500, {640, 480}, 6, 1, 6},     {500, {1920, 1080}, 6, 1, 6},
      {2000, {1920, 1080}, 4, 1, 2},
  };
  CollisionGrid grid;  // one grid throughout, as the display keeps one
  for (const MotionRun& run : runs) {
    for (int seed = 0; seed < run.Seeds; ++seed) {
      for (std::size_t p = 0; p < run.Pictures; ++p) {
        const PixelSize picture = kPictures[p];
        const auto seed_value = static_cast<std::uint32_t>(seed * 7919 + picture.Width);
        const PlacementParams placement{picture, run.Playfield, seed % 2 == 0};
        const MotionParams motion{picture, run.Playfield, true};

        RandomSource random(seed_value);
        Images by_grid(run.Count);
        for (std::size_t i = 0; i < by_grid.size(); ++i) {
          by_grid[i] = PlaceImage(std::span(by_grid).first(i), placement, random);
        }
        Images by_pairs = by_grid;
        for (int step = 0; step < run.Steps; ++step) {
          MotionStep(by_grid, motion, grid);
          MoveImages(by_pairs, picture, run.Playfield);
          CollideAllPairs(by_pairs, picture.Width);
          ASSERT_TRUE(SameBits(by_grid, by_pairs))
              << run.Count << " images, picture " << picture.Width << "x" << picture.Height
              << " on " << run.Playfield.Width << "x" << run.Playfield.Height << ", seed "
              << seed_value << ", step " << step;
        }
      }
    }
  }
}

TEST(CollisionGrid, AllocatesNothingOnceItHasServedAsManyImages) {
  RandomSource random(99u);
  CollisionGrid grid;
  Images images = MakeLayout(Layout::kUniform, 1000, 64, random);
  grid.Collide(images, 64);

  // Other positions, fewer images, other widths: the buffers are reused.
  Images spread = MakeLayout(Layout::kSpreadWide, 1000, 64, random);
  Images fewer = MakeLayout(Layout::kClustered, 300, 7, random);
  const std::size_t before = g_allocations;
  grid.Collide(images, 64);
  grid.Collide(spread, 64);
  grid.Collide(fewer, 7);
  grid.Collide(images, 1);
  EXPECT_EQ(g_allocations, before);
}

}  // namespace
}  // namespace ris
