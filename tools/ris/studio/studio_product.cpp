#include "studio_product.h"

#include <algorithm>
#include <sstream>
#include <system_error>

#include "archive/zip_archive.h"
#include "atomic_file.h"
#include "base/ascii.h"
#include "base/errors.h"
#include "base/result.h"
#include "commands.h"
#include "new_product.h"
#include "dialog_layout.h"
#include "file_bytes.h"
#include "memory_archive.h"
#include "pack_product.h"
#include "photo_set.h"
#include "photo_sets_folder.h"
#include "png_writer.h"
#include "product_checks.h"
#include "progress.h"
#include "request_guard.h"
#include "saver_name.h"
#include "set_frame.h"
#include "settings_checks.h"
#include "settings_form.h"
#include "text_encoding.h"

namespace ris::tool {

namespace fs = std::filesystem;

namespace {

constexpr CommandUsage kStudioUsage{"studio", "", ""};
constexpr std::string_view kSetFolders[] = {"backgrounds", "icons", "icons/thumbs"};
constexpr std::string_view kRoles[] = {"background", "sprite", "thumbnail"};

// What a command said, for the page: its output and its complaints.
class CapturedReport {
 public:
  CapturedReport() : report_(kStudioUsage, out_, err_) {}
  const CommandReport& Report() const { return report_; }
  Json Said(int status) const {
    return {{"ok", status == 0}, {"output", out_.str()}, {"complaints", err_.str()}};
  }

 private:
  std::ostringstream out_;
  std::ostringstream err_;
  CommandReport report_;
};

// A command's words held as the strings its Arguments view.
int RunCommand(int (*command)(Arguments, const CommandReport&), const std::vector<std::string>& words,
               const CommandReport& report) {
  const std::vector<std::string_view> views(words.begin(), words.end());
  return command(Arguments(views), report);
}

// The page's photos as `ris add` takes photos it has read. They never become
// files of their own: their names give set names (through SetNameFor, the
// one rule for them) and extensions, and photos.txt records them as sent.
std::vector<ReadPhoto> PhotosOf(const std::vector<Upload>& uploads) {
  std::vector<ReadPhoto> photos;
  for (const Upload& upload : uploads) {
    photos.push_back({{upload.FileName, upload.Bytes}, "sent to ris studio as " + upload.FileName});
  }
  return photos;
}

// ".jpg" of "Photo.JPG": an extension of letters and digits alone, in lower
// case, as a picture of a set is named; nothing for any other.
std::string ExtensionOf(std::string_view name) {
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || name.size() - dot > 6 || name.size() - dot < 2) return "";
  std::string extension(".");
  for (const char c : name.substr(dot + 1)) {
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return "";
    extension += FoldAscii(c);
  }
  return extension;
}

// The files of the set folders, by set name (a file's stem).
struct SetFiles {
  std::string Name;
  std::string Files[3];  // relative paths, by kRoles; empty when missing
};

std::vector<SetFiles> SetsIn(const fs::path& folder) {
  std::vector<SetFiles> sets;
  for (std::size_t role = 0; role < 3; ++role) {
    std::error_code error;
    for (fs::directory_iterator it(folder / std::string(kSetFolders[role]), error), end; !error && it != end;
         it.increment(error)) {
      if (!it->is_regular_file(error)) continue;
      const std::string stem = it->path().stem().string();
      auto found = std::find_if(sets.begin(), sets.end(), [&](const SetFiles& set) { return set.Name == stem; });
      if (found == sets.end() && role > 0) continue;  // a set is named by its background
      if (found == sets.end()) found = sets.insert(sets.end(), SetFiles{stem, {}});
      found->Files[role] = std::string(kSetFolders[role]) + "/" + it->path().filename().string();
    }
  }
  std::sort(sets.begin(), sets.end(), [](const SetFiles& a, const SetFiles& b) { return a.Name < b.Name; });
  return sets;
}

// Text for the page, which reads UTF-8: the product's bytes converted from
// its code page where the settings text is not UTF-8 already.
std::string ForPage(std::string_view text, bool utf8, CodePage code_page) {
  return utf8 || IsUtf8Text(text) ? std::string(text) : ForTerminal(text, code_page);
}

// A version of the folder's files: their names, sizes and times, those of
// the folder itself too (a stray file there is one of pack's findings).
std::string FolderVersion(const fs::path& folder, std::string_view settings) {
  std::size_t hash = std::hash<std::string_view>()(settings);
  for (const std::string_view sub : {std::string_view("."), kSetFolders[0], kSetFolders[1], kSetFolders[2]}) {
    std::error_code error;
    for (fs::directory_iterator it(folder / std::string(sub), error), end; !error && it != end; it.increment(error)) {
      const auto size = it->is_regular_file(error) ? it->file_size(error) : 0;
      const auto time = it->last_write_time(error).time_since_epoch().count();
      hash = hash * 31 + std::hash<std::string>()(it->path().filename().string() + "/" + std::to_string(size) +
                                                  "/" + std::to_string(time));
    }
  }
  return std::to_string(hash);
}

Json Merged(Json base, const Json& more) {
  base.update(more);
  return base;
}

Json Failed(std::string_view why) { return {{"ok", false}, {"complaints", std::string(why)}}; }

Json FieldJson(const SettingsField& field, bool utf8, CodePage code_page) {
  Json kind = {{"kind", std::string(field.Kind.Kind)}};
  if (field.Kind.Kind == "number") kind["least"] = field.Kind.Least, kind["most"] = field.Kind.Most;
  return {{"section", field.Section}, {"key", field.Key},          {"explanation", field.Explanation},
          {"value", ForPage(field.Value, utf8, code_page)},      {"present", field.Present},
          {"kind", kind}};
}

}  // namespace

