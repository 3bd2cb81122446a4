#include "photo_set.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <unordered_set>

#include "base/ascii.h"
#include "background_size.h"
#include "camera_entry.h"
#include "pack_findings.h"
#include "photo_orientation.h"
#include "picture_check.h"
#include "png_writer.h"
#include "surface/scaler.h"

namespace ris::tool {
namespace {

// A moving picture this large shows a photo's subject on any screen; the
// thumbnail is a fifth of it, as the preview window is of a screen.
constexpr std::int32_t kSpriteBox = 96;
constexpr std::int32_t kThumbnailBox = kSpriteBox / 5;
constexpr Bgra kFrameColour{255, 255, 255, 255};

std::string LowerExtension(std::string_view file_name) {
  return FoldAscii(std::filesystem::path(file_name).extension().string());
}

SetPicture Background(const PackEntry& photo, const PixelImage& pixels, std::vector<std::string>& notes) {
  std::string note;
  auto shrunk = ShrunkToFit(pixels, note);
  if (!shrunk) return {LowerExtension(photo.Name), photo.Bytes};
  notes.push_back(note);
  return {shrunk->Extension, std::move(shrunk->Bytes)};
}

std::int32_t FrameWidth(std::int32_t box) { return std::max(1, box / 24); }

// The photo shrunk to fit inside the frame of a box of `box` pixels.
PixelImage PhotoInBox(const PixelImage& photo, std::int32_t box) {
  const std::int32_t inner = box - 2 * (FrameWidth(box) + 1);
  const auto [width, height] = FittedSize(photo, inner, inner);
  PixelImage scaled = ScalePicture(photo, width, height);
  for (Bgra& pixel : scaled.Pixels) pixel.A = 255;
  scaled.HasAlpha = false;
  return scaled;
}

// The shrunk photo framed, on a border of the key colour one pixel wide,
// whose top-left pixel tells the saver what to leave transparent.
PixelImage Framed(const PixelImage& inside, std::int32_t box, Bgra key) {
  const std::int32_t margin = FrameWidth(box) + 1;
  PixelImage framed = PixelImage::Blank(inside.Width + 2 * margin, inside.Height + 2 * margin, key);
  for (std::int32_t y = 1; y < framed.Height - 1; ++y) {
    for (std::int32_t x = 1; x < framed.Width - 1; ++x) framed.At(x, y) = kFrameColour;
  }
  for (std::int32_t y = 0; y < inside.Height; ++y) {
    std::copy_n(inside.Pixels.begin() + static_cast<std::ptrdiff_t>(y) * inside.Width, inside.Width,
                framed.Row(y + margin).begin() + margin);
  }
  return framed;
}

std::uint32_t ColourOf(Bgra pixel) {
  return static_cast<std::uint32_t>(pixel.R) << 16 | static_cast<std::uint32_t>(pixel.G) << 8 | pixel.B;
}

// A colour no pixel of the pictures has, nor the frame: a loud one where
// it can be, so that a maker sees at once which colour is keyed out.
Bgra UnusedColour(std::initializer_list<const PixelImage*> pictures) {
  std::unordered_set<std::uint32_t> used{ColourOf(kFrameColour)};
  for (const PixelImage* picture : pictures) {
    for (const Bgra pixel : picture->Pixels) used.insert(ColourOf(pixel));
  }
  constexpr std::array kLoud{Bgra{255, 0, 255, 255}, Bgra{0, 255, 0, 255}, Bgra{255, 255, 0, 255},
                             Bgra{0, 255, 255, 255}};
  for (const Bgra colour : kLoud) {
    if (!used.contains(ColourOf(colour))) return colour;
  }
  // Fewer pixels than colours: one is always left.
  std::uint32_t colour = 0;
  while (used.contains(colour)) ++colour;
  return Bgra{static_cast<std::uint8_t>(colour), static_cast<std::uint8_t>(colour >> 8),
              static_cast<std::uint8_t>(colour >> 16), 255};
}

// The framed copies at both sizes, keyed by one colour neither holds.
void GenerateSprites(const PixelImage& photo, PhotoSetPictures& set) {
  const PixelImage sprite = PhotoInBox(photo, kSpriteBox);
  const PixelImage thumbnail = PhotoInBox(photo, kThumbnailBox);
  const Bgra key = UnusedColour({&sprite, &thumbnail});
  set.Sprite = {".png", EncodePng(Framed(sprite, kSpriteBox, key))};
  set.Thumbnail = {".png", EncodePng(Framed(thumbnail, kThumbnailBox, key))};
}

// The maker's own moving picture, and its thumbnail sampled from it pixel
// by pixel, so that its key colour stays exact.
void UseSprite(const PackEntry& sprite, const PixelImage& pixels, PhotoSetPictures& set) {
  set.Sprite = {LowerExtension(sprite.Name), sprite.Bytes};
  const std::int32_t width = std::max(1, pixels.Width / 5);
  const std::int32_t height = std::max(1, pixels.Height / 5);
  set.Thumbnail = {".png", EncodePng(ScalePicture(pixels, width, height, ScaleFilter::Nearest))};
}

// The picture as the saver reads it: converted first when in a camera
// format, so that every later step works on a JPEG or PNG.
Result<PackEntry, std::string> Readable(const PackEntry& picture, std::vector<std::string>& notes) {
  PackEntry readable = picture;
  const auto converted = ConvertCameraEntry(readable);
  if (!converted) return Failure{picture.Name + ": " + converted.error()};
  if (*converted) notes.push_back(**converted);
  return readable;
}

}  // namespace

Result<PhotoSetPictures, std::string> MakePhotoSet(const PackEntry& original, const std::optional<PackEntry>& sprite) {
  PhotoSetPictures set;
  const auto photo = Readable(original, set.Notes);
  if (!photo) return Failure{photo.error()};
  std::vector<PackEntry> upright{*photo};
  PackFindings turned;
  TurnPhotosUpright(upright, false, turned);
  if (!turned.Lines().empty()) set.Notes.push_back("turned upright");
  const auto pixels = DecodePixels(upright.front().Name, upright.front().Bytes);
  if (!pixels) return Failure{original.Name + ": " + pixels.error()};
  set.Background = Background(upright.front(), *pixels, set.Notes);
  if (sprite) {
    std::vector<std::string> sprite_notes;
    const auto own_sprite = Readable(*sprite, sprite_notes);
    if (!own_sprite) return Failure{own_sprite.error()};
    const auto sprite_pixels = DecodePixels(own_sprite->Name, own_sprite->Bytes);
    if (!sprite_pixels) return Failure{sprite->Name + ": " + sprite_pixels.error()};
    UseSprite(*own_sprite, *sprite_pixels, set);
  } else {
    GenerateSprites(*pixels, set);
  }
  return set;
}

std::string SetNameFor(std::string_view file_name, const std::vector<std::string>& taken) {
  std::string stem = FoldAscii(std::filesystem::path(file_name).stem().string());
  for (char& c : stem) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F || std::string_view("\\/:*?\"<>|;").find(c) != std::string_view::npos) c = '_';
  }
  if (stem.empty()) stem = "photo";
  std::string name = stem;
  for (int number = 2; std::find(taken.begin(), taken.end(), name) != taken.end(); ++number) {
    name = stem + "-" + std::to_string(number);
  }
  return name;
}

}  // namespace ris::tool
