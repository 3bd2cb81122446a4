#pragma once
// What a product's setup program shows of its maker: its icon, the wizard's
// pictures, a licence, the maker's site and the language it speaks. Each
// comes from a key of the [setup] section of settings.txt, naming a file of
// the product's setup/ folder, or from the option of ris installer of the
// same meaning, which names a file on disk and wins. `ris pack` reads the
// section exactly as ris installer does, so that a product it packed
// without errors builds its setup.

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "base/code_page.h"
#include "pack_content.h"
#include "pack_findings.h"
#include "setup_languages.h"

namespace ris::tool {

// The options of ris installer that stand for [setup] keys.
struct SetupBrandOptions {
  std::optional<std::filesystem::path> Icon;
  std::optional<std::filesystem::path> WizardPicture;
  std::optional<std::filesystem::path> HeaderPicture;
  std::optional<std::filesystem::path> Licence;
  std::optional<std::string> PublisherUrl;  // in UTF-8
  std::optional<std::string> Language;
};

// The option names, as ParseCommandOptions takes them.
inline constexpr std::string_view kSetupBrandOptionNames[] = {
    "--icon", "--wizard-picture", "--header-picture", "--licence", "--publisher-url", "--language"};

// The wizard's picture sizes in NSIS's Modern UI, which stretches them at
// other screen densities.
inline constexpr std::int32_t kWizardPictureWidth = 164;
inline constexpr std::int32_t kWizardPictureHeight = 314;
inline constexpr std::int32_t kHeaderPictureWidth = 150;
inline constexpr std::int32_t kHeaderPictureHeight = 57;

// The files and texts as makensis takes them.
struct SetupBrand {
  std::string Icon;  // .ico bytes: the maker's, or the engine's own
  bool MakersIcon = false;
  std::string WizardPicture;                 // a 24-bit BMP, the maker's or a plain one
  std::optional<std::string> HeaderPicture;  // a 24-bit BMP; none: the header shows no picture
  std::optional<std::string> Licence;        // UTF-8 with its byte order mark, CR LF line ends
  std::string PublisherUrl;                  // in UTF-8, with its scheme; empty: none
  const SetupLanguage* Language = nullptr;
};

// The brand of the product whose settings text (in `code_page`) and setup/
// files are given, with the options' files in place of the keys'. Every
// problem is a finding that names the key's line or the option; the brand
// is only whole when no error was found.
SetupBrand ReadSetupBrand(std::string_view settings_text, CodePage code_page, std::span<const PackEntry> setup_files,
                          const SetupBrandOptions& options, PackFindings& findings);

// An address as the list of installed programs shows it: "www.example.com"
// and "https:www.example.com" (as settings texts write them) become
// "https://www.example.com"; nothing for one no browser could open.
std::optional<std::string> PublisherAddress(std::string_view address);

}  // namespace ris::tool
