#include "display/motion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

namespace ris {
namespace {

constexpr std::int32_t kInt32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kInt32Min = std::numeric_limits<std::int32_t>::min();

// The state a generator reaches after `draws` draws from `seed`.
std::uint32_t StateAfterDraws(std::uint32_t seed, int draws) {
  RandomSource reference(seed);
  for (int i = 0; i < draws; ++i) reference.NextInt(1);
  return reference.State();
}

std::vector<TBouncingImage> PlaceAll(std::size_t count, const PlacementParams& params,
                                     std::uint32_t seed) {
  RandomSource random(seed);
  std::vector<TBouncingImage> images(count);
  for (std::size_t i = 0; i < count; ++i) {
    images[i] = PlaceImage(std::span(images).first(i), params, random);
  }
  return images;
}

bool SameBits(const std::vector<TBouncingImage>& a, const std::vector<TBouncingImage>& b) {
  return a.size() == b.size() &&
         (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(TBouncingImage)) == 0);
}

// --- The initial direction ---

TEST(InitialDirection, IsTheRealsLessOneHalf) {
  EXPECT_EQ(InitialDirection(0.0, 0.75, false), TVector(-0.5f, 0.25f));
  EXPECT_EQ(InitialDirection(0.2, 0.9, false), TVector(-0.3f, 0.4f));
  // The difference is rounded to single precision once: just below 1 gives
  // 0.5 - 2^-32, which is stored as 0.5.
  EXPECT_EQ(InitialDirection(0x1.fffffffep-1, 0.25, false), TVector(0.5f, -0.25f));
}

TEST(InitialDirection, FixedSpeedNormalisesToLengthOne) {
  EXPECT_EQ(InitialDirection(0.2, 0.9, true), TVector(-0.6f, 0.8f));
  const TVector d = InitialDirection(0.123, 0.987, true);
  EXPECT_NEAR(d.Length(), 1.0f, 1e-6f);
}

TEST(InitialDirection, ReplacesZeroComponentsAfterNormalising) {
  EXPECT_EQ(InitialDirection(0.5, 0.9, false), TVector(1.0f, 0.4f));
  EXPECT_EQ(InitialDirection(0.9, 0.5, false), TVector(0.4f, 1.0f));
  // The zero vector cannot be normalised; both components become 1.
  EXPECT_EQ(InitialDirection(0.5, 0.5, true), TVector(1.0f, 1.0f));
  // (0, 0.4) normalises to (0, 1), and only then is the 0 replaced: the
  // length is then the square root of 2, not 1.
  EXPECT_EQ(InitialDirection(0.5, 0.9, true), TVector(1.0f, 1.0f));
  EXPECT_EQ(InitialDirection(0.1, 0.5, true), TVector(-1.0f, 1.0f));
}

// --- Placement ---

TEST(PlaceImage, DrawsXThenYThenTheDirectionReals) {
  const PlacementParams params{{40, 30}, {640, 480}, false};
  RandomSource random(77u);
  const TBouncingImage image = PlaceImage({}, params, random);

  RandomSource reference(77u);
  const std::int32_t x = reference.NextInt(600);
  const std::int32_t y = reference.NextInt(450);
  const double r1 = reference.NextReal();
  const double r2 = reference.NextReal();
  EXPECT_EQ(image.Position, TVector(static_cast<float>(x), static_cast<float>(y)));
  EXPECT_EQ(image.Direction, InitialDirection(r1, r2, false));
  // With nothing to avoid, the first attempt stands.
  EXPECT_EQ(random.State(), reference.State());
}

TEST(PlaceImage, SameSeedGivesTheSamePlacement) {
  const PlacementParams params{{64, 64}, {800, 600}, true};
  const auto first = PlaceAll(200, params, 12345u);
  const auto again = PlaceAll(200, params, 12345u);
  const auto other = PlaceAll(200, params, 12346u);
  EXPECT_TRUE(SameBits(first, again));
  EXPECT_FALSE(SameBits(first, other));
}

TEST(PlaceImage, PositionsAreWholePixelsWherePicturesFit) {
  const PlacementParams params{{100, 50}, {300, 200}, false};
  for (const TBouncingImage& image : PlaceAll(300, params, 5u)) {
    const TVector& p = image.Position;
    EXPECT_EQ(p.X, std::floor(p.X));
    EXPECT_EQ(p.Y, std::floor(p.Y));
    EXPECT_GE(p.X, 0.0f);
    EXPECT_LT(p.X, 200.0f);
    EXPECT_GE(p.Y, 0.0f);
    EXPECT_LT(p.Y, 150.0f);
  }
}

TEST(PlaceImage, DirectionsHaveTheChosenSpeedAndNoZeroComponent) {
  const PlacementParams fixed{{8, 8}, {4000, 3000}, true};
  const PlacementParams random_speed{{8, 8}, {4000, 3000}, false};
  for (const TBouncingImage& image : PlaceAll(500, fixed, 9u)) {
    EXPECT_NEAR(image.Direction.Length(), 1.0f, 1e-6f);
    EXPECT_NE(image.Direction.X, 0.0f);
    EXPECT_NE(image.Direction.Y, 0.0f);
  }
  for (const TBouncingImage& image : PlaceAll(500, random_speed, 9u)) {
    EXPECT_LT(image.Direction.Length(), 0.7072f);
    EXPECT_GE(image.Direction.X, -0.5f);
    EXPECT_LE(image.Direction.X, 0.5f);
    EXPECT_NE(image.Direction.X, 0.0f);
    EXPECT_NE(image.Direction.Y, 0.0f);
  }
}

TEST(PlaceImage, KeepsClearOfEarlierImagesWhereThereIsRoom) {
  const PlacementParams params{{20, 20}, {1000, 1000}, false};
  const auto images = PlaceAll(40, params, 3u);
  for (std::size_t i = 0; i < images.size(); ++i) {
    for (std::size_t j = 0; j < i; ++j) {
      EXPECT_GT(images[i].Position.Distance(images[j].Position), 20.0f) << i << ", " << j;
    }
  }
}

TEST(PlaceImage, OnlyTheWidthCountsAlsoVertically) {
  // The playfield is one pixel wider than the picture, so x is always 0 and
  // only y varies. A picture 10 wide and 300 high avoids an image at (0, 0)
  // by more than 10 pixels, not by its height.
  const PlacementParams params{{10, 300}, {11, 1300}, false};
  const TBouncingImage earlier[] = {{{0.0f, 0.0f}, {1.0f, 1.0f}}};
  bool within_height = false;
  for (std::uint32_t seed = 0; seed < 50; ++seed) {
    RandomSource random(seed);
    const TBouncingImage image = PlaceImage(earlier, params, random);
    EXPECT_EQ(image.Position.X, 0.0f);
    EXPECT_GT(image.Position.Y, 10.0f) << "seed " << seed;
    within_height = within_height || image.Position.Y <= 300.0f;
  }
  EXPECT_TRUE(within_height);
}

TEST(PlaceImage, GivesUpAfterTheHundredthAttempt) {
  // No place on a 100 x 100 field is clear of an image 200 wide at its centre.
  const PlacementParams params{{200, 10}, {100, 100}, false};
  const TBouncingImage earlier[] = {{{50.0f, 50.0f}, {1.0f, 1.0f}}};
  RandomSource random(42u);
  const TBouncingImage image = PlaceImage(earlier, params, random);
  // Four draws an attempt, and the last attempt stands.
  EXPECT_EQ(random.State(), StateAfterDraws(42u, 4 * kPlacementAttempts));
  RandomSource last(StateAfterDraws(42u, 4 * (kPlacementAttempts - 1)));
  last.NextInt(0);  // x: the picture is wider than the field
  const auto y = static_cast<float>(last.NextInt(90));
  EXPECT_EQ(image.Position, TVector(0.0f, y));
}

TEST(PlaceImage, PictureAsLargeAsThePlayfieldGoesToZero) {
  const PlacementParams wider{{640, 20}, {640, 480}, false};
  const PlacementParams both{{1000, 1000}, {640, 480}, true};
  for (const TBouncingImage& image : PlaceAll(50, wider, 1u)) {
    EXPECT_EQ(image.Position.X, 0.0f);
    EXPECT_LT(image.Position.Y, 460.0f);
  }
  for (const TBouncingImage& image : PlaceAll(50, both, 1u)) {
    EXPECT_EQ(image.Position, TVector(0.0f, 0.0f));
  }
  // Sizes whose difference does not fit 32 bits.
  const PlacementParams extreme{{kInt32Max, kInt32Min}, {kInt32Min, kInt32Max}, false};
  RandomSource random(8u);
  const TBouncingImage image = PlaceImage({}, extreme, random);
  EXPECT_EQ(image.Position.X, 0.0f);
  EXPECT_GE(image.Position.Y, 0.0f);
}

// --- Images taking part ---

TEST(ImagesTakingPart, NeverReachesPastTheArray) {
  std::vector<TBouncingImage> images(5);
  EXPECT_EQ(ImagesTakingPart(images, 3).size(), 3u);
  EXPECT_EQ(ImagesTakingPart(images, 3).data(), images.data());
  EXPECT_EQ(ImagesTakingPart(images, 5).size(), 5u);
  EXPECT_EQ(ImagesTakingPart(images, 6).size(), 5u);
  EXPECT_EQ(ImagesTakingPart(images, kInt32Max).size(), 5u);
  EXPECT_EQ(ImagesTakingPart(images, 0).size(), 0u);
  EXPECT_EQ(ImagesTakingPart(images, -1).size(), 0u);
  EXPECT_EQ(ImagesTakingPart({}, 10).size(), 0u);
}

// --- Edge rebound ---

TBouncingImage Moved(TBouncingImage image, PixelSize picture, PixelSize playfield) {
  MoveImages(std::span(&image, 1), picture, playfield);
  return image;
}

TEST(MoveImages, MovesByTheDirectionInside) {
  const TBouncingImage image = Moved({{10.0f, 20.0f}, {0.5f, -0.25f}}, {10, 10}, {100, 100});
  EXPECT_EQ(image.Position, TVector(10.5f, 19.75f));
  EXPECT_EQ(image.Direction, TVector(0.5f, -0.25f));
}

TEST(MoveImages, ReboundsAtZeroWhenNotGreaterThanZero) {
  // Landing on exactly 0 rebounds.
  EXPECT_EQ(Moved({{3.0f, 50.0f}, {-3.0f, 1.0f}}, {10, 10}, {100, 100}).Direction,
            TVector(3.0f, 1.0f));
  EXPECT_EQ(Moved({{50.0f, 2.0f}, {1.0f, -2.0f}}, {10, 10}, {100, 100}).Direction,
            TVector(1.0f, 2.0f));
  // Passing 0 puts the image on the edge; the speed stays.
  const TBouncingImage past = Moved({{0.25f, 0.5f}, {-0.75f, -0.625f}}, {10, 10}, {100, 100});
  EXPECT_EQ(past.Position, TVector(0.0f, 0.0f));
  EXPECT_EQ(past.Direction, TVector(0.75f, 0.625f));
  // Just above 0 does not.
  EXPECT_EQ(Moved({{3.0f, 50.0f}, {-2.5f, 1.0f}}, {10, 10}, {100, 100}).Direction,
            TVector(-2.5f, 1.0f));
}

TEST(MoveImages, ReboundsAtTheFarEdgeWhenNotLessThanPlayfieldLessPicture) {
  // Wc - w = 100 and Hc - h = 70.
  const PixelSize picture{100, 30};
  const PixelSize playfield{200, 100};
  const TBouncingImage onto = Moved({{90.0f, 60.0f}, {10.0f, 10.0f}}, picture, playfield);
  EXPECT_EQ(onto.Position, TVector(100.0f, 70.0f));
  EXPECT_EQ(onto.Direction, TVector(-10.0f, -10.0f));
  const TBouncingImage past = Moved({{95.0f, 65.0f}, {10.0f, 10.0f}}, picture, playfield);
  EXPECT_EQ(past.Position, TVector(100.0f, 70.0f));
  EXPECT_EQ(past.Direction, TVector(-10.0f, -10.0f));
  const TBouncingImage short_of = Moved({{89.5f, 59.5f}, {10.0f, 10.0f}}, picture, playfield);
  EXPECT_EQ(short_of.Position, TVector(99.5f, 69.5f));
  EXPECT_EQ(short_of.Direction, TVector(10.0f, 10.0f));
}

TEST(MoveImages, PictureLargerThanThePlayfieldIsPinnedOnThatAxisOnly) {
  // Both edge tests fire in every step: the image sits at Wc - w and its
  // direction is mirrored twice, so it keeps its sign and its speed.
  TBouncingImage image{{-50.0f, 10.0f}, {0.75f, 1.0f}};
  for (int step = 0; step < 5; ++step) {
    MoveImages(std::span(&image, 1), {150, 10}, {100, 100});
    EXPECT_EQ(image.Position.X, -50.0f);
    EXPECT_EQ(image.Direction.X, 0.75f);
    EXPECT_EQ(image.Position.Y, 11.0f + static_cast<float>(step));
  }
  // From its placement at 0 the first step takes it to the limit.
  const TBouncingImage placed = Moved({{0.0f, 10.0f}, {0.75f, 1.0f}}, {150, 10}, {100, 100});
  EXPECT_EQ(placed.Position.X, -50.0f);
  EXPECT_EQ(std::fabs(placed.Direction.X), 0.75f);
  // Exactly as wide: pinned at 0.
  EXPECT_EQ(Moved({{0.0f, 10.0f}, {0.75f, 1.0f}}, {100, 10}, {100, 100}).Position.X, 0.0f);
  // Sizes whose difference does not fit 32 bits.
  const TBouncingImage extreme =
      Moved({{0.0f, 0.0f}, {1.0f, 1.0f}}, {kInt32Max, kInt32Min}, {kInt32Min, kInt32Max});
  EXPECT_EQ(extreme.Position.X, -static_cast<float>(0x1p32));
  EXPECT_EQ(extreme.Position.Y, 1.0f);
}

TEST(MoveImages, MovesOnlyTheImagesItIsGivenInIndexOrder) {
  std::vector<TBouncingImage> images(3, {{10.0f, 10.0f}, {1.0f, 1.0f}});
  MoveImages(ImagesTakingPart(images, 2), {10, 10}, {100, 100});
  EXPECT_EQ(images[0].Position, TVector(11.0f, 11.0f));
  EXPECT_EQ(images[1].Position, TVector(11.0f, 11.0f));
  EXPECT_EQ(images[2].Position, TVector(10.0f, 10.0f));
  MoveImages(ImagesTakingPart(images, 0), {10, 10}, {100, 100});
  EXPECT_EQ(images[0].Position, TVector(11.0f, 11.0f));
}

// --- The motion step ---

TEST(MotionStep, MovesFirstThenBouncesOnlyWhenAsked) {
  // 66 pixels apart, 64 wide: they touch only after moving one pixel each.
  const std::vector<TBouncingImage> start = {{{100.0f, 100.0f}, {1.0f, 0.0f}},
                                             {{166.0f, 100.0f}, {-1.0f, 0.0f}}};
  CollisionGrid grid;
  auto bouncing = start;
  MotionStep(bouncing, {{64, 64}, {1000, 1000}, true}, grid);
  EXPECT_EQ(bouncing[0].Position, TVector(101.0f, 100.0f));
  EXPECT_EQ(bouncing[0].Direction, TVector(-1.0f, 0.0f));
  EXPECT_EQ(bouncing[1].Direction, TVector(1.0f, 0.0f));

  auto passing = start;
  MotionStep(passing, {{64, 64}, {1000, 1000}, false}, grid);
  EXPECT_EQ(passing[0].Direction, TVector(1.0f, 0.0f));
  EXPECT_EQ(passing[1].Direction, TVector(-1.0f, 0.0f));
}

TEST(MotionStep, OneImageOnlyReboundsAndNoImagesIsNoStep) {
  CollisionGrid grid;
  std::vector<TBouncingImage> one = {{{1.0f, 1.0f}, {-1.0f, -1.0f}}};
  MotionStep(one, {{64, 64}, {1000, 1000}, true}, grid);
  EXPECT_EQ(one[0].Position, TVector(0.0f, 0.0f));
  EXPECT_EQ(one[0].Direction, TVector(1.0f, 1.0f));

  std::vector<TBouncingImage> images(4, {{5.0f, 5.0f}, {1.0f, 1.0f}});
  const auto before = images;
  MotionStep(ImagesTakingPart(images, 0), {{64, 64}, {1000, 1000}, true}, grid);
  EXPECT_TRUE(SameBits(images, before));
}

// --- Steps per frame ---

TEST(StepsPerFrame, IsSpeedPlusOneAndNoneWhenNegative) {
  EXPECT_EQ(StepsPerFrame(0, false), 1);
  EXPECT_EQ(StepsPerFrame(5, false), 6);
  EXPECT_EQ(StepsPerFrame(-1, false), 0);
  EXPECT_EQ(StepsPerFrame(kInt32Min, false), 0);
  // Speed + 1 does not wrap at the top of the range.
  EXPECT_EQ(StepsPerFrame(kInt32Max, false), std::int64_t{kInt32Max} + 1);
}

TEST(StepsPerFrame, PreviewDividesTheSpeedBySixPointFour) {
  EXPECT_EQ(StepsPerFrame(3, true), 1);    // 0.47 rounds to 0
  EXPECT_EQ(StepsPerFrame(10, true), 3);   // 1.56 rounds to 2
  EXPECT_EQ(StepsPerFrame(16, true), 3);   // 2.5 rounds to even 2
  EXPECT_EQ(StepsPerFrame(48, true), 9);   // 7.5 rounds to even 8
  EXPECT_EQ(StepsPerFrame(0, true), 1);
  // The sign is taken after dividing: -3 rounds to 0 and still runs a step.
  EXPECT_EQ(StepsPerFrame(-3, true), 1);
  EXPECT_EQ(StepsPerFrame(-4, true), 0);   // -0.625 rounds to -1
  EXPECT_EQ(StepsPerFrame(kInt32Max, true), 335544321);
}

}  // namespace
}  // namespace ris
