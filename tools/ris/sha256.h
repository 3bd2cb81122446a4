#pragma once
// SHA-256 digests, from the platform's own cryptography: OpenSSL's
// libcrypto on Linux, CNG (bcrypt) on Windows.

#include <string>
#include <string_view>

namespace ris::tool {

// The digest of the bytes in 64 lower-case hexadecimal digits.
std::string Sha256Hex(std::string_view bytes);

}  // namespace ris::tool
