#pragma once
// The traditional PKWARE encryption of ZIP entries: three 32-bit keys that
// every plain byte stirs, and a key stream byte derived from the third. It is
// weak by today's measure; archives use it because every unzip tool reads it.
// Encryption lives here too, so that the archive writer shares the schedule.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace ris {

// Every encrypted entry starts with this many encrypted header bytes: random
// bytes that seed the keys, the last of which checks the password.
inline constexpr std::size_t kZipCryptoHeaderBytes = 12;

class ZipCryptoKeys {
 public:
  // The keys after every byte of `password` has been stirred in.
  explicit ZipCryptoKeys(std::string_view password) noexcept;

  // Stirs one plain byte into the keys.
  void Update(std::uint8_t plain) noexcept;

  // The key stream byte for the next position; leaves the keys as they are.
  std::uint8_t DecryptByte() const noexcept;

  std::uint8_t Encrypt(std::uint8_t plain) noexcept;
  std::uint8_t Decrypt(std::uint8_t cipher) noexcept;

  // The same, in place, over a run of bytes.
  void Encrypt(std::span<char> bytes) noexcept;
  void Decrypt(std::span<char> bytes) noexcept;

 private:
  std::uint32_t key0_ = 0x12345678u;
  std::uint32_t key1_ = 0x23456789u;
  std::uint32_t key2_ = 0x34567890u;
};

// Decrypts the 12-byte header of an entry and returns the keys positioned at
// its first data byte, or nothing when the header's last plain byte is not
// `check_byte`: then the password is wrong (255 times in 256).
std::optional<ZipCryptoKeys> OpenEncryptionHeader(std::string_view password,
                                                  std::string_view header,
                                                  std::uint8_t check_byte) noexcept;

}  // namespace ris
