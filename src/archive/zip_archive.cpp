#include "archive/zip_archive.h"

#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <span>
#include <system_error>
#include <utility>

#include "codecs/inflate.h"
#include "archive/zip_crypto.h"
#include "archive/zip_directory.h"
#include "archive/zip_records.h"
#include "base/ascii.h"

namespace ris {
namespace {

constexpr std::uint16_t kStored = 0;
constexpr std::uint16_t kDeflated = 8;
constexpr std::uint16_t kAesMethod = 99;
constexpr std::uint16_t kDataDescriptorFlag = 1u << 3;
constexpr std::uint16_t kStrongEncryptionFlag = 1u << 6;
constexpr std::uint16_t kEncryptedDirectoryFlag = 1u << 13;
// No deflate stream yields more than this many bytes per byte of input; a
// larger declared size is a lie, refused before the output is allocated.
constexpr std::uint64_t kMaxDeflateRatio = 1032;
// The CRC is summed in pieces of this size: zlib counts in uInt.
constexpr std::size_t kPieceBytes = std::size_t{64} << 10;
// A helper decrypting an entry while it is read starts with a piece this
// small and doubles it up to kPieceBytes: the reader waits for the first
// piece only, and a picture's header is in the first few kilobytes.
constexpr std::size_t kFirstPieceBytes = std::size_t{4} << 10;

Failure<ZipError> Fail(ZipFailure kind, const ZipEntry& entry, std::string_view what) {
  return Failure{ZipError{kind, "entry '" + entry.Name + "': " + std::string(what)}};
}

std::uint64_t PayloadSize(const ZipEntry& entry) {
  return entry.CompressedSize - (entry.Encrypted ? kZipCryptoHeaderBytes : 0);
}

// What can be judged from the directory alone, before anything is allocated.
std::optional<Failure<ZipError>> Refusal(const ZipEntry& entry) {
  if (entry.Method == kAesMethod || (entry.Flags & (kStrongEncryptionFlag | kEncryptedDirectoryFlag))) {
    return Fail(ZipFailure::Unsupported, entry, "AES or strong encryption");
  }
  if (entry.Method != kStored && entry.Method != kDeflated) {
    return Fail(ZipFailure::Unsupported, entry, "compression method " + std::to_string(entry.Method));
  }
  if (entry.UncompressedSize > kMaxZipEntryBytes) return Fail(ZipFailure::TooLarge, entry, "declared size");
  if (entry.Encrypted && entry.CompressedSize < kZipCryptoHeaderBytes) {
    return Fail(ZipFailure::Damaged, entry, "shorter than its encryption header");
  }
  const std::uint64_t payload = PayloadSize(entry);
  if (entry.Method == kStored ? entry.UncompressedSize != payload
                              : entry.UncompressedSize > payload * kMaxDeflateRatio) {
    return Fail(ZipFailure::Damaged, entry, "declared sizes that cannot both be true");
  }
  return std::nullopt;
}

// With a data descriptor the writer did not know the CRC when it wrote the
// header, so the check byte is taken from the modification time instead.
std::uint8_t CheckByte(const ZipEntry& entry) {
  if (entry.Flags & kDataDescriptorFlag) return static_cast<std::uint8_t>(entry.ModifiedTime >> 8);
  return static_cast<std::uint8_t>(entry.Crc32 >> 24);
}

Failure<ZipError> Unreadable(const ZipEntry& entry) {
  return Fail(ZipFailure::ReadFailed, entry, "the archive's file no longer holds its bytes");
}

// Where the entry's data starts, from its local header, and that the data
// ends within the place the directory left it.
Result<std::uint64_t, ZipError> LocateData(const ByteSource& source, const ZipEntry& entry) {
  const auto header = ReadRange(source, entry.LocalHeaderOffset, kLocalHeaderBytes, kLocalHeaderBytes);
  if (!header) return Unreadable(entry);
  const auto length = ReadLocalDataOffset(*header, 0);
  if (!length) return Fail(ZipFailure::Damaged, entry, "no local header");
  const std::uint64_t data_at = entry.LocalHeaderOffset + *length;
  if (data_at > entry.DataLimit || entry.CompressedSize > entry.DataLimit - data_at) {
    return Fail(ZipFailure::Damaged, entry, "data that runs into the next entry or the directory");
  }
  return data_at;
}

// The decrypted, inflated or copied bytes; a failure that is the source's is
// told apart from one of the data.
struct Plain {
  std::string Bytes;
  std::optional<Failure<ZipError>> Error;
};

// A deflate stream takes far fewer than twice the bytes it inflates to (a
// stored block adds 5 bytes to at most 65535). A compressed size beyond that
// is not believed: what lies past it is never read, so the directory cannot
// make the reader hold more than the entry can need.
std::uint64_t MostDeflatedBytes(std::uint64_t inflated) { return 2 * inflated + (std::uint64_t{64} << 10); }

// The entry's data as it lies in the archive (still encrypted when it is),
// no more of it than the entry can need.
std::optional<std::string> ReadStoredData(const ByteSource& source, const ZipEntry& entry, std::uint64_t at) {
  const std::uint64_t limit =
      entry.Method == kStored ? kMaxZipEntryBytes : MostDeflatedBytes(entry.UncompressedSize);
  return ReadRange(source, at, std::min(PayloadSize(entry), limit), limit);
}

std::optional<std::string> ReadDecrypted(const ByteSource& source, const ZipEntry& entry, std::uint64_t at,
                                         std::optional<ZipCryptoKeys>& keys) {
  auto data = ReadStoredData(source, entry, at);
  if (data && keys) keys->Decrypt(*data);
  return data;
}

Plain Unstore(const ByteSource& source, const ZipEntry& entry, std::uint64_t at,
              std::optional<ZipCryptoKeys>& keys) {
  auto plain = ReadDecrypted(source, entry, at, keys);
  if (!plain) return {{}, Unreadable(entry)};
  return {std::move(*plain), std::nullopt};
}

// The whole stream is read and decrypted first, then inflated in one call:
// libdeflate, which needs it whole, inflates several times faster than
// zlib does piece by piece, which more than pays for the copy.
Plain Inflate(const ByteSource& source, const ZipEntry& entry, std::uint64_t at,
              std::optional<ZipCryptoKeys>& keys) {
  const auto deflated = ReadDecrypted(source, entry, at, keys);
  if (!deflated) return {{}, Unreadable(entry)};
  auto plain = InflateRaw(*deflated, static_cast<std::size_t>(entry.UncompressedSize));
  if (!plain) return {{}, Fail(ZipFailure::Damaged, entry, plain.error())};
  return {std::move(plain).value(), std::nullopt};
}

std::uint32_t Crc32Of(std::string_view bytes) {
  uLong crc = crc32(0L, Z_NULL, 0);
  for (std::size_t at = 0; at < bytes.size(); at += kPieceBytes) {
    const std::string_view piece = bytes.substr(at, kPieceBytes);
    crc = crc32(crc, reinterpret_cast<const Bytef*>(piece.data()), static_cast<uInt>(piece.size()));
  }
  return static_cast<std::uint32_t>(crc);
}

}  // namespace

ZipArchive::ZipArchive(std::shared_ptr<const ByteSource> source, std::vector<ZipEntry> entries)
    : source_(std::move(source)), entries_(std::move(entries)) {}

Result<ZipArchive, ZipError> ZipArchive::Open(std::shared_ptr<const ByteSource> source) {
  if (!source) return Failure{ZipError{ZipFailure::NotAnArchive, "no bytes"}};
  if (source->Size() > kMaxZipArchiveBytes) {
    return Failure{ZipError{ZipFailure::TooLarge, std::to_string(source->Size()) + " bytes"}};
  }
  auto entries = ReadZipDirectory(*source);
  if (!entries) return Failure{entries.error()};
  return ZipArchive(std::move(source), std::move(entries).value());
}

Result<ZipArchive, ZipError> ZipArchive::Open(std::shared_ptr<const std::string> bytes) {
  if (!bytes) return Failure{ZipError{ZipFailure::NotAnArchive, "no bytes"}};
  return Open(std::make_shared<const MemoryByteSource>(std::move(bytes)));
}

std::optional<std::size_t> ZipArchive::FindEntry(std::string_view name) const {
  std::string wanted(name);
  std::replace(wanted.begin(), wanted.end(), '/', '\\');
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (EqualsFolded(entries_[i].Name, wanted)) return i;
  }
  return std::nullopt;
}

