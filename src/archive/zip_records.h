#pragma once
// The on-disk records of a ZIP archive, read field by field from untrusted
// bytes. Each reader checks the signature and that the record's fixed part
// lies inside the bytes; what the fields mean is for the caller to judge.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "base/byte_reader.h"

namespace ris {

// Sizes of the records' fixed parts, before any variable-length field.
inline constexpr std::size_t kLocalHeaderBytes = 30;
inline constexpr std::size_t kCentralHeaderBytes = 46;
inline constexpr std::size_t kEndRecordBytes = 22;
inline constexpr std::size_t kZip64LocatorBytes = 20;
inline constexpr std::size_t kZip64EndRecordBytes = 56;
inline constexpr std::size_t kMaxArchiveCommentBytes = 65535;

// A 16- or 32-bit field with every bit set says "see the Zip64 record".
inline constexpr std::uint16_t kZip64Marker16 = 0xFFFF;
inline constexpr std::uint32_t kZip64Marker32 = 0xFFFFFFFFu;

// What the end-of-central-directory record, or its Zip64 form, says.
struct EndRecord {
  std::uint32_t Disk = 0;
  std::uint32_t DirectoryDisk = 0;
  std::uint64_t EntriesOnDisk = 0;
  std::uint64_t Entries = 0;
  std::uint64_t DirectorySize = 0;
  std::uint64_t DirectoryOffset = 0;
};

struct Zip64Locator {
  std::uint32_t EndRecordDisk = 0;
  std::uint64_t EndRecordOffset = 0;
  std::uint32_t DiskCount = 0;
};

// One central directory record; the views point into the archive's bytes.
struct CentralHeader {
  std::uint16_t Flags = 0;
  std::uint16_t Method = 0;
  std::uint16_t ModifiedTime = 0;
  std::uint32_t Crc32 = 0;
  std::uint64_t CompressedSize = 0;
  std::uint64_t UncompressedSize = 0;
  std::uint64_t LocalHeaderOffset = 0;
  std::uint32_t DiskStart = 0;
  std::string_view Name;
  std::string_view Extra;
};

// The position of the end record: the last one whose comment reaches exactly
// to the end of the bytes, else the last one whose comment fits in them (some
// tools append bytes after an archive). Nothing when there is none.
std::optional<std::size_t> FindEndRecord(std::string_view archive) noexcept;

// The archive's comment: the bytes that follow the end record, as long as
// it says. Nothing when there is no end record.
std::optional<std::string_view> ReadArchiveComment(std::string_view archive) noexcept;

std::optional<EndRecord> ReadEndRecord(std::string_view archive, std::size_t at) noexcept;
std::optional<Zip64Locator> ReadZip64Locator(std::string_view archive, std::size_t at) noexcept;
std::optional<EndRecord> ReadZip64EndRecord(std::string_view archive, std::uint64_t at) noexcept;

// Reads the record at the reader's position and moves past it.
std::optional<CentralHeader> ReadCentralHeader(ByteReader& directory) noexcept;

// Replaces the fields that say "see the Zip64 record" by the values in the
// header's Zip64 extra field; false when that field lacks one of them.
bool ResolveZip64Fields(CentralHeader& header) noexcept;

// Where the data of the entry whose local header starts at `at` begins,
// judged from that header's name and extra lengths alone.
std::optional<std::uint64_t> ReadLocalDataOffset(std::string_view archive, std::uint64_t at) noexcept;

}  // namespace ris
