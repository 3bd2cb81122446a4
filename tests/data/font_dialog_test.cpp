#include "data/font_dialog.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>
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

ComponentClassRegistry FontRegistry() {
  ComponentClassRegistry registry;
  registry.Register<TFontDialog>();
  return registry;
}

std::unique_ptr<TFontDialog> ReadDialog(std::string_view text) {
  auto component = TextToComponent(text, FontRegistry());
  auto* dialog = dynamic_cast<TFontDialog*>(component.get());
  if (dialog == nullptr) throw std::logic_error("not a font dialog");
  component.release();
  return std::unique_ptr<TFontDialog>(dialog);
}

// A dialog text holding the given lines between header and "end".
std::string DialogText(std::string_view lines) {
  return "object FontDialog1: TFontDialog\r\n" + std::string(lines) + "end\r\n";
}

std::string Rewritten(std::string_view text) { return ComponentToText(*ReadDialog(text)); }

TFont FontAt(std::int32_t pixels_per_inch, std::int32_t height) {
  TFont font;
  font.PixelsPerInch = pixels_per_inch;
  font.Height = height;
  return font;
}

TEST(FontSize, FollowsHeightAtThePixelsPerInch) {
  EXPECT_EQ(FontAt(96, -16).Size(), 12);
  EXPECT_EQ(FontAt(120, -20).Size(), 12);
  EXPECT_EQ(FontAt(96, -11).Size(), 8);
  // A positive height is a cell height; its size comes out negative.
  EXPECT_EQ(FontAt(96, 16).Size(), -12);
  TFont font;
  EXPECT_EQ(font.PixelsPerInch, 96);
  font.SetSize(12);
  EXPECT_EQ(font.Height, -16);
  font.PixelsPerInch = 120;
  font.SetSize(12);
  EXPECT_EQ(font.Height, -20);
  font.SetSize(10);
  EXPECT_EQ(font.Height, -17);  // 16.67 pixels
}

TEST(FontSize, RoundsHalvesAwayFromZero) {
  EXPECT_EQ(FontAt(96, -10).Size(), 8);   // 7.5 points
  EXPECT_EQ(FontAt(96, -14).Size(), 11);  // 10.5 points
  EXPECT_EQ(FontAt(96, 10).Size(), -8);   // -7.5 points
  TFont font;
  font.PixelsPerInch = 108;
  font.SetSize(1);  // 1.5 pixels
  EXPECT_EQ(font.Height, -2);
  font.SetSize(-1);
  EXPECT_EQ(font.Height, 2);
}

