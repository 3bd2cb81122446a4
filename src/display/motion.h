#pragma once
// The motion model of the moving images: random placement, the motion step
// (rebound from the playfield's edges, then collisions between images) and
// the number of steps per frame.
//
// It works only on values it is handed, so it runs before and without the
// settings model and the display: the display passes the settings nrImages,
// Speed, fixedSpeed and bounceImages, the size of the moving picture (read
// afresh at every use, since a set change changes it) and the playfield size.
//
// Typical use by the display:
//
//   // start-up, and for each image the user adds:
//   images[i] = PlaceImage(std::span(images).first(i), placement, random);
//   // each frame:
//   auto moving = ImagesTakingPart(images, nrImages);
//   for (std::int64_t s = StepsPerFrame(Speed, preview); s > 0; --s)
//     MotionStep(moving, motion, grid);
//
// All sizes are whole pixels. A picture as large as the playfield or larger
// on an axis is allowed: it is placed at 0 on that axis and the motion step
// pins it at the far edge's limit (playfield minus picture, which is 0 or
// less) without fault.

#include <cstdint>
#include <span>

#include "base/pixel_size.h"
#include "base/random_source.h"
#include "display/bouncing_image.h"
#include "display/collision_grid.h"
#include "surface/surface_rect.h"

namespace ris {


struct PlacementParams {
  PixelSize Picture;    // w x h of the moving picture
  PixelSize Playfield;  // W x H: the display's client area in preview mode, else the screen
  bool FixedSpeed = false;
  // Parts of the playfield no monitor shows (see KeepOutOfWalls).
  std::span<const SurfaceRect> Walls = {};
};

struct MotionParams {
  PixelSize Picture;    // w x h of the moving picture
  PixelSize Playfield;  // Wc x Hc: the display's client area
  bool BounceImages = false;
  std::span<const SurfaceRect> Walls = {};
};

// Attempts at placing an image clear of the earlier ones; the last attempt
// stands even if it overlaps.
inline constexpr int kPlacementAttempts = 100;

// A new image at a random position and with a random direction, clear of the
// discs of the `earlier` images where 100 attempts find such a place. Each
// attempt draws, in this order: x in [0, W - w), y in [0, H - h) (0 on an
// axis where the picture does not fit), then two reals for the direction.
// A place in a wall counts as taken; the last attempt is put out of walls.
TBouncingImage PlaceImage(std::span<const TBouncingImage> earlier, const PlacementParams& params,
                          RandomSource& random);

// The direction made from two uniform reals r1, r2 in [0, 1): (r1 - 0.5,
// r2 - 0.5), normalised to length 1 when the speed is fixed; afterwards a
// component that is exactly 0 becomes 1.0, so that every image moves on both
// axes. The replacement changes the length of a fixed-speed direction.
TVector InitialDirection(double r1, double r2, bool fixed_speed) noexcept;

// The first nrImages images, or all of them when there are fewer; none when
// nrImages is negative. The only images that move and are drawn.
std::span<TBouncingImage> ImagesTakingPart(std::span<TBouncingImage> images,
                                           std::int64_t nr_images) noexcept;

// Moves every image one step, in index order, mirroring a direction
// component at the edges: at 0 when the position is not greater than 0, then
// at Wc - w (Hc - h) when the position is not less than that. Both tests run
// on each axis in every step.
void MoveImages(std::span<TBouncingImage> images, PixelSize picture, PixelSize playfield) noexcept;

// Puts every image whose picture overlaps a wall (a part of the playfield no
// monitor shows) back out of it across the wall's nearest side that leaves
// the picture on the playfield, its direction on that axis turned away from
// the wall: the walls rebound the images as the edges do. Nothing without
// walls, nor for an image no side can take.
void KeepOutOfWalls(std::span<TBouncingImage> images, PixelSize picture, PixelSize playfield,
                    std::span<const SurfaceRect> walls) noexcept;

// One motion step: MoveImages, then, when BounceImages is set, the collision
// pass through `grid` (see collision_grid.h), which keeps its buffers, then
// KeepOutOfWalls.
void MotionStep(std::span<TBouncingImage> images, const MotionParams& params, CollisionGrid& grid);

// Motion steps per frame: S + 1, where S is `speed`, or in the preview speed
// divided by 6.4 rounded halves to even; none when S is negative. 64 bits,
// since Speed may be as large as INT32_MAX.
std::int64_t StepsPerFrame(std::int32_t speed, bool preview) noexcept;

}  // namespace ris
