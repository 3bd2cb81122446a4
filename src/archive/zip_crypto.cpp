#include "archive/zip_crypto.h"

#include <array>
#include <cassert>

namespace ris {
namespace {

// The key schedule steps the reflected CRC-32 one byte at a time, without
// the pre- and post-inversion of a whole-buffer CRC, so it keeps its own table.
consteval std::array<std::uint32_t, 256> MakeCrcTable() noexcept {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int bit = 0; bit < 8; ++bit) c = (c & 1u) ? (0xEDB88320u ^ (c >> 1)) : (c >> 1);
    table[n] = c;
  }
  return table;
}

constexpr std::array<std::uint32_t, 256> kCrcTable = MakeCrcTable();

constexpr std::uint32_t CrcStep(std::uint32_t crc, std::uint8_t byte) noexcept {
  return kCrcTable[(crc ^ byte) & 0xFFu] ^ (crc >> 8);
}

}  // namespace

ZipCryptoKeys::ZipCryptoKeys(std::string_view password) noexcept {
  for (const char c : password) Update(static_cast<std::uint8_t>(c));
}

void ZipCryptoKeys::Update(std::uint8_t plain) noexcept {
  key0_ = CrcStep(key0_, plain);
  key1_ = (key1_ + (key0_ & 0xFFu)) * 134775813u + 1u;
  key2_ = CrcStep(key2_, static_cast<std::uint8_t>(key1_ >> 24));
}

std::uint8_t ZipCryptoKeys::DecryptByte() const noexcept {
  const std::uint32_t temp = (key2_ | 2u) & 0xFFFFu;
  return static_cast<std::uint8_t>((temp * (temp ^ 1u)) >> 8);
}

std::uint8_t ZipCryptoKeys::Encrypt(std::uint8_t plain) noexcept {
  const auto cipher = static_cast<std::uint8_t>(plain ^ DecryptByte());
  Update(plain);
  return cipher;
}

std::uint8_t ZipCryptoKeys::Decrypt(std::uint8_t cipher) noexcept {
  const auto plain = static_cast<std::uint8_t>(cipher ^ DecryptByte());
  Update(plain);
  return plain;
}

// The buffers are walked with a local copy of the keys: a store through a
// char may alias this object's keys, which would otherwise go to memory and
// back on every byte of a chain that is serial already.
void ZipCryptoKeys::Encrypt(std::span<char> bytes) noexcept {
  ZipCryptoKeys keys = *this;
  for (char& c : bytes) c = static_cast<char>(keys.Encrypt(static_cast<std::uint8_t>(c)));
  *this = keys;
}

void ZipCryptoKeys::Decrypt(std::span<char> bytes) noexcept {
  ZipCryptoKeys keys = *this;
  for (char& c : bytes) c = static_cast<char>(keys.Decrypt(static_cast<std::uint8_t>(c)));
  *this = keys;
}

std::optional<ZipCryptoKeys> OpenEncryptionHeader(std::string_view password,
                                                  std::string_view header,
                                                  std::uint8_t check_byte) noexcept {
  assert(header.size() == kZipCryptoHeaderBytes);
  ZipCryptoKeys keys(password);
  std::uint8_t last = 0;
  for (const char c : header) last = keys.Decrypt(static_cast<std::uint8_t>(c));
  if (last != check_byte) return std::nullopt;
  return keys;
}

}  // namespace ris
