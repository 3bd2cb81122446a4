#pragma once
// TIFF, read with libtiff from memory: both byte orders, strips and tiles,
// chunky and planar samples, libtiff's codecs (PackBits, LZW, Deflate, JPEG,
// the CCITT fax codings, ...) and colour models from bilevel to YCbCr, 1 to
// 16 bits per sample; the first image of a file that holds several. The
// decoder also takes raw Group 3 fax pages (raw_fax.h), and the EPS decoder
// reads its TIFF preview with DecodeTiffImage. The decoders themselves are
// made by MakeTiffDecoder and MakeEpsDecoder (pictures/decoders.h).
//
// Pictures with alpha come composited on black, with the alpha kept beside:
// libtiff gives colour premultiplied by alpha, which is exactly that, and
// the display draws no alpha, so a transparent area shows black rather than
// whatever colour an encoder left under it.

#include <cstdint>
#include <string_view>

#include "base/pixel_size.h"
#include "pictures/image_decoder.h"

namespace ris {

// The four bytes that open a TIFF (classic or BigTIFF, either byte order).
bool IsTiffHeader(ByteSpan data) noexcept;

// The first image of the TIFF in `data`, at ShownSize(its size, cover);
// `format` is the short name the error messages give. A codec the build
// lacks is refused before any pixel is allocated.
Result<PixelImage, DecodeError> DecodeTiffImage(ByteSpan data, std::string_view format, PixelSize cover = {});

}  // namespace ris
