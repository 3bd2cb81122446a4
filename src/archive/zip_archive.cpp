#include "archive/zip_archive.h"

#include <zlib.h>

#include <algorithm>
#include <utility>

#include "archive/inflate.h"
#include "archive/zip_crypto.h"
#include "archive/zip_directory.h"
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
// Encrypted data is decrypted and inflated in pieces of this size.
constexpr std::size_t kPieceBytes = std::size_t{64} << 10;

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

Result<std::string, std::string> Unstore(std::string_view payload, std::optional<ZipCryptoKeys>& keys) {
  std::string plain(payload);
  if (keys) keys->Decrypt(plain);
  return plain;
}

Result<std::string, std::string> Inflate(std::string_view payload, std::size_t size,
                                         std::optional<ZipCryptoKeys>& keys) {
  RawInflater inflater(size);
  std::string piece;
  for (std::size_t at = 0; at < payload.size(); at += kPieceBytes) {
    piece.assign(payload.substr(at, kPieceBytes));
    if (keys) keys->Decrypt(piece);
    if (!inflater.Feed(piece)) break;
  }
  return inflater.Finish();
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

ZipArchive::ZipArchive(std::shared_ptr<const std::string> bytes, std::vector<ZipEntry> entries)
    : bytes_(std::move(bytes)), entries_(std::move(entries)) {}

Result<ZipArchive, ZipError> ZipArchive::Open(std::shared_ptr<const std::string> bytes) {
  if (!bytes) return Failure{ZipError{ZipFailure::NotAnArchive, "no bytes"}};
  if (bytes->size() > kMaxZipArchiveBytes) {
    return Failure{ZipError{ZipFailure::TooLarge, std::to_string(bytes->size()) + " bytes"}};
  }
  auto entries = ReadZipDirectory(*bytes);
  if (!entries) return Failure{entries.error()};
  return ZipArchive(std::move(bytes), std::move(entries).value());
}

std::optional<std::size_t> ZipArchive::FindEntry(std::string_view name) const {
  std::string wanted(name);
  std::replace(wanted.begin(), wanted.end(), '/', '\\');
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (EqualsFolded(entries_[i].Name, wanted)) return i;
  }
  return std::nullopt;
}

Result<std::string, ZipError> ZipArchive::Extract(std::size_t index, std::string_view password) const {
  if (index >= entries_.size()) {
    return Failure{ZipError{ZipFailure::EntryNotFound, "no entry " + std::to_string(index)}};
  }
  const ZipEntry& entry = entries_[index];
  if (auto refusal = Refusal(entry)) return std::move(*refusal);
  // The directory reader has placed every entry's data inside the bytes.
  std::string_view data = std::string_view(*bytes_).substr(static_cast<std::size_t>(entry.DataOffset),
                                                           static_cast<std::size_t>(entry.CompressedSize));
  std::optional<ZipCryptoKeys> keys;
  if (entry.Encrypted) {
    keys = OpenEncryptionHeader(password, data.substr(0, kZipCryptoHeaderBytes), CheckByte(entry));
    if (!keys) return Fail(ZipFailure::WrongPassword, entry, "the password does not fit");
    data.remove_prefix(kZipCryptoHeaderBytes);
  }
  const auto size = static_cast<std::size_t>(entry.UncompressedSize);
  auto plain = entry.Method == kStored ? Unstore(data, keys) : Inflate(data, size, keys);
  if (!plain) return Fail(ZipFailure::Damaged, entry, plain.error());
  if (Crc32Of(*plain) != entry.Crc32) return Fail(ZipFailure::ChecksumMismatch, entry, "CRC-32 differs");
  return std::move(plain).value();
}

}  // namespace ris
