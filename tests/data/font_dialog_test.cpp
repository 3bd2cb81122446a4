#include "data/font_dialog.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "base/conversions.h"
#include "base/errors.h"

namespace ris {
namespace {

constexpr std::int32_t kMaxInt = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMinInt = std::numeric_limits<std::int32_t>::min();

constexpr std::string_view kClockFont =
    "object FontDialog1: TFontDialog\r\n"
    "  Font.Charset = DEFAULT_CHARSET\r\n"
    "  Font.Color = clWhite\r\n"
    "  Font.Height = -24\r\n"
    "  Font.Name = 'Arial'\r\n"
    "  Font.Style = [fsBold]\r\n"
    "  Options = [fdEffects]\r\n"
    "  Left = 8\r\n"
    "  Top = 8\r\n"
    "end\r\n";

std::unique_ptr<TFontDialog> ReadDialog(std::string_view text) {
  ComponentClassRegistry registry;
  registry.Register<TFontDialog>();
  std::unique_ptr<TComponent> component = TextToComponent(text, registry);
  if (dynamic_cast<TFontDialog*>(component.get()) == nullptr) throw std::logic_error("not a font");
  return std::unique_ptr<TFontDialog>(static_cast<TFontDialog*>(component.release()));
}

// A dialog text holding the given lines between header and "end".
std::string DialogText(std::string_view lines) {
  return "object FontDialog1: TFontDialog\r\n" + std::string(lines) + "end\r\n";
}

std::string Rewritten(std::string_view text) { return ComponentToText(*ReadDialog(text)); }

TEST(FontSize, FollowsHeightAtThePixelsPerInchRoundedAndSaturated) {
  struct Case {
    std::int32_t pixels_per_inch, height, size;
  };
  const Case size_of_height[] = {
      {96, -16, 12}, {120, -20, 12}, {96, -11, 8},
      {96, 16, -12},  // a positive height is a cell height
      {96, -10, 8}, {96, -14, 11}, {96, 10, -8},  // halves of a point round away from zero
      {96, kMinInt, 1610612736}, {1, kMinInt, kMaxInt}, {1, kMaxInt, -kMaxInt},
      {0, -16, 12}, {-96, -16, 12},  // below 1 pixel per inch counts as the default 96
  };
  for (const auto& [pixels_per_inch, height, size] : size_of_height) {
    TFont font;
    font.PixelsPerInch = pixels_per_inch;
    font.Height = height;
    EXPECT_EQ(font.Size(), size) << pixels_per_inch << " ppi, height " << height;
  }
  const Case height_of_size[] = {
      {96, -16, 12}, {120, -20, 12}, {120, -17, 10},  // 16.67 pixels
      {108, -2, 1}, {108, 2, -1},                      // 1.5 pixels
      {96, -kMaxInt, kMaxInt}, {96, kMaxInt, kMinInt}, {kMaxInt, kMaxInt, kMinInt},
  };
  EXPECT_EQ(TFont().PixelsPerInch, 96);
  for (const auto& [pixels_per_inch, height, size] : height_of_size) {
    TFont font;
    font.PixelsPerInch = pixels_per_inch;
    font.SetSize(size);
    EXPECT_EQ(font.Height, height) << pixels_per_inch << " ppi, size " << size;
  }
}

TEST(FontSize, KeyPressesAtTheLimitsKeepTheSizeInRange) {
  for (const std::int32_t pixels_per_inch : {1, 96, 120, 1000000}) {
    TFont font;
    font.PixelsPerInch = pixels_per_inch;
    font.SetSize(kMaxInt - 2);
    for (int press = 0; press < 5; ++press) font.SetSize(SaturatingAdd(font.Size(), 1));
    EXPECT_GT(font.Size(), 0) << pixels_per_inch;
    EXPECT_LT(font.Height, 0) << pixels_per_inch;
    font.SetSize(1);
    for (int press = 0; press < 5 && font.Size() > 0; ++press) font.SetSize(font.Size() - 1);
    EXPECT_EQ(font.Size(), 0) << pixels_per_inch;
  }
}

TEST(FontDialogText, StoredFontRoundTripsAndEditsKeepTheOtherLinesInPlace) {
  const auto dialog = ReadDialog(kClockFont);
  EXPECT_EQ(dialog->Name, "FontDialog1");
  EXPECT_EQ(dialog->Font.Charset, kDefaultCharset);
  EXPECT_EQ(dialog->Font.Color, clWhite);
  EXPECT_EQ(dialog->Font.Size(), 18);
  EXPECT_EQ(dialog->Font.Name, "Arial");
  EXPECT_EQ(dialog->Font.Style, TFontStyles{TFontStyle::fsBold});
  EXPECT_EQ(ComponentToText(*dialog), kClockFont);
  dialog->Font.SetSize(dialog->Font.Size() + 1);
  dialog->Font.Color = 0x123456;
  dialog->Font.Name = "Bob's Font";
  dialog->Font.Style = {TFontStyle::fsStrikeOut, TFontStyle::fsItalic};
  EXPECT_EQ(ComponentToText(*dialog), DialogText("  Font.Charset = DEFAULT_CHARSET\r\n"
                                                 "  Font.Color = 1193046\r\n"
                                                 "  Font.Height = -25\r\n"
                                                 "  Font.Name = 'Bob''s Font'\r\n"
                                                 "  Font.Style = [fsItalic, fsStrikeOut]\r\n"
                                                 "  Options = [fdEffects]\r\n"
                                                 "  Left = 8\r\n"
                                                 "  Top = 8\r\n"));
}

TEST(FontDialogText, ValuesReadInAnySpellingAndAreWrittenInOne) {
  struct Case {
    std::string_view property, written, rewritten;
  };
  // Numbers pin the identifiers to their values.
  const Case cases[] = {
      {"Color", "clWindowText", "clWindowText"},
      {"Color", "CLINFOBK", "clInfoBk"},
      {"Color", "$FF000018", "clInfoBk"},
      {"Color", "16777215", "clWhite"},
      {"Color", "$0000FF", "clRed"},
      {"Color", "$FF000008", "clWindowText"},
      {"Color", "-16777208", "clWindowText"},
      {"Color", "536870912", "clDefault"},
      {"Color", "$1FFFFFFF", "clNone"},
      {"Color", "$A4A0A0", "clMedGray"},
      {"Color", "1193046", "1193046"},
      {"Color", "$80000000", "-2147483648"},
      {"Color", "$FF0000FF", "-16776961"},
      {"Charset", "ANSI_CHARSET", "ANSI_CHARSET"},
      {"Charset", "0", "ANSI_CHARSET"},
      {"Charset", "russian_charset", "RUSSIAN_CHARSET"},
      {"Charset", "204", "RUSSIAN_CHARSET"},
      {"Charset", "$EE", "EASTEUROPE_CHARSET"},
      {"Charset", "255", "OEM_CHARSET"},
      {"Charset", "77", "MAC_CHARSET"},
      {"Charset", "3", "3"},
      {"Style", "[]", "[]"},
      {"Style", "[fsStrikeOut, fsUnderline, fsItalic, fsBold]",
       "[fsBold, fsItalic, fsUnderline, fsStrikeOut]"},
      {"Style", "[FSITALIC,fsitalic]", "[fsItalic]"},
      {"Name", "'Bob'#39's Font'", "'Bob''s Font'"},
      {"Name", "#39'quoted'#39", "'''quoted'''"},
      {"Name", "'Tab'#9'Name'", "'Tab'#9'Name'"},
      {"Name", "'Long ' +\r\n    'Name'", "'Long Name'"},
      {"Name", "''", "''"},
      {"Name", "'Caf\xE9'", "'Caf\xE9'"},
      {"Height", "20", "20"},  // a cell height is kept as it is
  };
  for (const auto& [property, written, rewritten] : cases) {
    const std::string prefix = "  Font." + std::string(property) + " = ";
    SCOPED_TRACE(prefix + std::string(written));
    const std::string text = Rewritten(DialogText(prefix + std::string(written) + "\r\n"));
    EXPECT_NE(text.find(prefix + std::string(rewritten) + "\r\n"), std::string::npos) << text;
    EXPECT_EQ(Rewritten(text), text);
  }
}

TEST(FontDialogText, UnknownPropertiesKeepTheirOrderAndForm) {
  const std::string text = DialogText(
      "  HelpKeywords = (\r\n"
      "    'first'\r\n"
      "    'second')\r\n"
      "  Font.Charset = DEFAULT_CHARSET\r\n"
      "  Font.Color = clWindowText\r\n"
      "  Font.Height = -11\r\n"
      "  Font.Name = 'Tahoma'\r\n"
      "  Font.Pitch = fpFixed\r\n"
      "  Font.Style = []\r\n"
      "  MinFontSize = 6\r\n"
      "  Device = fdBoth\r\n"
      "  Options = [fdEffects, fdForceFontExist]\r\n"
      "  Tag = 3\r\n");
  const auto dialog = ReadDialog(text);
  ASSERT_EQ(dialog->UnmodelledProperties().size(), 6u);
  EXPECT_EQ(dialog->UnmodelledProperties()[1].Name, "Font.Pitch");
  EXPECT_EQ(ComponentToText(*dialog), text);
}

TEST(FontDialogText, MissingFontLinesJoinTheOnesThatWereRead) {
  // Lines read keep their places; the others take their place among them.
  EXPECT_EQ(Rewritten(DialogText("  Options = [fdEffects]\r\n"
                                 "  Font.Height = -13\r\n"
                                 "  Left = 8\r\n")),
            DialogText("  Options = [fdEffects]\r\n"
                       "  Font.Charset = DEFAULT_CHARSET\r\n"
                       "  Font.Color = clWindowText\r\n"
                       "  Font.Height = -13\r\n"
                       "  Font.Name = 'MS Sans Serif'\r\n"
                       "  Font.Style = []\r\n"
                       "  Left = 8\r\n"));
  EXPECT_EQ(Rewritten(DialogText("  Font.Name = 'Arial'\r\n"
                                 "  Font.Color = clRed\r\n")),
            DialogText("  Font.Charset = DEFAULT_CHARSET\r\n"
                       "  Font.Name = 'Arial'\r\n"
                       "  Font.Color = clRed\r\n"
                       "  Font.Height = -11\r\n"
                       "  Font.Style = []\r\n"));
  // With no font line read, the defaults come first.
  EXPECT_EQ(Rewritten(DialogText("  Left = 8\r\n")),
            DialogText("  Font.Charset = DEFAULT_CHARSET\r\n"
                       "  Font.Color = clWindowText\r\n"
                       "  Font.Height = -11\r\n"
                       "  Font.Name = 'MS Sans Serif'\r\n"
                       "  Font.Style = []\r\n"
                       "  Left = 8\r\n"));
}

TEST(FontDialogText, SizeIsStoredAsHeightAndRepeatsCollapse) {
  const auto sized = ReadDialog(DialogText("  Options = []\r\n  font.size = 12\r\n"));
  EXPECT_EQ(sized->Font.Height, -16);
  const std::string written = ComponentToText(*sized);
  EXPECT_EQ(written.find("Size"), std::string::npos);
  EXPECT_EQ(Rewritten(written), written);
  // As when a text is applied line by line, the last value wins, written
  // where the property first stood.
  EXPECT_EQ(Rewritten(DialogText("  Font.Height = -11\r\n  Tag = 1\r\n  FONT.HEIGHT = -20\r\n"
                                 "  Font.Size = 9\r\n")),
            DialogText("  Font.Charset = DEFAULT_CHARSET\r\n"
                       "  Font.Color = clWindowText\r\n"
                       "  Font.Height = -12\r\n"
                       "  Font.Name = 'MS Sans Serif'\r\n"
                       "  Font.Style = []\r\n"
                       "  Tag = 1\r\n"));
}

TEST(FontDialogText, ValuesTheFontCannotHoldAreRefusedNamingPropertyAndLine) {
  for (const std::string_view line : {
           "Font.Color = clFoo", "Font.Color = 4294967296", "Font.Color = 'clRed'",
           "Font.Height = 2147483648", "Font.Height = -12.5", "Font.Size = [fsBold]",
           "Font.Size = 2147483648", "font.name = Arial", "Font.Style = [fsBold, fsWide]",
           "Font.Style = [1]", "Font.Style = fsBold", "font.charset = 256", "Font.Charset = -1",
           "Font.Charset = UTF8_CHARSET"}) {
    SCOPED_TRACE(line);
    const std::string expected =
        "Invalid value for property " + std::string(line.substr(0, line.find(' '))) + " on line 3";
    try {
      ReadDialog(DialogText("  Left = 8\r\n  " + std::string(line) + "\r\n"));
      ADD_FAILURE() << "no error raised";
    } catch (const EParserError& error) {
      EXPECT_EQ(error.what(), expected);
    }
  }
}

}  // namespace
}  // namespace ris
