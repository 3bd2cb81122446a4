#pragma once
// The NSIS script of a product's setup program. The script is the same for
// every product except for the definitions at its top; what setup and its
// uninstaller do is described beside the script's text.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/result.h"
#include "setup_languages.h"

namespace ris::tool {

struct InstallerProduct {
  // The product's texts in UTF-8, converted from its code page.
  std::string Title;
  std::string Version;     // as the list of installed programs shows it
  std::string Publisher;
  std::string Copyright;   // as written: "(c) 2026 The Demo Makers"
  std::string SaverFile;   // "Flowers.scr"
  std::string ArchiveFile; // "Flowers.dat"
  std::string EnginePath;  // the files setup carries, as makensis finds them, in UTF-8
  std::string ArchivePath;
  std::string OutputPath;
  std::uint32_t PayloadKilobytes = 0;  // the saver and its archive
  // The brand, as files makensis reads: the icon of setup and uninstaller
  // (installed beside the uninstaller and shown in the list of installed
  // programs when it is the maker's), the wizard's pictures, the licence.
  std::string IconPath;
  bool MakersIcon = false;
  std::string WizardPicturePath;
  std::optional<std::string> HeaderPicturePath;
  std::optional<std::string> LicencePath;
  std::string PublisherUrl;  // the list's "about" link; empty: none
  const SetupLanguage* Language = &EnglishSetup();
};

// "Version 1.2 (beta)" -> "1.2 (beta)": the text from its first digit on, as
// the list of installed programs wants a version; the whole text without one.
std::string DisplayVersionFrom(std::string_view version_text);

// "(c) 2026 The Demo Makers" -> "The Demo Makers": the copyright text without
// its copyright sign, word and years; the web address when nothing is left.
std::string PublisherFrom(std::string_view copyright, std::string_view web_address);

// The title as a folder name: the characters Windows does not allow in file
// names become '_', trailing dots and blanks go, and an empty title the
// saver's name without ".scr".
std::string FolderNameFor(std::string_view title, std::string_view saver_file);

// The text as an NSIS string in double quotes, each character as itself:
// quotes, "$", CR and LF written as NSIS's escapes. Nothing for a text that
// NSIS cannot carry: a NUL byte; "$\" (makensis reads "$\n" and its like
// inside "$$\n" before it reads the "$$"); "${" (a definition used inside
// another is expanded again, "$${" included).
std::optional<std::string> NsisQuoted(std::string_view text);

// Written in UTF-8; makensis is told so. Every product text enters
// it through NsisQuoted; the failure names the text that could not
// ("title", "engine source", ...).
Result<std::string, std::string> NsisScript(const InstallerProduct& product);

}  // namespace ris::tool
