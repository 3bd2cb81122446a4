// ris preview CONTENT_DIR [--dialog] [--saver-program PATH] [--engine ENGINE.scr]
// Shows a product folder with the saver's own program, without packing it
// by hand: the folder is checked and zipped as `ris pack` would, the saver
// is started on it, and whenever a file of the folder is saved again the
// saver is started afresh on the new content. A folder `ris pack` refuses
// is shown as its findings, drawn into the saver's window.
//
// On Linux the saver is ris-saver in a window of its own; in ris.exe it is
// the engine, copied under the preview's name, in a window of its own too
// ("/s window") or (--dialog) with its configuration dialog. The preview
// runs under a name of its own, "<folder>-preview", and a title with
// " (preview)" after it, so that the settings it keeps never mix with the
// installed product's; each start forgets what the last one kept, so the
// folder's own defaults show.
#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <ostream>
#include <set>
#include <thread>

#include "atomic_file.h"
#include "command_options.h"
#include "commands.h"
#include "data/settings_list.h"
#include "engine_check.h"
#include "installer_script.h"
#include "memory_archive.h"
#include "platform_text.h"
#include "png_writer.h"
#include "product_checks.h"
#include "program_runner.h"
#include "stored_settings.h"
#include "surface/surface_canvas.h"
#include "text_wrap.h"

namespace ris::tool {

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr auto kWatchInterval = 250ms;

volatile std::sig_atomic_t g_stop = 0;
extern "C" void OnStopSignal(int) { g_stop = 1; }

// ---------------------------------------------------------------- content

// A product that shows nothing but a picture of the findings: no clock, no
// set name, no moving pictures.
constexpr std::string_view kFindingsSettings =
    "[general]\r\ntitle=@TITLE@\r\nBackgroundColor=0\r\nshowBackground=true\r\n"
    "[bounce]\r\nnrImages=0\r\nSpeed=0\r\nbounceImages=false\r\nfixedSpeed=true\r\n"
    "[clocksettings]\r\nclock=0\r\n"
    "[FilenameSettings]\r\nfilename=1\r\n"
    "[sets]\r\nselectedSets=*all*\r\nSetTime=0\r\n"
    "[backgrounds]\r\nstretchSmallImages=false\r\n";

constexpr std::string_view kFindingsTitle = "ris preview";
constexpr std::int32_t kPictureWidth = 1000;
constexpr std::int32_t kPictureHeight = 740;

TFont FindingsFont(TColor colour) {
  TFont font;
  font.Name = "Arial";
  font.Height = -18;
  font.Color = colour;
  return font;
}

std::string FindingsPicture(const std::string& heading, const std::vector<std::string>& findings,
                            PlatformText& text) {
  Surface surface(kPictureWidth, kPictureHeight);
  surface.Fill(0x000000);
  TCanvas canvas(surface, text.Renderer());
  std::int32_t y = 16;
  const auto write = [&](const std::string& finding, TColor colour) {
    canvas.Font = FindingsFont(colour);
    for (const std::string& line : WrappedToWidth(canvas, finding, kPictureWidth - 32)) {
      canvas.TextOut(16, y, line);
      y += 24;
    }
  };
  write(heading, 0xFFFFFF);
  y += 8;
  for (const std::string& finding : findings) {
    write(finding, finding.starts_with("error") ? 0x6060FF : 0x40B0FF);
  }
  return EncodePng(OpaqueImage(surface));
}

std::string ReplacedTitle(std::string_view settings, std::string_view title) {
  std::string text(settings);
  const std::size_t at = text.find("@TITLE@");
  return text.replace(at, 7, title);
}

struct PreviewProduct {
  std::string Archive;
  std::string Title;  // the preview's, under which its saver stores the user's settings
  CodePage TitleCodePage = kSystemCodePage;
};

PreviewProduct FindingsProduct(const fs::path& folder, const PackFindings& findings, PlatformText& text) {
  const std::string heading = "ris pack would refuse " + folder.string() + ":";
  const std::string picture = FindingsPicture(heading, findings.Lines(), text);
  const std::string blank = EncodePng(PixelImage::Blank(1, 1));
  const std::vector<PackEntry> pictures{
      {"backgrounds/findings.png", picture}, {"icons/findings.png", blank}, {"icons/thumbs/findings.png", blank}};
  return {ZipInMemory(ReplacedTitle(kFindingsSettings, kFindingsTitle), pictures), std::string(kFindingsTitle)};
}

// The title made the preview's own: later lines of a section win. Entries
// the archive cannot take are errors of `findings`, as in ris pack.
PreviewProduct PreviewOf(const PackContent& content, PackFindings& findings) {
  TSettingsList list;
  ParseSettingsText(*content.Settings, list);
  const std::string title = list.ReadValue("title", "general") + " (preview)";
  const std::string settings = *content.Settings + "\r\n[general]\r\ntitle=" + title + "\r\n";
  return {ZipInMemory(settings, content.Pictures, findings), title, ProductCodePage(list)};
}

// Errors and warnings each time, as long as they hold; a routine note (a
// text converted, a photo turned) once, not again at every save of the
// folder. `told` keeps the notes said.
void PrintFindings(const PackFindings& findings, std::set<std::string>& told, std::ostream& err) {
  for (const std::string& line : findings.Lines()) {
    if (!line.starts_with("note:") || told.insert(line).second) err << line << '\n';
  }
}

// The folder as the saver will see it, or a product showing why `ris pack`
// would refuse it.
PreviewProduct PreviewArchive(const fs::path& folder, PlatformText& text, std::set<std::string>& told,
                              std::ostream& err) {
  PackFindings findings;
  PackContent content = CollectPackContent(folder, findings);
  CheckProductContent(content, {}, findings);
  std::optional<PreviewProduct> product;
  if (!findings.HasErrors()) product = PreviewOf(content, findings);
  PrintFindings(findings, told, err);
  if (findings.HasErrors()) return FindingsProduct(folder, findings, text);
  return *product;
}

// ---------------------------------------------------------------- watching

struct FileState {
  std::string Path;
  fs::file_time_type Written;
  std::uintmax_t Size = 0;
  friend bool operator==(const FileState&, const FileState&) = default;
};

std::vector<FileState> FolderState(const fs::path& folder) {
  std::vector<FileState> state;
  std::error_code error;
  for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    std::error_code ignored;
    state.push_back({it->path().string(), it->last_write_time(ignored), it->is_regular_file(ignored) ? it->file_size(ignored) : 0});
  }
  std::sort(state.begin(), state.end(), [](const FileState& a, const FileState& b) { return a.Path < b.Path; });
  return state;
}

