#include "display/motion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
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

TEST(InitialDirection, IsTheRealsLessOneHalfWithZeroComponentsReplacedLast) {
  const struct { double r1, r2; bool fixed; TVector expected; } cases[] = {
      {0.0, 0.75, false, {-0.5f, 0.25f}}, {0.2, 0.9, false, {-0.3f, 0.4f}},
      // Rounded to float once: 0.5 - 2^-32 is stored as 0.5.
      {0x1.fffffffep-1, 0.25, false, {0.5f, -0.25f}},
      {0.2, 0.9, true, {-0.6f, 0.8f}}, {0.5, 0.9, false, {1.0f, 0.4f}},
      {0.9, 0.5, false, {0.4f, 1.0f}},
      {0.5, 0.5, true, {1.0f, 1.0f}},  // the zero vector cannot be normalised
      // (0, 0.4) normalises to (0, 1) before the 0 is replaced: length √2, not 1.
      {0.5, 0.9, true, {1.0f, 1.0f}}, {0.1, 0.5, true, {-1.0f, 1.0f}},
  };
  for (const auto& c : cases) {
    const TVector d = InitialDirection(c.r1, c.r2, c.fixed);
    EXPECT_EQ(d, c.expected) << "r1 " << c.r1 << ", r2 " << c.r2 << ", fixed " << c.fixed
                             << ": got (" << d.X << ", " << d.Y << ")";
  }
}

TEST(PlaceImage, DrawsXThenYThenTheDirectionRealsOnce) {
  RandomSource random(77u);
  const TBouncingImage image = PlaceImage({}, {{40, 30}, {640, 480}, false}, random);
  RandomSource reference(77u);
  const auto x = static_cast<float>(reference.NextInt(600));
  const auto y = static_cast<float>(reference.NextInt(450));
  EXPECT_EQ(image.Position, TVector(x, y));
  const double r1 = reference.NextReal();
  EXPECT_EQ(image.Direction, InitialDirection(r1, reference.NextReal(), false));
  EXPECT_EQ(random.State(), reference.State()) << "with nothing to avoid, one attempt";
}

TEST(PlaceImage, PositionsAreWholePixelsInRangeAndDirectionsHaveTheChosenSpeed) {
  const struct { PlacementParams params; std::size_t count; } cases[] = {
      {{{100, 50}, {300, 200}, false}, 300},
      {{{8, 8}, {4000, 3000}, true}, 500}, {{{8, 8}, {4000, 3000}, false}, 500},
      // As wide as the playfield, and larger on both axes: 0 there.
      {{{640, 20}, {640, 480}, false}, 50}, {{{1000, 1000}, {640, 480}, true}, 50},
  };
  // A whole pixel in [0, room), or 0 where the picture does not fit.
  const auto in_range = [](float v, std::int32_t room) {
    return v == std::floor(v) && v >= 0.0f &&
           (room <= 0 ? v == 0.0f : v < static_cast<float>(room));
  };
  for (const auto& [params, count] : cases) {
    const PixelSize picture = params.Picture, field = params.Playfield;
    SCOPED_TRACE(testing::Message() << picture.Width << "x" << picture.Height << " on "
                                    << field.Width << "x" << field.Height);
    for (const TBouncingImage& image : PlaceAll(count, params, 9u)) {
      const TVector &p = image.Position, &d = image.Direction;
      ASSERT_TRUE(in_range(p.X, field.Width - picture.Width)) << p.X;
      ASSERT_TRUE(in_range(p.Y, field.Height - picture.Height)) << p.Y;
      ASSERT_TRUE(d.X != 0.0f && d.Y != 0.0f) << d.X << ", " << d.Y;
      if (params.FixedSpeed) {
        ASSERT_NEAR(d.Length(), 1.0f, 1e-6f);
      } else {
        ASSERT_LT(d.Length(), 0.7072f);
        ASSERT_LE(std::fabs(d.X), 0.5f);
      }
    }
  }
  // Sizes whose difference does not fit 32 bits.
  RandomSource random(8u);
  const TBouncingImage image =
      PlaceImage({}, {{kInt32Max, kInt32Min}, {kInt32Min, kInt32Max}, false}, random);
  EXPECT_EQ(image.Position.X, 0.0f);
  EXPECT_GE(image.Position.Y, 0.0f);
}

