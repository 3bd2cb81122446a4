#pragma once
// The monitors of the desktop, as the saver places its scenes on them.

#include <vector>

#include "display/screen_cover.h"

namespace ris {

// Every monitor's rectangle in desktop coordinates, the primary one first.
std::vector<ScreenRect> DesktopMonitors();

}  // namespace ris
