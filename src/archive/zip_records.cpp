#include "archive/zip_records.h"

#include <cassert>

namespace ris {
namespace {

constexpr std::uint32_t kLocalHeaderSignature = 0x04034B50u;
constexpr std::uint32_t kCentralHeaderSignature = 0x02014B50u;
constexpr std::uint32_t kEndRecordSignature = 0x06054B50u;
constexpr std::uint32_t kZip64LocatorSignature = 0x07064B50u;
constexpr std::uint32_t kZip64EndRecordSignature = 0x06064B50u;
constexpr std::uint16_t kZip64ExtraId = 0x0001;

// A reader over the record at `at`, placed after its signature; nothing when
// the record's fixed part does not fit or the signature differs.
std::optional<ByteReader> RecordAt(std::string_view archive, std::uint64_t at,
                                   std::size_t fixed_bytes, std::uint32_t signature) noexcept {
  if (at > archive.size() || archive.size() - at < fixed_bytes) return std::nullopt;
  ByteReader reader(archive.substr(static_cast<std::size_t>(at)));
  if (reader.U32() != signature) return std::nullopt;
  return reader;
}

// Where the end record at `at` and its comment end, by its own account.
std::size_t EndRecordExtent(std::string_view archive, std::size_t at) noexcept {
  ByteReader reader(archive.substr(at + kEndRecordBytes - 2, 2));
  return at + kEndRecordBytes + reader.U16();
}

std::optional<std::string_view> FindExtraField(std::string_view extra, std::uint16_t id) noexcept {
  ByteReader fields(extra);
  // Some writers pad the extra area with a few bytes too short for a field.
  while (fields.Remaining() >= 4) {
    const std::uint16_t field_id = fields.U16();
    const std::string_view data = fields.Bytes(fields.U16());
    if (fields.Overrun()) return std::nullopt;
    if (field_id == id) return data;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::size_t> FindEndRecord(std::string_view archive) noexcept {
  if (archive.size() < kEndRecordBytes) return std::nullopt;
  const std::size_t last = archive.size() - kEndRecordBytes;
  const std::size_t first = last > kMaxArchiveCommentBytes ? last - kMaxArchiveCommentBytes : 0;
  std::optional<std::size_t> fitting;
  for (std::size_t at = last + 1; at-- > first;) {
    if (!RecordAt(archive, at, kEndRecordBytes, kEndRecordSignature)) continue;
    // A comment may itself hold the signature; the record whose comment
    // ends the archive is the real one.
    const std::size_t extent = EndRecordExtent(archive, at);
    if (extent == archive.size()) return at;
    if (extent < archive.size() && !fitting) fitting = at;
  }
  return fitting;
}

std::optional<std::string_view> ReadArchiveComment(std::string_view archive) noexcept {
  const std::optional<std::size_t> at = FindEndRecord(archive);
  if (!at) return std::nullopt;
  const std::size_t start = *at + kEndRecordBytes;
  return archive.substr(start, EndRecordExtent(archive, *at) - start);
}

std::optional<EndRecord> ReadEndRecord(std::string_view archive, std::size_t at) noexcept {
  auto reader = RecordAt(archive, at, kEndRecordBytes, kEndRecordSignature);
  if (!reader) return std::nullopt;
  EndRecord end;
  end.Disk = reader->U16();
  end.DirectoryDisk = reader->U16();
  end.EntriesOnDisk = reader->U16();
  end.Entries = reader->U16();
  end.DirectorySize = reader->U32();
  end.DirectoryOffset = reader->U32();
  reader->Skip(2);  // the comment length, which FindEndRecord has judged
  assert(reader->Position() == kEndRecordBytes);
  return end;
}

std::optional<Zip64Locator> ReadZip64Locator(std::string_view archive, std::size_t at) noexcept {
  auto reader = RecordAt(archive, at, kZip64LocatorBytes, kZip64LocatorSignature);
  if (!reader) return std::nullopt;
  Zip64Locator locator;
  locator.EndRecordDisk = reader->U32();
  locator.EndRecordOffset = reader->U64();
  locator.DiskCount = reader->U32();
  assert(reader->Position() == kZip64LocatorBytes);
  return locator;
}

std::optional<EndRecord> ReadZip64EndRecord(std::string_view archive, std::uint64_t at) noexcept {
  auto reader = RecordAt(archive, at, kZip64EndRecordBytes, kZip64EndRecordSignature);
  if (!reader) return std::nullopt;
  // The record's own size and the versions say nothing the reader needs.
  reader->Skip(12);
  EndRecord end;
  end.Disk = reader->U32();
  end.DirectoryDisk = reader->U32();
  end.EntriesOnDisk = reader->U64();
  end.Entries = reader->U64();
  end.DirectorySize = reader->U64();
  end.DirectoryOffset = reader->U64();
  assert(reader->Position() == kZip64EndRecordBytes);
  return end;
}

std::optional<CentralHeader> ReadCentralHeader(ByteReader& directory) noexcept {
  [[maybe_unused]] const std::size_t start = directory.Position();
  if (directory.U32() != kCentralHeaderSignature) return std::nullopt;
  CentralHeader header;
  directory.Skip(4);  // versions made by and needed
  header.Flags = directory.U16();
  header.Method = directory.U16();
  header.ModifiedTime = directory.U16();
  directory.Skip(2);  // date
  header.Crc32 = directory.U32();
  header.CompressedSize = directory.U32();
  header.UncompressedSize = directory.U32();
  const std::uint16_t name_length = directory.U16();
  const std::uint16_t extra_length = directory.U16();
  const std::uint16_t comment_length = directory.U16();
  header.DiskStart = directory.U16();
  directory.Skip(6);  // internal and external attributes
  header.LocalHeaderOffset = directory.U32();
  assert(directory.Overrun() || directory.Position() - start == kCentralHeaderBytes);
  header.Name = directory.Bytes(name_length);
  header.Extra = directory.Bytes(extra_length);
  directory.Skip(comment_length);
  if (directory.Overrun()) return std::nullopt;
  return header;
}

bool ResolveZip64Fields(CentralHeader& header) noexcept {
  const bool uncompressed = header.UncompressedSize == kZip64Marker32;
  const bool compressed = header.CompressedSize == kZip64Marker32;
  const bool offset = header.LocalHeaderOffset == kZip64Marker32;
  const bool disk = header.DiskStart == kZip64Marker16;
  if (!uncompressed && !compressed && !offset && !disk) return true;
  const auto field = FindExtraField(header.Extra, kZip64ExtraId);
  if (!field) return false;
  // The field holds only the values marked in the record, in this order.
  ByteReader values(*field);
  if (uncompressed) header.UncompressedSize = values.U64();
  if (compressed) header.CompressedSize = values.U64();
  if (offset) header.LocalHeaderOffset = values.U64();
  if (disk) header.DiskStart = values.U32();
  return !values.Overrun();
}

std::optional<std::uint64_t> ReadLocalDataOffset(std::string_view archive, std::uint64_t at) noexcept {
  auto reader = RecordAt(archive, at, kLocalHeaderBytes, kLocalHeaderSignature);
  if (!reader) return std::nullopt;
  // Everything before the lengths may be left blank by a writer that could
  // not seek back; the central directory has the true values.
  reader->Skip(22);
  const std::uint16_t name_length = reader->U16();
  const std::uint16_t extra_length = reader->U16();
  assert(reader->Position() == kLocalHeaderBytes);
  return at + kLocalHeaderBytes + name_length + extra_length;
}

}  // namespace ris
