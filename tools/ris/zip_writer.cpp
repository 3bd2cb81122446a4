#include "zip_writer.h"

#define ZLIB_CONST
#include <zlib.h>

#include <algorithm>
#include <array>
#include <limits>
#include <optional>
#include <stdexcept>

#include "archive/zip_crypto.h"
#include "base/ascii.h"

namespace ris::tool {

namespace {

constexpr std::uint64_t kMax32 = std::numeric_limits<std::uint32_t>::max();
constexpr std::size_t kMaxEntries = std::numeric_limits<std::uint16_t>::max();
constexpr std::size_t kMaxNameBytes = std::numeric_limits<std::uint16_t>::max();
constexpr std::size_t kLocalHeaderBytes = 30;
constexpr std::size_t kDirectoryHeaderBytes = 46;
constexpr std::uint16_t kVersionNeeded = 20;  // deflate and traditional encryption
constexpr std::uint16_t kMethodStored = 0;
constexpr std::uint16_t kMethodDeflated = 8;
constexpr std::uint16_t kFlagEncrypted = 1;

void AppendU16(std::string& out, std::uint16_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>(value >> 8);
}

void AppendU32(std::string& out, std::uint32_t value) {
  AppendU16(out, static_cast<std::uint16_t>(value & 0xFFFF));
  AppendU16(out, static_cast<std::uint16_t>(value >> 16));
}

std::string ZipName(std::string_view name) {
  std::string converted(name);
  std::replace(converted.begin(), converted.end(), '\\', '/');
  return converted;
}

std::uint32_t Crc32Of(std::string_view bytes) {
  return static_cast<std::uint32_t>(
      crc32_z(0, reinterpret_cast<const Bytef*>(bytes.data()), bytes.size()));
}

// Ends the stream however Deflate leaves.
struct DeflateStream {
  z_stream stream{};
  DeflateStream() {
    // Raw deflate (negative window bits): ZIP keeps its own header and CRC.
    if (deflateInit2(&stream, 9, Z_DEFLATED, -MAX_WBITS, 9, Z_DEFAULT_STRATEGY) != Z_OK) {
      throw std::runtime_error("zlib could not start deflating");
    }
  }
  ~DeflateStream() { deflateEnd(&stream); }
  DeflateStream(const DeflateStream&) = delete;
  DeflateStream& operator=(const DeflateStream&) = delete;
};

// The raw deflate stream of `bytes`, or nothing as soon as it is no smaller
// than the bytes themselves, which are then better stored.
std::optional<std::string> Deflate(std::string_view bytes) {
  // zlib counts in 32-bit units; entries come near that, so feed in steps.
  constexpr std::size_t kInputStep = std::size_t{1} << 30;
  DeflateStream deflater;
  z_stream& stream = deflater.stream;
  std::array<Bytef, 1 << 16> buffer{};
  std::string deflated;
  std::size_t fed = 0;
  int flush = Z_NO_FLUSH;
  while (flush != Z_FINISH) {
    const std::size_t step = std::min(bytes.size() - fed, kInputStep);
    stream.next_in = reinterpret_cast<const Bytef*>(bytes.data() + fed);
    stream.avail_in = static_cast<uInt>(step);
    fed += step;
    flush = fed == bytes.size() ? Z_FINISH : Z_NO_FLUSH;
    do {
      stream.next_out = buffer.data();
      stream.avail_out = static_cast<uInt>(buffer.size());
      if (deflate(&stream, flush) == Z_STREAM_ERROR) {
        throw std::runtime_error("zlib failed to deflate");
      }
      deflated.append(reinterpret_cast<const char*>(buffer.data()),
                      buffer.size() - stream.avail_out);
      if (deflated.size() >= bytes.size()) return std::nullopt;
    } while (stream.avail_out == 0);
  }
  return deflated;
}

std::string FoldedName(std::string_view name) { return FoldAscii(ZipName(name)); }

}  // namespace

DosTimestamp ToDosTimestamp(std::chrono::sys_seconds moment) {
  using namespace std::chrono;
  const sys_days day = floor<days>(moment);
  const year_month_day date{day};
  if (date.year() < year{1980}) return {0, (1 << 5) | 1};
  if (date.year() > year{2107}) return {(23 << 11) | (59 << 5) | 29, (127 << 9) | (12 << 5) | 31};
  const hh_mm_ss time{moment - day};
  const auto years = static_cast<unsigned>(static_cast<int>(date.year()) - 1980);
  return {
      static_cast<std::uint16_t>((time.hours().count() << 11) | (time.minutes().count() << 5) |
                                 (time.seconds().count() / 2)),
      static_cast<std::uint16_t>((years << 9) | (static_cast<unsigned>(date.month()) << 5) |
                                 static_cast<unsigned>(date.day())),
  };
}

struct ZipWriter::Payload {
  std::string Name;  // with "/"
  std::uint16_t Method = kMethodStored;
  std::uint16_t Flags = 0;
  std::uint32_t Crc = 0;
  std::uint64_t Size = 0;  // uncompressed
  std::string Data;        // as stored: compressed, then encrypted
};

ZipWriter::ZipWriter(ZipWriterOptions options)
    : options_(std::move(options)), random_(options_.Seed) {}

Result<void, std::string> ZipWriter::CheckName(std::string_view name) const {
  if (name.empty()) return Failure{"an entry needs a name"};
  if (name.size() > kMaxNameBytes) return Failure{"the name is longer than 65535 bytes"};
  if (folded_names_.contains(FoldedName(name))) {
    return Failure{"the archive already holds an entry of that name"};
  }
  if (entry_count_ >= kMaxEntries) {
    return Failure{"an archive without Zip64 holds at most 65535 entries"};
  }
  return {};
}

ZipWriter::Payload ZipWriter::Compress(std::string_view bytes) const {
  Payload payload;
  payload.Crc = Crc32Of(bytes);
  payload.Size = bytes.size();
  if (auto deflated = options_.Deflate ? Deflate(bytes) : std::nullopt) {
    payload.Method = kMethodDeflated;
    payload.Data = std::move(*deflated);
  } else {
    payload.Data = std::string(bytes);
  }
  return payload;
}

void ZipWriter::Encrypt(Payload& payload) {
  ZipCryptoKeys keys(options_.Password);
  std::string encrypted;
  encrypted.reserve(kZipCryptoHeaderBytes + payload.Data.size());
  // Eleven random bytes, then the CRC's high byte, by which a reader tells a
  // wrong password before it decompresses anything.
  for (std::size_t i = 0; i + 1 < kZipCryptoHeaderBytes; ++i) {
    encrypted += static_cast<char>(random_.NextInt(256));
  }
  encrypted += static_cast<char>(payload.Crc >> 24);
  encrypted += payload.Data;
  keys.Encrypt(encrypted);
  payload.Data = std::move(encrypted);
  payload.Flags |= kFlagEncrypted;
}

// The fields that the local header and the central directory share, from
// "version needed" to "extra field length".
std::string ZipWriter::HeaderFields(const Payload& payload) const {
  std::string fields;
  AppendU16(fields, kVersionNeeded);
  AppendU16(fields, payload.Flags);
  AppendU16(fields, payload.Method);
  AppendU16(fields, options_.Modified.Time);
  AppendU16(fields, options_.Modified.Date);
  AppendU32(fields, payload.Crc);
  AppendU32(fields, static_cast<std::uint32_t>(payload.Data.size()));
  AppendU32(fields, static_cast<std::uint32_t>(payload.Size));
  AppendU16(fields, static_cast<std::uint16_t>(payload.Name.size()));
  AppendU16(fields, 0);  // no extra field
  return fields;
}

Result<void, std::string> ZipWriter::Add(std::string_view name, std::string_view bytes) {
  if (auto checked = CheckName(name); !checked) return checked;
  if (bytes.size() > kMax32) return Failure{"the entry is 4 GiB or larger, which needs Zip64"};
  Payload payload = Compress(bytes);
  payload.Name = ZipName(name);
  if (!options_.Password.empty()) Encrypt(payload);
  const std::uint64_t offset = entries_.size();
  const std::uint64_t record = kLocalHeaderBytes + payload.Name.size() + payload.Data.size();
  // The central directory's offset must fit in 32 bits too, so the entries
  // together may not pass that limit.
  const std::uint64_t directory_record = kDirectoryHeaderBytes + payload.Name.size();
  if (payload.Data.size() > kMax32 || offset + record > kMax32 ||
      directory_.size() + directory_record > kMax32) {
    return Failure{"the archive would pass 4 GiB, which needs Zip64"};
  }
  const std::string fields = HeaderFields(payload);

  AppendU32(entries_, 0x04034B50);
  entries_ += fields;
  entries_ += payload.Name;
  entries_ += payload.Data;

  AppendU32(directory_, 0x02014B50);
  AppendU16(directory_, kVersionNeeded);  // made by: MS-DOS attributes, version 2.0
  directory_ += fields;
  AppendU16(directory_, 0);  // comment length
  AppendU16(directory_, 0);  // disk number
  AppendU16(directory_, 0);  // internal attributes
  AppendU32(directory_, 0);  // external attributes
  AppendU32(directory_, static_cast<std::uint32_t>(offset));
  directory_ += payload.Name;

  folded_names_.insert(FoldedName(name));
  ++entry_count_;
  return {};
}

std::string ZipWriter::Finish() {
  std::string archive = std::move(entries_);
  const auto directory_offset = static_cast<std::uint32_t>(archive.size());
  archive += directory_;
  AppendU32(archive, 0x06054B50);
  AppendU16(archive, 0);  // this disk
  AppendU16(archive, 0);  // disk of the central directory
  AppendU16(archive, static_cast<std::uint16_t>(entry_count_));
  AppendU16(archive, static_cast<std::uint16_t>(entry_count_));
  AppendU32(archive, static_cast<std::uint32_t>(directory_.size()));
  AppendU32(archive, directory_offset);
  const std::string_view comment = std::string_view(options_.Comment).substr(0, 0xFFFF);
  AppendU16(archive, static_cast<std::uint16_t>(comment.size()));
  archive += comment;

  entries_.clear();
  directory_.clear();
  entry_count_ = 0;
  folded_names_.clear();
  return archive;
}

}  // namespace ris::tool
