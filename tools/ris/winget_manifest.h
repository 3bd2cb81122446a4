#pragma once
// The manifest with which a maker publishes a product's setup to the
// Windows package manager (winget): the multi-file form of its schema, a
// version file, an installer file and a default-locale file, each holding
// every field the schema requires. One setup serves both scopes: the
// machine's installer asks it to install for all users.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"

namespace ris::tool {

inline constexpr std::string_view kWingetManifestVersion = "1.10.0";

// What the manifest says of the package, in UTF-8.
struct WingetPackage {
  std::string Identifier;  // "Publisher.Name"
  std::string Version;
  std::string Publisher;
  std::string Name;
  std::string License;
  std::string PublisherUrl;  // may be empty
  std::string ProductCode;   // the name of the setup's uninstall key
  std::string InstallerUrl;
  std::string InstallerSha256;  // 64 hexadecimal digits
};

struct WingetFile {
  std::string Name;  // "Publisher.Name.installer.yaml"
  std::string Text;
};

// The identifier the manifest schema allows, made of the publisher and the
// product's name without the characters it refuses; or why none can be.
Result<std::string, std::string> WingetIdentifierFor(std::string_view publisher, std::string_view name);

// Why the schema refuses an identifier or a version; nothing when it takes it.
std::optional<std::string> WingetIdentifierProblem(std::string_view identifier);
std::optional<std::string> WingetVersionProblem(std::string_view version);

// The text as a YAML double-quoted scalar: quotes, backslashes and control
// characters escaped, everything else as itself.
std::string YamlQuoted(std::string_view text);

std::vector<WingetFile> WingetManifests(const WingetPackage& package);

// The manifest's files in SETUP.winget/ beside the setup, with the setup's
// digest in place of the package's; the folder written.
Result<std::filesystem::path, std::string> WriteWingetManifests(const std::filesystem::path& setup,
                                                                WingetPackage package);

}  // namespace ris::tool
