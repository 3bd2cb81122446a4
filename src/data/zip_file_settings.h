#pragma once
// The data archive beside the executable, through which every picture and
// text of the product is reached: its settings text, its picture sets and
// the current set.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "archive/zip_archive.h"
#include "data/settings_list.h"
#include "data/text_helpers.h"
#include "pictures/file_format_list.h"
#include "startup/command_line.h"

namespace ris {

class RandomSource;
class System;

// One picture set: the pictures whose file names (without folder and
// extension) are the set's name.
struct TImageSet {
  std::string Name;  // lower case
  StringList Backgrounds;  // full entry names, in directory order
  StringList Images;       // from "icons", or "icons\thumbs" in the preview
};

// Where an archive entry belongs: its folder gives the class, the file name
// between the last backslash and the last dot, lower-cased, the set.
enum class EntryClass : std::uint8_t { Background, Image, Thumbnail, Other };
struct ArchiveEntryPlace {
  EntryClass Class = EntryClass::Other;
  std::string SetName;
};
ArchiveEntryPlace ClassifyArchiveEntry(std::string_view entry_name);

// Saver and configure runs use every class but thumbnails; the preview uses
// backgrounds and thumbnails; changing the password uses none.
bool EntryCountsIn(EntryClass entry_class, RunMode mode) noexcept;

// The exit codes and texts of the failures that end the saver at start; a
// refused title is told by TitleRefusalMessage (data/product_names.h).
inline constexpr int kExitWrongPassword = 2;
inline constexpr int kExitNoSettings = 1;
inline constexpr int kExitRefusedTitle = 3;
std::string WrongPasswordMessage();
std::string NoSettingsMessage();

// The archive password of an executable: the product's prefix, then the
// first five characters of its file name with 'a'..'z' in capitals.
std::string ArchivePasswordFor(std::string_view executable_path,
                               std::string_view prefix);

// The executable's path with its first ".scr", in any letter case, replaced
// by ".dat".
std::string ArchiveNameFor(std::string_view executable_path);

// Reads and decodes one entry's picture; nothing when it cannot.
using PictureReader = std::function<std::optional<TPicture>(const std::string& entry_name)>;

class TZipFileSettings {
 public:
  // Finds and opens the archive, reads its settings text and sets the
  // application title. A password that does not open the settings, an
  // archive without them, or a title that TitleRefusal refuses ends the
  // process through `system`.
  TZipFileSettings(System& system, RunMode mode);

  TZipFileSettings(const TZipFileSettings&) = delete;
  TZipFileSettings& operator=(const TZipFileSettings&) = delete;

  const std::string& ArchivePassword() const noexcept { return password_; }
  const std::string& ArchiveName() const noexcept { return archive_name_; }
  const TSettingsList& SettingsList() const noexcept { return settings_; }

  // Parses the named entry into the settings list; ends the process when it
  // cannot be read.
  void LoadSettingsEntry(std::string_view entry_name);

  // The whole entry, or nothing when it cannot be read. An entry the
  // password does not open ends the process.
  std::optional<std::string> ReadEntryText(std::string_view entry_name);

  // What the caller does first with a picture that is still arriving: a
  // large encrypted entry is decrypted by a helper thread while the picture
  // is decoded, so asking for its pixels here (at the size they will be
  // asked for after) takes the decryption's time off the caller's path.
  using EarlyUse = std::function<void(const TPicture&)>;

  // Decodes the named entry into `picture`, choosing the decoder by content,
  // then by the entry name's extension. Anything but Loaded leaves the
  // picture as it was. An entry the password does not open ends the process.
  // `early` may be given a picture from the entry before its bytes are all
  // there and checked; it is used only if they check out and choose the
  // same decoder.
  LoadResult LoadEntryPicture(TPicture& picture, std::string_view entry_name,
                              const TFileFormatList& formats = StandardFormatList(),
                              const EarlyUse& early = {});

  // A reader of the same archive for another thread, through a file and a
  // directory of its own: nothing it does touches this object. It never
  // ends the process: an entry it cannot read or decode is nothing, and
  // LoadEntryPicture meets the failure again when the picture is shown.
  // Nothing when the archive does not open again as it opened first.
  PictureReader OwnPictureReader() const;

  // Sorts the archive's entries into sets, as the run mode counts them.
  void ScanSets();

  // The sets; the display narrows them to the user's choice.
  std::vector<TImageSet> ImageSets;

  // Position of the set with exactly this name, or -1.
  std::int32_t IndexOfSet(std::string_view name) const;

  // Makes a set current; an index past the last set selects the first, one
  // before the first selects the last. Does nothing without sets.
  void SelectSet(std::int32_t index);
  void SelectRandomSet(RandomSource& random);

  // The current set; none before the first SelectSet or without sets.
  const TImageSet* CurrentSet() const;
  std::int32_t CurrentSetIndex() const noexcept { return current_index_; }

 private:
  void NameProduct();
  [[noreturn]] void FailWrongPassword();
  // Ends the process when the failure means the password does not open the
  // entry; any other failure is for the caller to report.
  void EndIfPasswordFails(std::size_t index, const ZipError& error);

  System& system_;
  RunMode mode_;
  std::string password_;
  std::string archive_name_;
  std::optional<ZipArchive> archive_;
  std::uint64_t archive_size_ = 0;
  TSettingsList settings_;
  std::int32_t current_index_ = -1;
};

}  // namespace ris
