#include "shells/headless/freetype_text.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SIZES_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <array>
#include <cstddef>
#include <fstream>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "base/code_page.h"
#include "surface/blit.h"

namespace ris {

namespace {

constexpr std::int64_t kDefaultEmPixels = 12;
// Far beyond any screen, yet it keeps a hostile stored font from having
// glyphs of gigabytes rasterised.
constexpr std::int64_t kMaxEmPixels = 2000;

struct LibraryCloser {
  void operator()(FT_Library library) const noexcept { FT_Done_FreeType(library); }
};
struct FaceCloser {
  void operator()(FT_Face face) const noexcept { FT_Done_Face(face); }
};
struct ConfigCloser {
  void operator()(FcConfig* config) const noexcept { FcConfigDestroy(config); }
};
struct PatternCloser {
  void operator()(FcPattern* pattern) const noexcept { FcPatternDestroy(pattern); }
};
using LibraryHandle = std::unique_ptr<FT_LibraryRec_, LibraryCloser>;
using FaceHandle = std::unique_ptr<FT_FaceRec_, FaceCloser>;
using ConfigHandle = std::unique_ptr<FcConfig, ConfigCloser>;
using PatternHandle = std::unique_ptr<FcPattern, PatternCloser>;

// A face file read into memory once, so that drawing a frame never goes to
// the disk whatever stream FreeType was built with.
struct OpenFace {
  std::string File;
  int Index = 0;
  std::vector<FT_Byte> Bytes;
  FaceHandle Face;  // after Bytes, so that it is closed before they go
  // One size object per pixel size in use: two overlays in different sizes
  // of one face do not re-run the hinting set-up every frame. The face owns
  // and frees them.
  std::vector<std::pair<FT_UInt, FT_Size>> Sizes;
};

// fontconfig's answer for a name and style, kept so that it is asked once.
struct Match {
  std::string Name;
  bool Bold = false;
  bool Italic = false;
  OpenFace* Face = nullptr;  // null when nothing at all was found
  // fontconfig found no real bold or italic face and asks for one to be
  // made from the regular.
  bool Embolden = false;
  bool Slant = false;
};

// A face at the size a font asks for, with where a line's parts go, in
// pixels down from the baseline.
struct LineFace {
  FT_Face Face = nullptr;
  bool Embolden = false;
  bool Slant = false;
  FT_UInt Em = 0;
  std::int32_t Ascent = 0;
  std::int32_t Descent = 0;
  std::int32_t LineThickness = 1;
  std::int32_t UnderlineTop = 0;
  std::int32_t StrikeOutTop = 0;
};

// Halves away from zero; denominator > 0.
std::int64_t RoundedRatio(std::int64_t numerator, std::int64_t denominator) noexcept {
  const std::int64_t half = denominator / 2;
  return numerator >= 0 ? (numerator + half) / denominator : -((half - numerator) / denominator);
}

// Font units of the character cell above and below the baseline. GDI sizes
// and places by the Windows metrics, so those win where the face has them.
struct CellUnits {
  std::int64_t Ascent = 0;
  std::int64_t Descent = 0;
};

CellUnits CellUnitsOf(FT_Face face) noexcept {
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  if (os2 != nullptr && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
    return {os2->usWinAscent, os2->usWinDescent};
  }
  return {face->ascender, -std::int64_t{face->descender}};
}

// GDI's reading of a height: negative is the em in pixels, positive the
// whole cell, internal leading included.
FT_UInt EmPixels(FT_Face face, std::int32_t height) noexcept {
  const std::int64_t wide = height;  // so that negating INT32_MIN is defined
  std::int64_t em = kDefaultEmPixels;
  if (wide < 0) {
    em = -wide;
  } else if (wide > 0) {
    const CellUnits cell = CellUnitsOf(face);
    const std::int64_t cell_units = cell.Ascent + cell.Descent;
    em = cell_units > 0 ? RoundedRatio(wide * face->units_per_EM, cell_units) : wide;
  }
  return static_cast<FT_UInt>(std::clamp<std::int64_t>(em, 1, kMaxEmPixels));
}

bool ActivateSize(OpenFace& open, FT_UInt em) noexcept {
  for (const auto& [pixels, size] : open.Sizes) {
    if (pixels == em) return FT_Activate_Size(size) == 0;
  }
  FT_Size size = nullptr;
  if (FT_New_Size(open.Face.get(), &size) != 0) return false;
  if (FT_Activate_Size(size) != 0 || FT_Set_Pixel_Sizes(open.Face.get(), 0, em) != 0) {
    FT_Done_Size(size);
    return false;
  }
  open.Sizes.emplace_back(em, size);
  return true;
}

LineFace LineFaceOf(const Match& match, FT_UInt em) noexcept {
  const FT_Face face = match.Face->Face.get();
  const auto pixels = [&](std::int64_t units) {
    return static_cast<std::int32_t>(RoundedRatio(units * em, face->units_per_EM));
  };
  LineFace line{face, match.Embolden, match.Slant, em};
  const CellUnits cell = CellUnitsOf(face);
  line.Ascent = pixels(cell.Ascent);
  line.Descent = pixels(cell.Descent);
  line.LineThickness = std::max(1, pixels(face->underline_thickness));
  // FreeType gives the underline's centre, positive above the baseline.
  line.UnderlineTop = -pixels(face->underline_position) - line.LineThickness / 2;
  line.StrikeOutTop = -line.Ascent / 3 - line.LineThickness / 2;
  return line;
}

bool ReadWholeFile(const std::string& path, std::vector<FT_Byte>& bytes) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return false;
  const std::streamoff size = in.tellg();
  if (size <= 0) return false;
  bytes.resize(static_cast<std::size_t>(size));
  in.seekg(0);
  return static_cast<bool>(in.read(reinterpret_cast<char*>(bytes.data()), size));
}

// Whole pixels, as GDI advances: each glyph's advance is rounded on its own.
std::int64_t AdvancePixels(FT_GlyphSlot glyph) noexcept { return (glyph->advance.x + 32) >> 6; }

// A box of pixels in 64-bit coordinates, Right and Bottom just outside.
struct PixelBox {
  std::int64_t Left = 0;
  std::int64_t Top = 0;
  std::int64_t Right = 0;
  std::int64_t Bottom = 0;

