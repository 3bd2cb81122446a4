// ris installer PRODUCT.dat --saver FILE_NAME.scr --engine ENGINE.scr
//     --out SETUP.exe [--makensis PATH] [signing options]
// Checks that the engine, installed as FILE_NAME.scr, opens the archive,
// then writes the NSIS script of the product's setup program and has
// makensis build it. With a signing key, setup carries a signed copy of the
// engine and is signed itself.
#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <system_error>
#include <vector>

#include "atomic_file.h"
#include "command_options.h"
#include "commands.h"
#include "data/product.h"
#include "data/zip_file_settings.h"
#include "file_bytes.h"
#include "installer_script.h"
#include "program_runner.h"
#include "saver_name.h"
#include "saver_system.h"
#include "signing.h"

namespace ris::tool {

namespace fs = std::filesystem;

namespace {

// The engines this command knows are far smaller; a larger file is not one.
constexpr std::uintmax_t kMaxEngineBytes = 64u << 20;

struct InstallerRequest {
  fs::path Archive;
  std::string Saver;  // file name only
  fs::path Engine;
  fs::path Output;
  std::optional<fs::path> Makensis;
  SigningChoice Signing;
};

// The request, or why the call's words are off (nothing but the usage for
// an empty reason).
Result<InstallerRequest, std::string> ReadRequest(Arguments arguments) {
  std::vector<std::string_view> known{"--saver", "--engine", "--out", "--makensis"};
  known.insert(known.end(), kSigningOptions.begin(), kSigningOptions.end());
  const auto options = ParseCommandOptions(arguments, {known, {}});
  if (!options) return Failure{options.error()};
  const auto saver = SaverFileNameOption(options->Value("--saver"));
  if (!saver) return Failure{saver.error()};
  const auto engine = options->Value("--engine");
  const auto output = options->Value("--out");
  if (options->Positional.size() != 1 || !engine || !output) return Failure{std::string()};
  InstallerRequest request{options->Positional.front(), *saver, *engine, *output, std::nullopt, {}};
  if (const auto makensis = options->Value("--makensis")) request.Makensis = *makensis;
  request.Signing = ReadSigningKey(*options);
  return request;
}

// The engine's password prefix stands in its data: an engine built with
// another prefix would refuse every archive this ris packs.
bool CheckEngine(const fs::path& engine, const CommandReport& report) {
  const auto bytes = ReadFileBytes(engine, kMaxEngineBytes);
  if (!bytes) {
    report.Complain() << "cannot read the engine '" << engine.string() << "': " << bytes.error() << '\n';
    return false;
  }
  if (!bytes->starts_with("MZ")) {
    report.Complain() << "'" << engine.string() << "' is not a Windows program\n";
    return false;
  }
  if (bytes->find(kArchivePasswordPrefix) == std::string::npos) {
    report.Complain() << "'" << engine.string()
        << "' was built with another password prefix than this ris: it would open none of its "
           "archives\n";
    return false;
  }
  return true;
}

std::uint32_t KilobytesOf(const std::vector<fs::path>& files) {
  std::uintmax_t bytes = 0;
  for (const fs::path& file : files) {
    std::error_code error;
    bytes += fs::file_size(file, error);
  }
  return static_cast<std::uint32_t>((bytes + 1023) / 1024);
}

// Opens the archive as the saver installed under the request's name would
// (the check of ris list) and takes what setup shows from its settings.
std::optional<InstallerProduct> ReadProduct(const InstallerRequest& request, const CommandReport& report) {
  const auto system = SaverSystemFor(request.Saver, request.Archive);
  try {
    const TZipFileSettings archive(*system, rmSaver);
    const TSettingsList& settings = archive.SettingsList();
    InstallerProduct product;
    product.Title = system->ApplicationTitle();
    if (product.Title.find_first_not_of(' ') == std::string::npos) {
      report.Complain() << "settings.txt names no title ([general] title=...): setup is named after it\n";
      return std::nullopt;
    }
    product.Version = DisplayVersionFrom(settings.ReadValue("version", "general"));
    product.Publisher = PublisherFrom(settings.ReadValue("copyright", "general"),
                                      settings.ReadValue("url", "general"));
    product.SaverFile = request.Saver;
    product.ArchiveFile = ArchiveNameFor(request.Saver);
    product.EnginePath = fs::absolute(request.Engine).string();
    product.ArchivePath = fs::absolute(request.Archive).string();
    product.OutputPath = fs::absolute(request.Output).string();
    product.PayloadKilobytes = KilobytesOf({request.Engine, request.Archive});
    return product;
  } catch (const ProcessExit& exit) {
    report.Complain() << request.Saver << " cannot use this archive: " << exit.what() << '\n';
    return std::nullopt;
  }
}

std::optional<fs::path> MakensisFor(const InstallerRequest& request, const CommandReport& report) {
  if (request.Makensis) return request.Makensis;
  if (auto found = FindProgram("makensis", {{"ProgramFiles(x86)", "NSIS"}, {"ProgramFiles", "NSIS"}})) {
    return found;
  }
  report.Complain() << "makensis (NSIS) was not found on the PATH: install NSIS (on Debian, the "
         "nsis package; on Windows, from nsis.sourceforge.io) or name it with --makensis PATH\n";
  return std::nullopt;
}

bool WriteScript(const fs::path& path, const std::string& script, const CommandReport& report) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << script;
  out.close();
  if (out) return true;
  report.Complain() << "cannot write '" << path.string() << "'\n";
  return false;
}

int BuildSetup(const fs::path& makensis, const InstallerProduct& product, const fs::path& output,
               const CommandReport& report) {
  fs::path script = output;
  script += ".nsi";
  const auto text = NsisScript(product);
  if (!text) {
    report.Complain() << "the setup cannot carry the " << text.error()
        << ": it holds a NUL byte, or '$' right before '\\' or '{'\n";
    return 1;
  }
  if (!WriteScript(script, *text, report)) return 1;
  // The script is in code page 1252, as the product's texts are.
  const ProgramRun run = RunProgram(makensis, {"-V2", "-INPUTCHARSET", "CP1252", script.string()});
  std::error_code ignored;
  fs::remove(script, ignored);
  if (!run.Started) {
    report.Complain() << "cannot start '" << makensis.string() << "': " << run.Why << '\n';
    return 1;
  }
  if (run.ExitCode != 0) {
    report.Complain() << "makensis failed (exit code " << run.ExitCode << ")\n";
    return 1;
  }
  return 0;
}

// A file made for one run, removed when the run ends, however it ends.
class ScratchFile {
 public:
  explicit ScratchFile(fs::path path) : path_(std::move(path)) {}
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;
  ~ScratchFile() {
    std::error_code ignored;
    fs::remove(path_, ignored);
  }
  const fs::path& Path() const { return path_; }

