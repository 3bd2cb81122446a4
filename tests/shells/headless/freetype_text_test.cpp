#include "shells/headless/freetype_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ris {
namespace {

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
// Arial's Windows metrics at a 24-pixel em, which its metric-compatible
// stand-in shares: 22 pixels above the baseline, 5 below.
constexpr std::int32_t kAscent24 = 22;
constexpr std::int32_t kCell24 = 27;

TFont Font(std::string name, std::int32_t height, TFontStyles style = {}) {
  TFont font;
  font.Name = std::move(name);
  font.Height = height;
  font.Style = style;
  return font;
}

// The smallest box holding every pixel whose colour is not black.
struct Ink {
  std::int32_t Left = kMax, Top = kMax, Right = kMin, Bottom = kMin;
  std::int32_t Count = 0;
};

Ink InkOf(const Surface& surface) {
  Ink ink;
  for (std::int32_t y = 0; y < surface.Height(); ++y) {
    for (std::int32_t x = 0; x < surface.Width(); ++x) {
      const Bgra pixel = surface.Row(y)[static_cast<std::size_t>(x)];
      if (pixel.R == 0 && pixel.G == 0 && pixel.B == 0) continue;
      ink = {std::min(ink.Left, x), std::min(ink.Top, y), std::max(ink.Right, x), std::max(ink.Bottom, y),
             ink.Count + 1};
    }
  }
  return ink;
}

class FreeTypeText : public testing::Test {
 protected:
  std::int32_t Width(std::int32_t height, std::string_view text, TFontStyles style = {},
                     TextEncoding encoding = TextEncoding::ProductCodePage) {
    return renderer.TextWidth(Font("Arial", height, style), text, encoding);
  }
  Ink Draw(const TFont& font, std::int32_t x, std::int32_t y, std::string_view text) {
    surface.Fill(0);
    renderer.DrawText(surface, font, x, y, text, TextEncoding::ProductCodePage, 0xFFFFFF);
    return InkOf(surface);
  }

