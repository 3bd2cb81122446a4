#include "data/settings.h"

#include <array>
#include <span>
#include <type_traits>
#include <variant>

#include "base/ascii.h"
#include "base/conversions.h"
#include "base/errors.h"
#include "data/component.h"
#include "data/settings_list.h"

namespace ris {

// One setting that a product may make user-settable. Its registry value is
// named by the section as written here, a blank and the key.
struct TSettings::UserSetting {
  std::string_view section;
  std::string_view key;
  std::variant<std::int32_t TSettings::*, bool TSettings::*, std::string TSettings::*> field;
};

namespace {

constexpr std::string_view kClockFontSection = "ClockSettings";
constexpr std::string_view kFilenameFontSection = "FilenameSettings";

// Settings texts write a font on one line with ";" where the object text
// breaks lines.
std::string FontTextFromSettings(std::string_view text) {
  std::string converted;
  converted.reserve(text.size());
  for (const char c : text) {
    if (c == ';') {
      converted += "\r\n";
    } else {
      converted += c;
    }
  }
  return converted;
}

std::string RegistryValueName(std::string_view section, std::string_view key) {
  std::string name(section);
  name += ' ';
  name += key;
  return name;
}

template <typename... Callables>
struct Overloaded : Callables... {
  using Callables::operator()...;
};
template <typename... Callables>
Overloaded(Callables...) -> Overloaded<Callables...>;

}  // namespace

std::span<const TSettings::UserSetting> TSettings::UserSettings() {
  // In loading order, which is also the order of saving.
  static const std::array<UserSetting, 13> kSettings{{
      {"clocksettings", "clock", &TSettings::clock},
      {"General", "BackgroundColor", &TSettings::BackgroundColor},
      {"bounce", "bounceImages", &TSettings::bounceImages},
      {"bounce", "nrImages", &TSettings::nrImages},
      {"bounce", "Speed", &TSettings::Speed},
      {"bounce", "fixedSpeed", &TSettings::fixedSpeed},
      {"General", "showBackground", &TSettings::showBackground},
      {"sets", "selectedSets", &TSettings::selectedSets},
      {kClockFontSection, "clockFont", &TSettings::clockFont},
      {"sets", "SetTime", &TSettings::SetTime},
      {kFilenameFontSection, "filename", &TSettings::filename},
      {kFilenameFontSection, "filenameFont", &TSettings::filenameFont},
      {"backgrounds", "stretchSmallImages", &TSettings::stretchSmallImages},
  }};
  return kSettings;
}

std::vector<std::string> TSettings::UserValueNames() {
  std::vector<std::string> names;
  for (const UserSetting& setting : UserSettings()) names.push_back(RegistryValueName(setting.section, setting.key));
  return names;
}

TSettings::TSettings(const TSettingsList& defaults, RegistryHive& hive,
                     const ComponentClassRegistry& classes, std::int32_t pixels_per_inch)
    : title_(defaults.ReadValue("title", "general")),
      classes_(classes),
      pixels_per_inch_(pixels_per_inch),
      Registry(hive, title_) {
  noBouncingLogos = StrToBool(defaults.ReadValueDef("false", "noBouncingLogos", "bounce"));
  monitors = TryStrToInt(defaults.ReadValue("monitors", "display")).value_or(0);
  for (const UserSetting& setting : UserSettings()) LoadSetting(setting, defaults);
  problems_ = Registry.LoadProblems();

  clockFont = FontTextFromSettings(clockFont);
  ClockFontDialog = LoadFont(clockFont, FontTextFromSettings(defaults.ReadValue("clockFont", kClockFontSection)),
                             RegistryValueName(kClockFontSection, "clockFont"));
  filenameFont = FontTextFromSettings(filenameFont);
  FilenameFontDialog =
      LoadFont(filenameFont, FontTextFromSettings(defaults.ReadValue("filenameFont", kFilenameFontSection)),
               RegistryValueName(kFilenameFontSection, "filenameFont"));

  SelectedSetList = SplitString(";", selectedSets);
}

TSettings::~TSettings() { PrepareForSaving(); }

void TSettings::SetProblemHandler(TRegistrySettings::ProblemHandler handler) {
  Registry.SetProblemHandler(std::move(handler));
}

void TSettings::LoadSetting(const UserSetting& setting, const TSettingsList& defaults) {
  const std::string text = defaults.ReadValue(setting.key, setting.section);
  std::visit(Overloaded{
                 [&](std::int32_t TSettings::*field) { this->*field = StrToInt(text); },
                 [&](bool TSettings::*field) { this->*field = EqualsFolded(text, "true"); },
                 [&](std::string TSettings::*field) { this->*field = text; },
             },
             setting.field);

  std::string flag = "set";
  flag += setting.key;
  // Without a title there is no key of the product's own to keep values
  // under; writing them straight into "Software\" would litter the user's
  // registry, so such a product has no user-settable settings.
  if (title_.empty() || !defaults.ReadBool(flag, setting.section)) return;

  const std::string name = RegistryValueName(setting.section, setting.key);
  std::visit(Overloaded{
                 [&](std::int32_t TSettings::*field) {
                   Registry.BindInteger(this->*field, name, this->*field);
                 },
                 [&](bool TSettings::*field) { Registry.BindBool(this->*field, name, this->*field); },
                 [&](std::string TSettings::*field) {
                   Registry.BindString(this->*field, name, this->*field);
                 },
             },
             setting.field);
}

std::unique_ptr<TFontDialog> TSettings::LoadFont(const std::string& font_text,
                                                 const std::string& default_text,
                                                 std::string_view value_name) {
  const auto read = [&](const std::string& text) {
    std::unique_ptr<TFontDialog> dialog;
    if (text.empty()) {
      // A product without a font still gets one, so that the overlays, the
      // dialog and saving always have a font to work with.
      dialog = std::make_unique<TFontDialog>();
      dialog->Name = "FontDialog1";
    } else {
      std::unique_ptr<TComponent> component = TextToComponent(text, classes_);
      dialog.reset(dynamic_cast<TFontDialog*>(component.get()));
      if (!dialog) throw EClassNotFound(FormatMessage("Class %s not found", component->ClassName()));
      component.release();
    }
    dialog->Font.PixelsPerInch = pixels_per_inch_;
    dialog->Font.ClampHeight();
    return dialog;
  };

  if (font_text == default_text) return read(font_text);
  // The text came from the user's registry: a broken one must not stop the
  // saver, so the product's own font stands in and is written back on saving.
  try {
    return read(font_text);
  } catch (const ESaverError& error) {
    problems_.push_back("Invalid data for '" + std::string(value_name) + "': " + error.what());
    return read(default_text);
  }
}

void TSettings::PrepareForSaving() {
  try {
    clockFont = ComponentToText(*ClockFontDialog);
    filenameFont = ComponentToText(*FilenameFontDialog);
    selectedSets = JoinStrings(";", SelectedSetList);
  } catch (const std::exception&) {
    // Writing the object text of a font only allocates; should even that
    // fail, the fields keep the texts they were loaded with.
  }
}

}  // namespace ris
