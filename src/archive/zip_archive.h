#pragma once
// Reads ZIP archives from a byte source: the central directory (Zip64 included),
// stored and deflated entries, and entries protected with the traditional
// PKWARE encryption. Sizes and checksums are taken from the central directory
// only; a local header is read just for where its data starts, because
// writers that cannot seek leave its other fields blank. Every entry is
// checked against its CRC-32 after extraction.
//
// Opening reads only the end records and the central directory; an entry's
// bytes are read from the source when it is extracted, so a large archive
// costs no more to open than a small one with the same entries.
//
// The archive's bytes are untrusted: offsets, sizes and counts are checked
// against the source's size and against the limits below before anything is
// allocated, and every failure is a value, never a crash. Open refuses an
// archive whose structure lies (records outside the bytes, counts that differ
// from the records, entries sharing bytes); Extract refuses single entries
// (methods, encryption, sizes, a missing local header, bytes that cannot be
// read any more), so one odd entry does not hide the others.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "archive/byte_source.h"
#include "base/arriving_bytes.h"
#include "base/result.h"

namespace ris {

// Archives larger than this are refused without being read.
inline constexpr std::uint64_t kMaxZipArchiveBytes = std::uint64_t{2} << 30;
// No entry of a product is larger; a declared size beyond it is refused.
inline constexpr std::uint64_t kMaxZipEntryBytes = std::uint64_t{256} << 20;
inline constexpr std::size_t kMaxZipEntries = 65535;

enum class ZipFailure : std::uint8_t {
  NotAnArchive,       // no end-of-central-directory record
  Damaged,            // structures that lie: offsets, sizes, overlaps, bad data
  TooLarge,           // beyond the limits above
  Unsupported,        // a compression or encryption method this reader lacks
  WrongPassword,      // an encrypted entry whose check byte does not fit the key
  ChecksumMismatch,   // the extracted bytes do not match the stored CRC-32
  EntryNotFound,
  ReadFailed,         // the source no longer holds the bytes: a file changed, shrank or failed
};

struct ZipError {
  ZipFailure Kind;
  std::string Detail;  // for people: what was wrong, and where
};

struct ZipEntry {
  std::string Name;  // as stored, with every "/" turned into "\"
  std::uint16_t Method = 0;  // 0 stored, 8 deflated
  bool Encrypted = false;
  std::uint32_t Crc32 = 0;
  std::uint64_t CompressedSize = 0;
  std::uint64_t UncompressedSize = 0;
  std::uint64_t LocalHeaderOffset = 0;
  std::uint64_t DataLimit = 0;     // the entry's bytes end before this: the next local header or the directory
  std::uint16_t Flags = 0;         // general purpose bits
  std::uint16_t ModifiedTime = 0;  // DOS time; its high byte checks the key when bit 3 is set
};

// An entry extracted beside its reader. A large encrypted entry is
// decrypted (and inflated) by a helper thread into Bytes(), in order, while
// the reader reads the part that has arrived; anything else is extracted
// whole before it is handed over. The helper touches nothing but the entry's
// own bytes, and never outlives this object.
// Below this size a helper thread would cost more than it saves.
inline constexpr std::uint64_t kSmallestArrivingEntry = std::uint64_t{256} << 10;

class ArrivingEntry {
 public:
  explicit ArrivingEntry(std::shared_ptr<ArrivingBytes> complete);
  ArrivingEntry(ArrivingEntry&& other) noexcept = default;
  ArrivingEntry& operator=(ArrivingEntry&&) = delete;
  // Stops the helper early, if it still runs, and waits for it.
  ~ArrivingEntry();

  std::shared_ptr<const ArrivingBytes> Bytes() const;

  // Waits for the helper: nothing when the entry extracted whole with the
  // right CRC, otherwise the kind of failure Extract gives for the same
  // entry (a deflated one is inflated by zlib here, whose words for a
  // damaged stream may differ). The bytes can be trusted only after this.
  std::optional<ZipError> Finish();

 private:
  friend class ZipArchive;
  struct Work;  // what the helper shares with its owner
  explicit ArrivingEntry(std::shared_ptr<Work> work);

  std::shared_ptr<Work> work_;
  std::thread helper_;
};

class ZipArchive {
 public:
  // Reads the directory of the archive in `source`, which the archive keeps
  // for its extractions.
  static Result<ZipArchive, ZipError> Open(std::shared_ptr<const ByteSource> source);
  static Result<ZipArchive, ZipError> Open(std::shared_ptr<const std::string> bytes);

  std::size_t EntryCount() const noexcept { return entries_.size(); }
  const ZipEntry& Entry(std::size_t index) const { return entries_.at(index); }

  // The first entry whose name equals `name` with 'A'..'Z' folded; "/" and
  // "\" count as the same character.
  std::optional<std::size_t> FindEntry(std::string_view name) const;

  // The entry's uncompressed bytes. The password is used only for encrypted
  // entries. A wrong password is WrongPassword 255 times in 256; otherwise
  // it ends as Damaged or ChecksumMismatch, never as success.
  Result<std::string, ZipError> Extract(std::size_t index, std::string_view password) const;

  // The same bytes and failures, handed over while a large encrypted entry
  // is still being decrypted (see ArrivingEntry). A failure found before the
  // helper starts (a wrong password among them) is given here. Entries
  // smaller than `smallest_for_helper` are extracted whole.
  Result<ArrivingEntry, ZipError> ExtractArriving(std::size_t index, std::string_view password,
                                                  std::uint64_t smallest_for_helper = kSmallestArrivingEntry) const;

 private:
  ZipArchive(std::shared_ptr<const ByteSource> source, std::vector<ZipEntry> entries);

  std::shared_ptr<const ByteSource> source_;
  std::vector<ZipEntry> entries_;
};

}  // namespace ris
