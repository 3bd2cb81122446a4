#include "memory_archive.h"

#include <optional>

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

// The entries stored as they are; `refused(name, why)` hears of each entry
// the writer does not take.
template <typename Refused>
std::string ZipStored(std::string_view settings, std::span<const PackEntry> pictures, Refused refused) {
  ZipWriterOptions stored;
  stored.Deflate = false;
  ZipWriter writer(stored);
  const auto add = [&](std::string_view name, std::string_view bytes) {
    if (const auto added = writer.Add(name, bytes); !added) refused(name, added.error());
  };
  add(kSettingsEntryName, settings);
  for (const PackEntry& picture : pictures) add(picture.Name, picture.Bytes);
  return writer.Finish();
}

}  // namespace

std::string ZipInMemory(std::string_view settings, std::span<const PackEntry> pictures) {
  std::optional<std::string> first_refusal;
  std::string archive = ZipStored(settings, pictures, [&](std::string_view, const std::string& why) {
    if (!first_refusal) first_refusal = why;
  });
  if (first_refusal) throw ESaverError(*first_refusal);
  return archive;
}

std::string ZipInMemory(std::string_view settings, std::span<const PackEntry> pictures, PackFindings& findings) {
  return ZipStored(settings, pictures, [&](std::string_view name, const std::string& why) {
    findings.Error(std::string(name) + ": " + why);
  });
}

std::unique_ptr<HeadlessSystem> SystemWithArchive(std::string_view saver, std::string archive) {
  return std::make_unique<MemoryArchiveSystem>(std::string(kInstallFolder) + FileNamePart(saver),
                                               std::move(archive));
}

}  // namespace ris::tool
