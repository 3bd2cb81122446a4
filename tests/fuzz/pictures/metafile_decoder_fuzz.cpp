// Metafiles come from the data archive, which anyone may have replaced.
// Measuring ends in a size within the picture limits or an error with a
// message; a picture that loads is drawn, by a stand-in for the Win32
// shell's GDI player, at a size that covers the size shown and never
// exceeds the frame.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "pictures/decoders.h"
#include "pictures/metafile_decoder.h"

namespace {

class StandInPlayer final : public ris::MetafilePlayer {
 public:
  ris::Result<ris::PixelImage, ris::DecodeError> Play(ris::ByteSpan, const ris::MetafileFrame& frame,
                                                      ris::PixelSize size) const override {
    if (size.Width < 1 || size.Height < 1 || size.Width > frame.Width || size.Height > frame.Height) std::abort();
    return ris::PixelImage::Blank(size.Width, size.Height);
  }
};

constexpr ris::PixelSize kShown{320, 200};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const auto decoder = [] {
    ris::InstallMetafilePlayer(std::make_shared<const StandInPlayer>());
    return ris::MakeMetafileDecoder();
  }();
  const ris::ByteSpan bytes(data, size);
  const auto frame = ris::MeasureMetafile(bytes);
  if (frame && !ris::PictureSizeAllowed(frame->Width, frame->Height)) std::abort();
  const auto picture = decoder->Decode(bytes);
  if (!picture) {
    if (picture.error().Message.empty()) std::abort();
    return 0;
  }
  const auto pixels = picture->SharedPixels(kShown);
  if (!pixels) {
    if (pixels.error().Message.empty()) std::abort();
    return 0;
  }
  const bool whole = (*pixels)->Width == picture->Width() && (*pixels)->Height == picture->Height();
  if (!whole && ((*pixels)->Width < kShown.Width || (*pixels)->Height < kShown.Height)) std::abort();
  return 0;
}