 private:
  fs::path path_;
};

// The engine setup installs is a signed copy: the maker's own file stays as
// it was.
bool SignEngineCopy(const fs::path& engine, const fs::path& copy, const SigningKey& key, const CommandReport& report) {
  std::error_code error;
  fs::copy_file(engine, copy, fs::copy_options::overwrite_existing, error);
  const auto signed_copy = error ? Result<void, std::string>(Failure{error.message()}) : SignProgram(copy, key);
  if (signed_copy) return true;
  report.Complain() << "cannot sign the engine '" << engine.string() << "': " << signed_copy.error() << '\n';
  return false;
}

// A setup that was to be signed and could not be is removed, so that it
// cannot be shipped unsigned by mistake.
bool SignSetup(const fs::path& setup, const SigningKey& key, const CommandReport& report) {
  const auto signed_setup = SignProgram(setup, key);
  if (signed_setup) return true;
  report.Complain() << "cannot sign the setup '" << setup.string() << "': " << signed_setup.error() << '\n';
  std::error_code ignored;
  fs::remove(setup, ignored);
  return false;
}

}  // namespace

int RunInstallerCommand(Arguments arguments, const CommandReport& report) {
  const auto request = ReadRequest(arguments);
  if (!request) return report.Misused(request.error());
  const std::optional<SigningKey>& key = request->Signing.Key;
  if (!request->Signing.Error.empty()) {
    report.Complain() << request->Signing.Error << '\n';
    return 1;
  }
  if (!CheckEngine(request->Engine, report)) return 1;
  InstallerRequest packed = *request;
  const ScratchFile signed_engine(TemporaryPathFor(request->Output));
  if (key) {
    if (!SignEngineCopy(request->Engine, signed_engine.Path(), *key, report)) return 1;
    packed.Engine = signed_engine.Path();
  }
  const auto product = ReadProduct(packed, report);
  if (!product) return 1;
  const auto makensis = MakensisFor(*request, report);
  if (!makensis) return 1;
  if (const int failed = BuildSetup(*makensis, *product, request->Output, report)) return failed;
  if (key && !SignSetup(request->Output, *key, report)) return 1;
  report.out << "wrote " << request->Output.string() << ": setup of " << product->Title << " "
             << product->Version << " as " << product->SaverFile << (key ? ", signed" : "") << '\n';
  return 0;
}

}  // namespace ris::tool
