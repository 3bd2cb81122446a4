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

int RunSignCommand(Arguments arguments, const CommandReport& report) {
  const std::vector<std::string_view> known(kSigningOptions.begin(), kSigningOptions.end());
  const auto options = ParseCommandOptions(arguments, {known, {}});
  if (!options) return report.Misused(options.error());
  if (options->Positional.size() != 1) return report.Misused();
  if (!options->Value("--pfx")) return report.Misused("--pfx CERT.pfx names the key to sign with");
  const SigningChoice signing = ReadSigningKey(*options);
  if (!signing.Key) {
    report.Complain() << signing.Error << '\n';
    return 1;
  }
  const std::string& program = options->Positional.front();
  if (const auto signed_program = SignProgram(program, *signing.Key); !signed_program) {
    return report.Fail("cannot sign '" + program + "': " + signed_program.error());
  }
  report.out << "signed " << program << '\n';
  return 0;
}

}  // namespace ris::tool
