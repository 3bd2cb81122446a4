#include "background_size.h"

#include <algorithm>

#include "jpeg_writer.h"
#include "picture_check.h"
#include "png_writer.h"
#include "surface/scaler.h"

namespace ris::tool {
namespace {

constexpr int kJpegQuality = 90;

bool IsBackground(const PackEntry& picture) { return picture.Name.starts_with("backgrounds/"); }

bool LargerThanAnyScreen(const PackEntry& picture) {
  const PictureCheck check = CheckPictureDecodes(picture.Name, picture.Bytes);
  return check.Verdict == PictureVerdict::Decodable &&
         std::int64_t{check.Width} * check.Height > kLargestScreenWidth * kLargestScreenHeight;
}

}  // namespace

std::string WithExtension(const std::string& name, const std::string& extension) {
  const std::size_t dot = name.rfind('.');
  const std::size_t slash = name.rfind('/');
  const bool has_extension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  return (has_extension ? name.substr(0, dot) : name) + extension;
}

std::pair<std::int32_t, std::int32_t> FittedSize(const PixelImage& picture, std::int32_t width, std::int32_t height) {
  if (picture.Width <= width && picture.Height <= height) return {picture.Width, picture.Height};
  const double scale = std::min(static_cast<double>(width) / picture.Width, static_cast<double>(height) / picture.Height);
  return {std::max(1, static_cast<std::int32_t>(picture.Width * scale + 0.5)),
          std::max(1, static_cast<std::int32_t>(picture.Height * scale + 0.5))};
}

std::optional<StoredPicture> ShrunkToFit(const PixelImage& picture, std::string& note) {
  const auto [width, height] = FittedSize(picture, kShrunkBackgroundWidth, kShrunkBackgroundHeight);
  if (width == picture.Width && height == picture.Height) return std::nullopt;
  note = "shrunk from " + std::to_string(picture.Width) + " x " + std::to_string(picture.Height) + " to " +
         std::to_string(width) + " x " + std::to_string(height);
  const PixelImage shrunk = ScalePicture(picture, width, height);
  if (picture.HasAlpha) return StoredPicture{".png", EncodePng(shrunk)};
  return StoredPicture{".jpg", EncodeJpeg(shrunk, kJpegQuality)};
}

void ShrinkOversizedBackgrounds(std::vector<PackEntry>& pictures, PackFindings& findings) {
  for (PackEntry& picture : pictures) {
    if (!IsBackground(picture) || !LargerThanAnyScreen(picture)) continue;
    const auto pixels = DecodePixels(picture.Name, picture.Bytes);
    std::string note;
    const auto shrunk = pixels ? ShrunkToFit(*pixels, note) : std::nullopt;
    if (!shrunk) continue;
    const std::string name = WithExtension(picture.Name, shrunk->Extension);
    findings.Note(picture.Name + ": " + note + (name == picture.Name ? "" : ", stored as " + name));
    picture = {name, shrunk->Bytes};
  }
}

}  // namespace ris::tool
