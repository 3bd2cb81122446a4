#pragma once
// The languages a product's setup can speak. Every page, button and message
// of the wizard and its uninstaller comes from NSIS's own translation of the
// language; the few texts the setup adds (who it installs for, the question
// about the user's own settings, ...) come from the table here, and in
// English for a language the table has no translation of.

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/code_page.h"
#include "base/result.h"

namespace ris::tool {

// The texts a setup adds to NSIS's wizard. "{title}" stands for the
// product's title.
enum class SetupText {
  UsersTitle,
  UsersSubtitle,
  OnlyMe,
  AllUsers,
  AdministratorNeeded,
  AdministratorChoice,
  OpenSaverSettings,
  RemoveSettings,
  InstallFailed,
};
inline constexpr std::size_t kSetupTextCount = 9;

struct SetupLanguage {
  std::string_view Name;  // NSIS's name of its translation: "PortugueseBR"
  std::string_view Shown;  // "Portuguese (Brazil)"
  CodePage WrittenIn;     // the Windows code page of its texts
  // In UTF-8; empty where the setup's own texts fall back to English.
  std::array<std::string_view, kSetupTextCount> Texts;

  bool Translated() const { return !Texts.front().empty(); }
  // The text in this language, or in English without a translation.
  std::string_view Text(SetupText text) const;
};

std::span<const SetupLanguage> SetupLanguages();
const SetupLanguage& EnglishSetup();

// The language a maker names (NSIS's name or the shown one, in any case).
Result<const SetupLanguage*, std::string> SetupLanguageNamed(std::string_view name);

// The setup's language for a product that names none: the one language
// its code page is written in, English for the Western code page and for
// one without a language here; nothing where the code page is written in
// several ("1250": Polish, Czech, ...).
const SetupLanguage* DefaultSetupLanguage(CodePage code_page);

// The languages written in the code page, as a list for a message.
std::string LanguagesOfCodePage(CodePage code_page);

// `ris installer --languages`: a line a language.
std::string LanguageList();

}  // namespace ris::tool
