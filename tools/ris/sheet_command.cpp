// ris sheet ARCHIVE|DIR --out SHEET.png [--saver FILE_NAME.scr]: the whole
// product on one picture. For each set a small frame as the saver draws it,
// its moving picture and thumbnail at their real size on a checkerboard
// (the keyed colour shows as the checkerboard), its name, and what
// `ris pack` says about it.
#include <algorithm>
#include <map>
#include <optional>
#include <ostream>

#include "atomic_file.h"
#include "command_options.h"
#include "commands.h"
#include "counted.h"
#include "data/settings_list.h"
#include "data/zip_file_settings.h"
#include "pictures/file_format_list.h"
#include "platform_text.h"
#include "png_writer.h"
#include "product_source.h"
#include "saver_name.h"
#include "set_checks.h"
#include "set_frame.h"
#include "settings_checks.h"
#include "surface/blit.h"
#include "surface/scaler.h"
#include "surface/surface_canvas.h"
#include "text_wrap.h"

namespace ris::tool {

namespace {

namespace fs = std::filesystem;


constexpr std::int32_t kSheetWidth = 1100;
constexpr std::int32_t kMargin = 16;
constexpr std::int32_t kFrameWidth = 320;  // a 1024 x 768 frame, shrunk
constexpr std::int32_t kFrameHeight = 240;
constexpr std::int32_t kLargestShown = 256;  // larger pictures are shrunk to fit
constexpr std::int32_t kChecker = 8;
constexpr std::int32_t kLine = 18;
constexpr std::int32_t kNameLine = 30;

constexpr TColor kInk = 0x202020;
constexpr TColor kErrorInk = 0x0000C0;    // red
constexpr TColor kWarningInk = 0x0060B0;  // brown orange
constexpr TColor kRuleColour = 0xC0C0C0;

struct SetPictures {
  std::vector<PackEntry> Entries;  // as they go into the archive
  const PackEntry* Image = nullptr;
  const PackEntry* Thumbnail = nullptr;
};

struct ShownPicture {
  PixelImage Pixels;  // empty when it could not be decoded
  std::string Caption;
};

struct SetRow {
  std::string Name;
  SetFrame Frame;
  ShownPicture Image;
  ShownPicture Thumbnail;
  std::vector<std::string> Findings;
};

std::string ArchiveFormName(std::string name) {
  std::replace(name.begin(), name.end(), '/', '\\');
  return name;
}

// The sets by name, each with its pictures in archive order; the saver
// shows the first moving picture and thumbnail of a set.
std::map<std::string, SetPictures> SortIntoSets(const std::vector<PackEntry>& pictures) {
  std::map<std::string, SetPictures> sets;
  for (const PackEntry& picture : pictures) {
    const ArchiveEntryPlace place = ClassifyArchiveEntry(ArchiveFormName(picture.Name));
    if (place.Class != EntryClass::Other) sets[place.SetName].Entries.push_back(picture);
  }
  for (auto& [name, set] : sets) {
    for (const PackEntry& entry : set.Entries) {
      const EntryClass entry_class = ClassifyArchiveEntry(ArchiveFormName(entry.Name)).Class;
      if (entry_class == EntryClass::Image && !set.Image) set.Image = &entry;
      if (entry_class == EntryClass::Thumbnail && !set.Thumbnail) set.Thumbnail = &entry;
    }
  }
  return sets;
}

ShownPicture Decode(const PackEntry* entry, std::string_view what) {
  if (!entry) return {{}, std::string("no ") + std::string(what)};
  TPicture picture;
  const std::string file_name = entry->Name.substr(entry->Name.rfind('/') + 1);
  const LoadResult loaded =
      StandardFormatList().LoadPictureFromStream(picture, AsBytes(entry->Bytes), file_name);
  const std::string not_shown = std::string(what) + ": not shown";
  if (!loaded) return {{}, not_shown};
  const auto pixels = picture.Pixels();
  if (!pixels) return {{}, not_shown};
  const PixelImage& image = **pixels;
  return {image, std::string(what) + " " + std::to_string(image.Width) + " x " +
                     std::to_string(image.Height)};
}

SetRow DescribeSet(const std::string& name, const SetPictures& set, std::string_view settings,
                   std::string_view saver, PlatformText& text) {
  PackFindings findings;
  CheckPictureSets(set.Entries, findings);
  return {name, RenderSetFrame(settings, set.Entries, saver, text),
          Decode(set.Image, "moving picture"), Decode(set.Thumbnail, "thumbnail"),
          findings.Lines()};
}

TFont SheetFont(std::int32_t pixels, TColor colour, bool bold = false) {
  TFont font;
  font.Name = "Arial";
  font.Height = -pixels;
  font.Color = colour;
  if (bold) font.Style.Include(TFontStyle::fsBold);
  return font;
}

TColor FindingInk(const std::string& line) {
  return line.starts_with("error") ? kErrorInk : kWarningInk;
}

// Draws the sheet from top to bottom; with `draw` false it only measures,
// so that the surface can be made as high as the sheet is.
class SheetPainter {
 public:
  SheetPainter(Surface& surface, TextRenderer& text, bool draw)
      : surface_(surface), canvas_(surface, text), draw_(draw) {}

