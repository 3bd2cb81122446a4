// JPEG XL through Debian's libjxl. The codestream records the orientation
// and libjxl applies it as it decodes (the file's EXIF, if any, repeats
// it), so the size that counts is the upright one.
#include <jxl/decode.h>
#include <jxl/decode_cxx.h>

#include <utility>

#include "camera_decoders.h"
#include "camera_pixels.h"

namespace ris::tool {
namespace {

constexpr JxlPixelFormat kRgba8{4, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};

// Orientations 5..8 exchange width and height.
std::pair<std::int64_t, std::int64_t> UprightSize(const JxlBasicInfo& info) {
  if (info.orientation >= JXL_ORIENT_TRANSPOSE) return {info.ysize, info.xsize};
  return {info.xsize, info.ysize};
}

// libjxl writes R, G, B, A; the engine keeps B, G, R, A.
void SwapRedAndBlue(PixelImage& picture) {
  for (Bgra& pixel : picture.Pixels) std::swap(pixel.R, pixel.B);
}

}  // namespace

CameraDecode DecodeJpegXl(std::string_view bytes, const DecodeLimits& limits) {
  const JxlDecoderPtr decoder = JxlDecoderMake(nullptr);
  if (!decoder || JxlDecoderSubscribeEvents(decoder.get(), JXL_DEC_BASIC_INFO | JXL_DEC_FULL_IMAGE) != JXL_DEC_SUCCESS ||
      JxlDecoderSetInput(decoder.get(), reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()) !=
          JXL_DEC_SUCCESS) {
    return Failure{std::string("JPEG XL: the decoder could not start")};
  }
  JxlDecoderCloseInput(decoder.get());
  PixelImage picture;
  for (;;) {
    switch (JxlDecoderProcessInput(decoder.get())) {
      case JXL_DEC_BASIC_INFO: {
        JxlBasicInfo info{};
        if (JxlDecoderGetBasicInfo(decoder.get(), &info) != JXL_DEC_SUCCESS) break;
        const auto [width, height] = UprightSize(info);
        if (auto refusal = SizeRefusal(limits, width, height)) return Failure{"JPEG XL: " + *refusal};
        picture = PixelImage::Blank(static_cast<std::int32_t>(width), static_cast<std::int32_t>(height));
        picture.HasAlpha = info.alpha_bits > 0;
        continue;
      }
      case JXL_DEC_NEED_IMAGE_OUT_BUFFER: {
        const std::size_t size = picture.Pixels.size() * sizeof(Bgra);
        std::size_t wanted = 0;
        if (JxlDecoderImageOutBufferSize(decoder.get(), &kRgba8, &wanted) != JXL_DEC_SUCCESS || wanted != size ||
            JxlDecoderSetImageOutBuffer(decoder.get(), &kRgba8, picture.Pixels.data(), size) != JXL_DEC_SUCCESS) {
          return Failure{std::string("JPEG XL: the picture is not the size the file declares")};
        }
        continue;
      }
      case JXL_DEC_FULL_IMAGE:
        SwapRedAndBlue(picture);
        return picture;
      case JXL_DEC_NEED_MORE_INPUT:
        return Failure{std::string("JPEG XL: the file ends early")};
      default:
        break;
    }
    return Failure{std::string("JPEG XL: the file is broken")};
  }
}

}  // namespace ris::tool
