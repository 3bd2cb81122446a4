#pragma once
// Undoing PNG's row filters. Each row of the inflated data is a filter byte
// (0 none, 1 Sub, 2 Up, 3 Average, 4 Paeth) and the filtered bytes; every
// filter predicts a byte from the one `bpp` bytes to its left, the one above
// it, or both, and the file stores the difference.
//
// Two ways through: UnfilterRow works on the bytes of any pixel layout and
// is the reference; UnfilterRowsToBgra takes the rows of 8-bit RGB and RGBA
// pictures, the common case, straight from the filtered bytes to the
// picture's BGRA pixels in one pass, with SSE2 where the target has it.

#include <cstddef>
#include <cstdint>

#include "pictures/picture.h"

namespace ris::png {

// Unfilters `size` bytes in place. `prior` is the row above, already
// unfiltered (zeros for the first row of a pass); `bpp` is the bytes per
// pixel, rounded up to one. False for an unknown filter.
bool UnfilterRow(std::uint8_t filter, std::uint8_t* row, const std::uint8_t* prior, std::size_t size,
                 std::size_t bpp) noexcept;

// Padding the filtered data must have past the end of its last row: the
// fast path reads whole vectors and may read that far beyond the last row.
inline constexpr std::size_t kFilteredPadding = 16;

// `rows` rows of `width` 8-bit pixels of `channels` (3: RGB, 4: RGBA)
// samples, each its filter byte and its bytes, one after another as they
// inflate, into `rows` x `width` pixels at `out`; `filtered` is left as it
// was. `prior` is the `width` pixels above the first row (zeros for a
// picture's first row). RGB pixels get alpha 255. False for an unknown
// filter.
bool UnfilterRowsToBgra(const std::uint8_t* filtered, int channels, std::size_t width, std::size_t rows,
                        const Bgra* prior, Bgra* out) noexcept;

}  // namespace ris::png
