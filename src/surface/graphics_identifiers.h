#pragma once
// Colours and character sets as stored fonts name them. A stored value is
// written as its identifier when it has one and as a number otherwise, so
// both forms must read back to the same value.

#include <cstdint>
#include <optional>
#include <string_view>

namespace ris {

// A colour value of the windowing system: 0x00BBGGRR (lowest byte red). With
// the top byte 0xFF the low byte instead selects one of the system's
// configurable colours, such as the window text colour.
using TColor = std::int32_t;

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clMaroon = 0x000080;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clOlive = 0x008080;
inline constexpr TColor clNavy = 0x800000;
inline constexpr TColor clPurple = 0x800080;
inline constexpr TColor clTeal = 0x808000;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clLime = 0x00FF00;
inline constexpr TColor clYellow = 0x00FFFF;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clFuchsia = 0xFF00FF;
inline constexpr TColor clAqua = 0xFFFF00;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clMoneyGreen = 0xC0DCC0;
inline constexpr TColor clSkyBlue = 0xF0CAA6;
inline constexpr TColor clCream = 0xF0FBFF;
inline constexpr TColor clMedGray = 0xA4A0A0;
inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor clDefault = 0x20000000;

constexpr TColor SystemColor(std::uint8_t index) noexcept {
  return static_cast<TColor>(0xFF000000u | index);
}

inline constexpr TColor clScrollBar = SystemColor(0);
inline constexpr TColor clBackground = SystemColor(1);
inline constexpr TColor clActiveCaption = SystemColor(2);
inline constexpr TColor clInactiveCaption = SystemColor(3);
inline constexpr TColor clMenu = SystemColor(4);
inline constexpr TColor clWindow = SystemColor(5);
inline constexpr TColor clWindowFrame = SystemColor(6);
inline constexpr TColor clMenuText = SystemColor(7);
inline constexpr TColor clWindowText = SystemColor(8);
inline constexpr TColor clCaptionText = SystemColor(9);
inline constexpr TColor clActiveBorder = SystemColor(10);
inline constexpr TColor clInactiveBorder = SystemColor(11);
inline constexpr TColor clAppWorkSpace = SystemColor(12);
inline constexpr TColor clHighlight = SystemColor(13);
inline constexpr TColor clHighlightText = SystemColor(14);
inline constexpr TColor clBtnFace = SystemColor(15);
inline constexpr TColor clBtnShadow = SystemColor(16);
inline constexpr TColor clGrayText = SystemColor(17);
inline constexpr TColor clBtnText = SystemColor(18);
inline constexpr TColor clInactiveCaptionText = SystemColor(19);
inline constexpr TColor clBtnHighlight = SystemColor(20);
inline constexpr TColor cl3DDkShadow = SystemColor(21);
inline constexpr TColor cl3DLight = SystemColor(22);
inline constexpr TColor clInfoText = SystemColor(23);
inline constexpr TColor clInfoBk = SystemColor(24);
inline constexpr TColor clHotLight = SystemColor(26);
inline constexpr TColor clGradientActiveCaption = SystemColor(27);
inline constexpr TColor clGradientInactiveCaption = SystemColor(28);
inline constexpr TColor clMenuHighlight = SystemColor(29);
inline constexpr TColor clMenuBar = SystemColor(30);

// The identifier of a colour ("clWhite"), found in any letter case.
// The RGB value of a colour: itself, or for a system colour the value it has
// in the standard Windows scheme (window text black, window white, ...).
// clNone and clDefault give black.
std::uint32_t ColorToRGB(TColor color) noexcept;

std::optional<TColor> IdentToColor(std::string_view ident) noexcept;
std::optional<std::string_view> ColorToIdent(TColor color) noexcept;

// Character sets of a font. Plain constants rather than the system's
// *_CHARSET names, which are macros wherever the system headers are seen.
using TFontCharset = std::uint8_t;
inline constexpr TFontCharset kAnsiCharset = 0;
inline constexpr TFontCharset kDefaultCharset = 1;
inline constexpr TFontCharset kSymbolCharset = 2;
inline constexpr TFontCharset kOemCharset = 255;

// The identifier of a character set ("DEFAULT_CHARSET"), found in any letter case.
std::optional<TFontCharset> IdentToCharset(std::string_view ident) noexcept;
std::optional<std::string_view> CharsetToIdent(TFontCharset charset) noexcept;

}  // namespace ris
