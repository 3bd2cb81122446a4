#pragma once
// Raw Group 3 fax pages, as fax programs store them: no header, only the
// coded lines of a page 1728 pixels wide, each line after an end-of-line
// code, the page ended by six of them in a row. The stream is wrapped in a
// TIFF directory built in memory and decoded by libtiff's fax codec.

#include <cstdint>
#include <string_view>
#include <vector>

#include "base/pixel_size.h"
#include "pictures/image_decoder.h"

namespace ris {

inline constexpr std::uint32_t kFaxLineWidth = 1728;

// The bit order of the stream's bytes: fax modems send the first bit of a
// byte in its lowest bit, most other programs in its highest.
enum class FaxBitOrder : std::uint8_t { HighFirst, LowFirst };

// The coded lines before the end of the page: each end-of-line code that is
// followed by a line's data.
std::uint32_t CountFaxLines(ByteSpan stream, FaxBitOrder order);

// A TIFF holding `stream` as the one strip of a page of `lines` lines.
// `two_dimensional`: lines may be coded against the line above (each
// end-of-line code is followed by a bit that tells which).
std::vector<std::uint8_t> WrapFaxInTiff(ByteSpan stream, std::uint32_t lines, FaxBitOrder order,
                                        bool two_dimensional);

// The page's size, in the first bit order and coding that decode without
// damage.
Result<PixelSize, DecodeError> MeasureRawFaxPage(ByteSpan stream, std::string_view format);
// The page in that order and coding, at ShownSize(its size, cover).
Result<PixelImage, DecodeError> DecodeRawFaxPage(ByteSpan stream, std::string_view format, PixelSize cover = {});

}  // namespace ris
