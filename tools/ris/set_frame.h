#pragma once
// One set of a product as the saver shows it: the saver's display, run
// headless over an archive in memory that holds only that set.

#include <span>
#include <string>
#include <string_view>

#include "pack_content.h"
#include "pictures/picture.h"
#include "platform_text.h"

namespace ris::tool {

struct SetFrame {
  PixelImage Frame;   // empty when the display showed nothing
  std::string Error;  // what stopped it, then
};

// The frame after a second of the saver's run at 1024 x 768, the clock at
// ten past ten, so that sheets of the same product are alike.
SetFrame RenderSetFrame(std::string_view settings, std::span<const PackEntry> set_pictures,
                        std::string_view saver, PlatformText& text);

}  // namespace ris::tool