std::string StudioProduct::SettingsText() const {
  auto bytes = ReadFileBytes(folders_.Product / std::string(kSettingsEntryName));
  return bytes ? std::move(bytes).value() : std::string();
}

std::string StudioProduct::SaverName() const {
  std::string title;
  for (const SettingsField& field : SettingsFields(SettingsText())) {
    if (field.Section == "general" && field.Key == "title") title = field.Value;
  }
  return SuggestedSaverName(title, folders_.Product) + ".scr";
}

PackContent StudioProduct::PreparedContent() const {
  PackFindings ignored;
  PackContent content = CollectPackContent(folders_.Product, ignored);
  PrepareProductContent(content, {}, ignored);
  return content;
}

Json StudioProduct::Describe() const {
  Json product = {{"folder", folders_.Product.string()}, {"output", folders_.Output.string()},
                  {"engine", folders_.Engine.has_value()}};
  std::error_code error;
  product["exists"] = fs::is_regular_file(folders_.Product / std::string(kSettingsEntryName), error);
  if (!product["exists"]) return product;
  const std::string text = SettingsText();
  const std::string version = FolderVersion(folders_.Product, text);
  // The page asks every two seconds; a folder that has not changed is not
  // read and checked again.
  if (version == described_version_) return described_;
  const bool utf8 = IsUtf8Text(text);
  const CodePage code_page = SettingsCodePage(text);
  product["version"] = version;
  product["saver"] = SaverName();
  Json fields = Json::array();
  for (const SettingsField& field : SettingsFields(text)) fields.push_back(FieldJson(field, utf8, code_page));
  product["fields"] = fields;
  Json sets = Json::array();
  for (const SetFiles& set : SetsIn(folders_.Product)) {
    sets.push_back({{"name", set.Name}, {"background", set.Files[0]}, {"sprite", set.Files[1]},
                    {"thumbnail", set.Files[2]}});
  }
  product["sets"] = sets;
  PackFindings findings;
  PackContent content = CollectPackContent(folders_.Product, findings);
  CheckProductContent(content, {}, findings);
  Json lines = Json::array();
  for (const std::string& line : findings.Lines()) lines.push_back(ForPage(line, utf8, code_page));
  product["findings"] = lines;
  described_version_ = version;
  described_ = product;
  return product;
}

Json StudioProduct::Create(std::string_view title, std::string_view code_page, const std::vector<Upload>& photos) {
  CapturedReport captured;
  const auto started =
      StartProduct(folders_.Product, title, code_page.empty() ? std::nullopt : std::optional(std::string(code_page)),
                   photos.empty());
  if (!started) return Failed(started.error());
  return captured.Said(AddPhotoSets(folders_.Product, PhotosOf(photos), std::nullopt, captured.Report()));
}