// ---------------------------------------------------------------- the saver

struct SaverLaunch {
  fs::path Program;
  std::vector<std::string> Arguments;
};

// A folder of the preview's own under the system's temporary folder, gone
// with everything in it however the preview ends, a thrown error included.
// Whatever runs from it (the engine's copy in ris.exe) must have ended first.
class ScratchFolder {
 public:
  ScratchFolder()
      : path_(fs::temp_directory_path() /
              ("ris-preview-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()))) {
    std::error_code error;  // a folder not made fails the first write into it, which says why
    fs::create_directories(path_, error);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const fs::path& Path() const noexcept { return path_; }

 private:
  fs::path path_;
};

struct PreviewPlace {
  ScratchFolder Folder;
  std::string Name;  // the saver's name without ".scr"
  fs::path Archive() const { return Folder.Path() / (Name + ".dat"); }
};

#ifdef _WIN32
// The engine the preview runs: --engine or the Demo.scr beside ris.exe,
// when it is the saver engine.
Result<fs::path, std::string> PreviewEngine(const CommandOptions& options) {
  const auto named = options.Value("--engine");
  const fs::path engine = named ? fs::path(*named) : ThisProgramFolder() / "Demo.scr";
  if (const auto checked = CheckedEngine(engine); !checked) return Failure{checked.error()};
  return engine;
}

// The engine copied under the preview's name, beside its archive.
Result<SaverLaunch, std::string> PrepareSaver(const CommandOptions& options, const PreviewPlace& place) {
  const auto checked = PreviewEngine(options);
  if (!checked) return Failure{checked.error()};
  const fs::path& engine = *checked;
  const fs::path copy = place.Folder.Path() / (place.Name + ".scr");
  std::error_code error;
  if (!fs::copy_file(engine, copy, fs::copy_options::overwrite_existing, error)) {
    return Failure{"cannot copy the engine " + engine.string() + " (name it with --engine): " + error.message()};
  }
  if (options.Has("--dialog")) return SaverLaunch{copy, {"/c"}};
  return SaverLaunch{copy, {"/s", "window"}};
}
#else
std::optional<fs::path> SaverProgram(const CommandOptions& options) {
  if (auto named = options.Value("--saver-program")) return fs::path(*named);
#ifdef RIS_SAVER_PROGRAM
  std::error_code error;
  if (fs::exists(RIS_SAVER_PROGRAM, error)) return fs::path(RIS_SAVER_PROGRAM);
#endif
  return FindProgram("ris-saver", {});
}

Result<SaverLaunch, std::string> PrepareSaver(const CommandOptions& options, const PreviewPlace& place) {
  if (options.Has("--dialog")) {
    return Failure{"the configuration dialog is a Windows window: run ris.exe preview --dialog (under Wine "
                   "on Linux); `ris dialog` lists its rows"};
  }
  const auto program = SaverProgram(options);
  if (!program) return Failure{"ris-saver, the saver's Linux program, was not found (name it with --saver-program)"};
  return SaverLaunch{*program, {"--archive", PathArgument(place.Archive())}};
}
#endif

// Runs the saver on the folder until the saver ends or a signal comes;
// restarts it on the new content when a file changes, its window where the
// last one was.
int Watch(const fs::path& folder, const SaverLaunch& launch, const PreviewPlace& place, const CommandReport& report) {
  const auto text = MakePlatformText();
  std::optional<WindowPlace> window;  // where the maker left the saver's window
  std::set<std::string> told;         // the notes said already
  for (;;) {
    const std::vector<FileState> shown = FolderState(folder);
    const PreviewProduct product = PreviewArchive(folder, *text, told, report.err);
    if (const auto written = WriteFileAtomically(place.Archive(), product.Archive); !written) {
      return report.Fail(written.error());
    }
    // What the last run stored would hide the defaults the maker just saved.
    ForgetStoredSettings(place.Name, product.Title, product.TitleCodePage);
    const auto started = StartProgram(launch.Program, launch.Arguments, std::nullopt, window);
    if (!started) return report.Fail("cannot start " + launch.Program.string() + ": " + started.error());
    StartedProgram& saver = **started;
    while (FolderState(folder) == shown) {
      if (g_stop != 0) return 0;
      if (const auto exit_code = saver.ExitCode()) return *exit_code;
      std::this_thread::sleep_for(kWatchInterval);
    }
    window = saver.MainWindowPlace();
    report.out << "changed: showing " << folder.string() << " again\n";
  }  // the saver of the old content ends here, before its archive is replaced
}

}  // namespace

int RunPreviewCommand(Arguments arguments, const CommandReport& report) {
  const auto options = ParseCommandOptions(arguments, {{"--saver-program", "--engine"}, {"--dialog"}});
  if (!options) return report.Misused(options.error());
  if (options->Positional.size() != 1) return report.Misused();
  std::error_code fs_error;
  if (!fs::is_directory(options->Positional.front(), fs_error)) {
    return report.Misused("not a folder: " + options->Positional.front());
  }
  const fs::path folder = options->Positional.front();
  const std::string product = FolderNameFor(fs::absolute(folder, fs_error).filename().string(), "Product.scr");
  const PreviewPlace place{ScratchFolder(), product + "-preview"};
  const auto launch = PrepareSaver(*options, place);
  if (!launch) return report.Fail(launch.error());
  const auto previous_int = std::signal(SIGINT, OnStopSignal);
  const auto previous_term = std::signal(SIGTERM, OnStopSignal);
  const int status = Watch(folder, *launch, place, report);
  std::signal(SIGINT, previous_int);
  std::signal(SIGTERM, previous_term);
  return status;
}

}  // namespace ris::tool
