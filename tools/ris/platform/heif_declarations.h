#pragma once
// What a HEIF file's boxes declare that libheif (1.15) acts on before it
// checks it: the sizes of the HEVC parameter sets, which its decoder
// allocates before libheif compares them with the size the file declares
// elsewhere; the lengths of the items' data, which libheif allocates
// before it reads them; and the output size of each grid of tiles or
// overlay, which libheif allocates as that item says, whatever size the
// file declares for the picture. They are read here first, so that a broken file is refused
// at the cost its bytes pay for.

#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

namespace ris::tool {

struct HeifDeclarations {
  std::vector<std::pair<std::int64_t, std::int64_t>> CodedSizes;  // each parameter set's width, height
  std::vector<std::pair<std::int64_t, std::int64_t>> CanvasSizes;  // each grid's or overlay's width, height
  std::uint64_t LongestExtent = 0;  // of any item's data, in bytes
  bool Readable = true;  // false when a box or a field runs past its bytes
};

HeifDeclarations HeifDeclarationsIn(std::string_view heif);

}  // namespace ris::tool
