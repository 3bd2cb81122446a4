#include "data/settings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>

#include "base/errors.h"
#include "data/component.h"
#include "data/settings_list.h"
#include "shells/headless/memory_hive.h"

namespace ris {
namespace {

constexpr const char* kProductText =
    "[general]\r\ntitle=Demo\r\n"
    "[General]\r\nBackgroundColor=$00102030\r\nshowBackground=true\r\nsetShowBackground=true\r\n"
    "[bounce]\r\nbounceImages=false\r\nsetBounceImages=true\r\nnrImages=12\r\nsetnrimages=TRUE\r\n"
    "Speed=3\r\nsetSpeed=true\r\nfixedSpeed=true\r\n"
    "[clocksettings]\r\nclock=1\r\nsetClock=true\r\n"
    "clockFont=object FontDialog1: TFontDialog;  Font.Charset = DEFAULT_CHARSET;  Font.Color = "
    "clWhite;  Font.Height = -32;  Font.Name = 'Arial';  Font.Style = [fsBold];end\r\n"
    "setClockFont=true\r\n"
    "[FilenameSettings]\r\nfilename=0\r\n"
    "filenameFont=object FontDialog1: TFontDialog;  Font.Color = clYellow;  Font.Height = -16;  "
    "Font.Name = 'Arial';end\r\n"
    "[sets]\r\nselectedSets=*all*\r\nsetSelectedSets=true\r\nSetTime=30\r\n"
    "[backgrounds]\r\nstretchSmallImages=true\r\n";

constexpr const char* kKey = "Software\\Demo\\";

RegistryValue Dword(std::uint32_t number) {
  std::string data(4, '\0');
  std::memcpy(data.data(), &number, 4);
  return {RegistryType::Dword, data};
}

RegistryValue Text(std::string text) { return {RegistryType::String, text + '\0'}; }

class SettingsModel : public testing::Test {
 protected:
  SettingsModel() {
    classes_.Register<TFontDialog>();
    ParseSettingsText(kProductText, defaults_);
  }

  std::unique_ptr<TSettings> Load() { return std::make_unique<TSettings>(defaults_, hive_, classes_); }

  void Store(const char* name, const RegistryValue& value) {
    ASSERT_TRUE(hive_.CreateKey(kKey)->WriteValue(name, value));
  }

  std::optional<RegistryValue> Stored(const char* name) {
    const auto key = hive_.OpenKey(kKey);
    return key ? key->ReadValue(name) : std::nullopt;
  }

  void UseProductText(const std::string& text) {
    defaults_ = {};
    ParseSettingsText(text, defaults_);
  }

  ComponentClassRegistry classes_;
  TSettingsList defaults_;
  MemoryHive hive_;
};

TEST_F(SettingsModel, TakesDefaultsFromTheProductText) {
  const auto settings = Load();
  EXPECT_EQ(settings->BackgroundColor, 0x00102030);
  EXPECT_TRUE(settings->showBackground);
  EXPECT_FALSE(settings->bounceImages);
  EXPECT_EQ(settings->nrImages, 12);
  EXPECT_EQ(settings->Speed, 3);
  EXPECT_TRUE(settings->fixedSpeed);
  EXPECT_FALSE(settings->noBouncingLogos);
  EXPECT_EQ(settings->clock, 1);
  EXPECT_EQ(settings->filename, 0);
  EXPECT_EQ(settings->SetTime, 30);
  EXPECT_TRUE(settings->stretchSmallImages);
  EXPECT_EQ(settings->SelectedSetList, StringList{"*all*"});
  EXPECT_EQ(settings->ClockFontDialog->Font.Height, -32);
  EXPECT_EQ(settings->ClockFontDialog->Font.Name, "Arial");
  EXPECT_EQ(settings->FilenameFontDialog->Font.Color, clYellow);
  EXPECT_TRUE(settings->Problems().empty());
}

TEST_F(SettingsModel, FirstRunWritesEveryUserSettableSetting) {
  Load().reset();
  EXPECT_EQ(Stored("bounce Speed"), Dword(3));
  EXPECT_EQ(Stored("bounce nrImages"), Dword(12));  // flag written in lower case
  EXPECT_EQ(Stored("bounce bounceImages"), Dword(0));
  EXPECT_EQ(Stored("General showBackground"), Dword(1));
  EXPECT_EQ(Stored("clocksettings clock"), Dword(1));
  EXPECT_EQ(Stored("sets selectedSets"), Text("*all*"));
  // Settings without a flag never reach the registry.
  EXPECT_FALSE(Stored("bounce fixedSpeed"));
  EXPECT_FALSE(Stored("General BackgroundColor"));
  EXPECT_FALSE(Stored("sets SetTime"));
  EXPECT_FALSE(Stored("FilenameSettings filenameFont"));
}

// A hive that notes every value written, in order, with its type.
class WriteLog : public RegistryHive {
 public:
  std::unique_ptr<RegistryKey> OpenKey(std::string_view) override { return nullptr; }
  std::unique_ptr<RegistryKey> CreateKey(std::string_view) override { return std::make_unique<Key>(writes); }
  std::vector<std::pair<std::string, RegistryType>> writes;

