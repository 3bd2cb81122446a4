#pragma once
// The frames of the saver's scenes on several monitors as one picture of
// the desktop, as a user looking at all the monitors at once sees them.

#include <span>

#include "display/monitor_layout.h"
#include "pictures/picture.h"
#include "surface/surface.h"

namespace ris::tool {

// Grey: what lies between monitors of different sizes, which no monitor
// shows.
inline constexpr Bgra kNoMonitor{0x40, 0x40, 0x40, 0xFF};

// The bounding box of the layout's monitors: each monitor shows its part of
// its scene's frame (`scene_frames` in the layout's order; a missing one
// shows black), a monitor without a scene is black. Opaque. Nothing for a
// layout without monitors or a box larger than a picture may be.
PixelImage DesktopFrame(const MonitorLayout& layout, std::span<const Surface* const> scene_frames);

}  // namespace ris::tool
