#include "product_source.h"

#include <algorithm>

#include "archive/zip_archive.h"
#include "data/product.h"
#include "data/zip_file_settings.h"
#include "packed_saver.h"
#include "product_checks.h"
#include "settings_checks.h"
#include "shells/headless/file_byte_source.h"

namespace ris::tool {

namespace {

namespace fs = std::filesystem;

std::string FolderName(std::string name) {
  std::replace(name.begin(), name.end(), '\\', '/');
  return name;
}

// Which entries to extract: all, or only those the setup program needs.
enum class ArchiveEntries { All, Setup };

PackContent ReadArchive(const fs::path& path, std::string_view saver, PackFindings& findings,
                        ArchiveEntries wanted = ArchiveEntries::All) {
  PackContent content;
  const auto source = FileByteSource::Open(path);
  if (!source) {
    findings.Error("cannot read '" + path.string() + "'");
    return content;
  }
  auto archive = ZipArchive::Open(source);
  if (!archive) {
    findings.Error(path.string() + ": " + archive.error().Detail);
    return content;
  }
  const std::string password = ArchivePasswordFor(saver, kArchivePasswordPrefix);
  for (std::size_t i = 0; i < archive->EntryCount(); ++i) {
    const std::string name = FolderName(archive->Entry(i).Name);
    const bool picture = name != kSettingsEntryName && !name.starts_with("setup/");
    if (picture && wanted == ArchiveEntries::Setup) continue;
    auto bytes = archive->Extract(i, password);
    if (!bytes) {
      // A wrong password fails every entry alike: once is enough.
      const std::string& detail = bytes.error().Detail;
      findings.Error(std::string(saver) + " cannot open this archive: " +
                     (bytes.error().Kind == ZipFailure::WrongPassword ? WrongSaverName(path, saver, detail) : detail));
      return content;
    }
    if (name == kSettingsEntryName) {
      content.Settings = std::move(*bytes);
    } else if (name.starts_with("setup/")) {
      content.SetupFiles.push_back({name, std::move(*bytes)});
    } else if (!name.ends_with('/')) {
      content.Pictures.push_back({name, std::move(*bytes)});
    }
  }
  if (!content.Settings) findings.Error("settings.txt is missing: the saver cannot start without it");
  return content;
}

}  // namespace

PackContent ReadProduct(const fs::path& input, std::string_view saver, PackFindings& findings) {
  std::error_code error;
  PackContent content;
  if (fs::is_directory(input, error)) {
    content = CollectPackContent(input, findings);
    PrepareProductContent(content, {}, findings);
  } else {
    content = ReadArchive(input, saver, findings);
    if (content.Settings) CheckSettingsText(*content.Settings, findings);
  }
  return content;
}

PackContent ReadArchivedSetup(const fs::path& archive, std::string_view saver, PackFindings& findings) {
  return ReadArchive(archive, saver, findings, ArchiveEntries::Setup);
}

}  // namespace ris::tool
