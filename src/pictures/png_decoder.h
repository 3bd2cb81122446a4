#pragma once
// Portable Network Graphics: every colour type and bit depth, palette and
// colour-key transparency, Adam7 interlacing. Sixteen-bit samples keep their
// high byte. Every chunk's CRC is checked; ancillary chunks are skipped.

#include "base/pixel_size.h"
#include "base/result.h"
#include "pictures/image_decoder.h"
#include "pictures/picture.h"

namespace ris {

// The picture at ShownSize(its size, cover), its rows inflated and reduced
// one at a time; with no cover, the whole picture (also for the PNG
// payloads of icons).
Result<PixelImage, DecodeError> DecodePngImage(ByteSpan data, PixelSize cover = {});

// True when the data starts with the eight-byte PNG signature.
bool IsPngSignature(ByteSpan data) noexcept;

}  // namespace ris
