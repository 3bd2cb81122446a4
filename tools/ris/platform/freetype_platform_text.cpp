#include "platform_text.h"
#include "shells/headless/freetype_text.h"
#include "shells/headless/headless_dialog.h"

namespace ris::tool {
namespace {

class FreeTypePlatformText : public PlatformText {
 public:
  TextRenderer& Renderer() override { return text_; }
  DialogTextMetrics& DialogMetrics() override { return metrics_; }

 private:
  FreeTypeTextRenderer text_;
  HeadlessTextMetrics metrics_{text_};
};

}  // namespace

std::unique_ptr<PlatformText> MakePlatformText() { return std::make_unique<FreeTypePlatformText>(); }

}  // namespace ris::tool
