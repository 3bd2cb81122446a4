#pragma once
// The settings model: every setting the display and the dialog act on, as
// typed fields. Defaults come from the product's settings text; a setting
// whose "set<key>" flag is true there is also read from the user's registry
// key and written back to it when the model is destroyed.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "data/font_dialog.h"
#include "data/registry_settings.h"
#include "data/text_helpers.h"

namespace ris {

class ComponentClassRegistry;
class RegistryHive;
class TSettingsList;

class TSettings {
 public:
  // Reads every setting from `defaults` and, for user-settable ones, from
  // the registry key "Software\<title>\". Raises EConvertError when the
  // settings text lacks a number it needs or holds a malformed
  // "noBouncingLogos", and the object text errors when its own font text is
  // broken. Problems with the registry's values never raise: see Problems().
  // `classes` must know TFontDialog; the hive must outlive the model.
  TSettings(const TSettingsList& defaults, RegistryHive& hive, const ComponentClassRegistry& classes,
            std::int32_t pixels_per_inch = TFont::kDefaultPixelsPerInch);

  // Writes every user-settable setting to the registry, with the values the
  // fields hold now; problems go to the problem handler.
  ~TSettings();

  TSettings(const TSettings&) = delete;
  TSettings& operator=(const TSettings&) = delete;

  std::int32_t BackgroundColor = 0;  // 0x00BBGGRR
  bool bounceImages = false;
  std::int32_t nrImages = 0;
  std::int32_t Speed = 0;
  bool fixedSpeed = false;
  bool noBouncingLogos = false;  // a fixed product switch, never user-settable
  // The maker's choice of monitors, never user-settable: 0 the primary one
  // only, 1 every monitor, 2 one picture across all (see MonitorChoiceFrom).
  // Anything but a number reads as 0.
  std::int32_t monitors = 0;
  std::int32_t clock = 0;        // 0 none, 1 current time, 2 running time
  std::int32_t filename = 0;     // 0 shows the set name, 1 hides it
  bool showBackground = false;
  bool stretchSmallImages = false;
  std::int32_t SetTime = 0;  // seconds between set changes; 0 or less never
  StringList SelectedSetList;
  std::string selectedSets;  // SelectedSetList joined with ";" when saved
  std::string clockFont;     // object text, refreshed from the dialog when saved
  std::string filenameFont;
  std::unique_ptr<TFontDialog> ClockFontDialog;
  std::unique_ptr<TFontDialog> FilenameFontDialog;

  // Values of the user's registry that could not be used; each setting
  // concerned kept its default and is written back correctly when saved.
  const std::vector<std::string>& Problems() const noexcept { return problems_; }

  // Receives the problems of the save that destruction performs.
  void SetProblemHandler(TRegistrySettings::ProblemHandler handler);

  // The product title; also the name of the registry key.
  const std::string& Title() const noexcept { return title_; }

  // The names of every value the model may keep under the user's key, so
  // that an uninstaller removes these and nothing else a key of that name
  // holds.
  static std::vector<std::string> UserValueNames();

 private:
  struct UserSetting;
  static std::span<const UserSetting> UserSettings();

  void LoadSetting(const UserSetting& setting, const TSettingsList& defaults);
  std::unique_ptr<TFontDialog> LoadFont(const std::string& font_text, const std::string& default_text,
                                        std::string_view value_name);
  void PrepareForSaving();

  std::string title_;
  const ComponentClassRegistry& classes_;
  std::int32_t pixels_per_inch_;
  std::vector<std::string> problems_;
  // Declared last: it refers to the fields above, and its destruction writes
  // them, so it must go before they do.
  TRegistrySettings Registry;
};

}  // namespace ris
