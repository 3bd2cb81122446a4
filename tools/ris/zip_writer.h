#pragma once
// Builds a ZIP archive in memory, as the saver's reader expects its data
// archive: every entry deflated (or stored when deflating does not make it
// smaller), optionally protected with the traditional PKWARE encryption, and
// described by a central directory. Sizes and offsets are 32-bit: anything
// that would need Zip64 is refused rather than written wrongly.

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>

#include "base/random_source.h"
#include "base/result.h"

namespace ris::tool {

// Date and time as ZIP stores them (MS-DOS format, two-second steps).
struct DosTimestamp {
  std::uint16_t Time = 0;
  std::uint16_t Date = 0;
};

// The calendar time of `moment` in UTC. Times before 1980, which the format
// cannot hold, become 1980-01-01 00:00:00; times after 2107 its last second.
DosTimestamp ToDosTimestamp(std::chrono::sys_seconds moment);

struct ZipWriterOptions {
  std::string Password;  // empty: entries are not encrypted
  // Seeds the eleven random bytes of each encryption header, so that equal
  // inputs with equal seeds give equal archives.
  std::uint32_t Seed = 0;
  DosTimestamp Modified;  // of every entry
  // False stores every entry as it is: for archives read once and thrown
  // away, where deflating a product's pictures would cost more than it saves.
  bool Deflate = true;
  // The archive's comment, not encrypted; at most 65535 bytes are kept.
  std::string Comment = {};
};

class ZipWriter {
 public:
  explicit ZipWriter(ZipWriterOptions options);

  // Compresses, encrypts and appends one entry. "\" in the name is written
  // as "/", the separator of the format. The reason, with the archive
  // unchanged, for an empty or duplicate name (letter case and separators
  // folded, as the reader finds entries), or when the entry or the archive
  // would outgrow 32-bit fields or 65535 entries.
  Result<void, std::string> Add(std::string_view name, std::string_view bytes);

  std::size_t EntryCount() const noexcept { return entry_count_; }

  // The whole archive: the entries, their central directory and its end
  // record. The writer is left empty.
  std::string Finish();

 private:
  struct Payload;

  Result<void, std::string> CheckName(std::string_view name) const;
  Payload Compress(std::string_view bytes) const;
  void Encrypt(Payload& payload);
  std::string HeaderFields(const Payload& payload) const;

  ZipWriterOptions options_;
  RandomSource random_;
  std::string entries_;
  std::string directory_;
  std::size_t entry_count_ = 0;
  std::unordered_set<std::string> folded_names_;
};

}  // namespace ris::tool
