#include "data/zip_file_settings.h"

#include <memory>

#include "base/ascii.h"
#include "base/random_source.h"
#include "data/product.h"
#include "data/product_names.h"
#include "data/system.h"

namespace ris {
namespace {

constexpr std::string_view kSettingsEntry = "settings.txt";
constexpr std::size_t kPasswordNameLength = 5;

std::string ReinstallAdvice() {
  std::string advice = "Please try reinstalling the screensaver.\r\n\r\n";
  advice += "If that fails, download the latest version from ";
  advice += kMakerWebAddress;
  advice += " and try again.";
  return advice;
}

std::string_view FileNameOf(std::string_view path) {
  return path.substr(LastPos("\\", path));
}

// Failures that mean the key does not open the entry's bytes. A damaged
// encrypted entry is told apart from a wrong key only by chance, and the
// user's remedy for both is the same: install the saver again.
bool IsPasswordFailure(const ZipEntry& entry, ZipFailure failure) {
  if (failure == ZipFailure::WrongPassword) return true;
  return entry.Encrypted &&
         (failure == ZipFailure::ChecksumMismatch || failure == ZipFailure::Damaged);
}

}  // namespace

std::string WrongPasswordMessage() {
  return "Corrupted data files detected [pwdata01]\r\n\r\n" + ReinstallAdvice();
}

std::string NoSettingsMessage() {
  return "No data file found or missing settings in data file.\r\n\r\n" + ReinstallAdvice();
}

std::string ArchivePasswordFor(std::string_view executable_path, std::string_view prefix) {
  const std::string_view file_name = FileNameOf(executable_path);
  std::string password(prefix);
  password += UpperAscii(file_name.substr(0, kPasswordNameLength));
  return password;
}

std::string ArchiveNameFor(std::string_view executable_path) {
  std::string name(executable_path);
  const std::string folded = FoldAscii(name);
  if (const auto at = folded.find(".scr"); at != std::string::npos) name.replace(at, 4, ".dat");
  return name;
}

ArchiveEntryPlace ClassifyArchiveEntry(std::string_view entry_name) {
  const std::size_t name_start = LastPos("\\", entry_name);
  const std::string folder = FoldAscii(entry_name.substr(0, name_start == 0 ? 0 : name_start - 1));
  const std::string_view file_name = entry_name.substr(name_start);

  ArchiveEntryPlace place;
  if (const auto dot = file_name.rfind('.'); dot != std::string_view::npos) {
    place.SetName = FoldAscii(file_name.substr(0, dot));
  }
  if (folder == "backgrounds") {
    place.Class = EntryClass::Background;
  } else if (folder == "icons") {
    place.Class = EntryClass::Image;
  } else if (folder == "icons\\thumbs") {
    place.Class = EntryClass::Thumbnail;
  }
  return place;
}

bool EntryCountsIn(EntryClass entry_class, RunMode mode) noexcept {
  switch (mode) {
    case rmSaver:
    case rmConfigure:
      return entry_class != EntryClass::Thumbnail;
    case rmPreview:
      return entry_class == EntryClass::Background || entry_class == EntryClass::Thumbnail;
    case rmChangePassword:
      return false;
  }
  return false;
}

TZipFileSettings::TZipFileSettings(System& system, RunMode mode)
    : system_(system), mode_(mode) {
  const std::string executable = system_.ExecutablePath();
  password_ = ArchivePasswordFor(executable, kArchivePasswordPrefix);
  archive_name_ = ArchiveNameFor(executable);
  if (auto file = system_.OpenFile(archive_name_)) {
    archive_size_ = file->Size();
    auto opened = ZipArchive::Open(std::move(file));
    // An archive that does not open counts as no archive: the settings text
    // cannot be read from it, and that failure is reported below.
    if (opened) archive_.emplace(std::move(opened).value());
  }
  LoadSettingsEntry(kSettingsEntry);
  NameProduct();
}

// The title names the user's registry key: one that would name another
// program's key, or a key below it, ends the saver before any key is opened.
// An empty title passes; such a product keeps no settings.
void TZipFileSettings::NameProduct() {
  std::string title = settings_.ReadValue("title", "general");
  const CodePage code_page = ProductCodePage(settings_);
  if (const auto why = TitleRefusal(title)) {
    system_.SetApplicationTitle({}, code_page);  // the message still shows the product's letters
    system_.ShowErrorAndExit(TitleRefusalMessage(title, *why), kExitRefusedTitle);
  }
  system_.SetApplicationTitle(std::move(title), code_page);
}

void TZipFileSettings::LoadSettingsEntry(std::string_view entry_name) {
  const auto text = ReadEntryText(entry_name);
  // An empty settings text gives no title, no numbers and no captions: it
  // fails as a missing one does, before anything is built on it.
  if (!text || text->empty()) system_.ShowErrorAndExit(NoSettingsMessage(), kExitNoSettings);
  ParseSettingsText(*text, settings_);
}

std::optional<std::string> TZipFileSettings::ReadEntryText(std::string_view entry_name) {
  if (!archive_ || archive_->EntryCount() == 0) return std::nullopt;
  const auto index = archive_->FindEntry(entry_name);
  if (!index) return std::nullopt;
  auto extracted = archive_->Extract(*index, password_);
  if (extracted) return std::move(extracted).value();
  EndIfPasswordFails(*index, extracted.error());
  return std::nullopt;
}

// The decoder that reads arriving bytes decodes the picture (and through
// `early` its pixels) while the helper thread decrypts; the whole bytes are
// then checked and the decoder chosen from them as for any entry. Only when
// that is the same decoder is the early picture kept: it was read from the
// same bytes.
LoadResult TZipFileSettings::LoadEntryPicture(TPicture& picture, std::string_view entry_name,
                                              const TFileFormatList& formats, const EarlyUse& early) {
  if (!archive_ || archive_->EntryCount() == 0) return {LoadOutcome::Unreadable, {}};
  const auto index = archive_->FindEntry(entry_name);
  if (!index) return {LoadOutcome::Unreadable, {}};
  auto arriving = archive_->ExtractArriving(*index, password_);
  if (!arriving) {
    EndIfPasswordFails(*index, arriving.error());
    return {LoadOutcome::Unreadable, {}};
  }
  const std::shared_ptr<const ArrivingBytes> bytes = arriving->Bytes();
  const ImageDecoder* reader = formats.DecoderForArriving(entry_name);
  std::optional<TPicture> read_early;
  if (reader) {
    if (auto decoded = reader->DecodeArriving(bytes)) {
      read_early = std::move(decoded).value();
      if (early) early(*read_early);
    }
  }
  if (const auto failure = arriving->Finish()) {
    EndIfPasswordFails(*index, *failure);
    return {LoadOutcome::Unreadable, {}};
  }
  const ByteSpan data(bytes->Data(), bytes->Size());
  if (read_early && formats.ChooseDecoder(data, entry_name) == reader) {
    picture = std::move(*read_early);
    return {LoadOutcome::Loaded, {}};
  }
  return formats.LoadPictureFromStream(picture, bytes, entry_name);
}

PictureReader TZipFileSettings::OwnPictureReader() const {
  if (!archive_) return nullptr;
  auto file = system_.OpenFile(archive_name_);
  // Another size is another file: its pictures are not the ones shown.
  if (!file || file->Size() != archive_size_) return nullptr;
  auto opened = ZipArchive::Open(std::move(file));
  if (!opened) return nullptr;
  auto archive = std::make_shared<const ZipArchive>(std::move(opened).value());
  return [archive, password = password_](const std::string& entry_name) -> std::optional<TPicture> {
    const auto index = archive->FindEntry(entry_name);
    if (!index) return std::nullopt;
    auto bytes = archive->Extract(*index, password);
    if (!bytes) return std::nullopt;
    TPicture picture;
    const auto kept = ArrivingBytes::Complete(std::move(bytes).value());
    if (!StandardFormatList().LoadPictureFromStream(picture, kept, entry_name)) return std::nullopt;
    return picture;
  };
}

void TZipFileSettings::EndIfPasswordFails(std::size_t index, const ZipError& error) {
  if (IsPasswordFailure(archive_->Entry(index), error.Kind)) FailWrongPassword();
}

void TZipFileSettings::FailWrongPassword() {
  system_.ShowErrorAndExit(WrongPasswordMessage(), kExitWrongPassword);
}

void TZipFileSettings::ScanSets() {
  const std::size_t count = archive_ ? archive_->EntryCount() : 0;
  for (std::size_t i = 0; i < count; ++i) {
    const std::string& name = archive_->Entry(i).Name;
    // Folder entries, which many archivers add, hold no picture.
    if (name == kSettingsEntry || name.empty() || name.back() == '\\') continue;
    const ArchiveEntryPlace place = ClassifyArchiveEntry(name);
    if (!EntryCountsIn(place.Class, mode_)) continue;

    auto index = IndexOfSet(place.SetName);
    if (index < 0) {
      ImageSets.push_back({place.SetName, {}, {}});
      index = static_cast<std::int32_t>(ImageSets.size() - 1);
    }
    TImageSet& set = ImageSets[static_cast<std::size_t>(index)];
    if (place.Class == EntryClass::Background) {
      set.Backgrounds.push_back(name);
    } else if (place.Class != EntryClass::Other) {
      set.Images.push_back(name);
    }
  }
}

std::int32_t TZipFileSettings::IndexOfSet(std::string_view name) const {
  for (std::size_t i = 0; i < ImageSets.size(); ++i) {
    if (ImageSets[i].Name == name) return static_cast<std::int32_t>(i);
  }
  return -1;
}

void TZipFileSettings::SelectSet(std::int32_t index) {
  const auto count = static_cast<std::int32_t>(ImageSets.size());
  if (count == 0) return;
  if (index >= count) index = 0;
  if (index < 0) index = count - 1;
  current_index_ = index;
}

void TZipFileSettings::SelectRandomSet(RandomSource& random) {
  if (ImageSets.empty()) return;
  SelectSet(random.NextInt(static_cast<std::int32_t>(ImageSets.size())));
}

const TImageSet* TZipFileSettings::CurrentSet() const {
  if (current_index_ < 0 || static_cast<std::size_t>(current_index_) >= ImageSets.size()) {
    return nullptr;
  }
  return &ImageSets[static_cast<std::size_t>(current_index_)];
}

}  // namespace ris