  std::int32_t Bottom() const noexcept { return y_ + kMargin; }

  void Heading(const std::string& title, const std::string& summary,
               const std::vector<std::string>& findings) {
    Text(kMargin, SheetFont(24, kInk, true), title);
    y_ += kNameLine + 4;
    Text(kMargin, SheetFont(14, kInk), summary);
    y_ += kLine;
    Findings(findings);
    Rule();
  }

  void Row(const SetRow& row) {
    Text(kMargin, SheetFont(20, kInk, true), row.Name);
    y_ += kNameLine;
    std::int32_t height = FrameCell(row.Frame);
    std::int32_t x = kMargin + kFrameWidth + kMargin;
    for (const ShownPicture* shown : {&row.Image, &row.Thumbnail}) {
      const auto [width, cell_height] = PictureCell(x, *shown);
      x += width + kMargin;
      height = std::max(height, cell_height);
    }
    y_ += height + 8;
    Findings(row.Findings);
    Rule();
  }

 private:
  void Text(std::int32_t x, const TFont& font, const std::string& text) {
    canvas_.Font = font;
    if (draw_) canvas_.TextOut(x, y_, text);
  }

  void Findings(const std::vector<std::string>& findings) {
    for (const std::string& finding : findings) {
      canvas_.Font = SheetFont(14, FindingInk(finding));
      for (const std::string& line : WrappedToWidth(canvas_, finding, kSheetWidth - 2 * kMargin)) {
        Text(kMargin, canvas_.Font, line);
        y_ += kLine;
      }
    }
  }

  void Rule() {
    y_ += 6;
    if (draw_) surface_.Fill(static_cast<ColourValue>(kRuleColour), {kMargin, y_, kSheetWidth - kMargin, y_ + 1});
    y_ += 12;
  }

  std::int32_t FrameCell(const SetFrame& frame) {
    if (!draw_) return kFrameHeight;
    const SurfaceRect cell{kMargin, y_, kMargin + kFrameWidth, y_ + kFrameHeight};
    if (frame.Frame.Pixels.empty()) {
      surface_.Fill(0x000000, cell);
      canvas_.Font = SheetFont(13, kErrorInk);
      std::int32_t line_y = y_ + 8;
      for (const std::string& line : WrappedToWidth(canvas_, frame.Error, kFrameWidth - 16)) {
        canvas_.Font.Color = 0x8080FF;
        canvas_.TextOut(kMargin + 8, line_y, line);
        line_y += kLine;
      }
    } else {
      StretchDrawPicture(surface_, frame.Frame, cell, std::nullopt);
    }
    return kFrameHeight;
  }

  void Checkerboard(const SurfaceRect& cell) {
    for (std::int32_t y = cell.Top; y < cell.Bottom; y += kChecker) {
      for (std::int32_t x = cell.Left; x < cell.Right; x += kChecker) {
        const bool dark = ((x - cell.Left) / kChecker + (y - cell.Top) / kChecker) % 2 != 0;
        surface_.Fill(dark ? 0xCCCCCC : 0xFFFFFF,
                      {x, y, std::min(x + kChecker, cell.Right), std::min(y + kChecker, cell.Bottom)});
      }
    }
  }

