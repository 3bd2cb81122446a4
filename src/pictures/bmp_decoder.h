#pragma once
// Windows and OS/2 bitmaps (.bmp, .dib, .rle). A file starts with the
// 14-byte "BM" file header (type, size, two reserved words, offset of the
// pixel bits), followed by the device-independent bitmap: an information
// header (12 bytes OS/2 1.x, 16..64 bytes OS/2 2.x, 40/52/56 bytes Windows
// v3, 108 v4, 124 v5), colour masks, a palette, then the pixel rows, bottom
// up unless the height is negative, each padded to four bytes. A .dib may
// also start directly with the information header.

#include "base/result.h"
#include "pictures/image_decoder.h"
#include "pictures/picture.h"

namespace ris {

// Decodes a DIB that starts with its information header; the palette and
// the pixel bits follow it directly. With `icon_mask_follows` the header's
// height covers the picture and its 1-bit AND mask, as in icons: mask bit 1
// makes a pixel transparent, unless a 32-bit picture carries alpha of its
// own. Errors name `format` ("BMP", "ICO").
Result<PixelImage, DecodeError> DecodeDibImage(ByteSpan info_and_bits, bool icon_mask_follows,
                                               std::string_view format);

// The bit depth an information header declares; 0 when there is none.
int DibBitCount(ByteSpan info_and_bits) noexcept;

}  // namespace ris