  bool Empty() const noexcept { return Right <= Left || Bottom <= Top; }
  PixelBox MovedBy(std::int64_t x, std::int64_t y) const noexcept {
    return {Left + x, Top + y, Right + x, Bottom + y};
  }
};

PixelBox Union(const PixelBox& a, const PixelBox& b) noexcept {
  if (a.Empty()) return b;
  if (b.Empty()) return a;
  return {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
          std::max(a.Bottom, b.Bottom)};
}

// The pixels a loaded glyph can cover with its pen at the origin of the
// baseline: an outline's box widened by a pixel for the rasteriser's
// rounding, or the bitmap's own.
PixelBox GlyphBox(FT_GlyphSlot glyph) noexcept {
  if (glyph->format == FT_GLYPH_FORMAT_BITMAP) {
    return {glyph->bitmap_left, -std::int64_t{glyph->bitmap_top}, std::int64_t{glyph->bitmap_left} + glyph->bitmap.width,
            std::int64_t{glyph->bitmap.rows} - glyph->bitmap_top};
  }
  if (glyph->format != FT_GLYPH_FORMAT_OUTLINE) return {};
  FT_BBox box{};
  FT_Outline_Get_CBox(&glyph->outline, &box);
  return {(box.xMin >> 6) - 1, -((box.yMax + 63) >> 6) - 1, ((box.xMax + 63) >> 6) + 1, -(box.yMin >> 6) + 1};
}

// A glyph as measuring and drawing use it, loaded and rendered once: a
// frame draws the same few texts again and again.
struct CachedGlyph {
  bool Loaded = false;  // the face gave the glyph
  std::int64_t Advance = 0;
  PixelBox Box;  // where its ink can land, with the pen at the origin
  // The coverage, one byte a pixel, top row first; empty when there is
  // nothing to draw. Its top-left pixel, from the pen at the origin:
  std::int64_t Left = 0;
  std::int64_t Top = 0;
  std::int32_t Width = 0;
  std::vector<unsigned char> Coverage;
};

const unsigned char* BitmapRow(const FT_Bitmap& bitmap, std::int64_t row) noexcept {
  const std::ptrdiff_t pitch = bitmap.pitch;
  // An upward flow keeps its top row last in memory.
  const unsigned char* top =
      pitch >= 0 ? bitmap.buffer : bitmap.buffer - pitch * static_cast<std::ptrdiff_t>(bitmap.rows - 1);
  return top + pitch * row;
}

unsigned Coverage(const FT_Bitmap& bitmap, const unsigned char* row, std::int64_t column) noexcept {
  if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
    return ((row[column >> 3] >> (7 - (column & 7))) & 1) != 0 ? 255u : 0u;
  }
  return row[column];
}

