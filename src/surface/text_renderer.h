#pragma once
// How text reaches the back surface: GDI on Windows, FreeType off it. The
// engine hands over a font as a stored font describes it and a byte string
// in the product's code page, or in UTF-8 for a text the system wrote; the
// platform finds the face, converts the bytes to characters, measures and
// draws.

#include <cstdint>
#include <string_view>

#include "base/code_page.h"
#include "surface/font.h"
#include "surface/surface.h"
#include "surface/surface_rect.h"

namespace ris {

class TextRenderer {
 public:
  virtual ~TextRenderer() = default;

  // The advance width of `text` in pixels, as a text extent measures it: what
  // the next text written after it would start at. 0 for an empty text.
  virtual std::int32_t TextWidth(const TFont& font, std::string_view text, TextEncoding encoding) = 0;

  // Writes `text` with the top-left corner of its character cell at (x, y)
  // (the baseline lies the font's ascent below y), in `colour`, leaving the
  // pixels around the glyphs untouched, clipped to the surface. The font's
  // own colour is not used.
  virtual void DrawText(Surface& surface, const TFont& font, std::int32_t x, std::int32_t y,
                        std::string_view text, TextEncoding encoding, ColourValue colour) = 0;

  // Where DrawText changes pixels for this text, relative to the top-left
  // corner of its cell: every pixel it writes lies inside, and an empty
  // rectangle means it writes none. Frames are composed only where they
  // changed, so ink outside these bounds would be left behind.
  virtual SurfaceRect InkBounds(const TFont& font, std::string_view text, TextEncoding encoding) = 0;

  // Finishes drawing that is still pending before the surface is shown; a
  // platform that batches its text calls completes them here.
  virtual void Flush() {}

  // The code page of the product's texts handed over from now on; the
  // system's ANSI code page until told otherwise.
  void SetCodePage(CodePage code_page) noexcept { code_page_ = code_page; }
  CodePage TextCodePage() const noexcept { return code_page_; }

 protected:
  CodePage CodePageFor(TextEncoding encoding) const noexcept { return CodePageOf(encoding, code_page_); }

 private:
  CodePage code_page_ = kSystemCodePage;
};

}  // namespace ris