Json StudioProduct::AddPhotos(const std::vector<Upload>& photos) {
  CapturedReport captured;
  return captured.Said(AddPhotoSets(folders_.Product, PhotosOf(photos), std::nullopt, captured.Report()));
}

Json StudioProduct::SetValue(std::string_view section, std::string_view key, std::string_view value) {
  const std::string text = SettingsText();
  // The form edits the keys it shows, and only those: a section or key the
  // page made up could write lines of its own into the text.
  const std::vector<SettingsField> fields = SettingsFields(text);
  if (std::none_of(fields.begin(), fields.end(),
                   [&](const SettingsField& field) { return field.Section == section && field.Key == key; })) {
    return Failed("the form has no such setting");
  }
  std::string stored(value);
  if (!IsUtf8Text(text)) {
    ConversionFailure failure;
    auto converted = Utf8ToCodePage(value, SettingsCodePage(text), failure);
    if (!converted) return Failed("the product's code page lacks a letter of the value");
    stored = std::move(*converted);
  }
  const auto edited = WithSettingsValue(text, section, key, stored);
  if (!edited) return Failed("a value is one line");
  if (const auto written = WriteFileAtomically(folders_.Product / std::string(kSettingsEntryName), *edited);
      !written) {
    return Failed(written.error());
  }
  return {{"ok", true}};
}

Json StudioProduct::RenameSet(std::string_view from, std::string_view to) {
  const std::vector<SetFiles> sets = SetsIn(folders_.Product);
  const auto found = std::find_if(sets.begin(), sets.end(), [&](const SetFiles& set) { return set.Name == from; });
  if (found == sets.end()) return Failed("the product has no set of that name");
  if (to.find_first_not_of(' ') == std::string_view::npos) return Failed("a set needs a name");
  std::vector<std::string> taken;
  for (const SetFiles& set : sets) {
    if (set.Name != from) taken.push_back(FoldAscii(set.Name));
  }
  // The one rule for set names: what `ris add` makes of a photo's name.
  const std::string name = SetNameFor(std::string(to) + ".set", taken);
  for (const std::string& file : found->Files) {
    if (file.empty()) continue;
    const fs::path old_path = folders_.Product / file;
    std::error_code error;
    fs::rename(old_path, old_path.parent_path() / (name + old_path.extension().string()), error);
    if (error) return Failed(file + ": " + error.message());
  }
  return {{"ok", true}, {"name", name}};
}

Json StudioProduct::RemoveSet(std::string_view name) {
  for (const SetFiles& set : SetsIn(folders_.Product)) {
    if (set.Name != name) continue;
    for (const std::string& file : set.Files) {
      std::error_code error;
      if (!file.empty()) fs::remove(folders_.Product / file, error);
    }
    return {{"ok", true}};
  }
  return Failed("the product has no set of that name");
}

Json StudioProduct::ReplacePicture(std::string_view set, std::string_view role, const Upload& picture) {
  const auto role_at = std::find(std::begin(kRoles), std::end(kRoles), role);
  if (role_at == std::end(kRoles)) return Failed("a set has a background, a sprite and a thumbnail");
  const auto index = static_cast<std::size_t>(role_at - std::begin(kRoles));
  for (const SetFiles& files : SetsIn(folders_.Product)) {
    if (files.Name != set) continue;
    // Checked as pack checks it: a picture the saver can show.
    if (auto checked = MakePhotoSet({picture.FileName, picture.Bytes}, std::nullopt); !checked) {
      return Failed(checked.error());
    }
    const std::string extension = ExtensionOf(picture.FileName);
    if (extension.empty()) return Failed("the picture's name has no extension that tells its format");
    std::error_code error;
    if (!files.Files[index].empty()) fs::remove(folders_.Product / files.Files[index], error);
    const fs::path target = folders_.Product / std::string(kSetFolders[index]) / (std::string(set) + extension);
    if (const auto written = WriteFileAtomically(target, picture.Bytes); !written) return Failed(written.error());
    return {{"ok", true}};
  }
  return Failed("the product has no set of that name");
}

Result<std::string, std::string> StudioProduct::FileBytes(std::string_view relative) const {
  const auto path = PathInside(folders_.Product, relative);
  if (!path) return Failure{path.error()};
  return ReadFileBytes(*path, kMaxZipEntryBytes);
}

