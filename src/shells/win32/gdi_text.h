#pragma once
// Text with GDI. Glyphs are drawn white on black into a small DIB section of
// our own, in greyscale anti-aliasing, and that coverage is laid over the
// back surface in the text's colour: the surface stays plain memory, and the
// text looks as GDI draws it anywhere else on the desktop.

#include <windows.h>

#include <string>

#include "shells/win32/gdi_fonts.h"
#include "shells/win32/owned_handle.h"
#include "surface/text_renderer.h"

namespace ris {

class GdiTextRenderer : public TextRenderer {
 public:
  GdiTextRenderer();

  std::int32_t TextWidth(const TFont& font, std::string_view text, TextEncoding encoding) override;
  void DrawText(Surface& surface, const TFont& font, std::int32_t x, std::int32_t y,
                std::string_view text, TextEncoding encoding, ColourValue colour) override;
  SurfaceRect InkBounds(const TFont& font, std::string_view text, TextEncoding encoding) override;
  void Flush() override { GdiFlush(); }

 private:
  SIZE Select(const TFont& font, std::string_view text, TextEncoding encoding);
  bool EnsureMask(std::int32_t width, std::int32_t height);

  // In this order: the context's own objects go back into it before the
  // fonts and the mask are deleted, and the context goes last.
  OwnedMemoryDc dc_{CreateCompatibleDC(nullptr)};
  OwnedGdiObject<HBITMAP> mask_;
  std::uint8_t* mask_bits_ = nullptr;  // BGRX, top-down, mask_width_ pixels a row
  std::int32_t mask_width_ = 0;
  std::int32_t mask_height_ = 0;
  // Greyscale anti-aliasing, not ClearType: the mask must hold one coverage
  // per pixel, and a saver's text is seen from a distance.
  GdiFontCache fonts_{ANTIALIASED_QUALITY};
  ContextSelections selections_{dc_.Get()};
  std::wstring wide_;  // the text last selected, kept so drawing reuses its memory
};

}  // namespace ris
