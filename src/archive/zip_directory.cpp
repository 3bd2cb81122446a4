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

// A Zip64 locator right before the classic end record points at the record
// that holds the true counts, size and offset.
Result<DirectoryPlace, ZipError> ApplyZip64(std::string_view archive, DirectoryPlace place) {
  const std::uint64_t locator_at = place.Limit - kZip64LocatorBytes;
  const auto locator = ReadZip64Locator(archive, static_cast<std::size_t>(locator_at));
  if (!locator) return place;
  if (locator->EndRecordDisk != 0 || locator->DiskCount > 1) {
    return Fail(ZipFailure::Unsupported, "the archive spans several disks");
  }
  if (locator_at < kZip64EndRecordBytes ||
      locator->EndRecordOffset > locator_at - kZip64EndRecordBytes) {
    return Fail(ZipFailure::Damaged, "the Zip64 end record lies outside the archive");
  }
  const auto end = ReadZip64EndRecord(archive, locator->EndRecordOffset);
  if (!end) return Fail(ZipFailure::Damaged, "the Zip64 end record is missing");
  return DirectoryPlace{*end, locator->EndRecordOffset};
}

Result<DirectoryPlace, ZipError> LocateDirectory(std::string_view archive) {
  const auto at = FindEndRecord(archive);
  if (!at) return Fail(ZipFailure::NotAnArchive, "no end-of-central-directory record");
  const DirectoryPlace classic{*ReadEndRecord(archive, *at), *at};
  if (*at < kZip64LocatorBytes) return classic;
  return ApplyZip64(archive, classic);
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
Result<ZipEntry, ZipError> ReadEntry(std::string_view archive, ByteReader& directory,
                                    std::uint64_t limit, std::size_t index) {
  auto header = ReadCentralHeader(directory);
  if (!header) return Fail(ZipFailure::Damaged, RecordName(index) + " is missing or truncated");
  if (!ResolveZip64Fields(*header)) {
    return Fail(ZipFailure::Damaged, RecordName(index) + " lacks its Zip64 values");
  }
  if (header->DiskStart != 0) return Fail(ZipFailure::Unsupported, RecordName(index) + " is on another disk");
  ZipEntry entry = ToEntry(*header);
  const auto data_offset = entry.LocalHeaderOffset < limit
                               ? ReadLocalDataOffset(archive, entry.LocalHeaderOffset)
                               : std::nullopt;
  if (!data_offset) return Fail(ZipFailure::Damaged, RecordName(index) + " has no local header");
  if (*data_offset > limit || entry.CompressedSize > limit - *data_offset) {
    return Fail(ZipFailure::Damaged, RecordName(index) + " has data outside the archive");
  }
  entry.DataOffset = *data_offset;
  return entry;
}

Result<std::vector<ZipEntry>, ZipError> ReadEntries(std::string_view archive, const EndRecord& end) {
  ByteReader directory(archive.substr(static_cast<std::size_t>(end.DirectoryOffset),
                                      static_cast<std::size_t>(end.DirectorySize)));
  std::vector<ZipEntry> entries;
  entries.reserve(static_cast<std::size_t>(end.Entries));
  for (std::size_t index = 0; index < end.Entries; ++index) {
    auto entry = ReadEntry(archive, directory, end.DirectoryOffset, index);
    if (!entry) return Failure{entry.error()};
    entries.push_back(std::move(entry).value());
  }
  if (directory.Remaining() != 0) {
    return Fail(ZipFailure::Damaged, "the central directory holds more than its count of records");
  }
  return entries;
}

// Two entries sharing bytes is how some archives multiply their size when
// extracted; no writer produces it.
std::optional<ZipError> CheckNoOverlap(const std::vector<ZipEntry>& entries) {
  std::vector<std::pair<std::uint64_t, std::uint64_t>> ranges;
  ranges.reserve(entries.size());
  for (const ZipEntry& entry : entries) {
    ranges.emplace_back(entry.LocalHeaderOffset, entry.DataOffset + entry.CompressedSize);
  }
  std::sort(ranges.begin(), ranges.end());
  for (std::size_t i = 1; i < ranges.size(); ++i) {
    if (ranges[i].first < ranges[i - 1].second) {
      return ZipError{ZipFailure::Damaged, "the data of two entries overlap"};
    }
  }
  return std::nullopt;
}

}  // namespace

Result<std::vector<ZipEntry>, ZipError> ReadZipDirectory(std::string_view archive) {
  const auto place = LocateDirectory(archive);
  if (!place) return Failure{place.error()};
  if (auto error = CheckDirectoryPlace(*place)) return Failure{std::move(*error)};
  auto entries = ReadEntries(archive, place->End);
  if (!entries) return entries;
  if (auto error = CheckNoOverlap(*entries)) return Failure{std::move(*error)};
  return entries;
}

}  // namespace ris
