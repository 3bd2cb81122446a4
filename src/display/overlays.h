#pragma once
// The two texts over every frame, each over a black drop shadow: the clock
// flush with the top-right corner, always white, and the set's name at the
// top-left corner in its font's colour.

#include <cstdint>
#include <string>

#include "surface/font.h"
#include "surface/surface_canvas.h"

namespace ris {

// The clock's right edge lies 2 pixels inside `client_width`; its shadow
// lies 2 pixels right of and below it. The font's colour is not used.
void DrawClockOverlay(TCanvas& canvas, const TFont& font, std::int32_t client_width,
                      const std::string& text);

// The shadow lies 1 pixel right of and below the name.
void DrawSetNameOverlay(TCanvas& canvas, const TFont& font, const std::string& name);

}  // namespace ris
