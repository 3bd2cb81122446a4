#pragma once
// A font as text is drawn in: face, size, style, colour and character set.
// A plain value; the settings store it through a font-dialog component.

#include <cstdint>
#include <initializer_list>
#include <string>

#include "surface/graphics_identifiers.h"

namespace ris {

enum class TFontStyle : std::uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };

class TFontStyles {
 public:
  constexpr TFontStyles() noexcept = default;
  constexpr TFontStyles(std::initializer_list<TFontStyle> styles) noexcept {
    for (const TFontStyle style : styles) Include(style);
  }

  constexpr bool Contains(TFontStyle style) const noexcept { return (bits_ & Bit(style)) != 0; }
  constexpr void Include(TFontStyle style) noexcept {
    bits_ = static_cast<std::uint8_t>(bits_ | Bit(style));
  }
  constexpr void Exclude(TFontStyle style) noexcept {
    bits_ = static_cast<std::uint8_t>(bits_ & ~Bit(style));
  }
  constexpr bool Empty() const noexcept { return bits_ == 0; }

  friend constexpr bool operator==(TFontStyles, TFontStyles) noexcept = default;

 private:
  static constexpr std::uint8_t Bit(TFontStyle style) noexcept {
    return static_cast<std::uint8_t>(1u << static_cast<unsigned>(style));
  }

  std::uint8_t bits_ = 0;
};

class TFont {
 public:
  static constexpr std::int32_t kDefaultPixelsPerInch = 96;
  // The tallest text drawn, in pixels: more than any screen is high. Stored
  // fonts come from settings texts and the registry, where a hand-edited
  // height may be anything.
  static constexpr std::int32_t kLargestHeight = 2000;

  std::string Name = "MS Sans Serif";
  // Negative: the character height in pixels, the size the user chose.
  // Positive: the cell height, character height plus internal leading.
  std::int32_t Height = -11;
  TColor Color = clWindowText;
  TFontCharset Charset = kDefaultCharset;
  TFontStyles Style;
  // Of the screen the font is shown on; values below 1 count as the default.
  std::int32_t PixelsPerInch = kDefaultPixelsPerInch;

  // The size in points: -Height * 72 / PixelsPerInch, rounded half away from
  // zero, saturated to the 32-bit range.
  std::int32_t Size() const noexcept;
  // Sets Height to -points * PixelsPerInch / 72, rounded and saturated alike,
  // so raising the size by key can go on for ever without overflow.
  void SetSize(std::int32_t points) noexcept;
  // Brings Height into -kLargestHeight..kLargestHeight, keeping its sign.
  void ClampHeight() noexcept;

  friend bool operator==(const TFont&, const TFont&) = default;
};

}  // namespace ris
