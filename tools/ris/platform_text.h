#pragma once
// Text as the saver draws and measures it on the platform ris runs on:
// FreeType and fontconfig off Windows, GDI on Windows. What a maker sees in
// a render or a dialog listing then matches the saver on that machine.

#include <memory>

#include "dialog/dialog_host.h"
#include "surface/text_renderer.h"

namespace ris::tool {

class PlatformText {
 public:
  virtual ~PlatformText() = default;
  virtual TextRenderer& Renderer() = 0;
  // Dialog texts measured at 96 dots per inch, as the dialog's model wants them.
  virtual DialogTextMetrics& DialogMetrics() = 0;
};

std::unique_ptr<PlatformText> MakePlatformText();

}  // namespace ris::tool
