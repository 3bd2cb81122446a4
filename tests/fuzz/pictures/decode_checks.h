#pragma once
// What every decoder fuzz target demands of a decode: pixels of the promised
// size, or an error that says something. Anything else aborts the run.

#include <cstdlib>

#include "pictures/image_decoder.h"

namespace ris::fuzzing {

inline void DecodeAndCheck(const ImageDecoder& decoder, ByteSpan bytes) {
  static_cast<void>(decoder.Recognises(bytes));
  const auto picture = decoder.Decode(bytes);
  if (!picture) {
    if (picture.error().Message.empty()) std::abort();
    return;
  }
  const auto pixels = picture->Pixels();
  // A picture whose pixels come later may still fail then, with a message.
  if (!pixels) {
    if (pixels.error().Message.empty()) std::abort();
    return;
  }
  const PixelImage& image = **pixels;
  if (image.Width != picture->Width() || image.Height != picture->Height() ||
      image.Pixels.size() != static_cast<std::size_t>(image.Width) * static_cast<std::size_t>(image.Height)) {
    std::abort();
  }
}

}  // namespace ris::fuzzing
