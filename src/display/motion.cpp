#include "display/motion.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/rounding.h"

namespace ris {
namespace {

// Random(limit) for a picture of `picture` pixels on a playfield of `field`:
// 0 where the picture does not fit. The draw is made either way, so that the
// sequence of draws does not depend on the sizes.
float RandomCoordinate(std::int32_t field, std::int32_t picture, RandomSource& random) noexcept {
  const std::int64_t room = std::int64_t{field} - picture;
  const auto range = static_cast<std::int32_t>(
      std::clamp<std::int64_t>(room, 0, std::numeric_limits<std::int32_t>::max()));
  return static_cast<float>(random.NextInt(range));
}

bool OverlapsAny(const TVector& position, std::span<const TBouncingImage> earlier,
                 std::int32_t width) noexcept {
  return std::any_of(earlier.begin(), earlier.end(), [&](const TBouncingImage& other) {
    return DiscsTouch(position, other.Position, width);
  });
}

// One axis of a step: move, then the two edge tests as they stand. When the
// picture does not fit, limit is 0 or less and the second test pins the
// position there; the direction is mirrored twice and keeps its sign.
void MoveAlongAxis(float& position, float& direction, std::int64_t limit) noexcept {
  position = ToSingle(static_cast<long double>(position) + direction);
  if (position <= 0.0f) {
    position = 0.0f;
    direction = -direction;
  }
  if (static_cast<long double>(limit) <= position) {
    position = static_cast<float>(limit);
    direction = -direction;
  }
}

// The picture's pixels at the position, as the frame draws them.
bool InWall(const TVector& position, PixelSize picture, std::span<const SurfaceRect> walls) noexcept {
  const double left = position.X;
  const double top = position.Y;
  const double right = left + picture.Width;
  const double bottom = top + picture.Height;
  return std::any_of(walls.begin(), walls.end(), [&](const SurfaceRect& wall) {
    return left < wall.Right && wall.Left < right && top < wall.Bottom && wall.Top < bottom;
  });
}

// A way out of a wall: the coordinate the image takes on one axis and the
// sign its direction takes there.
struct WayOut {
  double To = 0;
  bool Fits = false;  // the picture stays on the playfield there
  bool AlongX = false;
  float Away = 1.0f;
};

// Moves the image out of one wall it overlaps, by the least distance that
// keeps the picture on the playfield.
void LeaveWall(TBouncingImage& image, PixelSize picture, PixelSize playfield, const SurfaceRect& wall) noexcept {
  const std::int64_t w = picture.Width;
  const std::int64_t h = picture.Height;
  const WayOut ways[] = {
      {static_cast<double>(wall.Left - w), wall.Left - w >= 0, true, -1.0f},
      {static_cast<double>(wall.Right), wall.Right + w <= playfield.Width, true, 1.0f},
      {static_cast<double>(wall.Top - h), wall.Top - h >= 0, false, -1.0f},
      {static_cast<double>(wall.Bottom), wall.Bottom + h <= playfield.Height, false, 1.0f},
  };
  const auto distance = [&](const WayOut& way) {
    return std::abs(way.To - (way.AlongX ? image.Position.X : image.Position.Y));
  };
  const WayOut* best = nullptr;
  for (const WayOut& way : ways) {
    if (way.Fits && (best == nullptr || distance(way) < distance(*best))) best = &way;
  }
  if (best == nullptr) return;
  float& position = best->AlongX ? image.Position.X : image.Position.Y;
  float& direction = best->AlongX ? image.Direction.X : image.Direction.Y;
  position = static_cast<float>(best->To);
  direction = std::copysign(direction, best->Away);
}

}  // namespace

void KeepOutOfWalls(std::span<TBouncingImage> images, PixelSize picture, PixelSize playfield,
                    std::span<const SurfaceRect> walls) noexcept {
  for (TBouncingImage& image : images) {
    for (const SurfaceRect& wall : walls) {
      if (InWall(image.Position, picture, std::span(&wall, 1))) LeaveWall(image, picture, playfield, wall);
    }
  }
}

TVector InitialDirection(double r1, double r2, bool fixed_speed) noexcept {
  TVector direction(ToSingle(static_cast<long double>(r1) - 0.5L),
                    ToSingle(static_cast<long double>(r2) - 0.5L));
  if (fixed_speed) direction.Normalize();
  if (direction.X == 0.0f) direction.X = 1.0f;
  if (direction.Y == 0.0f) direction.Y = 1.0f;
  return direction;
}

TBouncingImage PlaceImage(std::span<const TBouncingImage> earlier, const PlacementParams& params,
                          RandomSource& random) {
  TBouncingImage image;
  for (int attempt = 0; attempt < kPlacementAttempts; ++attempt) {
    const float x = RandomCoordinate(params.Playfield.Width, params.Picture.Width, random);
    const float y = RandomCoordinate(params.Playfield.Height, params.Picture.Height, random);
    image.Position.SetXY(x, y);
    const double r1 = random.NextReal();
    const double r2 = random.NextReal();
    image.Direction = InitialDirection(r1, r2, params.FixedSpeed);
    if (!OverlapsAny(image.Position, earlier, params.Picture.Width) &&
        !InWall(image.Position, params.Picture, params.Walls)) {
      break;
    }
  }
  KeepOutOfWalls(std::span(&image, 1), params.Picture, params.Playfield, params.Walls);
  return image;
}

std::span<TBouncingImage> ImagesTakingPart(std::span<TBouncingImage> images,
                                           std::int64_t nr_images) noexcept {
  const auto available = static_cast<std::int64_t>(images.size());
  return images.first(static_cast<std::size_t>(std::clamp<std::int64_t>(nr_images, 0, available)));
}

void MoveImages(std::span<TBouncingImage> images, PixelSize picture, PixelSize playfield) noexcept {
  const std::int64_t limit_x = std::int64_t{playfield.Width} - picture.Width;
  const std::int64_t limit_y = std::int64_t{playfield.Height} - picture.Height;
  for (TBouncingImage& image : images) {
    MoveAlongAxis(image.Position.X, image.Direction.X, limit_x);
    MoveAlongAxis(image.Position.Y, image.Direction.Y, limit_y);
  }
}

void MotionStep(std::span<TBouncingImage> images, const MotionParams& params, CollisionGrid& grid) {
  MoveImages(images, params.Picture, params.Playfield);
  if (params.BounceImages) grid.Collide(images, params.Picture.Width);
  KeepOutOfWalls(images, params.Picture, params.Playfield, params.Walls);
}

std::int64_t StepsPerFrame(std::int32_t speed, bool preview) noexcept {
  const std::int32_t s = preview ? DivideByPreviewDivisor(speed) : speed;
  return s < 0 ? 0 : std::int64_t{s} + 1;
}

}  // namespace ris