namespace {

// Where an entry's data starts, and the keys that decrypt it.
struct EntryStart {
  std::uint64_t At = 0;
  std::optional<ZipCryptoKeys> Keys;
};

// What is checked before any of the entry's data is read.
Result<EntryStart, ZipError> StartEntry(const ByteSource& source, const ZipEntry& entry,
                                        std::string_view password) {
  if (auto refusal = Refusal(entry)) return std::move(*refusal);
  auto at = LocateData(source, entry);
  if (!at) return Failure{at.error()};
  EntryStart start{*at, std::nullopt};
  if (entry.Encrypted) {
    const auto header = ReadRange(source, start.At, kZipCryptoHeaderBytes, kZipCryptoHeaderBytes);
    if (!header) return Unreadable(entry);
    start.Keys = OpenEncryptionHeader(password, *header, CheckByte(entry));
    if (!start.Keys) return Fail(ZipFailure::WrongPassword, entry, "the password does not fit");
    start.At += kZipCryptoHeaderBytes;
  }
  return start;
}

std::optional<Failure<ZipError>> ChecksumFailure(const ZipEntry& entry, std::uint32_t crc) {
  if (crc != entry.Crc32) return Fail(ZipFailure::ChecksumMismatch, entry, "CRC-32 differs");
  return std::nullopt;
}

}  // namespace

