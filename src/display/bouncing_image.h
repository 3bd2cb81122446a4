#pragma once
// One moving image and the two rules that concern a pair of them: when they
// touch, and how they bounce off each other. Placement and the collision pass
// both go through these, so that every path agrees bit for bit.

#include <cstdint>

#include "display/vector.h"

namespace ris {

struct TBouncingImage {
  TVector Position;   // top-left corner on the playfield, pixels
  TVector Direction;  // displacement of one motion step; its length is the speed
};

// Images are discs of diameter `width` around their top-left corners; the
// height plays no part, also vertically. Two discs touch when
// width >= Distance(a, b), compared exactly (the width is an integer, which a
// float could not always hold). A negative width touches nothing.
bool DiscsTouch(const TVector& a, const TVector& b, std::int32_t width) noexcept;

// The elastic collision of two equal masses: the images exchange the
// components of their directions along the line through their positions.
// Coincident positions give no line and leave both directions as they are.
// Applied whether the images approach each other or already part.
void BounceApart(TBouncingImage& first, TBouncingImage& second) noexcept;

}  // namespace ris