TEST(PlaceImage, KeepsClearOfEarlierImagesWhereThereIsRoom) {
  // Dense enough that testing only the latest image would let some overlap.
  const auto images = PlaceAll(150, {{20, 20}, {1000, 1000}, false}, 3u);
  for (std::size_t i = 0; i < images.size(); ++i) {
    for (std::size_t j = 0; j < i; ++j) {
      EXPECT_GT(images[i].Position.Distance(images[j].Position), 20.0f) << i << ", " << j;
    }
  }
}

TEST(PlaceImage, OnlyTheWidthCountsAlsoVertically) {
  // x is always 0 on a field one pixel wider than the picture. A picture 10
  // wide and 300 high avoids an image at (0, 0) by more than 10, not by 300.
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
  const TBouncingImage earlier[] = {{{50.0f, 50.0f}, {1.0f, 1.0f}}};
  RandomSource random(42u);
  const TBouncingImage image = PlaceImage(earlier, {{200, 10}, {100, 100}, false}, random);
  // Four draws an attempt, and the last attempt stands.
  EXPECT_EQ(random.State(), StateAfterDraws(42u, 4 * kPlacementAttempts));
  RandomSource last(StateAfterDraws(42u, 4 * (kPlacementAttempts - 1)));
  last.NextInt(0);  // x: the picture is wider than the field
  EXPECT_EQ(image.Position, TVector(0.0f, static_cast<float>(last.NextInt(90))));
}

TEST(ImagesTakingPart, IsTheFirstNrImagesNeverPastTheArray) {
  std::vector<TBouncingImage> images(5);
  const std::pair<std::int64_t, std::size_t> cases[] = {
      {3, 3}, {5, 5}, {6, 5}, {kInt32Max, 5}, {0, 0}, {-1, 0}};
  for (const auto& [nr_images, size] : cases) {
    const auto part = ImagesTakingPart(images, nr_images);
    EXPECT_EQ(part.size(), size) << "nrImages " << nr_images;
    EXPECT_EQ(part.data(), images.data());
  }
  EXPECT_EQ(ImagesTakingPart({}, 10).size(), 0u);
}

TEST(MoveImages, MovesThenReboundsAtZeroAndAtPlayfieldLessPicture) {
  const PixelSize small{10, 10}, field{100, 100};
  const PixelSize wide{100, 30}, field_2{200, 100};  // far limits 100 and 70
  const struct { const char* what; TBouncingImage start; PixelSize picture, playfield;
                 TBouncingImage end; } cases[] = {
      {"inside", {{10, 20}, {0.5f, -0.25f}}, small, field, {{10.5f, 19.75f}, {0.5f, -0.25f}}},
      {"onto 0 on x", {{3, 50}, {-3, 1}}, small, field, {{0, 51}, {3, 1}}},
      {"onto 0 on y", {{50, 2}, {1, -2}}, small, field, {{51, 0}, {1, 2}}},
      {"past 0", {{0.25f, 0.5f}, {-0.75f, -0.625f}}, small, field, {{0, 0}, {0.75f, 0.625f}}},
      {"just above 0", {{3, 50}, {-2.5f, 1}}, small, field, {{0.5f, 51}, {-2.5f, 1}}},
      {"onto the far limit", {{90, 60}, {10, 10}}, wide, field_2, {{100, 70}, {-10, -10}}},
      {"past the far limit", {{95, 65}, {10, 10}}, wide, field_2, {{100, 70}, {-10, -10}}},
      {"short of it", {{89.5f, 59.5f}, {10, 10}}, wide, field_2, {{99.5f, 69.5f}, {10, 10}}},
      {"as wide: pinned at 0", {{0, 10}, {0.75f, 1}}, {100, 10}, field, {{0, 11}, {-0.75f, 1}}},
      {"wider, from 0", {{0, 10}, {0.75f, 1}}, {150, 10}, field, {{-50, 11}, {-0.75f, 1}}},
      // Both edge tests fire: mirrored twice, the direction keeps its sign.
      {"wider, pinned", {{-50, 10}, {0.75f, 1}}, {150, 10}, field, {{-50, 11}, {0.75f, 1}}},
      {"sizes beyond 32 bits", {{0, 0}, {1, 1}}, {kInt32Max, kInt32Min}, {kInt32Min, kInt32Max},
       {{-0x1p32f, 1}, {-1, 1}}},
  };
  for (const auto& c : cases) {
    TBouncingImage image = c.start;
    MoveImages(std::span(&image, 1), c.picture, c.playfield);
    EXPECT_TRUE(image.Position == c.end.Position && image.Direction == c.end.Direction)
        << c.what << ": at (" << image.Position.X << ", " << image.Position.Y << ") towards ("
        << image.Direction.X << ", " << image.Direction.Y << ")";
  }
}

