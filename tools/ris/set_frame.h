#pragma once
// One set of a product as the saver shows it: the saver's display, run
// headless over an archive in memory that holds only that set.

#include <span>
#include <string>
#include <string_view>

#include "pack_content.h"
#include "base/pixel_size.h"
#include "startup/command_line.h"
#include "surface/frame_timer.h"
#include "pictures/picture.h"
#include "platform_text.h"
#include "shells/headless/headless_system.h"

namespace ris::tool {

struct SetFrame {
  PixelImage Frame;   // empty when the display showed nothing
  std::string Error;  // what stopped it, then
};

// The local time of day in seconds, for a clock that shows the time now.
std::uint32_t LocalSecondOfDay();

// How the display is run for one frame: the screen, saver or preview
// mode, the clock's time of day and how long it runs first.
struct FrameRun {
  PixelSize Screen{1024, 768};
  RunMode Mode = rmSaver;
  std::uint32_t SecondOfDay = 10 * 3600 + 10 * 60;
  Milliseconds RunTime = 1000;
};

// The last frame the saver's display presents over the archive `system`
// answers, run headless as `run` says.
SetFrame RenderFrame(HeadlessSystem& system, PlatformText& text, const FrameRun& run);

// The frame after a second of the saver's run at 1024 x 768, the clock at
// ten past ten, so that sheets of the same product are alike.
SetFrame RenderSetFrame(std::string_view settings, std::span<const PackEntry> set_pictures,
                        std::string_view saver, PlatformText& text);

}  // namespace ris::tool
