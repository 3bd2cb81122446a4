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

constexpr std::uint32_t kKey1Multiplier = 134775813u;

// The key stream byte depends on bits 2..15 of the third key only: bit 1 is
// forced, and t * (t ^ 1) is the same for either value of bit 0.
constexpr std::uint8_t KeyStreamByte(std::uint32_t key2) noexcept {
  const std::uint32_t temp = (key2 | 2u) & 0xFFFFu;
  return static_cast<std::uint8_t>((temp * (temp ^ 1u)) >> 8);
}

// Bits 2..15 of the table's entries, which the key stream byte depends on
// (see KeyStreamByte), moved to the bottom: the third key's step then gives
// the next index into kKeyStreamCrcLow without a shift or a mask on the
// serial chain (see Decrypt).
constexpr std::size_t kKeyStreamIndices = std::size_t{1} << 14;

constexpr std::uint32_t KeyStreamIndex(std::uint32_t key2) noexcept {
  return (key2 >> 2) & (kKeyStreamIndices - 1);
}

consteval std::array<std::uint16_t, 256> MakeCrcIndexTable() noexcept {
  std::array<std::uint16_t, 256> table{};
  for (std::size_t n = 0; n < 256; ++n) table[n] = static_cast<std::uint16_t>(KeyStreamIndex(kCrcTable[n]));
  return table;
}

constexpr std::array<std::uint16_t, 256> kCrcIndexTable = MakeCrcIndexTable();

// The CRC table is linear: table[a ^ b] == table[a] ^ table[b]. So the first
// key's CRC step over a plain byte (cipher ^ key stream) splits into a part
// from the cipher byte, known early, and table[key stream byte], which
// depends on the third key alone. Only the low byte of that step feeds the
// second key, and so the chain of dependences from one byte to the next;
// this table gives it in one load straight from the third key's bits.
consteval std::array<std::uint8_t, kKeyStreamIndices> MakeKeyStreamCrcTable() noexcept {
  std::array<std::uint8_t, kKeyStreamIndices> table{};
  for (std::uint32_t i = 0; i < kKeyStreamIndices; ++i) {
    table[i] = static_cast<std::uint8_t>(kCrcTable[KeyStreamByte(i << 2)]);
  }
  return table;
}

constexpr std::array<std::uint8_t, kKeyStreamIndices> kKeyStreamCrcLow = MakeKeyStreamCrcTable();

}  // namespace

ZipCryptoKeys::ZipCryptoKeys(std::string_view password) noexcept {
  for (const char c : password) Update(static_cast<std::uint8_t>(c));
}

void ZipCryptoKeys::Update(std::uint8_t plain) noexcept {
  key0_ = CrcStep(key0_, plain);
  key1_ = (key1_ + (key0_ & 0xFFu)) * kKey1Multiplier + 1u;
  key2_ = CrcStep(key2_, static_cast<std::uint8_t>(key1_ >> 24));
}

std::uint8_t ZipCryptoKeys::DecryptByte() const noexcept { return KeyStreamByte(key2_); }

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

// The buffers are walked with local copies of the keys: a store through a
// char may alias this object's keys, which would otherwise go to memory and
// back on every byte of a chain that is serial already.
void ZipCryptoKeys::Encrypt(std::span<char> bytes) noexcept {
  ZipCryptoKeys keys = *this;
  for (char& c : bytes) c = static_cast<char>(keys.Encrypt(static_cast<std::uint8_t>(c)));
  *this = keys;
}

// Hides a value's origin from the optimiser, so that it does not fold a sum
// worked out early back into the serial chain.
inline std::uint32_t Opaque(std::uint32_t value) noexcept {
#if defined(__GNUC__)
  asm("" : "+r"(value));
#endif
  return value;
}

// Decryption is one serial chain through the three keys per byte, which
// here is kept to: the third key's bits 2..15 -> the low byte of the first
// key's step (one load, see kKeyStreamCrcLow) -> the second key (a multiply
// and an add) -> the third key's step (one load; its bits 2..15 also come
// from a table of their own, see kCrcIndexTable). Every other term, the key
// stream byte, the plain byte and the whole first key are worked out beside
// it, from values that are ready early.
void ZipCryptoKeys::Decrypt(std::span<char> bytes) noexcept {
  std::uint32_t key0 = key0_;
  std::uint32_t key1 = key1_;
  std::uint32_t key2 = key2_;
  std::uint32_t key2_index = KeyStreamIndex(key2);
  for (char& c : bytes) {
    const auto cipher = static_cast<std::uint8_t>(c);
    const std::uint8_t stream = KeyStreamByte(key2);
    const std::uint32_t from_cipher = kCrcTable[(key0 ^ cipher) & 0xFFu] ^ (key0 >> 8);
    // (key1 + low0) * m + 1, with key1 * m + 1 ready before low0 is.
    const std::uint32_t key1_part = Opaque(key1 * kKey1Multiplier + 1u);
    // Bytes widened apart from the chain, so that no widening is left on it.
    const std::uint32_t low0 = Opaque(from_cipher & 0xFFu) ^ Opaque(kKeyStreamCrcLow[key2_index]);
    key0 = from_cipher ^ kCrcTable[stream];
    key1 = key1_part + low0 * kKey1Multiplier;
    // The third key's CRC step split the same way: its own part is ready early.
    const std::uint32_t key2_part = Opaque(kCrcTable[key2 & 0xFFu] ^ (key2 >> 8));
    const std::uint32_t top1 = key1 >> 24;
    key2 = kCrcTable[top1] ^ key2_part;
    key2_index = kCrcIndexTable[top1] ^ Opaque(KeyStreamIndex(key2_part));
    c = static_cast<char>(cipher ^ stream);
  }
  key0_ = key0;
  key1_ = key1;
  key2_ = key2;
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
