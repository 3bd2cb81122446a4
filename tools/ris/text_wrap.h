#pragma once
// Long texts the maker's commands draw into pictures (findings, errors),
// broken into lines that fit a width.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "surface/surface_canvas.h"

namespace ris::tool {

// Greedy word wrap at blanks, measured in the canvas's font; a word wider
// than `width` stands on a line of its own.
std::vector<std::string> WrappedToWidth(const TCanvas& canvas, std::string_view text, std::int32_t width);

}  // namespace ris::tool