TEST(FontSize, SaturatesInsteadOfOverflowing) {
  EXPECT_EQ(FontAt(96, kMinInt).Size(), 1610612736);
  EXPECT_EQ(FontAt(1, kMinInt).Size(), kMaxInt);
  EXPECT_EQ(FontAt(1, kMaxInt).Size(), -kMaxInt);
  TFont font;
  font.SetSize(kMaxInt);
  EXPECT_EQ(font.Height, -kMaxInt);
  font.SetSize(kMinInt);
  EXPECT_EQ(font.Height, kMaxInt);
  font.PixelsPerInch = kMaxInt;
  font.SetSize(kMinInt);
  EXPECT_EQ(font.Height, kMaxInt);
  // Values below 1 pixel per inch would divide by zero or flip the sign.
  EXPECT_EQ(FontAt(0, -16).Size(), 12);
  EXPECT_EQ(FontAt(-96, -16).Size(), 12);
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

TEST(FontDialogText, StoredFontRoundTripsExactly) {
  const auto dialog = ReadDialog(kClockFont);
  EXPECT_EQ(dialog->Name, "FontDialog1");
  EXPECT_EQ(dialog->Font.Charset, kDefaultCharset);
  EXPECT_EQ(dialog->Font.Color, clWhite);
  EXPECT_EQ(dialog->Font.Height, -24);
  EXPECT_EQ(dialog->Font.Size(), 18);
  EXPECT_EQ(dialog->Font.Name, "Arial");
  EXPECT_EQ(dialog->Font.Style, TFontStyles{TFontStyle::fsBold});
  ASSERT_EQ(dialog->UnmodelledProperties().size(), 3u);
  EXPECT_EQ(dialog->UnmodelledProperties()[0].Name, "Options");
  EXPECT_EQ(ComponentToText(*dialog), kClockFont);
}

TEST(FontDialogText, EditedFontIsWrittenWithTheOtherLinesInPlace) {
  const auto dialog = ReadDialog(kClockFont);
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

TEST(FontDialogText, ColoursReadFromIdentifiersOrNumbers) {
  struct Case {
    std::string_view written;
    TColor value;
    std::string_view rewritten;
  };
  const Case cases[] = {
      {"clWindowText", clWindowText, "clWindowText"},
      {"CLINFOBK", static_cast<TColor>(0xFF000018u), "clInfoBk"},
      {"16777215", clWhite, "clWhite"},
      {"$0000FF", clRed, "clRed"},
      {"$FF000008", clWindowText, "clWindowText"},
      {"-16777208", clWindowText, "clWindowText"},
      {"536870912", clDefault, "clDefault"},
      {"$1FFFFFFF", clNone, "clNone"},
      {"$A4A0A0", clMedGray, "clMedGray"},
      {"1193046", 0x123456, "1193046"},
      {"$80000000", kMinInt, "-2147483648"},
      {"$FF0000FF", static_cast<TColor>(0xFF0000FFu), "-16776961"},
  };
  for (const auto& [written, value, rewritten] : cases) {
    const std::string text = DialogText("  Font.Color = " + std::string(written) + "\r\n");
    EXPECT_EQ(ReadDialog(text)->Font.Color, value) << written;
    EXPECT_NE(Rewritten(text).find("  Font.Color = " + std::string(rewritten) + "\r\n"),
              std::string::npos)
        << written;
  }
}

TEST(FontDialogText, CharsetsReadFromIdentifiersOrNumbers) {
  struct Case {
    std::string_view written;
    TFontCharset value;
    std::string_view rewritten;
  };
  const Case cases[] = {
      {"ANSI_CHARSET", 0, "ANSI_CHARSET"},         {"0", 0, "ANSI_CHARSET"},
      {"russian_charset", 204, "RUSSIAN_CHARSET"}, {"$EE", 238, "EASTEUROPE_CHARSET"},
      {"OEM_CHARSET", 255, "OEM_CHARSET"},         {"3", 3, "3"},
      {"MAC_CHARSET", 77, "MAC_CHARSET"},
  };
  for (const auto& [written, value, rewritten] : cases) {
    const std::string text = DialogText("  Font.Charset = " + std::string(written) + "\r\n");
    EXPECT_EQ(ReadDialog(text)->Font.Charset, value) << written;
    EXPECT_NE(Rewritten(text).find("  Font.Charset = " + std::string(rewritten) + "\r\n"),
              std::string::npos)
        << written;
  }
}

TEST(FontDialogText, StylesAreWrittenInTheirOwnOrder) {
  struct Case {
    std::string_view written;
    std::string_view rewritten;
  };
  const Case cases[] = {
      {"[]", "[]"},
      {"[fsStrikeOut, fsUnderline, fsItalic, fsBold]",
       "[fsBold, fsItalic, fsUnderline, fsStrikeOut]"},
      {"[FSITALIC,fsitalic]", "[fsItalic]"},
  };
  for (const auto& [written, rewritten] : cases) {
    const std::string text = DialogText("  Font.Style = " + std::string(written) + "\r\n");
    EXPECT_NE(Rewritten(text).find("  Font.Style = " + std::string(rewritten) + "\r\n"),
              std::string::npos)
        << written;
  }
  const auto dialog = ReadDialog(DialogText("  Font.Style = [fsUnderline, fsItalic]\r\n"));
  EXPECT_TRUE(dialog->Font.Style.Contains(TFontStyle::fsUnderline));
  EXPECT_TRUE(dialog->Font.Style.Contains(TFontStyle::fsItalic));
  EXPECT_FALSE(dialog->Font.Style.Contains(TFontStyle::fsBold));
  EXPECT_FALSE(dialog->Font.Style.Contains(TFontStyle::fsStrikeOut));
}

TEST(FontDialogText, FaceNamesKeepEveryByte) {
  struct Case {
    std::string_view written;
    std::string_view name;
    std::string_view rewritten;
  };
  const Case cases[] = {
      {"'Bob''s Font'", "Bob's Font", "'Bob''s Font'"},
      {"'Bob'#39's Font'", "Bob's Font", "'Bob''s Font'"},
      {"#39'quoted'#39", "'quoted'", "'''quoted'''"},
      {"'Tab'#9'Name'", "Tab\tName", "'Tab'#9'Name'"},
      {"'Long ' +\r\n    'Name'", "Long Name", "'Long Name'"},
      {"''", "", "''"},
      {"'Caf\xE9'", "Caf\xE9", "'Caf\xE9'"},
  };
  for (const auto& [written, name, rewritten] : cases) {
    const std::string text = DialogText("  Font.Name = " + std::string(written) + "\r\n");
    EXPECT_EQ(ReadDialog(text)->Font.Name, name) << written;
    EXPECT_NE(Rewritten(text).find("  Font.Name = " + std::string(rewritten) + "\r\n"),
              std::string::npos)
        << written;
  }
}

TEST(FontDialogText, PositiveHeightIsKept) {
  const std::string text = DialogText(
      "  Font.Charset = ANSI_CHARSET\r\n"
      "  Font.Color = clBlack\r\n"
      "  Font.Height = 20\r\n"
      "  Font.Name = 'Courier New'\r\n"
      "  Font.Style = []\r\n");
  EXPECT_EQ(ReadDialog(text)->Font.Height, 20);
  EXPECT_EQ(Rewritten(text), text);
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
  const auto unmodelled = dialog->UnmodelledProperties();
  ASSERT_EQ(unmodelled.size(), 6u);
  EXPECT_EQ(unmodelled[0].Name, "HelpKeywords");
  EXPECT_EQ(unmodelled[1].Name, "Font.Pitch");
  EXPECT_EQ(unmodelled[5].Name, "Tag");
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
  TFontDialog fresh;
  fresh.Name = "FontDialog1";
  EXPECT_EQ(ComponentToText(fresh), DialogText("  Font.Charset = DEFAULT_CHARSET\r\n"
                                               "  Font.Color = clWindowText\r\n"
                                               "  Font.Height = -11\r\n"
                                               "  Font.Name = 'MS Sans Serif'\r\n"
                                               "  Font.Style = []\r\n"));
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

TEST(FontDialogText, SettingsFormWithBareLineFeedsReads) {
  std::string text(kClockFont);
  std::erase(text, '\r');
  EXPECT_EQ(Rewritten(text), kClockFont);
}

TEST(FontDialogText, ValuesTheFontCannotHoldAreRefused) {
  struct Case {
    std::string_view line;
    std::string_view message;
  };
  const Case cases[] = {
      {"Font.Color = clFoo", "Invalid value for property Font.Color on line 3"},
      {"Font.Color = 4294967296", "Invalid value for property Font.Color on line 3"},
      {"Font.Color = 'clRed'", "Invalid value for property Font.Color on line 3"},
      {"Font.Height = 2147483648", "Invalid value for property Font.Height on line 3"},
      {"Font.Height = -12.5", "Invalid value for property Font.Height on line 3"},
      {"Font.Size = [fsBold]", "Invalid value for property Font.Size on line 3"},
      {"Font.Name = Arial", "Invalid value for property Font.Name on line 3"},
      {"Font.Style = [fsBold, fsWide]", "Invalid value for property Font.Style on line 3"},
      {"Font.Style = [1]", "Invalid value for property Font.Style on line 3"},
      {"Font.Style = fsBold", "Invalid value for property Font.Style on line 3"},
      {"Font.Charset = 256", "Invalid value for property Font.Charset on line 3"},
      {"Font.Charset = -1", "Invalid value for property Font.Charset on line 3"},
      {"Font.Charset = UTF8_CHARSET", "Invalid value for property Font.Charset on line 3"},
  };
  for (const auto& [line, message] : cases) {
    try {
      ReadDialog(DialogText("  Left = 8\r\n  " + std::string(line) + "\r\n"));
      ADD_FAILURE() << "no error raised for " << line;
    } catch (const EParserError& error) {
      EXPECT_EQ(std::string(error.what()), message);
    }
  }
}

TEST(FontDialogText, BrokenFontTextsRaiseTheParserError) {
  for (const std::string_view text : {
           "object FontDialog1: TFontDialog\r\n  Font.Name = 'Arial\r\nend\r\n",
           "object FontDialog1: TFontDialog\r\n  Font.Style = [fsBold\r\nend\r\n",
           "object FontDialog1: TFontDialog\r\n  Font.Height = -24\r\n",
           "object FontDialog1: TFontDialog;  Font.Height = -24;end;",
       }) {
    EXPECT_THROW(ReadDialog(text), EParserError) << text;
  }
}

}  // namespace
}  // namespace ris