  FreeTypeTextRenderer renderer;
  Surface surface{120, 60};
};

TEST_F(FreeTypeText, MeasuresInWholeAdvancesThatAddUp) {
  EXPECT_GT(Width(-24, "A"), 0);
  EXPECT_NEAR(Width(-24, "AB"), Width(-24, "A") + Width(-24, "B"), 1);
  EXPECT_GT(Width(-24, "Hello World"), Width(-24, "Hello"));
  EXPECT_EQ(Width(-24, ""), 0);
  EXPECT_GT(Width(-24, "Hello", {TFontStyle::fsBold}), Width(-24, "Hello"));
  // A name no face has still gets fontconfig's fallback face.
  EXPECT_GT(renderer.TextWidth(Font("No Such Face At All", -24), "Hello", TextEncoding::ProductCodePage), 0);
  EXPECT_GT(Draw(Font("No Such Face At All", -24), 0, 0, "Hello").Count, 0);
}

TEST_F(FreeTypeText, ReadsNegativeHeightsAsEmAndPositiveAsCell) {
  EXPECT_EQ(Width(kCell24, "Hello World"), Width(-24, "Hello World"));
  EXPECT_LT(Width(24, "Hello World"), Width(-24, "Hello World"));
  // Each advance is rounded to a whole pixel at its own size.
  EXPECT_NEAR(Width(-48, "Hello World"), 2 * Width(-24, "Hello World"), 11);
  EXPECT_GT(Width(0, "Hello"), 0);
  // A stored font cannot ask for glyphs of any size, nor overflow asking.
  EXPECT_EQ(Width(kMin, "A"), Width(-2000, "A"));
  EXPECT_EQ(Width(-4000, "A"), Width(-2000, "A"));
  EXPECT_LE(Width(kMax, "A"), Width(-2000, "A"));
}

TEST_F(FreeTypeText, DrawsInsideTheCellWithTheBaselineAnAscentBelowTheTop) {
  const Ink h = Draw(Font("Arial", -24), 10, 5, "H");
  EXPECT_EQ(h.Bottom, 5 + kAscent24 - 1);
  EXPECT_GE(h.Top, 5);
  const Ink hh = Draw(Font("Arial", -24), 10, 5, "HH");
  EXPECT_EQ(hh.Left, h.Left);
  EXPECT_EQ(hh.Right, h.Right + Width(-24, "H"));  // drawn where measured

  const Ink text = Draw(Font("Arial", -24), 10, 5, "Hg");
  EXPECT_GT(text.Count, 0);
  EXPECT_GE(text.Left, 10);
  EXPECT_LT(text.Right, 10 + Width(-24, "Hg"));
  EXPECT_GE(text.Top, 5);
  EXPECT_GT(text.Bottom, 5 + kAscent24);  // the descender
  EXPECT_LT(text.Bottom, 5 + kCell24);

  EXPECT_EQ(Draw(Font("Arial", -24), 10, 5, "").Count, 0);
}

TEST_F(FreeTypeText, UnderlineAndStrikeOutSpanTheAdvance) {
  const std::int32_t width = Width(-24, "    ");
  const Ink under = Draw(Font("Arial", -24, {TFontStyle::fsUnderline}), 10, 5, "    ");
  EXPECT_EQ(under.Left, 10);
  EXPECT_EQ(under.Right, 10 + width - 1);
  EXPECT_GE(under.Top, 5 + kAscent24);
  EXPECT_LT(under.Bottom, 5 + kCell24);
  EXPECT_EQ(under.Count % width, 0);  // whole rows only

  const Ink struck = Draw(Font("Arial", -24, {TFontStyle::fsStrikeOut}), 10, 5, "    ");
  EXPECT_EQ(struck.Right - struck.Left + 1, width);
  EXPECT_GT(struck.Top, 5);
  EXPECT_LT(struck.Bottom, 5 + kAscent24);
}

// Frames are composed only where they changed: a pixel a text writes
// outside its bounds would stay behind when the text moves. Bounds a few
// pixels larger than the ink cost little; much larger ones would mean they
// were guessed.
TEST_F(FreeTypeText, InkBoundsHoldEveryPixelDrawnAndLittleMore) {
  surface.Resize(400, 160);
  const std::vector<TFont> fonts = {
      Font("Arial", -24), Font("Arial", -40, {TFontStyle::fsBold, TFontStyle::fsItalic}),
      Font("Arial", -30, {TFontStyle::fsUnderline, TFontStyle::fsStrikeOut}), Font("No Such Face At All", 33)};
  for (const TFont& font : fonts) {
    for (const std::string_view text : {"Wj|f", "\xC5g_", "  ", "12:34:56"}) {
      const Ink ink = Draw(font, 40, 30, text);
      const SurfaceRect bounds = Offset(renderer.InkBounds(font, text, TextEncoding::ProductCodePage), 40, 30);
      if (ink.Count == 0) continue;
      const std::string what = font.Name + " " + std::to_string(font.Height) + " '" + std::string(text) + "'";
      EXPECT_TRUE(Contains(bounds, {ink.Left, ink.Top, ink.Right + 1, ink.Bottom + 1})) << what;
      EXPECT_LE(ink.Left - bounds.Left, 3) << what;
      EXPECT_LE(bounds.Right - 1 - ink.Right, 3) << what;
      EXPECT_LE(ink.Top - bounds.Top, 3) << what;
      EXPECT_LE(bounds.Bottom - 1 - ink.Bottom, 3) << what;
    }
  }
  EXPECT_TRUE(renderer.InkBounds(Font("Arial", -24), "", TextEncoding::ProductCodePage).Empty());
}

TEST_F(FreeTypeText, ReadsBytesInTheProductsCodePage) {
  EXPECT_GT(Draw(Font("Arial", -24), 0, 0, "\x80").Count, 0);
  EXPECT_EQ(Width(-24, "\x81"), 0);
  EXPECT_EQ(Draw(Font("Arial", -24), 0, 0, "\x81").Count, 0);
  Draw(Font("Arial", -24), 0, 0, "\x01");

  // 0x8C is the wide ligature OE in 1252 and an S with acute, as wide as S,
  // in 1250; the system's UTF-8 reads alike whatever the product's page.
  const std::int32_t ligature = Width(-24, "\x8C");
  EXPECT_GT(ligature, Width(-24, "S"));
  renderer.SetCodePage(1250);
  EXPECT_EQ(Width(-24, "\x8C"), Width(-24, "S"));
  EXPECT_EQ(Width(-24, "\xC5\x92", {}, TextEncoding::Utf8), ligature);
}

TEST_F(FreeTypeText, ClipsToTheSurfaceWherever) {
  const TFont big = Font("Arial", -200, {TFontStyle::fsUnderline, TFontStyle::fsStrikeOut});
  EXPECT_GT(Draw(big, -60, -100, "Wg").Count, 0);
  EXPECT_GT(Draw(big, 100, -150, "Wg").Count, 0);
  const std::vector<std::pair<std::int32_t, std::int32_t>> far_off = {
      {kMax, 0}, {kMin, 0}, {0, kMax}, {0, kMin}, {kMax, kMax}, {kMin, kMin}, {-1000, 10}};
  for (const auto& [x, y] : far_off) EXPECT_EQ(Draw(big, x, y, "Wg Wg").Count, 0) << x << ", " << y;
}

TEST_F(FreeTypeText, BlendsTheColourByCoverageAndKeepsTheFourthByte) {
  surface.Fill(0);
  for (Bgra& pixel : surface.Pixels()) pixel.A = 77;
  renderer.DrawText(surface, Font("Arial", -24), 4, 4, "Wave", TextEncoding::ProductCodePage, 0x0000FF);
  bool solid = false;
  bool partial = false;
  for (const Bgra& pixel : surface.Pixels()) {
    ASSERT_EQ(pixel.G, 0);
    ASSERT_EQ(pixel.B, 0);
    ASSERT_EQ(pixel.A, 77);
    solid = solid || pixel.R == 255;
    partial = partial || (pixel.R > 0 && pixel.R < 255);
  }
  EXPECT_TRUE(solid);
  EXPECT_TRUE(partial);
}

}  // namespace
}  // namespace ris
