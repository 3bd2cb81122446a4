#include "shells/win32/gdi_metafile_player.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "shells/win32/owned_handle.h"

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

// The metafile as GDI's enhanced kind, or none when GDI refuses its bytes.
OwnedEnhancedMetafile EnhancedMetafile(ByteSpan metafile, const MetafileFrame& frame) {
  if (frame.Enhanced) {
    return OwnedEnhancedMetafile(SetEnhMetaFileBits(static_cast<UINT>(metafile.size()), metafile.data()));
  }
  if (metafile.size() < frame.RecordsAt + kWmfHeaderSize) return {};
  const std::vector<std::uint8_t> records = WithMemoryHeader(metafile.subspan(frame.RecordsAt));
  // Anisotropic with the extents in 0.01 mm: the recording is stretched to
  // the size the header gives.
  METAFILEPICT picture{MM_ANISOTROPIC, frame.HundredthsMmWidth, frame.HundredthsMmHeight, nullptr};
  return OwnedEnhancedMetafile(
      SetWinMetaFileBits(static_cast<UINT>(records.size()), records.data(), nullptr, &picture));
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
    bitmap_.Reset(CreateDIBSection(dc_.Get(), &info, DIB_RGB_COLORS, &bits_, nullptr, 0));
    ready_ = dc_ && bitmap_ && bits_ != nullptr && selections_.Select(bitmap_.Get());
  }

  bool Ready() const noexcept { return ready_; }
  HDC Dc() const noexcept { return dc_.Get(); }
  const void* Bits() const noexcept { return bits_; }

 private:
  OwnedMemoryDc dc_{CreateCompatibleDC(nullptr)};
  OwnedGdiObject<HBITMAP> bitmap_;
  ContextSelections selections_{dc_.Get()};
  void* bits_ = nullptr;
  bool ready_ = false;
};

}  // namespace

Result<PixelImage, DecodeError> GdiMetafilePlayer::Play(ByteSpan metafile, const MetafileFrame& frame,
                                                        PixelSize size) const {
  const OwnedEnhancedMetafile enhanced = EnhancedMetafile(metafile, frame);
  if (!enhanced) return Failure{Unplayable()};
  const DibCanvas canvas(size.Width, size.Height);
  if (!canvas.Ready()) return Failure{decode_errors::TooLarge("metafile")};
  const RECT area{0, 0, size.Width, size.Height};
  FillRect(canvas.Dc(), &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  // A record GDI cannot play is skipped, as the system's viewers do.
  PlayEnhMetaFile(canvas.Dc(), enhanced.Get(), &area);
  GdiFlush();

  PixelImage image = PixelImage::Blank(size.Width, size.Height);
  std::memcpy(image.Pixels.data(), canvas.Bits(), image.Pixels.size() * sizeof(Bgra));
  for (Bgra& pixel : image.Pixels) pixel.A = 255;  // GDI leaves the fourth byte undefined
  return image;
}

}  // namespace ris