TEST(MotionStep, MovesTheImagesTakingPartThenBouncesOnlyWhenAsked) {
  // 66 pixels apart and 64 wide, they touch only after moving a pixel each.
  const std::vector<TBouncingImage> start = {{{100.0f, 100.0f}, {1.0f, 0.0f}},
                                             {{166.0f, 100.0f}, {-1.0f, 0.0f}},
                                             {{500.0f, 500.0f}, {1.0f, 1.0f}}};
  CollisionGrid grid;
  for (const bool bounce : {true, false}) {
    SCOPED_TRACE(bounce ? "bouncing" : "passing through");
    auto images = start;
    MotionStep(ImagesTakingPart(images, 2), {{64, 64}, {1000, 1000}, bounce}, grid);
    EXPECT_EQ(images[0].Position, TVector(101.0f, 100.0f));
    EXPECT_EQ(images[1].Position, TVector(165.0f, 100.0f));
    EXPECT_EQ(images[2].Position, start[2].Position) << "not taking part";
    EXPECT_EQ(images[0].Direction, TVector(bounce ? -1.0f : 1.0f, 0.0f));
    EXPECT_EQ(images[1].Direction, TVector(bounce ? 1.0f : -1.0f, 0.0f));
  }
}

// Two monitors across one playfield of 3200 x 1080: the part below the
// smaller right one (1920..3200 x 1024..1080) is a wall; pictures 100 x 50.
TEST(KeepOutOfWalls, PutsAnImageOutAcrossTheNearestSideThatKeepsItOnThePlayfield) {
  const std::vector<SurfaceRect> walls{{1920, 1024, 3200, 1080}};
  const struct {
    TVector position, direction, expected_position, expected_direction;
  } cases[] = {
      {{2500, 1000}, {1, 1}, {2500, 974}, {1, -1}},     // up, turned away
      {{1850, 1010}, {1, 1}, {1820, 1010}, {-1, 1}},    // left: nearer than up
      {{1000, 1030}, {1, 1}, {1000, 1030}, {1, 1}},     // beside the wall
      {{2500, 900}, {-2, 3}, {2500, 900}, {-2, 3}},     // above it
  };
  for (const auto& c : cases) {
    std::vector<TBouncingImage> images{{c.position, c.direction}};
    KeepOutOfWalls(images, {100, 50}, {3200, 1080}, walls);
    EXPECT_EQ(images[0].Position, c.expected_position) << c.position.X << "," << c.position.Y;
    EXPECT_EQ(images[0].Direction, c.expected_direction) << c.position.X << "," << c.position.Y;
  }
  // A wall no side can be left across leaves the image as it is.
  std::vector<TBouncingImage> pinned{{{10, 10}, {1, 1}}};
  KeepOutOfWalls(pinned, {100, 50}, {120, 60}, std::vector<SurfaceRect>{{0, 0, 120, 60}});
  EXPECT_EQ(pinned[0].Position, (TVector{10, 10}));
}

TEST(PlaceImage, NeverInAWallWhereThereIsRoom) {
  const std::vector<SurfaceRect> walls{{0, 0, 300, 200}};  // all but a strip on the right
  RandomSource random(7);
  for (int i = 0; i < 50; ++i) {
    const TBouncingImage image = PlaceImage({}, {{20, 20}, {400, 200}, false, walls}, random);
    EXPECT_GE(image.Position.X, 300.0f);
  }
}

TEST(StepsPerFrame, IsSpeedPlusOneAndInThePreviewRoundedSpeedOverSixPointFour) {
  const struct { std::int32_t speed; bool preview; std::int64_t steps; } cases[] = {
      {0, false, 1}, {5, false, 6}, {-1, false, 0}, {kInt32Min, false, 0},
      {kInt32Max, false, std::int64_t{kInt32Max} + 1},  // does not wrap
      {0, true, 1},
      {3, true, 1},   // 0.47 rounds to 0
      {10, true, 3},  // 1.56 rounds to 2
      {16, true, 3},  // 2.5 rounds to even 2
      {48, true, 9},  // 7.5 rounds to even 8
      {-3, true, 1},  // the sign is taken after rounding: -0.47 is 0
      {-4, true, 0},  // -0.625 rounds to -1
      {kInt32Max, true, 335544321},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(StepsPerFrame(c.speed, c.preview), c.steps)
        << "speed " << c.speed << (c.preview ? " in the preview" : "");
  }
}

}  // namespace
}  // namespace ris