 private:
  struct Key : RegistryKey {
    explicit Key(std::vector<std::pair<std::string, RegistryType>>& writes) : log(writes) {}
    std::optional<RegistryValue> ReadValue(std::string_view) const override { return std::nullopt; }
    bool WriteValue(std::string_view name, const RegistryValue& value) override {
      log.emplace_back(name, value.type);
      return true;
    }
    std::vector<std::pair<std::string, RegistryType>>& log;
  };
};

TEST_F(SettingsModel, EveryUserSettableSettingIsWrittenByItsNameAndTypeInBindingOrder) {
  std::string text = kProductText;
  for (const char* flag : {"[General]\r\nsetBackgroundColor", "[bounce]\r\nsetFixedSpeed",
                           "[sets]\r\nsetSetTime", "[FilenameSettings]\r\nsetFilename",
                           "[FilenameSettings]\r\nsetFilenameFont", "[backgrounds]\r\nsetStretchSmallImages"}) {
    text += std::string(flag) + "=true\r\n";
  }
  UseProductText(text);
  WriteLog log;
  { TSettings settings(defaults_, log, classes_); }
  constexpr RegistryType kNumber = RegistryType::Dword, kText = RegistryType::String;
  const std::vector<std::pair<std::string, RegistryType>> expected = {
      {"clocksettings clock", kNumber},       {"General BackgroundColor", kNumber},
      {"bounce bounceImages", kNumber},       {"bounce nrImages", kNumber},
      {"bounce Speed", kNumber},              {"bounce fixedSpeed", kNumber},
      {"General showBackground", kNumber},    {"sets selectedSets", kText},
      {"ClockSettings clockFont", kText},     {"sets SetTime", kNumber},
      {"FilenameSettings filename", kNumber}, {"FilenameSettings filenameFont", kText},
      {"backgrounds stretchSmallImages", kNumber}};
  EXPECT_EQ(log.writes, expected);
}

TEST_F(SettingsModel, FontWrittenWithSemicolonsIsStoredWithLineBreaks) {
  Load().reset();
  const auto font = Stored("ClockSettings clockFont");
  ASSERT_TRUE(font);
  EXPECT_EQ(font->data,
            std::string("object FontDialog1: TFontDialog\r\n  Font.Charset = DEFAULT_CHARSET\r\n"
                        "  Font.Color = clWhite\r\n  Font.Height = -32\r\n  Font.Name = 'Arial'\r\n"
                        "  Font.Style = [fsBold]\r\nend\r\n") +
                '\0');
  // The next run reads the stored text back unchanged.
  const auto again = Load();
  EXPECT_EQ(again->ClockFontDialog->Font.Height, -32);
  EXPECT_TRUE(again->Problems().empty());
}

TEST_F(SettingsModel, RegistryValuesWinOnlyForUserSettableSettings) {
  Store("bounce Speed", Dword(9));
  Store("bounce fixedSpeed", Dword(0));
  Store("sets selectedSets", Text("flowers;sea"));
  {
    const auto settings = Load();
    EXPECT_EQ(settings->Speed, 9);
    EXPECT_TRUE(settings->fixedSpeed);
    EXPECT_EQ(settings->SelectedSetList, (StringList{"flowers", "sea"}));
  }
  EXPECT_EQ(Stored("bounce fixedSpeed"), Dword(0));  // ignored, never rewritten
}

TEST_F(SettingsModel, ChangesMadeWhileRunningAreStored) {
  {
    const auto settings = Load();
    settings->Speed += 5;
    settings->ClockFontDialog->Font.SetSize(settings->ClockFontDialog->Font.Size() + 1);
    settings->SelectedSetList = {"flowers", "sea"};
  }
  EXPECT_EQ(Stored("bounce Speed"), Dword(8));
  EXPECT_EQ(Stored("sets selectedSets"), Text("flowers;sea"));
  EXPECT_NE(Stored("ClockSettings clockFont")->data.find("Font.Height = -33"), std::string::npos);
}

TEST_F(SettingsModel, ValueOfTheWrongTypeKeepsTheDefaultAndLoadingGoesOn) {
  Store("bounce Speed", Text("fast"));
  Store("bounce nrImages", Dword(40));
  {
    const auto settings = Load();
    EXPECT_EQ(settings->Speed, 3);
    EXPECT_EQ(settings->nrImages, 40);
    EXPECT_EQ(settings->Problems(), StringList{"Invalid data type for 'bounce Speed'"});
  }
  EXPECT_EQ(Stored("bounce Speed"), Dword(3));
}

TEST_F(SettingsModel, BrokenFontInTheRegistryFallsBackToTheProductFont) {
  Store("ClockSettings clockFont", Text("object X: TFontDialog\r\n  Font.Height = \r\n"));
  {
    const auto settings = Load();
    EXPECT_EQ(settings->ClockFontDialog->Font.Height, -32);
    ASSERT_EQ(settings->Problems().size(), 1u);
    EXPECT_EQ(settings->Problems()[0].rfind("Invalid data for 'ClockSettings clockFont': ", 0), 0u);
  }
  EXPECT_NE(Stored("ClockSettings clockFont")->data.find("Font.Height = -32"), std::string::npos);
}

TEST_F(SettingsModel, AbsurdFontHeightsAreBroughtIntoRange) {
  // From the registry (a hand-edited value) and from the product's text alike.
  const struct {
    bool from_registry;
    const char* height;
    std::int32_t expected;
  } cases[] = {
      {true, "-99999999", -TFont::kLargestHeight},
      {true, "2147483647", TFont::kLargestHeight},
      {false, "-99999999", -TFont::kLargestHeight},
      {false, "-2000", -2000},
  };
  for (const auto& c : cases) {
    hive_ = MemoryHive();
    std::string text = kProductText;
    const std::string height = std::string("Font.Height = ") + c.height;
    if (c.from_registry) {
      Store("ClockSettings clockFont", Text("object X: TFontDialog\r\n  " + height + "\r\nend\r\n"));
    } else {
      text.replace(text.find("Font.Height = -32"), 17, height);
    }
    UseProductText(text);
    EXPECT_EQ(Load()->ClockFontDialog->Font.Height, c.expected) << c.height << " " << c.from_registry;
  }
}

TEST_F(SettingsModel, FailedWriteDoesNotDropTheValuesAfterIt) {
  hive_.FailWritesOf("bounce bounceImages");
  std::vector<std::string> reported;
  {
    const auto settings = Load();
    settings->SetProblemHandler([&](const std::string& problem) { reported.push_back(problem); });
  }
  EXPECT_EQ(reported, StringList{"Failed to set data for 'bounce bounceImages'"});
  EXPECT_EQ(Stored("bounce Speed"), Dword(3));
  EXPECT_TRUE(Stored("ClockSettings clockFont"));
}

TEST_F(SettingsModel, MissingOrMalformedNumbersAreProductErrors) {
  Store("bounce Speed", Dword(4));  // the conversion comes first, registry or not
  for (const auto& [line, message] :
       {std::pair{"Speed=", "'' is not a valid integer value"},
        std::pair{"Speed=3 px", "'3 px' is not a valid integer value"}}) {
    std::string text = kProductText;
    text.replace(text.find("Speed=3"), 7, line);
    UseProductText(text);
    try {
      Load();
      ADD_FAILURE() << "no error for " << line;
    } catch (const EConvertError& error) {
      EXPECT_STREQ(error.what(), message);
    }
  }
}

TEST_F(SettingsModel, NoBouncingLogosIsAStrictBoolean) {
  const auto with = [&](const std::string& line) {
    UseProductText(std::string(kProductText) + "[bounce]\r\n" + line + "\r\n");
    return Load()->noBouncingLogos;
  };
  EXPECT_TRUE(with("noBouncingLogos=TRUE"));
  EXPECT_TRUE(with("noBouncingLogos=1"));
  EXPECT_FALSE(with("noBouncingLogos="));
  EXPECT_FALSE(with("noBouncingLogos=0"));
  EXPECT_THROW(with("noBouncingLogos=maybe"), EConvertError);
}

TEST_F(SettingsModel, MonitorsIsTheMakersNumberAndNeverStopsTheSaver) {
  const auto with = [&](const std::string& lines) {
    UseProductText(std::string(kProductText) + lines);
    return Load()->monitors;
  };
  EXPECT_EQ(with(""), 0);
  EXPECT_EQ(with("[Display]\r\nmonitors=2\r\n"), 2);
  EXPECT_EQ(with("[display]\r\nmonitors=every\r\n"), 0);
  Store("display monitors", Dword(1));  // the user's key cannot choose it
  EXPECT_EQ(with(""), 0);
}

TEST_F(SettingsModel, ProductWithoutFontsOrTitleStillWorks) {
  std::string text = kProductText;
  text.replace(text.find("title=Demo"), 10, "title=");
  text.replace(text.find("clockFont="), 10, "unused=");
  UseProductText(text);
  {
    const auto settings = Load();
    ASSERT_NE(settings->ClockFontDialog, nullptr);
    EXPECT_FALSE(settings->ClockFontDialog->Font.Name.empty());
  }
  // Without a title there is no key to keep values under: nothing is written.
  for (const KeyContents& key : hive_.Contents()) EXPECT_TRUE(key.values.empty()) << key.path;
}

}  // namespace
}  // namespace ris
