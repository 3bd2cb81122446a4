#pragma once
// JPEG (JFIF, Exif and Adobe files): a sequence of markers (start of image,
// tables, frame header, one or more scans of entropy-coded data, end of
// image), read with libjpeg. Loading reads the frame header only; the pixels
// are decompressed on first use. The decoder itself is made by
// MakeJpegDecoder (pictures/decoders.h).

#include <cstddef>

namespace ris {

// The memory libjpeg may take for its own buffers (coefficients of
// progressive files among them), beyond the decoded pixels.
inline constexpr std::size_t kMaxJpegWorkingMemory = std::size_t{512} << 20;

}  // namespace ris
