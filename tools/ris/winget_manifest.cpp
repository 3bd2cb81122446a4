#include "winget_manifest.h"

#include <algorithm>
#include <optional>
#include <system_error>

#include "atomic_file.h"
#include "base/ascii.h"
#include "file_bytes.h"
#include "sha256.h"

namespace ris::tool {

namespace {

// Characters an identifier's part may not hold, beside blanks and control
// characters.
constexpr std::string_view kRefusedInIdentifier = ".\\/:*?\"<>|";
constexpr std::string_view kRefusedInVersion = "\\/:*?\"<>|";
constexpr std::size_t kMaxIdentifierPart = 32;

bool IsControlOrBlank(char c) { return static_cast<unsigned char>(c) <= 0x20 || c == 0x7f; }

std::string IdentifierPart(std::string_view text) {
  std::string part;
  for (const char c : text) {
    if (!IsControlOrBlank(c) && kRefusedInIdentifier.find(c) == std::string_view::npos) part += c;
  }
  // Cut at a letter's start, never inside one (UTF-8's continuation bytes are 10xxxxxx).
  std::size_t end = std::min(part.size(), kMaxIdentifierPart);
  while (end < part.size() && end > 0 && (static_cast<unsigned char>(part[end]) & 0xC0) == 0x80) --end;
  return part.substr(0, end);
}

// "Key: value\n" with the value quoted.
std::string Field(std::string_view indent, std::string_view key, std::string_view value) {
  return std::string(indent).append(key).append(": ").append(YamlQuoted(value)).append("\n");
}

std::string Header(std::string_view kind, const WingetPackage& package) {
  std::string text = "# yaml-language-server: $schema=https://aka.ms/winget-manifest.";
  text.append(kind).append(".").append(kWingetManifestVersion).append(".schema.json\n");
  text.append("# Written by ris installer.\n\n");
  return text + Field("", "PackageIdentifier", package.Identifier) + Field("", "PackageVersion", package.Version);
}

std::string Footer(std::string_view manifest_type) {
  return std::string("ManifestType: ").append(manifest_type).append("\nManifestVersion: ")
      .append(kWingetManifestVersion).append("\n");
}

std::string InstallerEntry(const WingetPackage& package, std::string_view scope) {
  std::string entry = std::string("- Architecture: x64\n  Scope: ").append(scope).append("\n");
  entry += Field("  ", "InstallerUrl", package.InstallerUrl);
  entry += Field("  ", "InstallerSha256", UpperAscii(package.InstallerSha256));
  if (scope == "machine") {
    entry += "  ElevationRequirement: elevationRequired\n  InstallerSwitches:\n    Custom: /ALLUSERS\n";
  }
  return entry;
}

std::string VersionManifest(const WingetPackage& package) {
  return Header("version", package) + "DefaultLocale: en-US\n" + Footer("version");
}

std::string InstallerManifest(const WingetPackage& package) {
  std::string text = Header("installer", package);
  text += "InstallerType: nullsoft\n"
          "InstallModes:\n- interactive\n- silent\n- silentWithProgress\n"
          "InstallerSwitches:\n  Silent: /S\n  SilentWithProgress: /S\n  InstallLocation: /D=<INSTALLPATH>\n"
          "UpgradeBehavior: install\n";
  text += Field("", "ProductCode", package.ProductCode);
  text += "Installers:\n" + InstallerEntry(package, "user") + InstallerEntry(package, "machine");
  return text + Footer("installer");
}

std::string LocaleManifest(const WingetPackage& package) {
  std::string text = Header("defaultLocale", package) + "PackageLocale: en-US\n";
  text += Field("", "Publisher", package.Publisher);
  if (!package.PublisherUrl.empty()) text += Field("", "PublisherUrl", package.PublisherUrl);
  text += Field("", "PackageName", package.Name);
  text += Field("", "License", package.License);
  text += Field("", "ShortDescription", package.Name + ", a screen saver");
  text += "Tags:\n- screensaver\n";
  return text + Footer("defaultLocale");
}

}  // namespace

std::optional<std::string> WingetIdentifierProblem(std::string_view identifier) {
  std::size_t parts = 0;
  for (std::size_t start = 0; start <= identifier.size(); ++parts) {
    const std::size_t dot = std::min(identifier.find('.', start), identifier.size());
    const std::string_view part = identifier.substr(start, dot - start);
    if (part.empty() || part.size() > kMaxIdentifierPart || IdentifierPart(part) != part) {
      return "each part between dots holds 1 to 32 characters, none of them a blank or \\/:*?\"<>|";
    }
    start = dot + 1;
  }
  if (parts < 2 || parts > 8) return "it has 2 to 8 parts, such as Publisher.Product";
  return std::nullopt;
}

std::optional<std::string> WingetVersionProblem(std::string_view version) {
  if (version.empty() || version.size() > 128) return "it holds 1 to 128 characters";
  for (const char c : version) {
    if (IsControlOrBlank(c) && c != ' ') return "it holds no control characters";
    if (kRefusedInVersion.find(c) != std::string_view::npos) return "it holds none of \\/:*?\"<>|";
  }
  return std::nullopt;
}

Result<std::string, std::string> WingetIdentifierFor(std::string_view publisher, std::string_view name) {
  const std::string identifier = IdentifierPart(publisher) + "." + IdentifierPart(name);
  if (const auto problem = WingetIdentifierProblem(identifier)) {
    return Failure{"no package identifier can be made of the publisher and the title: name one with --winget-id "
                   "Publisher.Product"};
  }
  return identifier;
}

std::string YamlQuoted(std::string_view text) {
  std::string quoted = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      quoted.append({'\\', c});
    } else if (byte < 0x20 || byte == 0x7f) {
      quoted.append("\\x").append({HexDigit(byte >> 4u), HexDigit(byte)});
    } else {
      quoted += c;
    }
  }
  return quoted + '"';
}

std::vector<WingetFile> WingetManifests(const WingetPackage& package) {
  const std::string& id = package.Identifier;
  return {{id + ".yaml", VersionManifest(package)},
          {id + ".installer.yaml", InstallerManifest(package)},
          {id + ".locale.en-US.yaml", LocaleManifest(package)}};
}

Result<std::filesystem::path, std::string> WriteWingetManifests(const std::filesystem::path& setup,
                                                                WingetPackage package) {
  const auto bytes = ReadFileBytes(setup, std::uintmax_t{4} << 30);
  if (!bytes) return Failure{"cannot read '" + setup.string() + "': " + bytes.error()};
  package.InstallerSha256 = Sha256Hex(*bytes);
  const std::filesystem::path folder = setup.parent_path() / (setup.stem().string() + ".winget");
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) return Failure{"cannot make '" + folder.string() + "': " + error.message()};
  for (const WingetFile& file : WingetManifests(package)) {
    if (const auto written = WriteFileAtomically(folder / file.Name, file.Text); !written) {
      return Failure{"cannot write '" + (folder / file.Name).string() + "': " + written.error()};
    }
  }
  return folder;
}

}  // namespace ris::tool
