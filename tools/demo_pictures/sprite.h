#pragma once
// Moving pictures and thumbnails: a shape on a plain backdrop. The saver
// makes the colour of the top-left pixel transparent, so the backdrop must
// fill that corner and no pixel of the shape may have its colour. Edges are
// hard for the same reason: a pixel half shape, half backdrop would show as
// a fringe of backdrop colour around the shape.

#include <functional>
#include <optional>

#include "color.h"
#include "image.h"

namespace ris::demo {

// The shape's colour at (u, v), both from 0 to 1 across the picture, or
// nothing where the backdrop shows.
using SpriteShape = std::function<std::optional<Rgb>(float u, float v)>;

// A size x size picture of the shape. Shape pixels are opaque, backdrop
// pixels fully transparent, for formats that keep alpha.
Image RenderSprite(int size, Pixel backdrop, const SpriteShape& shape);

}  // namespace ris::demo
