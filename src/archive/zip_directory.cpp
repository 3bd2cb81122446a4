#include "archive/zip_directory.h"

#include <algorithm>
#include <string>
#include <utility>

#include "archive/zip_records.h"
#include "base/byte_reader.h"

namespace ris {
namespace {

Failure<ZipError> Fail(ZipFailure kind, std::string detail) {
  return Failure{ZipError{kind, std::move(detail)}};
}

std::string RecordName(std::size_t index) {
  return "central directory record " + std::to_string(index);
}

// The directory as the end records describe it, and where it must end: at
// the first of those records.
struct DirectoryPlace {
  EndRecord End;
  std::uint64_t Limit = 0;
};

// The end record, its comment and a Zip64 locator before it all lie in this
// many bytes at the end of the archive.
constexpr std::uint64_t kTailBytes = kZip64LocatorBytes + kEndRecordBytes + kMaxArchiveCommentBytes;
// No product's directory comes near this; a larger one is refused before it
// is read.
constexpr std::uint64_t kMaxDirectoryBytes = std::uint64_t{32} << 20;

Failure<ZipError> Unreadable(std::string_view what) {
  return Fail(ZipFailure::ReadFailed, "the archive's file cannot be read at " + std::string(what));
}

// A Zip64 locator right before the classic end record points at the record
// that holds the true counts, size and offset.
Result<DirectoryPlace, ZipError> ApplyZip64(const ByteSource& source, const Zip64Locator& locator,
                                            std::uint64_t locator_at) {
  if (locator.EndRecordDisk != 0 || locator.DiskCount > 1) {
    return Fail(ZipFailure::Unsupported, "the archive spans several disks");
  }
  if (locator_at < kZip64EndRecordBytes || locator.EndRecordOffset > locator_at - kZip64EndRecordBytes) {
    return Fail(ZipFailure::Damaged, "the Zip64 end record lies outside the archive");
  }
  const auto record = ReadRange(source, locator.EndRecordOffset, kZip64EndRecordBytes, kZip64EndRecordBytes);
  if (!record) return Unreadable("its Zip64 end record");
  const auto end = ReadZip64EndRecord(*record, 0);
  if (!end) return Fail(ZipFailure::Damaged, "the Zip64 end record is missing");
  return DirectoryPlace{*end, locator.EndRecordOffset};
}

// Only the archive's tail is read to find the end records.
Result<DirectoryPlace, ZipError> LocateDirectory(const ByteSource& source) {
  const std::uint64_t size = source.Size();
  const std::uint64_t tail_at = size > kTailBytes ? size - kTailBytes : 0;
  const auto tail = ReadRange(source, tail_at, size - tail_at, kTailBytes);
  if (!tail) return Unreadable("its end");
  const auto at = FindEndRecord(*tail);
  if (!at) return Fail(ZipFailure::NotAnArchive, "no end-of-central-directory record");
  const DirectoryPlace classic{*ReadEndRecord(*tail, *at), tail_at + *at};
  if (*at < kZip64LocatorBytes) return classic;
  const auto locator = ReadZip64Locator(*tail, *at - kZip64LocatorBytes);
  if (!locator) return classic;
  return ApplyZip64(source, *locator, classic.Limit - kZip64LocatorBytes);
}

std::optional<ZipError> CheckDirectoryPlace(const DirectoryPlace& place) {
  const EndRecord& end = place.End;
  if (end.Disk != 0 || end.DirectoryDisk != 0 || end.EntriesOnDisk != end.Entries) {
    return ZipError{ZipFailure::Unsupported, "the archive spans several disks"};
  }
  if (end.Entries > kMaxZipEntries) {
    return ZipError{ZipFailure::TooLarge, std::to_string(end.Entries) + " entries"};
  }
  if (end.DirectoryOffset > place.Limit || end.DirectorySize > place.Limit - end.DirectoryOffset) {
    return ZipError{ZipFailure::Damaged, "the central directory lies outside the archive"};
  }
  if (end.DirectorySize > kMaxDirectoryBytes) {
    return ZipError{ZipFailure::TooLarge, "a central directory of " + std::to_string(end.DirectorySize) + " bytes"};
  }
  // Checked before anything is reserved for the entries.
  if (end.Entries > end.DirectorySize / kCentralHeaderBytes) {
    return ZipError{ZipFailure::Damaged, "the central directory is too small for its count"};
  }
  return std::nullopt;
}

ZipEntry ToEntry(const CentralHeader& header) {
  ZipEntry entry;
  entry.Name.assign(header.Name);
  std::replace(entry.Name.begin(), entry.Name.end(), '/', '\\');
  entry.Method = header.Method;
  entry.Encrypted = (header.Flags & 1u) != 0;
  entry.Crc32 = header.Crc32;
  entry.CompressedSize = header.CompressedSize;
  entry.UncompressedSize = header.UncompressedSize;
  entry.LocalHeaderOffset = header.LocalHeaderOffset;
  entry.Flags = header.Flags;
  entry.ModifiedTime = header.ModifiedTime;
  return entry;
}

// Entry data must lie before the central directory, which starts at `limit`.
// The local header is read only when the entry is extracted; its fixed part
// at least must fit here.
Result<ZipEntry, ZipError> ReadEntry(ByteReader& directory, std::uint64_t limit, std::size_t index) {
  auto header = ReadCentralHeader(directory);
  if (!header) return Fail(ZipFailure::Damaged, RecordName(index) + " is missing or truncated");
  if (!ResolveZip64Fields(*header)) {
    return Fail(ZipFailure::Damaged, RecordName(index) + " lacks its Zip64 values");
  }
  if (header->DiskStart != 0) return Fail(ZipFailure::Unsupported, RecordName(index) + " is on another disk");
  ZipEntry entry = ToEntry(*header);
  if (entry.LocalHeaderOffset >= limit || limit - entry.LocalHeaderOffset < kLocalHeaderBytes ||
      entry.CompressedSize > limit - entry.LocalHeaderOffset - kLocalHeaderBytes) {
    return Fail(ZipFailure::Damaged, RecordName(index) + " has data outside the archive");
  }
  entry.DataLimit = limit;
  return entry;
}

Result<std::vector<ZipEntry>, ZipError> ReadEntries(const ByteSource& source, const EndRecord& end) {
  const auto bytes = ReadRange(source, end.DirectoryOffset, end.DirectorySize, kMaxDirectoryBytes);
  if (!bytes) return Unreadable("its central directory");
  ByteReader directory(*bytes);
  std::vector<ZipEntry> entries;
  entries.reserve(static_cast<std::size_t>(end.Entries));
  for (std::size_t index = 0; index < end.Entries; ++index) {
    auto entry = ReadEntry(directory, end.DirectoryOffset, index);
    if (!entry) return Failure{entry.error()};
    entries.push_back(std::move(entry).value());
  }
  if (directory.Remaining() != 0) {
    return Fail(ZipFailure::Damaged, "the central directory holds more than its count of records");
  }
  return entries;
}

// Two entries sharing bytes is how some archives multiply their size when
// extracted; no writer produces it. Each entry's bytes must end before the
// next local header: here judged with the smallest local header, at
// extraction with the true one against the limit set here.
std::optional<ZipError> LimitEachEntry(std::vector<ZipEntry>& entries) {
  std::vector<ZipEntry*> by_place;
  by_place.reserve(entries.size());
  for (ZipEntry& entry : entries) by_place.push_back(&entry);
  std::sort(by_place.begin(), by_place.end(),
            [](const ZipEntry* a, const ZipEntry* b) { return a->LocalHeaderOffset < b->LocalHeaderOffset; });
  for (std::size_t i = 1; i < by_place.size(); ++i) {
    ZipEntry& before = *by_place[i - 1];
    const std::uint64_t next = by_place[i]->LocalHeaderOffset;
    if (next - before.LocalHeaderOffset < kLocalHeaderBytes + before.CompressedSize) {
      return ZipError{ZipFailure::Damaged, "the data of two entries overlap"};
    }
    before.DataLimit = next;
  }
  return std::nullopt;
}

}  // namespace

Result<std::vector<ZipEntry>, ZipError> ReadZipDirectory(const ByteSource& source) {
  const auto place = LocateDirectory(source);
  if (!place) return Failure{place.error()};
  if (auto error = CheckDirectoryPlace(*place)) return Failure{std::move(*error)};
  auto entries = ReadEntries(source, place->End);
  if (!entries) return entries;
  if (auto error = LimitEachEntry(*entries)) return Failure{std::move(*error)};
  return entries;
}

}  // namespace ris
