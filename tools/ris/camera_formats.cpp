#include "camera_formats.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "base/byte_reader.h"
#include "camera_decoders.h"
#include "jpeg_writer.h"
#include "pictures/decode_budget.h"
#include "png_writer.h"

namespace ris::tool {
namespace {

constexpr int kJpegQuality = 90;

// None of these codes spends a fixed least amount on a pixel, so the bound
// is what their own encoders reach, with room to spare: a uniform 8000 x
// 6000 picture takes AVIF some 900 bytes (54000 pixels a byte), lossless
// WebP and JPEG XL some 2000. A file claiming more than four times that is
// refused before it costs anything; the largest picture the saver decodes
// then needs at least 256 bytes.
constexpr Density kCameraDensity{std::uint64_t{1} << 18, 1};

bool IsBrand(std::string_view brand, std::initializer_list<std::string_view> brands) {
  return std::find(brands.begin(), brands.end(), brand) != brands.end();
}

// An ISO base media file: its major brand and compatible brands tell AVIF
// (AV1 images) from HEIF (HEVC images); a file naming both is AVIF, as the
// generic "mif1" brand comes with either.
std::optional<CameraFormat> IsoMediaFormat(std::string_view bytes) {
  if (bytes.size() < 16 || bytes.substr(4, 4) != "ftyp") return std::nullopt;
  ByteReader reader(bytes.substr(0, 4));
  const std::size_t box_size = std::min<std::size_t>(reader.U32Big(), bytes.size());
  bool heif = false;
  for (std::size_t at = 8; at + 4 <= box_size; at += at == 8 ? 8 : 4) {
    const std::string_view brand = bytes.substr(at, 4);
    if (IsBrand(brand, {"avif", "avis"})) return CameraFormat::Avif;
    heif = heif || IsBrand(brand, {"heic", "heix", "hevc", "hevx", "heim", "heis", "mif1", "msf1"});
  }
  return heif ? std::optional(CameraFormat::Heif) : std::nullopt;
}

CameraDecode Decode(CameraFormat format, std::string_view bytes, const DecodeLimits& limits) {
  switch (format) {
    case CameraFormat::Heif: return DecodeHeif(bytes, limits);
    case CameraFormat::Avif: return DecodeAvif(bytes, limits);
    case CameraFormat::WebP: return DecodeWebP(bytes, limits);
    case CameraFormat::JpegXl: return DecodeJpegXl(bytes, limits);
  }
  return Failure{std::string("unknown format")};
}

// Formats carry an alpha channel for pictures that have none to show: a
// photo stays a JPEG unless a pixel is really see-through.
bool ShowsTransparency(const PixelImage& picture) {
  return picture.HasAlpha &&
         std::any_of(picture.Pixels.begin(), picture.Pixels.end(), [](Bgra pixel) { return pixel.A != 255; });
}

}  // namespace

std::optional<CameraFormat> CameraFormatOf(std::string_view bytes) {
  if (bytes.size() >= 12 && bytes.starts_with("RIFF") && bytes.substr(8, 4) == "WEBP") return CameraFormat::WebP;
  if (bytes.starts_with("\xFF\x0A") || bytes.starts_with(std::string_view("\0\0\0\x0CJXL \r\n\x87\n", 12))) {
    return CameraFormat::JpegXl;
  }
  return IsoMediaFormat(bytes);
}

std::string_view CameraFormatName(CameraFormat format) {
  constexpr std::array<std::string_view, 4> kNames{"HEIC", "AVIF", "WebP", "JPEG XL"};
  return kNames[static_cast<std::size_t>(format)];
}

std::string_view CameraFormatExtension(CameraFormat format) {
  constexpr std::array<std::string_view, 4> kExtensions{"heic", "avif", "webp", "jxl"};
  return kExtensions[static_cast<std::size_t>(format)];
}

std::optional<std::string> SizeRefusal(const DecodeLimits& limits, std::int64_t width, std::int64_t height) {
  const std::string size = std::to_string(width) + " x " + std::to_string(height);
  if (width <= 0 || height <= 0) return "it declares no picture size (" + size + ")";
  if (!PictureSizeAllowed(width, height) || width * height > limits.MostPixels) {
    return "its size, " + size + ", is beyond what the saver decodes (at most " + std::to_string(kMaxPictureSide) +
           " pixels a side, " + std::to_string(std::min(kMaxPicturePixels, limits.MostPixels)) + " in all)";
  }
  if (!DecodeBudget("", limits.FileSize, kCameraDensity).Allows(width, height)) {
    return "its declared size, " + size + ", is more than its " + std::to_string(limits.FileSize) +
           " bytes can hold: the file is broken";
  }
  return std::nullopt;
}

Result<StoredPicture, std::string> ConvertCameraPicture(CameraFormat format, std::string_view bytes,
                                                        std::int64_t most_pixels) {
  auto decoded = Decode(format, bytes, DecodeLimits{bytes.size(), most_pixels});
  if (!decoded) return Failure{decoded.error()};
  const PixelImage& picture = *decoded;
  if (ShowsTransparency(picture)) return StoredPicture{".png", EncodePng(picture)};
  return StoredPicture{".jpg", EncodeJpeg(picture, kJpegQuality)};
}

}  // namespace ris::tool