// Keeps the coverage of a rendered or bitmap glyph; colour glyphs do not
// occur in the faces a stored font can name.
void KeepCoverage(FT_GlyphSlot glyph, CachedGlyph& kept) {
  const FT_Bitmap& bitmap = glyph->bitmap;
  if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY && bitmap.pixel_mode != FT_PIXEL_MODE_MONO) return;
  kept.Left = glyph->bitmap_left;
  kept.Top = -std::int64_t{glyph->bitmap_top};
  kept.Width = static_cast<std::int32_t>(bitmap.width);
  kept.Coverage.reserve(std::size_t{bitmap.width} * bitmap.rows);
  for (unsigned row = 0; row < bitmap.rows; ++row) {
    const unsigned char* source = BitmapRow(bitmap, row);
    for (unsigned column = 0; column < bitmap.width; ++column) {
      kept.Coverage.push_back(static_cast<unsigned char>(Coverage(bitmap, source, column)));
    }
  }
}

// A character the face lacks loads glyph 0, the face's box for a missing
// character, as GDI shows its default character.
CachedGlyph LoadGlyph(const LineFace& line, char32_t character) {
  CachedGlyph kept;
  const FT_UInt index = FT_Get_Char_Index(line.Face, character);
  // Embedded bitmaps cannot be slanted, so a slanted face draws outlines.
  const FT_Int32 flags = line.Slant ? FT_LOAD_NO_BITMAP : FT_LOAD_DEFAULT;
  if (FT_Load_Glyph(line.Face, index, flags) != 0) return kept;
  const FT_GlyphSlot glyph = line.Face->glyph;
  if (line.Slant) FT_GlyphSlot_Oblique(glyph);
  if (line.Embolden) FT_GlyphSlot_Embolden(glyph);
  kept.Loaded = true;
  kept.Advance = AdvancePixels(glyph);
  kept.Box = GlyphBox(glyph);
  if (glyph->format == FT_GLYPH_FORMAT_OUTLINE && FT_Render_Glyph(glyph, FT_RENDER_MODE_NORMAL) != 0) return kept;
  if (glyph->format == FT_GLYPH_FORMAT_BITMAP) KeepCoverage(glyph, kept);
  return kept;
}

// The glyphs loaded so far, by face, size, synthesis and character. The
// sizes a key can step through are many: past a bound the cache starts over.
class GlyphCache {
 public:
  const CachedGlyph& Get(const LineFace& line, char32_t character) {
    const Key key{line.Face, line.Em, line.Slant, line.Embolden, character};
    if (const auto found = glyphs_.find(key); found != glyphs_.end()) return found->second;
    if (glyphs_.size() >= kMaxGlyphs) glyphs_.clear();
    return glyphs_.emplace(key, LoadGlyph(line, character)).first->second;
  }

 private:
  static constexpr std::size_t kMaxGlyphs = 4096;
  using Key = std::tuple<FT_Face, FT_UInt, bool, bool, char32_t>;
  std::map<Key, CachedGlyph> glyphs_;
};

// Hands each glyph of `text`, read in `code_page`, to `visit` with its pen position in pixels from
// the start of the text, and returns the advance of the whole text. No
// kerning: GDI neither measures nor writes text with it, and text must end
// where it ends there.
template <typename Visit>
std::int64_t LayOut(GlyphCache& glyphs, const LineFace& line, CodePage code_page, std::string_view text,
                    Visit&& visit) {
  std::int64_t pen = 0;
  for (std::size_t at = 0; at < text.size();) {
    const char32_t character = NextCharacter(text, at, code_page);
    if (character == 0) continue;
    const CachedGlyph& glyph = glyphs.Get(line, character);
    if (!glyph.Loaded) continue;
    visit(glyph, pen);
    pen += glyph.Advance;
  }
  return pen;
}

std::span<Bgra> TargetRow(Surface& surface, const ClippedBlock& block, std::int32_t row) noexcept {
  return surface.Row(block.TargetY + row)
      .subspan(static_cast<std::size_t>(block.TargetX), static_cast<std::size_t>(block.Width));
}

