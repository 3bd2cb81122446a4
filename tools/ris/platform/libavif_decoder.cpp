// AVIF through Debian's libavif. libavif reports the irot and imir
// properties by which AVIF records orientation but leaves the pixels as
// stored, so they are applied here: first the turn, then the mirror, as
// the properties' order in the file has them. Its EXIF orientation, if any,
// only repeats them and is not read.
#include <avif/avif.h>

#include <memory>

#include "camera_decoders.h"
#include "camera_pixels.h"

namespace ris::tool {
namespace {

struct AvifDecoderDeleter {
  void operator()(avifDecoder* decoder) const noexcept { avifDecoderDestroy(decoder); }
};

std::string Message(avifResult result) { return std::string("AVIF: ") + avifResultToString(result); }

PixelImage Upright(const PixelImage& picture, const avifImage& image) {
  // irot counts quarter turns anticlockwise.
  const int quarters = (image.transformFlags & AVIF_TRANSFORM_IROT) ? (4 - image.irot.angle % 4) % 4 : 0;
  PixelImage turned = Turned(picture, false, quarters);
  if (!(image.transformFlags & AVIF_TRANSFORM_IMIR)) return turned;
  // Mode 1 exchanges left and right, mode 0 top and bottom.
  return Turned(turned, true, image.imir.mode == 1 ? 0 : 2);
}

}  // namespace

CameraDecode DecodeAvif(std::string_view bytes) {
  const std::unique_ptr<avifDecoder, AvifDecoderDeleter> decoder(avifDecoderCreate());
  if (!decoder) return Failure{std::string("AVIF: out of memory")};
  decoder->imageDimensionLimit = kMaxPictureSide;
  decoder->imageSizeLimit = static_cast<std::uint32_t>(kMaxPicturePixels);
  decoder->ignoreExif = AVIF_TRUE;
  decoder->ignoreXMP = AVIF_TRUE;
  avifResult result =
      avifDecoderSetIOMemory(decoder.get(), reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  if (result == AVIF_RESULT_OK) result = avifDecoderParse(decoder.get());
  if (result != AVIF_RESULT_OK) return Failure{Message(result)};
  const avifImage& declared = *decoder->image;
  if (auto refusal = SizeRefusal(bytes.size(), declared.width, declared.height)) return Failure{"AVIF: " + *refusal};
  result = avifDecoderNextImage(decoder.get());
  if (result != AVIF_RESULT_OK) return Failure{Message(result)};
  const avifImage& image = *decoder->image;
  if (image.width != declared.width || image.height != declared.height) {
    return Failure{std::string("AVIF: the decoded picture is not the size the file declares")};
  }
  PixelImage picture = PixelImage::Blank(static_cast<std::int32_t>(image.width), static_cast<std::int32_t>(image.height));
  picture.HasAlpha = image.alphaPlane != nullptr;
  avifRGBImage rgb{};
  avifRGBImageSetDefaults(&rgb, &image);
  rgb.format = AVIF_RGB_FORMAT_BGRA;
  rgb.depth = 8;
  rgb.pixels = reinterpret_cast<std::uint8_t*>(picture.Pixels.data());
  rgb.rowBytes = image.width * sizeof(Bgra);
  result = avifImageYUVToRGB(&image, &rgb);
  if (result != AVIF_RESULT_OK) return Failure{Message(result)};
  return Upright(picture, image);
}

}  // namespace ris::tool
