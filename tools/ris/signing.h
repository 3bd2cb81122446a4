#pragma once
// Authenticode signatures on the Windows programs a maker ships (a saver,
// ris.exe, a setup program), made by osslsigncode. The key is a PKCS#12
// file; its password is read once, from a file or standard input, and
// reaches osslsigncode through a pipe: never a file, a log or a command line.

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "command_options.h"

namespace ris::tool {

// The options of every command that signs, each with a value.
inline constexpr std::array<std::string_view, 4> kSigningOptions{"--pfx", "--password-file", "--timestamp",
                                                                  "--osslsigncode"};

struct SigningKey {
  std::filesystem::path Pfx;
  std::string Password;
  std::optional<std::string> TimestampUrl;  // an RFC 3161 server; none by default
  // SOURCE_DATE_EPOCH when set: the signature then depends only on the
  // program and the key, so a signed program can be rebuilt bit for bit.
  std::optional<std::int64_t> SigningTime;
  std::filesystem::path Osslsigncode;
};

struct SigningChoice {
  std::optional<SigningKey> Key;  // nothing: unsigned, unless Error says why
  std::string Error;
};

// The key the options name, its password read from the first line of the
// --password-file (standard input for "-"). Without --pfx nothing is signed;
// an error when the options are incomplete, the password cannot be read or
// osslsigncode is not found.
SigningChoice ReadSigningKey(const CommandOptions& options);

// Signs the Windows program in place: osslsigncode writes a signed copy
// beside it, which then replaces it. The reason, with the file left as it
// was, when it cannot be signed.
Result<void, std::string> SignProgram(const std::filesystem::path& program, const SigningKey& key);

}  // namespace ris::tool
