#include <windows.h>
#include <bcrypt.h>

#include <stdexcept>
#include <vector>

#include "base/ascii.h"
#include "sha256.h"

namespace ris::tool {

namespace {

void Check(NTSTATUS status) {
  if (!BCRYPT_SUCCESS(status)) throw std::runtime_error("Windows cannot compute a SHA-256 digest");
}

// The algorithm and hash handles of one digest, closed however it ends.
class Sha256Hash {
 public:
  Sha256Hash() {
    Check(BCryptOpenAlgorithmProvider(&algorithm_, BCRYPT_SHA256_ALGORITHM, nullptr, 0));
    Check(BCryptCreateHash(algorithm_, &hash_, nullptr, 0, nullptr, 0, 0));
  }
  Sha256Hash(const Sha256Hash&) = delete;
  Sha256Hash& operator=(const Sha256Hash&) = delete;
  ~Sha256Hash() {
    if (hash_) BCryptDestroyHash(hash_);
    if (algorithm_) BCryptCloseAlgorithmProvider(algorithm_, 0);
  }

  void Add(std::string_view bytes) {
    // BCryptHashData takes at most 4 GiB a call.
    for (std::size_t at = 0; at < bytes.size(); at += 0x40000000) {
      const std::string_view part = bytes.substr(at, 0x40000000);
      auto* data = reinterpret_cast<PUCHAR>(const_cast<char*>(part.data()));
      Check(BCryptHashData(hash_, data, static_cast<ULONG>(part.size()), 0));
    }
  }
  std::vector<unsigned char> Finish() {
    std::vector<unsigned char> digest(32);
    Check(BCryptFinishHash(hash_, digest.data(), static_cast<ULONG>(digest.size()), 0));
    return digest;
  }

 private:
  BCRYPT_ALG_HANDLE algorithm_ = nullptr;
  BCRYPT_HASH_HANDLE hash_ = nullptr;
};

}  // namespace

std::string Sha256Hex(std::string_view bytes) {
  Sha256Hash hash;
  hash.Add(bytes);
  std::string hex;
  for (const unsigned char byte : hash.Finish()) hex.append({HexDigit(byte >> 4u), HexDigit(byte)});
  return hex;
}

}  // namespace ris::tool
