#pragma once
// The two texts over every frame, each over a black drop shadow: the clock
// flush with the top-right corner of the overlays' area (the primary
// monitor's part of the frame), always white, and the set's name at its
// top-left corner in its font's colour. Each can tell the pixels it covers,
// shadow included, so that a frame redrawn in parts knows when to draw it.

#include <cstdint>
#include <string_view>

#include "surface/font.h"
#include "surface/surface_canvas.h"
#include "surface/surface_rect.h"

namespace ris {

// The clock's right edge lies 2 pixels inside the area's; its shadow
// lies 2 pixels right of and below it. The font's colour is not used. Its
// text is the system's, in UTF-8 (see DisplayHost::LongTimeText).
void DrawClockOverlay(TCanvas& canvas, const TFont& font, SurfaceRect area, std::string_view text);
SurfaceRect ClockOverlayBounds(TCanvas& canvas, const TFont& font, SurfaceRect area, std::string_view text);

// The shadow lies 1 pixel right of and below the name.
void DrawSetNameOverlay(TCanvas& canvas, const TFont& font, SurfaceRect area, std::string_view name);
SurfaceRect SetNameOverlayBounds(TCanvas& canvas, const TFont& font, SurfaceRect area, std::string_view name);

}  // namespace ris
