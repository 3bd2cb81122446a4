#include "set_checks.h"

#include "background_size.h"
#include "progress.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>

#include "data/zip_file_settings.h"
#include "picture_check.h"

namespace ris::tool {

namespace {

struct SetPictures {
  bool Background = false;
  bool Image = false;
  bool Thumbnail = false;
};

// The saver sees entry names with "\" between folders.
std::string ReaderName(std::string_view name) {
  std::string converted(name);
  std::replace(converted.begin(), converted.end(), '/', '\\');
  return converted;
}

void Note(SetPictures& set, EntryClass entry_class) {
  set.Background |= entry_class == EntryClass::Background;
  set.Image |= entry_class == EntryClass::Image;
  set.Thumbnail |= entry_class == EntryClass::Thumbnail;
}

void ReportIncomplete(const std::string& name, const SetPictures& set, PackFindings& findings) {
  const auto missing = [&](bool present, std::string_view what, std::string_view folder) {
    if (present) return;
    findings.Error("set '" + name + "' has no " + std::string(what) + " (" + std::string(folder) +
                   name + ".*)");
  };
  missing(set.Background, "background", "backgrounds/");
  missing(set.Image, "moving picture", "icons/");
  missing(set.Thumbnail, "thumbnail", "icons/thumbs/");
}

void WarnIfLargerThanAnyScreen(const PackEntry& picture, const PictureCheck& check, PackFindings& findings) {
  const std::int64_t pixels = std::int64_t{check.Width} * check.Height;
  if (pixels <= kLargestScreenWidth * kLargestScreenHeight) return;
  const std::int64_t megabytes = (pixels * 4 + (1 << 20) - 1) >> 20;
  findings.Warning(picture.Name + ": " + std::to_string(check.Width) + " x " + std::to_string(check.Height) +
                   " pixels, more than any screen shows (7680 x 4320): each time the set is shown the saver "
                   "decodes up to " + std::to_string(pixels / 1000000) + " million pixels into " +
                   std::to_string(megabytes) + " MB of memory; make it smaller (pack with --shrink shrinks it "
                   "to 3840 x 2160)");
}

void CheckDecodes(const PackEntry& picture, EntryClass entry_class, PackFindings& findings) {
  const PictureCheck check = CheckPictureDecodes(picture.Name, picture.Bytes);
  if (check.Verdict == PictureVerdict::Decodable && entry_class == EntryClass::Background) {
    WarnIfLargerThanAnyScreen(picture, check, findings);
  }
  if (check.Verdict == PictureVerdict::Undecodable) {
    findings.Error(picture.Name + ": the saver cannot show this picture: " + check.Reason);
  } else if (check.Verdict == PictureVerdict::DrawnByWindowsOnly) {
    findings.Warning(picture.Name + ": not checked: " + check.Reason);
  }
}

}  // namespace

std::size_t CheckPictureSets(std::span<const PackEntry> pictures, PackFindings& findings, Progress* progress) {
  std::map<std::string, SetPictures> sets;
  std::size_t checked = 0;
  for (const PackEntry& picture : pictures) {
    if (progress) progress->Count("checking pictures", ++checked, pictures.size(), picture.Name);
    const ArchiveEntryPlace place = ClassifyArchiveEntry(ReaderName(picture.Name));
    if (place.Class == EntryClass::Other) continue;  // only pictures are collected
    Note(sets[place.SetName], place.Class);
    CheckDecodes(picture, place.Class, findings);
  }
  for (const auto& [name, set] : sets) ReportIncomplete(name, set, findings);
  if (sets.empty()) {
    findings.Warning("no picture sets: the saver would show only its background colour");
  }
  return sets.size();
}

}  // namespace ris::tool
