#pragma once
// The NSIS script of a product's setup program. The script is the same for
// every product except for the definitions at its top; what setup and its
// uninstaller do is described beside the script's text.

#include <cstdint>
#include <string>
#include <string_view>

namespace ris::tool {

struct InstallerProduct {
  std::string Title;       // from settings.txt, code page 1252
  std::string Version;     // as the list of installed programs shows it
  std::string Publisher;
  std::string SaverFile;   // "Flowers.scr"
  std::string ArchiveFile; // "Flowers.dat"
  std::string EnginePath;  // the files setup carries, as makensis finds them
  std::string ArchivePath;
  std::string OutputPath;
  std::uint32_t PayloadKilobytes = 0;  // the saver and its archive
};

// "Version 1.2 (beta)" -> "1.2 (beta)": the text from its first digit on, as
// the list of installed programs wants a version; the whole text without one.
std::string DisplayVersionFrom(std::string_view version_text);

// "(c) 2026 The Demo Makers" -> "The Demo Makers": the copyright text without
// its copyright sign, word and years; the web address when nothing is left.
std::string PublisherFrom(std::string_view copyright, std::string_view web_address);

// The title as a folder name: the characters Windows does not allow in file
// names become '_', and an empty title the saver's name without ".scr".
std::string FolderNameFor(std::string_view title, std::string_view saver_file);

// Written in code page 1252; makensis is told so.
std::string NsisScript(const InstallerProduct& product);

}  // namespace ris::tool
