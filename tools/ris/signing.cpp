#include "signing.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <system_error>
#include <vector>

#include "atomic_file.h"
#include "program_runner.h"
#include "source_date.h"

namespace ris::tool {

namespace fs = std::filesystem;

namespace {

// Far beyond any password, and within what a pipe carries to osslsigncode.
constexpr std::size_t kMaxPasswordBytes = 1024;

// The stream's first line without its line end; nothing when it cannot be
// read or is longer than any password.
std::optional<std::string> FirstLineOf(std::istream& in) {
  std::string line;
  char c = 0;
  while (line.size() <= kMaxPasswordBytes && in.get(c) && c != '\n') line += c;
  if (in.bad() || line.size() > kMaxPasswordBytes) return std::nullopt;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

// From a file, which may be a pipe (/dev/fd/N), or standard input for "-".
std::optional<std::string> ReadPassword(const std::string& source, std::string& error) {
  std::ifstream file;
  if (source != "-") {
    file.open(source, std::ios::binary);
    if (!file) {
      error = "cannot open the password file '" + source + "': " + std::strerror(errno);
      return std::nullopt;
    }
  }
  auto password = FirstLineOf(source == "-" ? std::cin : file);
  if (!password) {
    error = "cannot read a password of at most " + std::to_string(kMaxPasswordBytes) + " bytes from '" +
            source + "'";
  }
  return password;
}

std::optional<fs::path> OsslsigncodeFor(const CommandOptions& options, std::string& error) {
  if (const auto named = options.Value("--osslsigncode")) return fs::path(*named);
  if (auto found = FindProgram("osslsigncode", {})) return found;
  error = "osslsigncode was not found on the PATH: install it (on Debian, the osslsigncode package) or "
          "name it with --osslsigncode PATH";
  return std::nullopt;
}

// Every argument osslsigncode gets, one by one: no shell ever sees the
// paths, which carry the product's name.
std::vector<std::string> SignArguments(const SigningKey& key, const fs::path& program,
                                       const fs::path& signed_copy) {
  std::vector<std::string> arguments{"sign", "-pkcs12", PathArgument(key.Pfx), "-readpass", "-", "-h", "sha256"};
  if (key.TimestampUrl) arguments.insert(arguments.end(), {"-ts", *key.TimestampUrl});
  if (key.SigningTime) arguments.insert(arguments.end(), {"-time", std::to_string(*key.SigningTime)});
  arguments.insert(arguments.end(), {"-in", PathArgument(program), "-out", PathArgument(signed_copy)});
  return arguments;
}

}  // namespace

SigningChoice ReadSigningKey(const CommandOptions& options) {
  const auto pfx = options.Value("--pfx");
  const auto password_source = options.Value("--password-file");
  if (!pfx) {
    for (const std::string_view option : kSigningOptions) {
      if (options.Value(option)) return {std::nullopt, std::string(option) + " signs only with --pfx CERT.pfx"};
    }
    return {};
  }
  if (!password_source) return {std::nullopt, "--pfx needs --password-file FILE (or - for standard input)"};
  SigningChoice choice;
  const SourceDate date = SourceDateFromEnvironment();
  choice.Error = date.Error;
  if (!choice.Error.empty()) return choice;
  const auto osslsigncode = OsslsigncodeFor(options, choice.Error);
  if (!osslsigncode) return choice;
  auto password = ReadPassword(*password_source, choice.Error);
  if (!password) return choice;
  choice.Key = SigningKey{*pfx, std::move(*password), options.Value("--timestamp"), date.Seconds, *osslsigncode};
  return choice;
}

Result<void, std::string> SignProgram(const fs::path& program, const SigningKey& key) {
  const fs::path signed_copy = TemporaryPathFor(program);
  const ProgramRun run = RunProgram(key.Osslsigncode, SignArguments(key, program, signed_copy), key.Password);
  if (run.Started && run.ExitCode == 0) {
    // The signed file keeps the program's mode, not the one osslsigncode gave its copy.
    std::error_code error;
    fs::permissions(signed_copy, fs::status(program, error).permissions(), error);
    return ReplaceWithTemporary(signed_copy, program);
  }
  std::error_code ignored;
  fs::remove(signed_copy, ignored);
  return Failure{run.Started ? "osslsigncode failed (exit code " + std::to_string(run.ExitCode) + ")"
                             : "cannot start '" + key.Osslsigncode.string() + "': " + run.Why};
}

}  // namespace ris::tool
