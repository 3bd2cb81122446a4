#include "shells/win32/gdi_text.h"

#include <algorithm>
#include <cstring>

#include "shells/win32/wide_text.h"
#include "surface/blit.h"

namespace ris {
namespace {

// Texts on a frame are short; a longer one is cut to what a mask can hold.
constexpr std::int32_t kLargestMaskSide = 8192;

int TextLength(std::wstring_view text) {
  return static_cast<int>(std::min<std::size_t>(text.size(), 4096));
}

// The mask a text of this extent is drawn into, and so all it can cover:
// italic glyphs lean past their advance, so they get room on the right.
SIZE MaskSizeFor(SIZE extent) {
  return {std::min<LONG>(extent.cx + extent.cy / 2 + 2, kLargestMaskSide),
          std::min<LONG>(extent.cy, kLargestMaskSide)};
}

}  // namespace

GdiTextRenderer::GdiTextRenderer() {
  if (!dc_) return;
  SetBkMode(dc_.Get(), TRANSPARENT);
  SetTextColor(dc_.Get(), RGB(255, 255, 255));
  SetTextAlign(dc_.Get(), TA_TOP | TA_LEFT | TA_NOUPDATECP);
}

// Puts the font into the context and the text, in Unicode, into wide_; the
// text's extent in that font.
SIZE GdiTextRenderer::Select(const TFont& font, std::string_view text, TextEncoding encoding) {
  SIZE extent{0, 0};
  HFONT handle = fonts_.Get(font);
  if (!dc_ || handle == nullptr || !selections_.Select(handle)) return extent;
  WidenInto(wide_, text, CodePageFor(encoding));
  GetTextExtentPoint32W(dc_.Get(), wide_.data(), TextLength(wide_), &extent);
  return extent;
}

std::int32_t GdiTextRenderer::TextWidth(const TFont& font, std::string_view text, TextEncoding encoding) {
  if (text.empty()) return 0;
  return Select(font, text, encoding).cx;
}

SurfaceRect GdiTextRenderer::InkBounds(const TFont& font, std::string_view text, TextEncoding encoding) {
  if (text.empty() || !dc_) return {};
  const SIZE mask = MaskSizeFor(Select(font, text, encoding));
  return BlockRect(0, 0, mask.cx, mask.cy);
}

bool GdiTextRenderer::EnsureMask(std::int32_t width, std::int32_t height) {
  if (width <= mask_width_ && height <= mask_height_) return true;
  const std::int32_t new_width = std::max(width, mask_width_);
  const std::int32_t new_height = std::max(height, mask_height_);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = new_width;
  info.bmiHeader.biHeight = -new_height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  OwnedGdiObject<HBITMAP> bitmap(CreateDIBSection(dc_.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || !selections_.Select(bitmap.Get())) return false;
  mask_ = std::move(bitmap);  // the old mask, no longer selected, goes
  mask_bits_ = static_cast<std::uint8_t*>(bits);
  mask_width_ = new_width;
  mask_height_ = new_height;
  return true;
}

void GdiTextRenderer::DrawText(Surface& surface, const TFont& font, std::int32_t x, std::int32_t y,
                               std::string_view text, TextEncoding encoding, ColourValue colour) {
  if (text.empty() || !dc_) return;
  const SIZE mask = MaskSizeFor(Select(font, text, encoding));
  const std::int32_t width = mask.cx;
  const std::int32_t height = mask.cy;
  if (width <= 0 || height <= 0) return;
  const ClippedBlock block = ClipToSurface(x, y, width, height, surface.Width(), surface.Height());
  if (block.Empty() || !EnsureMask(width, height)) return;

  GdiFlush();  // GDI may still be writing the previous text into the mask
  for (std::int32_t row = 0; row < height; ++row) {
    std::memset(mask_bits_ + std::size_t{4} * static_cast<std::size_t>(row) * static_cast<std::size_t>(mask_width_), 0,
                std::size_t{4} * static_cast<std::size_t>(width));
  }
  TextOutW(dc_.Get(), 0, 0, wide_.data(), TextLength(wide_));
  GdiFlush();

  const Bgra ink = BgraFromColour(colour);
  for (std::int32_t row = 0; row < block.Height; ++row) {
    const std::uint8_t* coverage =
        mask_bits_ + std::size_t{4} * (static_cast<std::size_t>(block.SourceY + row) * static_cast<std::size_t>(mask_width_) +
                                       static_cast<std::size_t>(block.SourceX));
    Bgra* target = surface.Row(block.TargetY + row).data() + block.TargetX;
    for (std::int32_t column = 0; column < block.Width; ++column) {
      // White text on black: every channel holds the coverage; green is the
      // one GDI's greyscale smoothing weighs most.
      BlendInk(target[column], ink, coverage[4 * column + 1]);
    }
  }
}

}  // namespace ris
