#include <openssl/evp.h>

#include <stdexcept>

#include "base/ascii.h"
#include "sha256.h"

namespace ris::tool {

std::string Sha256Hex(std::string_view bytes) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_sha256(), nullptr) != 1) {
    throw std::runtime_error("libcrypto cannot compute a SHA-256 digest");
  }
  std::string hex;
  for (unsigned int i = 0; i < length; ++i) hex.append({HexDigit(digest[i] >> 4u), HexDigit(digest[i])});
  return hex;
}

}  // namespace ris::tool
