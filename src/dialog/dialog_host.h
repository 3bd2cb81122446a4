#pragma once
// What the configuration dialog needs of the window system besides the
// registry, the shell and the archive: how big its texts are, the system's
// colour and font choosers, the time of day, and the window it was opened
// from.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/code_page.h"
#include "surface/font.h"

namespace ris {

// Text measured as the dialog's labels show it, in pixels at 96 dots per
// inch.
class DialogTextMetrics {
 public:
  virtual ~DialogTextMetrics() = default;

  // The width of one line of text, the product's or the system's.
  virtual std::int32_t TextWidth(const TFont& font, std::string_view text, TextEncoding encoding) = 0;
  // The height of one line: what an auto-sized label is high.
  virtual std::int32_t LineHeight(const TFont& font) = 0;
  // The height of `text` broken into lines at `width`: at CR LF, and between
  // words where a line would grow wider; tabs expanded. An empty text is one
  // line high.
  virtual std::int32_t WrappedTextHeight(const TFont& font, std::string_view text,
                                         std::int32_t width) = 0;

  // The code page of the product's texts measured from now on; the
  // system's ANSI code page until told otherwise.
  virtual void SetCodePage(CodePage code_page) { code_page_ = code_page; }
  CodePage TextCodePage() const noexcept { return code_page_; }

 private:
  CodePage code_page_ = kSystemCodePage;
};

class DialogHost {
 public:
  virtual ~DialogHost() = default;

  // The system's colour chooser opened on `initial`; the colour accepted, or
  // nothing when the user cancelled.
  virtual std::optional<TColor> PickColor(TColor initial) = 0;
  // The system's font chooser with its effects (underline, strike-out,
  // colour), offering only fonts that exist.
  virtual std::optional<TFont> PickFont(const TFont& initial) = 0;
  // The current local time in the user's long time format, in UTF-8 (see
  // DisplayHost::LongTimeText).
  virtual std::string LongTimeText() const = 0;
  // Enables the window that owns `window` and brings it to the front.
  virtual void EnableAndRaiseOwnerOf(std::uint32_t window) = 0;
  // A setting that could not be stored when the dialog ended; the shell
  // tells them once the dialog is gone.
  virtual void SaveFailed(const std::string& problem) = 0;
};

}  // namespace ris