  // The picture at its real size, or shrunk to fit when larger, keyed by
  // its top-left pixel as the saver keys it; the caption under it. Returns
  // the cell's width and height.
  std::pair<std::int32_t, std::int32_t> PictureCell(std::int32_t x, const ShownPicture& shown) {
    std::int32_t width = shown.Pixels.Width;
    std::int32_t height = shown.Pixels.Height;
    std::string caption = shown.Caption;
    if (width > kLargestShown || height > kLargestShown) {
      const double scale = static_cast<double>(kLargestShown) / std::max(width, height);
      width = std::max(1, static_cast<std::int32_t>(width * scale));
      height = std::max(1, static_cast<std::int32_t>(height * scale));
      caption += " (shrunk)";
    }
    const SurfaceRect cell{x, y_, x + std::max(width, 1), y_ + height};
    if (draw_ && !shown.Pixels.Pixels.empty()) {
      Checkerboard(cell);
      const ColourValue key = ColourFromBgra(shown.Pixels.Pixels.front());
      StretchDrawPicture(surface_, shown.Pixels, cell, key);
    }
    const std::int32_t caption_y = y_ + height + 4;
    canvas_.Font = SheetFont(12, kInk);
    if (draw_) canvas_.TextOut(x, caption_y, caption);
    return {std::max(width, canvas_.TextWidth(caption)), height + 4 + kLine};
  }

  Surface& surface_;
  TCanvas canvas_;
  bool draw_;
  std::int32_t y_ = kMargin;
};

struct Sheet {
  std::string Title;
  std::string Summary;
  std::vector<std::string> ProductFindings;
  std::vector<SetRow> Rows;
};

void Paint(const Sheet& sheet, Surface& surface, TextRenderer& text, bool draw) {
  SheetPainter painter(surface, text, draw);
  painter.Heading(sheet.Title, sheet.Summary, sheet.ProductFindings);
  for (const SetRow& row : sheet.Rows) painter.Row(row);
  if (!draw) surface.Resize(kSheetWidth, painter.Bottom());
}

std::string Drawn(const Sheet& sheet, TextRenderer& text) {
  Surface surface(1, 1);
  Paint(sheet, surface, text, false);
  surface.Fill(0xFFFFFF);
  Paint(sheet, surface, text, true);
  return EncodePng(OpaqueImage(surface));
}

// The findings about the product as a whole, for a folder what `ris pack`
// leaves out too; the routine notes of preparing a folder (a text
// converted, a photo turned) are left off, since its archive has nothing
// left to prepare and both are to draw the same sheet.
std::vector<std::string> ProductFindings(const PackFindings& findings) {
  std::vector<std::string> lines;
  for (const std::string& line : findings.Lines()) {
    if (!line.starts_with("note:")) lines.push_back(line);
  }
  return lines;
}

// The saver the sheet is drawn for: as named, or as an archive's name
// says; nothing for a folder, whose title names it. The reason for a
// --saver name no saver could have.
Result<std::string, std::string> SaverNameFor(const fs::path& input, const CommandOptions& options) {
  const auto saver = SaverOption(options);
  if (!saver) return Failure{saver.error()};
  if (*saver) return **saver;
  std::error_code error;
  if (fs::is_directory(input, error)) return std::string();
  return input.stem().string() + ".scr";
}

}  // namespace

int RunSheetCommand(Arguments arguments, const CommandReport& report) {
  const auto options = ParseCommandOptions(arguments, {{"--out", "--saver"}, {}});
  if (!options) return report.Misused(options.error());
  const auto out = options->Value("--out");
  if (!out || options->Positional.size() != 1) return report.Misused();
  const fs::path input = options->Positional.front();
  auto named_saver = SaverNameFor(input, *options);
  if (!named_saver) return report.Misused(named_saver.error());
  std::string saver = std::move(named_saver).value();
  PackFindings findings;
  const PackContent content = ReadProduct(input, saver, findings);
  if (!content.Settings) {
    findings.Print(report.err);
    return 1;
  }
  const auto text = MakePlatformText();
  Sheet sheet;
  TSettingsList settings;
  ParseSettingsText(*content.Settings, settings);
  sheet.Title = settings.ReadValue("title", "general");
  // A folder's saver is named as `ris new` suggests it, after its title.
  if (saver.empty()) saver = SuggestedSaverName(sheet.Title, input) + ".scr";
  sheet.ProductFindings = ProductFindings(findings);
  for (const auto& [name, set] : SortIntoSets(content.Pictures)) {
    sheet.Rows.push_back(DescribeSet(name, set, *content.Settings, saver, *text));
  }
  sheet.Summary = Counted(sheet.Rows.size(), "set", "sets") + ", for " + saver + "; frames at 1024 x 768, shown small";
  if (const auto written = WriteFileAtomically(*out, Drawn(sheet, text->Renderer())); !written) {
    return report.Fail(written.error());
  }
  report.out << "drew " << Counted(sheet.Rows.size(), "set", "sets") << " into " << *out << '\n';
  return 0;
}

}  // namespace ris::tool