Result<std::string, ZipError> ZipArchive::Extract(std::size_t index, std::string_view password) const {
  if (index >= entries_.size()) {
    return Failure{ZipError{ZipFailure::EntryNotFound, "no entry " + std::to_string(index)}};
  }
  const ZipEntry& entry = entries_[index];
  auto start = StartEntry(*source_, entry, password);
  if (!start) return Failure{start.error()};
  Plain plain = entry.Method == kStored ? Unstore(*source_, entry, start->At, start->Keys)
                                        : Inflate(*source_, entry, start->At, start->Keys);
  if (plain.Error) return std::move(*plain.Error);
  if (auto mismatch = ChecksumFailure(entry, Crc32Of(plain.Bytes))) return std::move(*mismatch);
  return std::move(plain.Bytes);
}

// ---------------------------------------------------------------- arriving

struct ArrivingEntry::Work {
  std::shared_ptr<ArrivingBytes> Bytes;
  std::atomic<bool> Stop{false};
  std::optional<ZipError> Error;  // the helper's verdict, read after it is joined
};

ArrivingEntry::ArrivingEntry(std::shared_ptr<ArrivingBytes> complete)
    : work_(std::make_shared<Work>()) {
  work_->Bytes = std::move(complete);
}

ArrivingEntry::ArrivingEntry(std::shared_ptr<Work> work) : work_(std::move(work)) {}

ArrivingEntry::~ArrivingEntry() {
  if (!helper_.joinable()) return;
  work_->Stop = true;
  helper_.join();
}

std::shared_ptr<const ArrivingBytes> ArrivingEntry::Bytes() const { return work_->Bytes; }

std::optional<ZipError> ArrivingEntry::Finish() {
  if (helper_.joinable()) helper_.join();
  return work_->Error;
}

namespace {

// The helper's work: decrypts `input` a piece at a time, inflating it into
// the arriving bytes when the entry is deflated (a stored entry's input is
// the arriving bytes themselves, decrypted in place), sums the CRC over what
// has arrived and says how far that is.
std::optional<Failure<ZipError>> DecryptArriving(const ZipEntry& entry, std::span<char> input, ZipCryptoKeys keys,
                                                 ArrivingBytes& bytes, const std::atomic<bool>& stop) {
  std::optional<RawInflater> inflater;
  if (entry.Method != kStored) inflater.emplace(bytes.Writable());
  uLong crc = crc32(0L, Z_NULL, 0);
  std::size_t arrived = 0;
  bool more = true;
  std::size_t at = 0;
  std::size_t piece_bytes = kFirstPieceBytes;
  while (at < input.size() && more) {
    if (stop) return std::nullopt;
    const std::span<char> piece = input.subspan(at, std::min(piece_bytes, input.size() - at));
    keys.Decrypt(piece);
    if (inflater) more = inflater->Feed({piece.data(), piece.size()});
    at += piece.size();
    const std::size_t ready = inflater ? inflater->Produced() : at;
    crc = crc32(crc, bytes.Data() + arrived, static_cast<uInt>(ready - arrived));
    arrived = ready;
    bytes.Arrive(arrived);
    piece_bytes = std::min(2 * piece_bytes, kPieceBytes);
  }
  if (inflater) {
    if (auto error = inflater->Finish()) return Fail(ZipFailure::Damaged, entry, *error);
  }
  return ChecksumFailure(entry, static_cast<std::uint32_t>(crc));
}

}  // namespace

Result<ArrivingEntry, ZipError> ZipArchive::ExtractArriving(std::size_t index, std::string_view password,
                                                            std::uint64_t smallest_for_helper) const {
  if (index >= entries_.size() || !entries_[index].Encrypted ||
      entries_[index].CompressedSize < smallest_for_helper) {
    auto whole = Extract(index, password);
    if (!whole) return Failure{whole.error()};
    return ArrivingEntry(ArrivingBytes::Complete(std::move(whole).value()));
  }
  const ZipEntry& entry = entries_[index];
  auto start = StartEntry(*source_, entry, password);
  if (!start) return Failure{start.error()};
  // The source is read here, on the caller's thread: the helper is given
  // bytes in memory only.
  auto read = ReadStoredData(*source_, entry, start->At);
  if (!read) return Unreadable(entry);

  auto work = std::make_shared<ArrivingEntry::Work>();
  auto compressed = std::make_shared<std::string>();
  if (entry.Method == kStored) {
    work->Bytes = std::make_shared<ArrivingBytes>(std::move(*read));
  } else {
    work->Bytes = std::make_shared<ArrivingBytes>(std::string(static_cast<std::size_t>(entry.UncompressedSize), '\0'));
    *compressed = std::move(*read);
  }
  auto produce = [work, compressed, entry, keys = *start->Keys] {
    try {
      const std::span<char> input = entry.Method == kStored ? work->Bytes->Writable() : std::span<char>(*compressed);
      if (auto failure = DecryptArriving(entry, input, keys, *work->Bytes, work->Stop)) {
        work->Error = std::move(failure->error);
      }
    } catch (...) {
      work->Error = ZipError{ZipFailure::ReadFailed, "entry '" + entry.Name + "': decrypting it failed"};
    }
    work->Bytes->Close();
  };
  ArrivingEntry arriving(work);
  try {
    arriving.helper_ = std::thread(produce);
  } catch (const std::system_error&) {
    produce();  // no thread to be had: the work is done here instead
  }
  return arriving;
}

}  // namespace ris
