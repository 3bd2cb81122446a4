#pragma once
// Portable Network Graphics: every colour type and bit depth, palette and
// colour-key transparency, Adam7 interlacing. Sixteen-bit samples keep their
// high byte. Every chunk's CRC is checked; ancillary chunks are skipped.

#include "base/result.h"
#include "pictures/image_decoder.h"
#include "pictures/picture.h"

namespace ris {

// The whole picture decoded at once; also used for the PNG payloads of icons.
Result<PixelImage, DecodeError> DecodePngImage(ByteSpan data);

// True when the data starts with the eight-byte PNG signature.
bool IsPngSignature(ByteSpan data) noexcept;

}  // namespace ris
