#pragma once
// The collision pass of the motion step. Every pair of images whose discs
// touch (DiscsTouch) bounces apart (BounceApart), pairs taken as (i, j) with
// i < j in lexicographic order. Positions do not change during a pass, so
// which pairs touch is settled before the first bounce; the directions do
// change, and a later pair sees what earlier pairs made of them, so the order
// is part of the result.

#include <cstdint>
#include <span>
#include <vector>

#include "display/bouncing_image.h"

namespace ris {

// Tests every pair: quadratic in the number of images. The reference that the
// grid must match bit for bit.
void CollideAllPairs(std::span<TBouncingImage> images, std::int32_t width) noexcept;

// The same pass, bit for bit, with the touching pairs found through a uniform
// grid of cells a little wider than the picture, so that each image is tested
// only against the images in its own and the eight neighbouring cells. The
// dialog allows 10,000 images, where testing every pair each step is too slow.
//
// Any finite positions are handled, inside the playfield or not, and any
// width; images at an infinite position touch nothing, as under
// CollideAllPairs. The object keeps its buffers between passes: after the
// first pass over a given number of images, passes over as many or fewer
// allocate nothing. Keep one per display and reuse it.
class CollisionGrid {
 public:
  void Collide(std::span<TBouncingImage> images, std::int32_t width);

 private:
  struct Member {
    float X;
    float Y;
    std::uint32_t Index;
  };

  // Sorts the images into cells; false when no image can touch another.
  bool Build(std::span<const TBouncingImage> images, std::int32_t width);

  double cell_size_ = 1.0;
  double origin_x_ = 0.0;
  double origin_y_ = 0.0;
  std::uint32_t columns_ = 0;
  std::uint32_t rows_ = 0;
  std::vector<std::uint32_t> cell_of_;     // per image; kNoCell when not finite
  std::vector<std::uint32_t> cell_start_;  // members_ of cell c: [c], [c + 1])
  std::vector<std::uint32_t> fill_;        // next free slot per cell while sorting
  std::vector<Member> members_;            // by cell, ascending index within a cell
  std::vector<std::uint32_t> partners_;    // room for the partners j > i of one image
};

}  // namespace ris
