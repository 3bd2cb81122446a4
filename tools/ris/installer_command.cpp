// ris installer PRODUCT.dat --saver FILE_NAME.scr --engine ENGINE.scr
//     --out SETUP.exe [--makensis PATH] [brand options] [signing options]
//     [--winget INSTALLER_URL [--winget-id PUBLISHER.PRODUCT]]
// ris installer --languages
// Checks that the engine, installed as FILE_NAME.scr, opens the archive,
// then writes the NSIS script of the product's setup program, in the
// product's language and with its maker's brand, and has makensis build it.
// With a signing key, setup carries a signed copy of the engine and is
// signed itself. With --winget, the package manager's manifest of the setup
// is written into SETUP.winget/ beside it.
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <ostream>
#include <system_error>
#include <vector>

#include "atomic_file.h"
#include "base/ascii.h"
#include "command_options.h"
#include "commands.h"
#include "data/product.h"
#include "data/product_names.h"
#include "data/settings_list.h"
#include "data/zip_file_settings.h"
#include "engine_check.h"
#include "installer_script.h"
#include "packed_saver.h"
#include "product_source.h"
#include "program_runner.h"
#include "progress.h"
#include "saver_name.h"
#include "saver_system.h"
#include "settings_checks.h"
#include "settings_lint.h"
#include "setup_brand.h"
#include "signing.h"
#include "text_encoding.h"
#include "winget_manifest.h"

