#include "surface/graphics_identifiers.h"

#include <array>
#include <utility>

#include "base/ascii.h"

namespace ris {
namespace {

using ColorName = std::pair<TColor, std::string_view>;

constexpr std::array kColorNames = {
    ColorName{clBlack, "clBlack"},
    ColorName{clMaroon, "clMaroon"},
    ColorName{clGreen, "clGreen"},
    ColorName{clOlive, "clOlive"},
    ColorName{clNavy, "clNavy"},
    ColorName{clPurple, "clPurple"},
    ColorName{clTeal, "clTeal"},
    ColorName{clGray, "clGray"},
    ColorName{clSilver, "clSilver"},
    ColorName{clRed, "clRed"},
    ColorName{clLime, "clLime"},
    ColorName{clYellow, "clYellow"},
    ColorName{clBlue, "clBlue"},
    ColorName{clFuchsia, "clFuchsia"},
    ColorName{clAqua, "clAqua"},
    ColorName{clWhite, "clWhite"},
    ColorName{clMoneyGreen, "clMoneyGreen"},
    ColorName{clSkyBlue, "clSkyBlue"},
    ColorName{clCream, "clCream"},
    ColorName{clMedGray, "clMedGray"},
    ColorName{clActiveBorder, "clActiveBorder"},
    ColorName{clActiveCaption, "clActiveCaption"},
    ColorName{clAppWorkSpace, "clAppWorkSpace"},
    ColorName{clBackground, "clBackground"},
    ColorName{clBtnFace, "clBtnFace"},
    ColorName{clBtnHighlight, "clBtnHighlight"},
    ColorName{clBtnShadow, "clBtnShadow"},
    ColorName{clBtnText, "clBtnText"},
    ColorName{clCaptionText, "clCaptionText"},
    ColorName{clDefault, "clDefault"},
    ColorName{clGradientActiveCaption, "clGradientActiveCaption"},
    ColorName{clGradientInactiveCaption, "clGradientInactiveCaption"},
    ColorName{clGrayText, "clGrayText"},
    ColorName{clHighlight, "clHighlight"},
    ColorName{clHighlightText, "clHighlightText"},
    ColorName{clHotLight, "clHotLight"},
    ColorName{clInactiveBorder, "clInactiveBorder"},
    ColorName{clInactiveCaption, "clInactiveCaption"},
    ColorName{clInactiveCaptionText, "clInactiveCaptionText"},
    ColorName{clInfoBk, "clInfoBk"},
    ColorName{clInfoText, "clInfoText"},
    ColorName{clMenu, "clMenu"},
    ColorName{clMenuBar, "clMenuBar"},
    ColorName{clMenuHighlight, "clMenuHighlight"},
    ColorName{clMenuText, "clMenuText"},
    ColorName{clNone, "clNone"},
    ColorName{clScrollBar, "clScrollBar"},
    ColorName{cl3DDkShadow, "cl3DDkShadow"},
    ColorName{cl3DLight, "cl3DLight"},
    ColorName{clWindow, "clWindow"},
    ColorName{clWindowFrame, "clWindowFrame"},
    ColorName{clWindowText, "clWindowText"},
};

using CharsetName = std::pair<TFontCharset, std::string_view>;

constexpr std::array kCharsetNames = {
    CharsetName{0, "ANSI_CHARSET"},          CharsetName{1, "DEFAULT_CHARSET"},
    CharsetName{2, "SYMBOL_CHARSET"},        CharsetName{77, "MAC_CHARSET"},
    CharsetName{128, "SHIFTJIS_CHARSET"},    CharsetName{129, "HANGEUL_CHARSET"},
    CharsetName{130, "JOHAB_CHARSET"},       CharsetName{134, "GB2312_CHARSET"},
    CharsetName{136, "CHINESEBIG5_CHARSET"}, CharsetName{161, "GREEK_CHARSET"},
    CharsetName{162, "TURKISH_CHARSET"},     CharsetName{163, "VIETNAMESE_CHARSET"},
    CharsetName{177, "HEBREW_CHARSET"},      CharsetName{178, "ARABIC_CHARSET"},
    CharsetName{186, "BALTIC_CHARSET"},      CharsetName{204, "RUSSIAN_CHARSET"},
    CharsetName{222, "THAI_CHARSET"},        CharsetName{238, "EASTEUROPE_CHARSET"},
    CharsetName{255, "OEM_CHARSET"},
};

template <typename Table>
auto FindValue(const Table& table, std::string_view ident) noexcept
    -> std::optional<typename Table::value_type::first_type> {
  for (const auto& [value, name] : table) {
    if (EqualsFolded(name, ident)) return value;
  }
  return std::nullopt;
}

template <typename Table, typename Value>
std::optional<std::string_view> FindName(const Table& table, Value value) noexcept {
  for (const auto& [known, name] : table) {
    if (known == value) return name;
  }
  return std::nullopt;
}

}  // namespace

std::optional<TColor> IdentToColor(std::string_view ident) noexcept {
  return FindValue(kColorNames, ident);
}

std::uint32_t ColorToRGB(TColor color) noexcept {
  // The standard scheme's values, indexed like the system colours. A text
  // drawn in a system colour on a saver's frame has no window theme to follow.
  static constexpr std::array<std::uint32_t, 31> kStandardScheme = {
      0xC8C8C8, 0x000000, 0xD1B499, 0xDBCDBF, 0xF0F0F0, 0xFFFFFF, 0x646464, 0x000000,
      0x000000, 0x000000, 0xB4B4B4, 0xFCF7F4, 0xABABAB, 0xFF9933, 0xFFFFFF, 0xF0F0F0,
      0xA0A0A0, 0x6D6D6D, 0x000000, 0x000000, 0xFFFFFF, 0x696969, 0xE3E3E3, 0x000000,
      0xE1FFFF, 0x000000, 0xCC6600, 0xEAD1B9, 0xF2E4D7, 0xFF9933, 0xF0F0F0};
  const auto bits = static_cast<std::uint32_t>(color);
  if ((bits >> 24) == 0xFF) {
    const std::uint32_t index = bits & 0xFF;
    return index < kStandardScheme.size() ? kStandardScheme[index] : 0;
  }
  if (color == clNone || color == clDefault) return 0;
  return bits & 0xFFFFFF;  // palette-relative values keep their RGB part
}

std::optional<std::string_view> ColorToIdent(TColor color) noexcept {
  return FindName(kColorNames, color);
}

std::optional<TFontCharset> IdentToCharset(std::string_view ident) noexcept {
  return FindValue(kCharsetNames, ident);
}

std::optional<std::string_view> CharsetToIdent(TFontCharset charset) noexcept {
  return FindName(kCharsetNames, charset);
}

}  // namespace ris