// Blends the glyph with its pen at x on the baseline; one wholly off the
// surface costs nothing.
void DrawGlyph(Surface& surface, const CachedGlyph& glyph, std::int64_t x, std::int64_t baseline,
               Bgra ink) noexcept {
  if (glyph.Coverage.empty()) return;
  const auto width = static_cast<std::size_t>(glyph.Width);
  const ClippedBlock block = ClipToSurface(x + glyph.Left, baseline + glyph.Top, glyph.Width,
                                           static_cast<std::int64_t>(glyph.Coverage.size() / width),
                                           surface.Width(), surface.Height());
  for (std::int32_t row = 0; row < block.Height; ++row) {
    const unsigned char* source =
        glyph.Coverage.data() + static_cast<std::size_t>(block.SourceY + row) * width + static_cast<std::size_t>(block.SourceX);
    const std::span<Bgra> target = TargetRow(surface, block, row);
    for (std::size_t i = 0; i < target.size(); ++i) BlendInk(target[i], ink, source[i]);
  }
}

void FillBand(Surface& surface, std::int64_t x, std::int64_t top, std::int64_t width,
              std::int32_t thickness, Bgra ink) noexcept {
  const ClippedBlock block = ClipToSurface(x, top, width, thickness, surface.Width(), surface.Height());
  for (std::int32_t row = 0; row < block.Height; ++row) {
    for (Bgra& pixel : TargetRow(surface, block, row)) BlendInk(pixel, ink, 255);
  }
}

}  // namespace

