#pragma once
// The product folder the studio's page works on, through the same code as
// the commands: `ris new` makes it, `ris add` adds sets of photos, the
// checks of `ris pack` judge it, `ris render` and `ris dialog` show it,
// `ris pack` and `ris installer` build it. The folder stays the truth: every
// answer is read from it afresh, so that a file saved in an editor
// meanwhile shows too. Not thread-safe: the server calls it under one lock.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "base/result.h"
#include "pack_content.h"

namespace ris::tool {

using Json = nlohmann::json;

// A file the page sent, not yet anywhere on disk.
struct Upload {
  std::string FileName;  // as the maker's system named it; never used as a path
  std::string Bytes;
};

struct StudioFolders {
  std::filesystem::path Product;
  std::filesystem::path Output;                // where Build writes
  std::optional<std::filesystem::path> Engine;  // the saver engine, for a setup
};

class StudioProduct {
 public:
  explicit StudioProduct(StudioFolders folders) : folders_(std::move(folders)) {}

  // Everything the page shows but pictures: the settings as fields, the
  // sets, pack's findings, and a version that changes whenever a file does.
  Json Describe() const;

  // `ris new` in the folder, with a set of each photo (or its example set).
  Json Create(std::string_view title, std::string_view code_page, const std::vector<Upload>& photos);
  // `ris add` for the photos.
  Json AddPhotos(const std::vector<Upload>& photos);
  // One setting written into the maker's text in place.
  Json SetValue(std::string_view section, std::string_view key, std::string_view value);
  Json RenameSet(std::string_view from, std::string_view to);
  Json RemoveSet(std::string_view name);
  // One of a set's pictures ("background", "sprite", "thumbnail") replaced.
  Json ReplacePicture(std::string_view set, std::string_view role, const Upload& picture);

  // A file below the product folder, for the page's cards.
  Result<std::string, std::string> FileBytes(std::string_view relative) const;
  // The saver's frame as PNG at `size` ("1920x1080", or "preview").
  Result<std::string, std::string> Frame(std::string_view size) const;
  // The configuration dialog's controls where the engine places them.
  Json Dialog() const;
  // `ris pack`, then, with an engine, `ris installer`; `step` is told each
  // step as it goes.
  Json Build(const std::function<void(std::string_view)>& step);

 private:
  std::string SettingsText() const;
  std::string SaverName() const;
  PackContent PreparedContent() const;

  StudioFolders folders_;
  mutable std::string described_version_;  // of the folder as last described
  mutable Json described_;
};

}  // namespace ris::tool
