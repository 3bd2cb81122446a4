#pragma once
// The picture sizes a HEIF file's HEVC headers declare. libheif (1.15)
// hands each image's stored parameter sets to its HEVC decoder, which
// allocates the size they give before libheif compares it with the size
// the file declares elsewhere: so these are measured first, from the
// sequence parameter sets of every hvcC property.

#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

namespace ris::tool {

struct HevcSizes {
  std::vector<std::pair<std::int64_t, std::int64_t>> Sizes;  // width, height of each parameter set
  bool Readable = true;  // false when a box or parameter set runs past its bytes
};

HevcSizes HevcSizesIn(std::string_view heif);

}  // namespace ris::tool
