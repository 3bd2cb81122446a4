#pragma once
// Stored fonts as GDI makes them: sized for a screen's dots per inch,
// heights kept in a sane range, each made once and freed together.

#include <windows.h>

#include <map>
#include <string>
#include <tuple>

#include "shells/win32/owned_handle.h"
#include "surface/font.h"

namespace ris {

inline constexpr UINT kDefaultDpi = 96;

// A font's heights are pixels at 96 dpi: at `dpi` they grow in proportion.
LOGFONTA LogFontFor(const TFont& font, UINT dpi, BYTE quality);

// What the system's font chooser gave back, as a stored font at 96 dpi.
TFont FontFromLogFont(const LOGFONTA& log_font, COLORREF color, UINT dpi);

// The screen colour of a colour value; system colours as the user's scheme
// has them now.
COLORREF ScreenColor(TColor color);

class GdiFontCache {
 public:
  explicit GdiFontCache(BYTE quality) : quality_(quality) {}

  // The font at `dpi`; nullptr when GDI cannot make it.
  HFONT Get(const TFont& font, UINT dpi = kDefaultDpi);

 private:
  using Key = std::tuple<std::string, std::int32_t, std::uint8_t, std::uint8_t, UINT>;

  BYTE quality_;
  std::map<Key, OwnedGdiObject<HFONT>> fonts_;
};

}  // namespace ris
