#include "shells/win32/gdi_fonts.h"

#include <algorithm>
#include <cstring>

namespace ris {
namespace {

std::uint8_t StyleBits(const TFont& font) {
  std::uint8_t bits = 0;
  for (const TFontStyle style : {TFontStyle::fsBold, TFontStyle::fsItalic, TFontStyle::fsUnderline,
                                 TFontStyle::fsStrikeOut}) {
    if (font.Style.Contains(style)) bits = static_cast<std::uint8_t>(bits | (1u << static_cast<unsigned>(style)));
  }
  return bits;
}

LONG Scaled(std::int64_t value, UINT from_dpi, UINT to_dpi) {
  const std::int64_t scaled = value * to_dpi / std::max<UINT>(from_dpi, 1);
  // A broken stored height would have GDI build glyphs the size of the screen.
  const std::int64_t largest = TFont::kLargestHeight;
  return static_cast<LONG>(std::clamp(scaled, -largest, largest));
}

}  // namespace

LOGFONTA LogFontFor(const TFont& font, UINT dpi, BYTE quality) {
  LOGFONTA log_font{};
  log_font.lfHeight = Scaled(font.Height, kDefaultDpi, dpi);
  log_font.lfWeight = font.Style.Contains(TFontStyle::fsBold) ? FW_BOLD : FW_NORMAL;
  log_font.lfItalic = font.Style.Contains(TFontStyle::fsItalic);
  log_font.lfUnderline = font.Style.Contains(TFontStyle::fsUnderline);
  log_font.lfStrikeOut = font.Style.Contains(TFontStyle::fsStrikeOut);
  log_font.lfCharSet = font.Charset;
  log_font.lfOutPrecision = OUT_DEFAULT_PRECIS;
  log_font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  log_font.lfQuality = quality;
  log_font.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
  const std::size_t length = std::min(font.Name.size(), sizeof(log_font.lfFaceName) - 1);
  std::memcpy(log_font.lfFaceName, font.Name.data(), length);
  return log_font;
}

TFont FontFromLogFont(const LOGFONTA& log_font, COLORREF color, UINT dpi) {
  TFont font;
  font.Name = log_font.lfFaceName;
  font.Height = Scaled(log_font.lfHeight, dpi, kDefaultDpi);
  font.Charset = log_font.lfCharSet;
  font.Color = static_cast<TColor>(color);
  if (log_font.lfWeight >= FW_BOLD) font.Style.Include(TFontStyle::fsBold);
  if (log_font.lfItalic) font.Style.Include(TFontStyle::fsItalic);
  if (log_font.lfUnderline) font.Style.Include(TFontStyle::fsUnderline);
  if (log_font.lfStrikeOut) font.Style.Include(TFontStyle::fsStrikeOut);
  return font;
}

COLORREF ScreenColor(TColor color) {
  const auto bits = static_cast<std::uint32_t>(color);
  if ((bits >> 24) == 0xFF) return GetSysColor(static_cast<int>(bits & 0xFF));
  return ColorToRGB(color);
}

HFONT GdiFontCache::Get(const TFont& font, UINT dpi) {
  const Key key{font.Name, font.Height, StyleBits(font), font.Charset, dpi};
  if (const auto found = fonts_.find(key); found != fonts_.end()) return found->second.Get();
  const LOGFONTA log_font = LogFontFor(font, dpi, quality_);
  return fonts_.emplace(key, CreateFontIndirectA(&log_font)).first->second.Get();
}

}  // namespace ris
