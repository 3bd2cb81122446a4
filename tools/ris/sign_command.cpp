// ris sign PROGRAM.exe|.scr --pfx CERT.pfx --password-file FILE|-
//     [--timestamp URL] [--osslsigncode PATH]
// Signs a Windows program with Authenticode, in place.
#include <ostream>
#include <string_view>
#include <vector>

#include "command_options.h"
#include "commands.h"
#include "signing.h"

namespace ris::tool {

namespace {

constexpr std::string_view kSignUsage =
    "usage: ris sign PROGRAM --pfx CERT.pfx --password-file FILE|- [--timestamp URL] [--osslsigncode PATH]\n";

}  // namespace

int RunSignCommand(Arguments arguments, CommandStreams streams) {
  std::string error;
  const std::vector<std::string_view> known(kSigningOptions.begin(), kSigningOptions.end());
  const auto options = ParseCommandOptions(arguments, {known, {}}, error);
  if (!options || options->Positional.size() != 1 || !options->Value("--pfx")) {
    if (options && options->Positional.size() == 1) error = "--pfx CERT.pfx names the key to sign with";
    if (!error.empty()) streams.err << "ris sign: " << error << '\n';
    streams.err << kSignUsage;
    return 2;
  }
  const SigningChoice signing = ReadSigningKey(*options);
  if (!signing.Key) {
    streams.err << "ris sign: " << signing.Error << '\n';
    return 1;
  }
  const std::string& program = options->Positional.front();
  if (!SignProgram(program, *signing.Key, error)) {
    streams.err << "ris sign: cannot sign '" << program << "': " << error << '\n';
    return 1;
  }
  streams.out << "signed " << program << '\n';
  return 0;
}

}  // namespace ris::tool