class FreeTypeTextRenderer::Faces {
 public:
  Faces() {
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) == 0) library_.reset(library);
    config_.reset(FcInitLoadConfigAndFonts());
  }

  GlyphCache& Glyphs() noexcept { return glyphs_; }

  // The face for `font` at its size, or nothing when no face can be had.
  std::optional<LineFace> Select(const TFont& font) {
    const Match& match = MatchFor(font);
    if (match.Face == nullptr) return std::nullopt;
    const FT_UInt em = EmPixels(match.Face->Face.get(), font.Height);
    if (!ActivateSize(*match.Face, em)) return std::nullopt;
    return LineFaceOf(match, em);
  }

 private:
  const Match& MatchFor(const TFont& font) {
    const bool bold = font.Style.Contains(TFontStyle::fsBold);
    const bool italic = font.Style.Contains(TFontStyle::fsItalic);
    for (const Match& known : matches_) {
      if (known.Name == font.Name && known.Bold == bold && known.Italic == italic) return known;
    }
    matches_.push_back(Ask(font.Name, bold, italic));
    return matches_.back();
  }

  Match Ask(const std::string& name, bool bold, bool italic) {
    Match match{name, bold, italic};
    if (!library_ || !config_) return match;
    const PatternHandle found = FindPattern(name, bold, italic);
    FcChar8* file = nullptr;
    if (!found || FcPatternGetString(found.get(), FC_FILE, 0, &file) != FcResultMatch) return match;
    int index = 0;  // stays the first face when the pattern names none
    FcPatternGetInteger(found.get(), FC_INDEX, 0, &index);
    match.Face = Open(reinterpret_cast<const char*>(file), index);
    FcBool embolden = FcFalse;
    match.Embolden = bold && FcPatternGetBool(found.get(), FC_EMBOLDEN, 0, &embolden) == FcResultMatch &&
                     embolden == FcTrue;
    // fontconfig slants a roman face it had to take for an italic request
    // by giving it a shearing matrix.
    FcMatrix* matrix = nullptr;
    match.Slant = italic && FcPatternGetMatrix(found.get(), FC_MATRIX, 0, &matrix) == FcResultMatch &&
                  matrix->xy != 0.0;
    return match;
  }

  PatternHandle FindPattern(const std::string& name, bool bold, bool italic) {
    const PatternHandle request(FcPatternCreate());
    if (!request) return nullptr;
    FcPatternAddString(request.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
    FcPatternAddInteger(request.get(), FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(request.get(), FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    // Only an outline face can take any height a stored font asks for.
    FcPatternAddBool(request.get(), FC_SCALABLE, FcTrue);
    FcConfigSubstitute(config_.get(), request.get(), FcMatchPattern);
    FcDefaultSubstitute(request.get());
    FcResult result = FcResultNoMatch;
    return PatternHandle(FcFontMatch(config_.get(), request.get(), &result));
  }

  OpenFace* Open(const std::string& file, int index) {
    for (const auto& open : faces_) {
      if (open->File == file && open->Index == index) return open.get();
    }
    auto open = std::make_unique<OpenFace>();
    open->File = file;
    open->Index = index;
    if (!ReadWholeFile(file, open->Bytes)) return nullptr;
    FT_Face face = nullptr;
    if (FT_New_Memory_Face(library_.get(), open->Bytes.data(), static_cast<FT_Long>(open->Bytes.size()),
                           index, &face) != 0) {
      return nullptr;
    }
    open->Face.reset(face);
    if (!FT_IS_SCALABLE(face) || face->units_per_EM == 0) return nullptr;
    faces_.push_back(std::move(open));
    return faces_.back().get();
  }

  // Declared in the order they can be freed in reverse: faces before the
  // library that made them.
  LibraryHandle library_;
  ConfigHandle config_;
  std::vector<std::unique_ptr<OpenFace>> faces_;
  std::vector<Match> matches_;
  GlyphCache glyphs_;  // after the faces, so that it goes before them
};

FreeTypeTextRenderer::FreeTypeTextRenderer() : faces_(std::make_unique<Faces>()) {}

FreeTypeTextRenderer::~FreeTypeTextRenderer() = default;

std::int32_t FreeTypeTextRenderer::TextWidth(const TFont& font, std::string_view text, TextEncoding encoding) {
  const std::optional<LineFace> line = faces_->Select(font);
  if (!line) return 0;
  const std::int64_t width = LayOut(faces_->Glyphs(), *line, CodePageFor(encoding), text,
                                    [](const CachedGlyph&, std::int64_t) {});
  return static_cast<std::int32_t>(std::min<std::int64_t>(width, std::numeric_limits<std::int32_t>::max()));
}

std::int32_t FreeTypeTextRenderer::LineHeight(const TFont& font) {
  const std::optional<LineFace> line = faces_->Select(font);
  return line ? line->Ascent + line->Descent : 0;
}

SurfaceRect FreeTypeTextRenderer::InkBounds(const TFont& font, std::string_view text, TextEncoding encoding) {
  const std::optional<LineFace> line = faces_->Select(font);
  if (!line) return {};
  const std::int64_t baseline = line->Ascent;
  PixelBox ink;
  const std::int64_t width = LayOut(faces_->Glyphs(), *line, CodePageFor(encoding), text,
                                    [&](const CachedGlyph& glyph, std::int64_t pen) {
                                      ink = Union(ink, glyph.Box.MovedBy(pen, baseline));
                                    });
  const auto band = [&](std::int32_t top) {
    return PixelBox{0, baseline + top, width, baseline + top + line->LineThickness};
  };
  if (font.Style.Contains(TFontStyle::fsUnderline)) ink = Union(ink, band(line->UnderlineTop));
  if (font.Style.Contains(TFontStyle::fsStrikeOut)) ink = Union(ink, band(line->StrikeOutTop));
  if (ink.Empty()) return {};
  const auto held = [](std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
  };
  return {held(ink.Left), held(ink.Top), held(ink.Right), held(ink.Bottom)};
}

void FreeTypeTextRenderer::DrawText(Surface& surface, const TFont& font, std::int32_t x,
                                    std::int32_t y, std::string_view text, TextEncoding encoding,
                                    ColourValue colour) {
  const std::optional<LineFace> line = faces_->Select(font);
  if (!line) return;
  const Bgra ink = BgraFromColour(colour);
  const std::int64_t baseline = std::int64_t{y} + line->Ascent;
  const std::int64_t width = LayOut(faces_->Glyphs(), *line, CodePageFor(encoding), text,
                                    [&](const CachedGlyph& glyph, std::int64_t pen) {
                                      DrawGlyph(surface, glyph, x + pen, baseline, ink);
                                    });
  if (font.Style.Contains(TFontStyle::fsUnderline)) {
    FillBand(surface, x, baseline + line->UnderlineTop, width, line->LineThickness, ink);
  }
  if (font.Style.Contains(TFontStyle::fsStrikeOut)) {
    FillBand(surface, x, baseline + line->StrikeOutTop, width, line->LineThickness, ink);
  }
}

}  // namespace ris