Result<std::string, std::string> StudioProduct::Frame(std::string_view size) const {
  FrameRun run{{1920, 1080}, rmSaver, LocalSecondOfDay(), 1000};
  if (size == "preview") {
    run.Screen = {152, 112};  // the preview window of the system's dialog
    run.Mode = rmPreview;
  } else if (size == "3840x2160") {
    run.Screen = {3840, 2160};
  } else if (size == "1366x768") {
    run.Screen = {1366, 768};
  } else if (size != "1920x1080") {
    return Failure{std::string("the frame's size is one of 1920x1080, 3840x2160, 1366x768 and preview")};
  }
  PackContent content = PreparedContent();
  if (!content.Settings) return Failure{std::string("the product has no settings.txt")};
  try {
    PackFindings findings;
    const auto system = SystemWithArchive(SaverName(), ZipInMemory(*content.Settings, content.Pictures, findings));
    const std::unique_ptr<PlatformText> text = MakePlatformText();
    const SetFrame frame = RenderFrame(*system, *text, run);
    if (!frame.Error.empty()) return Failure{frame.Error};
    return EncodePng(frame.Frame, 1);  // shown once, redrawn at the next edit
  } catch (const ProcessExit& exit) {
    return Failure{std::string(exit.what())};
  } catch (const ESaverError& failure) {
    return Failure{std::string(failure.what())};
  }
}

Json StudioProduct::Dialog() const {
  PackContent content = PreparedContent();
  if (!content.Settings) return Failed("the product has no settings.txt");
  Json dialog = {{"ok", true}};
  try {
    PackFindings findings;
    const auto system = SystemWithArchive(SaverName(), ZipInMemory(*content.Settings, content.Pictures, findings));
    const std::unique_ptr<PlatformText> text = MakePlatformText();
    VisitDialogLayout(*system, *text, [&dialog](const TConfigureForm& form, const std::vector<PlacedControl>& placed) {
      const auto shown = [&form](const PlacedControl& control) {
        return control.Encoding == TextEncoding::ProductCodePage ? ForTerminal(control.Caption, form.TextCodePage())
                                                                 : control.Caption;
      };
      dialog["caption"] = ForTerminal(form.Caption, form.TextCodePage());
      dialog["height"] = form.ClientHeight;
      Json controls = Json::array();
      for (const PlacedControl& control : placed) {
        if (!control.Visible) continue;
        const TBounds& b = control.Bounds;
        controls.push_back({{"name", std::string(control.Name)}, {"kind", static_cast<int>(control.Kind)},
                            {"x", b.Left}, {"y", b.Top}, {"width", b.Width}, {"height", b.Height},
                            {"caption", shown(control)}});
      }
      dialog["controls"] = controls;
    });
  } catch (const ProcessExit& exit) {
    return Failed(exit.what());
  } catch (const ESaverError& failure) {
    return Failed(failure.what());
  }
  return dialog;
}

Json StudioProduct::Build(const std::function<void(std::string_view)>& step) {
  const std::string saver = SaverName();
  const std::string stem = saver.substr(0, saver.size() - 4);
  const fs::path archive = folders_.Output / (stem + ".dat");
  PackOutcome packed;
  {
    Progress progress(step);
    packed = PackProduct({folders_.Product, archive, saver}, progress);
  }
  Json build = {{"findings", packed.Findings.Lines()}, {"files", Json::array()}};
  if (packed.Findings.HasErrors()) return Merged(std::move(build), {{"ok", false}});
  step("writing " + archive.string());
  if (const auto written = WriteFileAtomically(archive, packed.Archive); !written) {
    return Merged(std::move(build), {{"ok", false}, {"complaints", written.error()}});
  }
  build["files"].push_back(archive.string());
  if (!folders_.Engine) return Merged(std::move(build), {{"ok", true}, {"setup", "no engine at hand: the archive alone"}});
  step("building the setup with makensis");
  const fs::path setup = folders_.Output / (stem + " Setup.exe");
  CapturedReport captured;
  const int status = RunCommand(
      &RunInstallerCommand,
      {archive.string(), "--saver", saver, "--engine", folders_.Engine->string(), "--out", setup.string()},
      captured.Report());
  if (status == 0) build["files"].push_back(setup.string());
  return Merged(std::move(build), captured.Said(status));
}

}  // namespace ris::tool
