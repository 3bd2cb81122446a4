#include "display/collision_grid.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include "base/random_source.h"
#include "support/allocation_count.h"
#include "display/motion.h"

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
    const TBouncingImage &a = actual[i], &e = expected[i];
    if (std::memcmp(&a, &e, sizeof(TBouncingImage)) != 0) {
      return ::testing::AssertionFailure()
             << "image " << i << " is at (" << a.Position.X << ", " << a.Position.Y
             << ") towards (" << a.Direction.X << ", " << a.Direction.Y << "), expected ("
             << e.Position.X << ", " << e.Position.Y << ") towards (" << e.Direction.X << ", "
             << e.Direction.Y << ")";
    }
  }
  return ::testing::AssertionSuccess();
}

float Uniform(RandomSource& random, double low, double high) {
  return static_cast<float>(low + (high - low) * random.NextReal());
}

// --- The bounce, and which pairs bounce in which order ---

TEST(BounceApart, ExchangesTheComponentsAlongTheLineThroughThePositions) {
  const struct { const char* what; TBouncingImage a, b; TVector a_after, b_after; } cases[] = {
      {"head-on along x", {{0, 0}, {2, 0}}, {{10, 0}, {-1, 0}}, {-1, 0}, {2, 0}},
      {"head-on along y", {{5, 0}, {0, 1.5f}}, {{5, 20}, {0, -0.5f}}, {0, -0.5f}, {0, 1.5f}},
      {"already parting", {{0, 0}, {-1, 0}}, {{10, 0}, {0.5f, 0}}, {0.5f, 0}, {-1, 0}},
      {"coincident: no line", {{7, 7}, {1, 0.5f}}, {{7, 7}, {-0.25f, 1}}, {1, 0.5f}, {-0.25f, 1}},
  };
  for (const auto& c : cases) {
    Images pair = {c.a, c.b};
    BounceApart(pair[0], pair[1]);
    EXPECT_TRUE(SameBits(pair, {{c.a.Position, c.a_after}, {c.b.Position, c.b_after}})) << c.what;
  }
  // The line from (30, 40) to (0, 0) is N = (-0.6, -0.8).
  TBouncingImage a{{0.0f, 0.0f}, {1.0f, 0.0f}};
  TBouncingImage b{{30.0f, 40.0f}, {0.0f, 0.0f}};
  BounceApart(a, b);
  EXPECT_FLOAT_EQ(a.Direction.X, 0.64f);
  EXPECT_FLOAT_EQ(a.Direction.Y, -0.48f);
  EXPECT_FLOAT_EQ(b.Direction.X, 0.36f);
  EXPECT_FLOAT_EQ(b.Direction.Y, 0.48f);
}

TEST(CollisionPass, BouncesExactlyThePairsThatTouchInLexicographicOrder) {
  const TVector right(1.0f, 0.0f);
  const TVector left(-1.0f, 0.0f);
  const Images apart_2p24_4 = {{{0, 0}, right}, {{0x1p24f + 4.0f, 0}, left}};
  const Images half_apart = {{{0, 0}, {0, 1}}, {{0, 0.5f}, {0, -1}}};
  // Three touch each other, where the order of the bounces changes the outcome.
  const Images triangle = {{{0, 0}, right}, {{10, 0}, {-1, 0.25f}}, {{5, 8}, {0, -1}},
                           {{500, 500}, {1, 1}}};
  const float huge = std::numeric_limits<float>::max();
  using Pairs = std::vector<std::pair<int, int>>;
  const struct { const char* what; std::int32_t width; Images start; Pairs touching; } cases[] = {
      {"exactly the width apart", 64, {{{0, 0}, right}, {{64, 0}, left}}, {{0, 1}}},
      {"the width apart diagonally", 10, {{{0, 0}, right}, {{6, 8}, left}}, {{0, 1}}},
      {"the next float beyond", 64,
       {{{0, 0}, right}, {{std::nextafter(64.0f, 65.0f), 0}, left}}, {}},
      // 128 - (64 - 2^-18) rounds to 64 as a float. The third image only
      // stretches the playfield.
      {"the rounded difference apart", 64,
       {{{64.0f - 0x1p-18f, 0}, right}, {{128, 0}, left}, {{0, 500}, {0, 1}}}, {{0, 1}}},
      // 2^24 + 3 is no float; as one it would be 2^24 + 4.
      {"width 2^24 + 3", (1 << 24) + 3, apart_2p24_4, {}},
      {"width 2^24 + 4", (1 << 24) + 4, apart_2p24_4, {{0, 1}}},
      {"negative width", -1, half_apart, {}},
      {"zero width", 0, half_apart, {}},
      {"width 1", 1, half_apart, {{0, 1}}},
      {"in a triangle", 64, triangle, {{0, 1}, {0, 2}, {1, 2}}},
      // Only the finite pair near the origin touches; the largest floats are
      // too far apart for their distance to be finite.
      {"at infinity", kInt32Max,
       {{{kInfinity, 0}, right}, {{kInfinity, 0}, left}, {{0, -kInfinity}, {1, 1}},
        {{huge, 3}, right}, {{-huge, 3}, left}, {{0, 0}, {0, 1}}, {{0, 1}, {0, -1}}},
       {{5, 6}}},
  };
  for (const auto& c : cases) {
    Images expected = c.start;
    for (const auto& [i, j] : c.touching) BounceApart(expected[i], expected[j]);
    Images by_pairs = c.start;
    Images by_grid = c.start;
    CollideAllPairs(by_pairs, c.width);
    CollisionGrid().Collide(by_grid, c.width);
    EXPECT_TRUE(SameBits(by_pairs, expected)) << c.what << ", all pairs";
    EXPECT_TRUE(SameBits(by_grid, expected)) << c.what << ", grid";
  }
  // The triangle tells the order apart: taken by j first, the pairs give another outcome.
  Images by_j = triangle;
  Images lexicographic = triangle;
  for (const auto& [i, j] : {std::pair{0, 1}, {1, 2}, {0, 2}}) BounceApart(by_j[i], by_j[j]);
  CollideAllPairs(lexicographic, 64);
  EXPECT_FALSE(SameBits(by_j, lexicographic));
}

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

TEST(CollisionGrid, MatchesAllPairsThroughRandomMotion) {
  // Pictures: how many of kPictures, from the first. The large runs are few
  // and short: the reference is quadratic.
  const struct { std::size_t Count; PixelSize Playfield; std::size_t Pictures; int Seeds, Steps; }
      runs[] = {
      {0, {640, 480}, 6, 2, 5},       {1, {640, 480}, 6, 4, 30},
      {2, {200, 150}, 6, 12, 60},     {2, {640, 480}, 6, 12, 60},
      {50, {200, 150}, 6, 4, 40},     {50, {640, 480}, 6, 4, 40},
      {500, {640, 480}, 6, 1, 6},     {500, {1920, 1080}, 6, 1, 6},
      {2000, {1920, 1080}, 4, 1, 2},
  };
  CollisionGrid grid;  // one grid throughout, as the display keeps one
  for (const auto& run : runs) {
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
  const std::size_t before = testing_support::AllocationCount();
  grid.Collide(images, 64);
  grid.Collide(spread, 64);
  grid.Collide(fewer, 7);
  grid.Collide(images, 1);
  EXPECT_EQ(testing_support::AllocationCount(), before);
}

}  // namespace
}  // namespace ris