namespace ris::tool {

namespace fs = std::filesystem;

namespace {

struct InstallerRequest {
  fs::path Archive;
  std::string Saver;  // file name only
  fs::path Engine;
  fs::path Output;
  std::optional<fs::path> Makensis;
  SigningChoice Signing;
  SetupBrandOptions Brand;
  std::optional<std::string> WingetUrl;  // where the maker will publish the setup
  std::optional<std::string> WingetId;
};

SetupBrandOptions BrandOptions(const CommandOptions& options) {
  const auto path = [&](std::string_view name) -> std::optional<fs::path> {
    auto value = options.Value(name);
    return value ? std::optional<fs::path>(*value) : std::nullopt;
  };
  return {path("--icon"),    path("--wizard-picture"),         path("--header-picture"),
          path("--licence"), options.Value("--publisher-url"), options.Value("--language")};
}

// The request, or why the call's words are off (nothing but the usage for
// an empty reason).
Result<InstallerRequest, std::string> ReadRequest(Arguments arguments) {
  std::vector<std::string_view> known{"--saver", "--engine", "--out", "--makensis", "--winget", "--winget-id"};
  known.insert(known.end(), kSigningOptions.begin(), kSigningOptions.end());
  known.insert(known.end(), std::begin(kSetupBrandOptionNames), std::end(kSetupBrandOptionNames));
  const auto options = ParseCommandOptions(arguments, {known, {}});
  if (!options) return Failure{options.error()};
  const auto saver = RequiredSaverOption(*options);
  if (!saver) return Failure{saver.error()};
  const auto engine = options->Value("--engine");
  const auto output = options->Value("--out");
  if (options->Positional.size() != 1 || !engine || !output) return Failure{std::string()};
  InstallerRequest request{options->Positional.front(), *saver, *engine, *output, std::nullopt, {}, {}, {}, {}};
  if (const auto makensis = options->Value("--makensis")) request.Makensis = *makensis;
  request.Signing = ReadSigningKey(*options);
  request.Brand = BrandOptions(*options);
  request.WingetUrl = options->Value("--winget");
  request.WingetId = options->Value("--winget-id");
  return request;
}

std::uint32_t KilobytesOf(const std::vector<fs::path>& files) {
  std::uintmax_t bytes = 0;
  for (const fs::path& file : files) {
    std::error_code error;
    bytes += fs::file_size(file, error);
  }
  return static_cast<std::uint32_t>((bytes + 1023) / 1024);
}

// A path as makensis reads it from a UTF-8 script.
std::string Utf8Path(const fs::path& path) { return PathArgument(fs::absolute(path)); }

// Opens the archive as the saver installed under the request's name would
// (the check of ris list) and takes what setup shows from its settings, in
// UTF-8 from the product's code page: the title so becomes the Unicode name
// of the registry key the saver keeps the user's settings under.
std::optional<InstallerProduct> ReadInstallerProduct(const InstallerRequest& request, const CommandReport& report) {
  const auto system = SaverSystemFor(request.Saver, request.Archive);
  try {
    const TZipFileSettings archive(*system, rmSaver);
    const TSettingsList& settings = archive.SettingsList();
    const std::string& title = system->ApplicationTitle();
    if (title.empty()) {
      report.Complain() << "settings.txt names no title ([general] title=...): setup is named after it\n";
      return std::nullopt;
    }
    if (const auto refusal = TitleRefusal(title)) {
      report.Complain() << "settings.txt: " << TitleRefusalMessage(title, *refusal) << '\n';
      return std::nullopt;
    }
    PackFindings placeholders;
    LintPlaceholders(settings, placeholders);
    placeholders.Print(report.err);
    const CodePage code_page = ProductCodePage(settings);
    InstallerProduct product;
    product.Title = CodePageToUtf8(title, code_page);
    product.Version = CodePageToUtf8(DisplayVersionFrom(settings.ReadValue("version", "general")), code_page);
    product.Copyright = CodePageToUtf8(settings.ReadValue("copyright", "general"), code_page);
    product.Publisher = CodePageToUtf8(
        PublisherFrom(settings.ReadValue("copyright", "general"), settings.ReadValue("url", "general")), code_page);
    product.SaverFile = request.Saver;
    product.ArchiveFile = ArchiveNameFor(request.Saver);
    product.EnginePath = Utf8Path(request.Engine);
    product.ArchivePath = Utf8Path(request.Archive);
    product.PayloadKilobytes = KilobytesOf({request.Engine, request.Archive});
    return product;
  } catch (const ProcessExit& exit) {
    report.Complain() << request.Saver
        << " cannot use this archive: " << ExplainedExit(exit, request.Archive, request.Saver) << '\n';
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

bool WriteWhole(const fs::path& path, const std::string& bytes, const CommandReport& report) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  out.close();
  if (out) return true;
  report.Complain() << "cannot write '" << path.string() << "'\n";
  return false;
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

// The brand's files, beside the setup while makensis reads them.
class BrandFiles {
 public:
  explicit BrandFiles(fs::path output) : output_(std::move(output)) {}

  // The bytes in a file of their own; its path as the script names it.
  std::optional<std::string> Add(std::string_view extension, const std::string& bytes, const CommandReport& report) {
    fs::path path = TemporaryPathFor(output_);
    path += extension;
    files_.push_back(std::make_unique<ScratchFile>(path));
    if (!WriteWhole(path, bytes, report)) return std::nullopt;
    return Utf8Path(path);
  }

 private:
  fs::path output_;
  std::vector<std::unique_ptr<ScratchFile>> files_;
};

// The maker's brand from the archive's [setup] section and the options,
// its files written beside the setup; false after the findings that stop it.
bool AddBrand(const InstallerRequest& request, InstallerProduct& product, BrandFiles& files,
              const CommandReport& report) {
  PackFindings findings;
  const PackContent setup = ReadArchivedSetup(request.Archive, request.Saver, findings);
  const std::string settings = setup.Settings.value_or("");
  const SetupBrand brand =
      ReadSetupBrand(settings, SettingsCodePage(settings), setup.SetupFiles, request.Brand, findings);
  findings.Print(report.err);
  if (findings.HasErrors()) return false;
  product.Language = brand.Language;
  product.MakersIcon = brand.MakersIcon;
  product.PublisherUrl = brand.PublisherUrl;
  const auto icon = files.Add(".ico", brand.Icon, report);
  const auto wizard = files.Add(".bmp", brand.WizardPicture, report);
  if (!icon || !wizard) return false;
  product.IconPath = *icon;
  product.WizardPicturePath = *wizard;
  if (brand.HeaderPicture && !(product.HeaderPicturePath = files.Add(".bmp", *brand.HeaderPicture, report))) {
    return false;
  }
  return !brand.Licence || (product.LicencePath = files.Add(".txt", *brand.Licence, report));
}

// Builds the setup at `output`, which product.OutputPath names; its script
// lies beside it while makensis runs.
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
  if (!WriteWhole(script, *text, report)) return 1;
  Progress progress(report.err);
  progress.Say("building the setup with makensis (" + std::to_string(product.PayloadKilobytes / 1024) + " MB)");
  const ProgramRun run = RunProgram(makensis, {"-V2", "-INPUTCHARSET", "UTF8", PathArgument(script)});
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

// The engine setup installs is a signed copy: the maker's own file stays as
// it was.
Result<void, std::string> SignEngineCopy(const fs::path& engine, const fs::path& copy, const SigningKey& key) {
  std::error_code error;
  fs::copy_file(engine, copy, fs::copy_options::overwrite_existing, error);
  auto signed_copy = error ? Result<void, std::string>(Failure{error.message()}) : SignProgram(copy, key);
  if (!signed_copy) return Failure{"cannot sign the engine '" + engine.string() + "': " + signed_copy.error()};
  return {};
}

// The setup is built and signed under a temporary name beside the output
// and only then named: a setup that failed to build or to be signed is
// never found under the name a maker ships.
int BuildSignedSetup(const fs::path& makensis, InstallerProduct& product, const InstallerRequest& request,
                     const CommandReport& report) {
  const ScratchFile building(TemporaryPathFor(request.Output));
  product.OutputPath = Utf8Path(building.Path());
  if (const int failed = BuildSetup(makensis, product, building.Path(), report)) return failed;
  const std::optional<SigningKey>& key = request.Signing.Key;
  if (key) {
    if (const auto signed_setup = SignProgram(building.Path(), *key); !signed_setup) {
      return report.Fail("cannot sign the setup: " + signed_setup.error());
    }
  }
  const auto named = ReplaceWithTemporary(building.Path(), request.Output);
  if (named) return 0;
  return report.Fail("cannot write '" + request.Output.string() + "': " + named.error());
}

// The package's description but the setup's digest, checked before the
// setup is built.
Result<WingetPackage, std::string> WingetPackageFor(const InstallerRequest& request, const InstallerProduct& product) {
  const std::string& url = *request.WingetUrl;
  if (!StartsWithFolded(url, "https://") && !StartsWithFolded(url, "http://")) {
    return Failure{"--winget wants the web address the setup will be downloaded from, such as "
                   "https://www.example.com/Setup.exe"};
  }
  if (const auto problem = WingetVersionProblem(product.Version)) {
    return Failure{"settings.txt, [general] version: '" + product.Version + "' cannot be a package's version: " +
                   *problem};
  }
  auto id = request.WingetId ? Result<std::string, std::string>(*request.WingetId)
                             : WingetIdentifierFor(product.Publisher, product.Title);
  if (!id) return Failure{id.error()};
  if (const auto problem = WingetIdentifierProblem(*id)) return Failure{"--winget-id '" + *id + "': " + *problem};
  const std::string license = product.Copyright.empty() ? "Proprietary" : product.Copyright;
  return WingetPackage{*id, product.Version, product.Publisher, product.Title, license, product.PublisherUrl,
                       std::string(fs::path(product.SaverFile).stem().string()), url, {}};
}

}  // namespace

int RunInstallerCommand(Arguments arguments, const CommandReport& report) {
  if (arguments.size() == 1 && arguments.front() == "--languages") {
    report.out << LanguageList();
    return 0;
  }
  const auto request = ReadRequest(arguments);
  if (!request) return report.Misused(request.error());
  const std::optional<SigningKey>& key = request->Signing.Key;
  if (!request->Signing.Error.empty()) return report.Fail(request->Signing.Error);
  const auto engine_version = CheckedEngine(request->Engine);
  if (!engine_version) return report.Fail(engine_version.error());
  InstallerRequest packed = *request;
  const ScratchFile signed_engine(TemporaryPathFor(request->Output));
  if (key) {
    const auto signed_copy = SignEngineCopy(request->Engine, signed_engine.Path(), *key);
    if (!signed_copy) return report.Fail(signed_copy.error());
    packed.Engine = signed_engine.Path();
  }
  auto product = ReadInstallerProduct(packed, report);
  if (!product) return 1;
  BrandFiles brand_files(request->Output);
  if (!AddBrand(*request, *product, brand_files, report)) return 1;
  std::optional<WingetPackage> winget;
  if (request->WingetUrl) {
    auto package = WingetPackageFor(*request, *product);
    if (!package) return report.Fail(package.error());
    winget = std::move(package).value();
  }
  const auto makensis = MakensisFor(*request, report);
  if (!makensis) return 1;
  if (const int failed = BuildSignedSetup(*makensis, *product, *request, report)) return failed;
  if (winget) {
    const auto folder = WriteWingetManifests(request->Output, *winget);
    if (!folder) return report.Fail(folder.error());
    report.out << "wrote the package manager's manifest of " << winget->Identifier << " into " << folder->string()
               << '\n';
  }
  report.out << "wrote " << request->Output.string() << ": setup of " << product->Title << " " << product->Version
             << " as " << product->SaverFile << " (engine " << *engine_version << ")" << (key ? ", signed" : "")
             << '\n';
  return 0;
}

}  // namespace ris::tool
