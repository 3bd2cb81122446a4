#include "shells/win32/gdi_metafile_player.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace ris {
namespace {

DecodeError Unplayable() { return decode_errors::InvalidFormat("metafile"); }

constexpr std::size_t kWmfHeaderSize = 18;

// GDI takes a WMF only with the header of one made in memory (type 1,
// version 0x300) and of a whole number of words; some GDIs refuse any other.
// Files from older programs say disk (type 2) or version 0x100 and may end
// in a stray byte, over the same records: those get the header GDI takes.
std::vector<std::uint8_t> WithMemoryHeader(ByteSpan records) {
  const ByteSpan whole_words = records.first(records.size() & ~std::size_t{1});
  std::vector<std::uint8_t> copy(whole_words.begin(), whole_words.end());
  copy[0] = 1;  // type: memory
  copy[1] = 0;
  copy[4] = 0x00;  // version 0x0300
  copy[5] = 0x03;
  return copy;
}

// The metafile as GDI's enhanced kind, or null when GDI refuses its bytes.
HENHMETAFILE EnhancedMetafile(ByteSpan metafile, const MetafileFrame& frame) {
  if (frame.Enhanced) return SetEnhMetaFileBits(static_cast<UINT>(metafile.size()), metafile.data());
  if (metafile.size() < frame.RecordsAt + kWmfHeaderSize) return nullptr;
  const std::vector<std::uint8_t> records = WithMemoryHeader(metafile.subspan(frame.RecordsAt));
  // Anisotropic with the extents in 0.01 mm: the recording is stretched to
  // the size the header gives.
  METAFILEPICT picture{MM_ANISOTROPIC, frame.HundredthsMmWidth, frame.HundredthsMmHeight, nullptr};
  return SetWinMetaFileBits(static_cast<UINT>(records.size()), records.data(), nullptr, &picture);
}

// A top-down 32-bit DIB section of the size drawn, selected into a memory
// device context; both are released with the canvas.
class DibCanvas {
 public:
  DibCanvas(std::int32_t width, std::int32_t height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // negative: rows top to bottom
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
    if (dc_ != nullptr && bitmap_ != nullptr) previous_ = SelectObject(dc_, bitmap_);
  }
  ~DibCanvas() {
    if (previous_ != nullptr) SelectObject(dc_, previous_);
    if (bitmap_ != nullptr) DeleteObject(bitmap_);
    if (dc_ != nullptr) DeleteDC(dc_);
  }
  DibCanvas(const DibCanvas&) = delete;
  DibCanvas& operator=(const DibCanvas&) = delete;

  bool Ready() const noexcept { return previous_ != nullptr && bits_ != nullptr; }
  HDC Dc() const noexcept { return dc_; }
  const void* Bits() const noexcept { return bits_; }

 private:
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  void* bits_ = nullptr;
};

}  // namespace

Result<PixelImage, DecodeError> GdiMetafilePlayer::Play(ByteSpan metafile, const MetafileFrame& frame,
                                                       PixelSize size) const {
  const HENHMETAFILE enhanced = EnhancedMetafile(metafile, frame);
  if (enhanced == nullptr) return Failure{Unplayable()};
  DibCanvas canvas(size.Width, size.Height);
  if (!canvas.Ready()) {
    DeleteEnhMetaFile(enhanced);
    return Failure{decode_errors::TooLarge("metafile")};
  }
  const RECT area{0, 0, size.Width, size.Height};
  FillRect(canvas.Dc(), &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  // A record GDI cannot play is skipped, as the system's viewers do.
  PlayEnhMetaFile(canvas.Dc(), enhanced, &area);
  GdiFlush();
  DeleteEnhMetaFile(enhanced);

  PixelImage image = PixelImage::Blank(size.Width, size.Height);
  std::memcpy(image.Pixels.data(), canvas.Bits(), image.Pixels.size() * sizeof(Bgra));
  for (Bgra& pixel : image.Pixels) pixel.A = 255;  // GDI leaves the fourth byte undefined
  return image;
}

}  // namespace ris
