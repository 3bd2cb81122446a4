// Every picture entry of the data archive goes through the standard format
// list: recognisers first, then the decoder of the entry name's extension.
// The first byte picks the name, the rest is the entry's data. Whatever it
// holds, the load and the first drawing end in pixels or a message.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "pictures/file_format_list.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static constexpr std::array<std::string_view, 16> kNames{
      "p.png", "p.jpg", "p.bmp", "p.gif", "p.tga", "p.pcx", "p.sgi", "p.psd",
      "p.ppm", "p.ico", "p.dib", "p.rle", "p.cut", "p.PNG", "noextension", "sets.old\\readme"};
  if (size == 0) return 0;
  const std::string_view name = kNames[data[0] % kNames.size()];
  const ris::ByteSpan bytes(data + 1, size - 1);

  ris::TPicture picture;
  const ris::LoadResult loaded = ris::StandardFormatList().LoadPictureFromStream(picture, bytes, name);
  if (!loaded) {
    // Nothing loaded leaves the target as it was; a failure says why.
    if (!picture.Empty()) std::abort();
    if (loaded.Outcome == ris::LoadOutcome::Failed && loaded.Message.empty()) std::abort();
    return 0;
  }
  const auto pixels = picture.Pixels();
  if (pixels) {
    const ris::PixelImage& image = **pixels;
    if (image.Width != picture.Width() || image.Height != picture.Height()) std::abort();
  } else if (pixels.error().Message.empty()) {
    std::abort();
  }
  return 0;
}
