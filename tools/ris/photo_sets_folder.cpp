#include "photo_sets_folder.h"

#include <algorithm>
#include <fstream>
#include <ostream>

#include "atomic_file.h"
#include "base/ascii.h"
#include "file_bytes.h"
#include "pack_content.h"
#include "photo_set.h"

namespace ris::tool {
namespace {

namespace fs = std::filesystem;

// The set names the folder holds already: its backgrounds' stems.
std::vector<std::string> SetNamesIn(const fs::path& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (fs::directory_iterator it(folder / "backgrounds", error), end; !error && it != end; it.increment(error)) {
    names.push_back(FoldAscii(it->path().stem().string()));
  }
  return names;
}

Result<PackEntry, std::string> ReadPicture(const fs::path& path) {
  auto bytes = ReadFileBytes(path);
  if (!bytes) return Failure{path.string() + ": " + bytes.error()};
  return PackEntry{path.filename().string(), std::move(bytes).value()};
}

Result<void, std::string> WriteSet(const fs::path& folder, const std::string& name, const PhotoSetPictures& set) {
  std::error_code error;
  fs::create_directories(folder / "backgrounds", error);
  if (!error) fs::create_directories(folder / "icons" / "thumbs", error);
  if (error) return Failure{"cannot create the picture folders in " + folder.string() + ": " + error.message()};
  const std::pair<fs::path, const SetPicture*> files[] = {
      {folder / "backgrounds" / (name + set.Background.Extension), &set.Background},
      {folder / "icons" / (name + set.Sprite.Extension), &set.Sprite},
      {folder / "icons" / "thumbs" / (name + set.Thumbnail.Extension), &set.Thumbnail},
  };
  for (const auto& [path, picture] : files) {
    if (auto written = WriteFileAtomically(path, picture->Bytes); !written) {
      return Failure{path.string() + ": " + written.error()};
    }
  }
  return {};
}

// One line of photos.txt: the set's name and where its photo came from,
// which stays one line whatever the source's name holds.
void Record(const fs::path& folder, const std::string& name, std::string source) {
  std::replace_if(source.begin(), source.end(), [](char c) { return c == '\t' || c == '\r' || c == '\n'; }, ' ');
  std::ofstream record(folder / kPhotoRecordName, std::ios::app | std::ios::binary);
  record << name << '\t' << source << '\n';
}

}  // namespace

int AddPhotoSets(const fs::path& folder, const std::vector<fs::path>& photos, const std::optional<fs::path>& sprite,
                 const CommandReport& report) {
  std::optional<PackEntry> sprite_picture;
  if (sprite) {
    auto read = ReadPicture(*sprite);
    if (!read) return report.Fail(read.error());
    sprite_picture = std::move(read).value();
  }
  int status = 0;
  std::vector<ReadPhoto> read_photos;
  for (const fs::path& photo : photos) {
    auto picture = ReadPicture(photo);
    if (!picture) {
      status = report.Fail(picture.error() + "; no set made of it");
      continue;
    }
    std::error_code error;
    read_photos.push_back({std::move(picture).value(), fs::absolute(photo, error).string()});
  }
  return std::max(status, AddPhotoSets(folder, read_photos, sprite_picture, report));
}

int AddPhotoSets(const fs::path& folder, const std::vector<ReadPhoto>& photos, const std::optional<PackEntry>& sprite,
                 const CommandReport& report) {
  std::vector<std::string> taken = SetNamesIn(folder);
  int status = 0;
  for (const ReadPhoto& photo : photos) {
    const auto set = MakePhotoSet(photo.Picture, sprite);
    if (!set) {
      status = report.Fail(set.error() + "; no set made of it");
      continue;
    }
    const std::string name = SetNameFor(photo.Picture.Name, taken);
    if (const auto written = WriteSet(folder, name, *set); !written) {
      status = report.Fail(written.error());
      continue;
    }
    taken.push_back(name);
    Record(folder, name, photo.Source);
    report.out << "set '" << name << "' from " << photo.Source;
    for (const std::string& note : set->Notes) report.out << "; " << note;
    report.out << '\n';
  }
  return status;
}

std::vector<fs::path> PhotosIn(const fs::path& folder) {
  std::vector<fs::path> photos;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    if (it->is_regular_file(error)) photos.push_back(it->path());
  }
  std::sort(photos.begin(), photos.end());
  return photos;
}

}  // namespace ris::tool
