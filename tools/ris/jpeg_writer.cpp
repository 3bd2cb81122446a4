#include "jpeg_writer.h"

#include <turbojpeg.h>

#include <memory>

#include "base/errors.h"

namespace ris::tool {
namespace {

struct CompressorCloser {
  void operator()(void* handle) const noexcept { tjDestroy(handle); }
};
struct BufferFreer {
  void operator()(unsigned char* buffer) const noexcept { tjFree(buffer); }
};

}  // namespace

std::string EncodeJpeg(const PixelImage& image, int quality) {
  const std::unique_ptr<void, CompressorCloser> handle(tjInitCompress());
  if (!handle) throw ESaverError("the JPEG encoder could not start");
  unsigned char* output = nullptr;
  unsigned long output_size = 0;
  // The pixels are B, G, R, A in memory: TurboJPEG's BGRA layout.
  const int status = tjCompress2(handle.get(), reinterpret_cast<const unsigned char*>(image.Pixels.data()),
                                 image.Width, 0, image.Height, TJPF_BGRA, &output, &output_size, TJSAMP_420,
                                 quality, TJFLAG_ACCURATEDCT);
  const std::unique_ptr<unsigned char, BufferFreer> owned(output);
  if (status != 0 || output == nullptr) throw ESaverError(std::string("JPEG encoding failed: ") + tjGetErrorStr2(handle.get()));
  return std::string(reinterpret_cast<const char*>(output), output_size);
}

}  // namespace ris::tool
