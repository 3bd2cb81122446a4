#pragma once
// The configuration dialog without a window: its texts measured with
// FreeType as the dialog's labels would show them, and a host whose
// choosers are always cancelled.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "dialog/dialog_host.h"

namespace ris {

class FreeTypeTextRenderer;

// How many lines `text` takes when broken at `width`: at line breaks (CR LF,
// CR or LF), and between words where a line would grow wider. A word wider
// than the line stands alone on its line. An empty text is one line.
std::int32_t WrappedLineCount(std::string_view text, std::int32_t width,
                              const std::function<std::int32_t(std::string_view)>& text_width);

class HeadlessTextMetrics : public DialogTextMetrics {
 public:
  explicit HeadlessTextMetrics(FreeTypeTextRenderer& text) : text_(text) {}

  std::int32_t TextWidth(const TFont& font, std::string_view text, TextEncoding encoding) override;
  std::int32_t LineHeight(const TFont& font) override;
  std::int32_t WrappedTextHeight(const TFont& font, std::string_view text, std::int32_t width) override;
  // The renderer measures, so it reads the texts in the same code page.
  void SetCodePage(CodePage code_page) override;

 private:
  FreeTypeTextRenderer& text_;
};

class HeadlessDialogHost : public DialogHost {
 public:
  std::optional<TColor> PickColor(TColor) override { return std::nullopt; }
  std::optional<TFont> PickFont(const TFont&) override { return std::nullopt; }
  std::string LongTimeText() const override { return "12:00:00"; }
  void EnableAndRaiseOwnerOf(std::uint32_t window) override { RaisedOwnersOf.push_back(window); }
  void SaveFailed(const std::string& problem) override { SaveFailures.push_back(problem); }

  std::vector<std::uint32_t> RaisedOwnersOf;
  std::vector<std::string> SaveFailures;
};

}  // namespace ris
