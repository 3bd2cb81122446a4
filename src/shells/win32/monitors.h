#pragma once
// The monitors of the desktop that get a black window of the saver besides
// its main window on the primary one.

#include <vector>

#include "display/screen_cover.h"

namespace ris {

std::vector<ScreenRect> OtherMonitorRects();

}  // namespace ris
