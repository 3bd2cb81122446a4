#include "memory_archive.h"

#include "archive/byte_source.h"
#include "base/ascii.h"
#include "base/errors.h"
#include "data/zip_file_settings.h"
#include "saver_name.h"
#include "zip_writer.h"

namespace ris::tool {

namespace {

constexpr std::string_view kInstallFolder = "C:\\Preview\\";

class MemoryArchiveSystem final : public HeadlessSystem {
 public:
  MemoryArchiveSystem(std::string executable, std::string archive)
      : HeadlessSystem(std::move(executable)),
        archive_name_(ArchiveNameFor(ExecutablePath())),
        archive_(std::make_shared<const std::string>(std::move(archive))) {}

  std::shared_ptr<const ByteSource> OpenFile(const std::string& path) const override {
    if (!EqualsFolded(path, archive_name_)) return nullptr;
    return std::make_shared<MemoryByteSource>(archive_);
  }

 private:
  std::string archive_name_;
  std::shared_ptr<const std::string> archive_;
};

}  // namespace

std::string ZipInMemory(std::string_view settings, std::span<const PackEntry> pictures) {
  ZipWriterOptions stored;
  stored.Deflate = false;
  ZipWriter writer(stored);
  const auto add = [&writer](std::string_view name, std::string_view bytes) {
    if (const auto added = writer.Add(name, bytes); !added) throw ESaverError(added.error());
  };
  add(kSettingsEntryName, settings);
  for (const PackEntry& picture : pictures) add(picture.Name, picture.Bytes);
  return writer.Finish();
}

std::unique_ptr<HeadlessSystem> SystemWithArchive(std::string_view saver, std::string archive) {
  return std::make_unique<MemoryArchiveSystem>(std::string(kInstallFolder) + FileNamePart(saver),
                                               std::move(archive));
}

}  // namespace ris::tool
