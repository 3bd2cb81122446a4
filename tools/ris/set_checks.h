#pragma once
// Checks of a product's pictures: every set needs a background, a moving
// picture and a thumbnail, and every picture must be one the saver can show.

#include <cstddef>
#include <span>

#include "pack_content.h"
#include "pack_findings.h"

namespace ris::tool {

class Progress;

// Sorts the pictures into sets as the saver does and reports what is
// missing; returns the number of sets.
// `progress`, when given, is told of each picture as it is decoded.
std::size_t CheckPictureSets(std::span<const PackEntry> pictures, PackFindings& findings,
                             Progress* progress = nullptr);

}  // namespace ris::tool
