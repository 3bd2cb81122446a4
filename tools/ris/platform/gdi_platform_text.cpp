// <windows.h> comes first, through the shell's headers: it renames DrawText
// to DrawTextA, and the engine's text renderer must see the same name.
#include "shells/win32/gdi_text.h"
#include "shells/win32/win32_dialog_host.h"

#include "platform_text.h"

namespace ris::tool {
namespace {

class GdiPlatformText : public PlatformText {
 public:
  TextRenderer& Renderer() override { return text_; }
  DialogTextMetrics& DialogMetrics() override { return metrics_; }

 private:
  GdiTextRenderer text_;
  GdiDialogMetrics metrics_{USER_DEFAULT_SCREEN_DPI};
};

}  // namespace

std::unique_ptr<PlatformText> MakePlatformText() { return std::make_unique<GdiPlatformText>(); }

}  // namespace ris::tool
