// AVIF through Debian's libavif. libavif reports the irot and imir
// properties by which AVIF records orientation but leaves the pixels as
// stored, so they are applied here: first the turn, then the mirror, as
// the properties' order in the file has them. Its EXIF orientation, if any,
// only repeats them and is not read.
#include <avif/avif.h>

#include <memory>
#include <utility>

#include "camera_decoders.h"
#include "camera_pixels.h"

namespace ris::tool {
namespace {

struct AvifDecoderDeleter {
  void operator()(avifDecoder* decoder) const noexcept { avifDecoderDestroy(decoder); }
};
using AvifDecoder = std::unique_ptr<avifDecoder, AvifDecoderDeleter>;

std::string Message(avifResult result) { return std::string("AVIF: ") + avifResultToString(result); }

struct Turn {
  bool Mirror = false;
  int Quarters = 0;
};

// irot's anticlockwise quarter turns followed by imir's mirror, as one
// left-to-right mirror followed by clockwise quarter turns (a mirror after
// a turn is the mirror before the opposite turn), so that the pixels are
// moved once.
Turn UprightTurn(const avifImage& image) {
  const int quarters = (image.transformFlags & AVIF_TRANSFORM_IROT) ? (4 - image.irot.angle % 4) % 4 : 0;
  if (!(image.transformFlags & AVIF_TRANSFORM_IMIR)) return {false, quarters};
  // Mode 1 exchanges left and right; mode 0 top and bottom, which is left
  // and right and then a half turn.
  return {true, ((image.imir.mode == 1 ? 0 : 2) - quarters + 4) % 4};
}

Result<PixelImage, std::string> Pixels(const avifImage& image) {
  PixelImage picture = PixelImage::Blank(static_cast<std::int32_t>(image.width), static_cast<std::int32_t>(image.height));
  picture.HasAlpha = image.alphaPlane != nullptr;
  avifRGBImage rgb{};
  avifRGBImageSetDefaults(&rgb, &image);
  rgb.format = AVIF_RGB_FORMAT_BGRA;
  rgb.depth = 8;
  rgb.pixels = reinterpret_cast<std::uint8_t*>(picture.Pixels.data());
  rgb.rowBytes = image.width * sizeof(Bgra);
  if (const avifResult result = avifImageYUVToRGB(&image, &rgb); result != AVIF_RESULT_OK) {
    return Failure{Message(result)};
  }
  return picture;
}

}  // namespace

CameraDecode DecodeAvif(std::string_view bytes, const DecodeLimits& limits) {
  AvifDecoder decoder(avifDecoderCreate());
  if (!decoder) return Failure{std::string("AVIF: out of memory")};
  decoder->imageDimensionLimit = kMaxPictureSide;
  decoder->imageSizeLimit = static_cast<std::uint32_t>(kMaxPicturePixels);
  decoder->ignoreExif = AVIF_TRUE;
  decoder->ignoreXMP = AVIF_TRUE;
  avifResult result =
      avifDecoderSetIOMemory(decoder.get(), reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  if (result == AVIF_RESULT_OK) result = avifDecoderParse(decoder.get());
  if (result != AVIF_RESULT_OK) return Failure{Message(result)};
  const std::uint32_t width = decoder->image->width;
  const std::uint32_t height = decoder->image->height;
  if (auto refusal = SizeRefusal(limits, width, height)) return Failure{"AVIF: " + *refusal};
  result = avifDecoderNextImage(decoder.get());
  if (result != AVIF_RESULT_OK) return Failure{Message(result)};
  if (decoder->image->width != width || decoder->image->height != height) {
    return Failure{std::string("AVIF: the decoded picture is not the size the file declares")};
  }
  auto picture = Pixels(*decoder->image);
  if (!picture) return Failure{picture.error()};
  const Turn turn = UprightTurn(*decoder->image);
  // The decoder's planes are let go before the pixels are turned.
  decoder.reset();
  return Turned(std::move(*picture), turn.Mirror, turn.Quarters);
}

}  // namespace ris::tool
