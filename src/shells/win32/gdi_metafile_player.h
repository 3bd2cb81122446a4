#pragma once
// Draws Windows metafiles with GDI: a WMF is first turned into an enhanced
// metafile of its measured size, then the enhanced metafile is played onto
// a white 32-bit DIB section of the size the picture is drawn at.

#include "pictures/metafile_decoder.h"

namespace ris {

class GdiMetafilePlayer final : public MetafilePlayer {
 public:
  Result<PixelImage, DecodeError> Play(ByteSpan metafile, const MetafileFrame& frame, PixelSize size) const override;
};

}  // namespace ris
