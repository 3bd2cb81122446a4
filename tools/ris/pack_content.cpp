#include "pack_content.h"

#include <algorithm>
#include <system_error>

#include "archive/zip_archive.h"
#include "file_bytes.h"

namespace ris::tool {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kPictureFolders[] = {"backgrounds", "icons"};
constexpr std::string_view kThumbnailFolder = "thumbs";  // inside icons
constexpr std::string_view kSetupFolder = "setup";

// The folder's items sorted by the bytes of their names, so that archives
// depend neither on the order in which the file system lists them nor on
// how the platform compares paths.
std::vector<fs::directory_entry> SortedItems(const fs::path& folder, const std::string& shown,
                                             PackFindings& findings) {
  std::vector<fs::directory_entry> items;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    items.push_back(*it);
  }
  if (error) findings.Error("cannot read the folder '" + shown + "': " + error.message());
  std::sort(items.begin(), items.end(),
            [](const fs::directory_entry& a, const fs::directory_entry& b) {
              return a.path().filename().string() < b.path().filename().string();
            });
  return items;
}

std::optional<std::string> ReadEntryFile(const fs::path& path, const std::string& shown,
                                         PackFindings& findings) {
  auto bytes = ReadFileBytes(path, kMaxZipEntryBytes);
  if (bytes) return std::move(bytes).value();
  findings.Error("cannot read '" + shown + "': " + bytes.error());
  return std::nullopt;
}

void LeaveOut(const fs::directory_entry& item, const std::string& shown, PackFindings& findings) {
  std::error_code error;
  const std::string kind = item.is_directory(error) ? "/" : "";
  findings.Warning("left out '" + shown + kind +
                   "': a product holds only settings.txt, backgrounds/, icons/, icons/thumbs/ and setup/");
}

bool IsRegularFile(const fs::directory_entry& item) {
  std::error_code error;
  return item.is_regular_file(error);
}

bool IsFolder(const fs::directory_entry& item) {
  std::error_code error;
  return item.is_directory(error);
}

// Adds the files of one folder under `prefix` ("icons/") to `entries`; only
// icons/ may hold a folder, its thumbnails.
void CollectFiles(const fs::path& folder, const std::string& prefix, std::vector<PackEntry>& entries,
                  PackFindings& findings) {
  for (const fs::directory_entry& item : SortedItems(folder, prefix, findings)) {
    const std::string name = prefix + item.path().filename().string();
    if (IsRegularFile(item)) {
      if (auto bytes = ReadEntryFile(item.path(), name, findings)) entries.push_back({name, std::move(*bytes)});
    } else if (prefix == "icons/" && item.path().filename() == kThumbnailFolder && IsFolder(item)) {
      CollectFiles(item.path(), name + "/", entries, findings);
    } else {
      LeaveOut(item, name, findings);
    }
  }
}

void CollectTopLevelItem(const fs::directory_entry& item, PackContent& content,
                         PackFindings& findings) {
  const std::string name = item.path().filename().string();
  if (name == kSettingsEntryName && IsRegularFile(item)) {
    content.Settings = ReadEntryFile(item.path(), name, findings);
    return;
  }
  if (name == kPhotoRecordName && IsRegularFile(item)) return;
  const bool picture_folder = std::find(std::begin(kPictureFolders), std::end(kPictureFolders),
                                        name) != std::end(kPictureFolders);
  if (picture_folder && IsFolder(item)) {
    CollectFiles(item.path(), name + "/", content.Pictures, findings);
  } else if (name == kSetupFolder && IsFolder(item)) {
    CollectFiles(item.path(), name + "/", content.SetupFiles, findings);
  } else {
    LeaveOut(item, name, findings);
  }
}

}  // namespace

PackContent CollectPackContent(const fs::path& folder, PackFindings& findings) {
  PackContent content;
  std::error_code error;
  if (!fs::is_directory(folder, error)) {
    const std::string shown = folder.string();
    findings.Error("'" + shown + "' is not a folder");
    return content;
  }
  bool settings_seen = false;
  for (const fs::directory_entry& item : SortedItems(folder, folder.string(), findings)) {
    settings_seen |= item.path().filename() == kSettingsEntryName && IsRegularFile(item);
    CollectTopLevelItem(item, content, findings);
  }
  if (!settings_seen) {
    findings.Error("settings.txt is missing: the saver cannot start without it");
  }
  return content;
}

}  // namespace ris::tool
