#pragma once
// Where the background picture goes on a frame: centred, at its own size
// while it fits (or unless small pictures are to be stretched), otherwise
// scaled to fit the surface with its proportions kept.

#include <optional>

#include "base/pixel_size.h"
#include "surface/scaler.h"

namespace ris {

// The target rectangle, or nothing for an empty picture or surface (the
// frame then shows only the background colour).
std::optional<SurfaceRect> BackgroundRect(PixelSize surface, PixelSize picture,
                                          bool stretch_small_images) noexcept;

// The size of that rectangle, which the picture's pixels need only cover;
// empty when the picture is not drawn.
PixelSize BackgroundStretchSize(PixelSize surface, PixelSize picture, bool stretch_small_images) noexcept;

}  // namespace ris
