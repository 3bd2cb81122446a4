// Alias/Wavefront run-length pictures (RLA, and RPF, which keeps the same
// header and colour data). A 740-byte big-endian header: the full and the
// active window (left, right, bottom, top; the active one is the picture),
// the frame number, the colour channels' data type (0 byte, 1 word, 2 long,
// 4 float), the numbers of colour, matte and auxiliary channels, the
// revision and descriptive texts; at 658 the colour bits, the matte type and
// the matte bits. One 32-bit offset per scanline follows, bottom row first.
// A scanline holds each colour channel, then each matte channel, as a 16-bit
// length and that many bytes of run-length code: a signed count n repeats
// the next byte n + 1 times (n >= 0) or copies the next -n bytes. A sample
// wider than 8 bits is coded as its byte planes, most significant first.
// Auxiliary channels (depth and the like) are not pixels and are skipped.
#include "pictures/rla_decoder.h"

#include <cstdint>
#include <optional>
#include <vector>

#include "base/byte_reader.h"
#include "pictures/decode_budget.h"
#include "pictures/raster_support.h"

namespace ris {
namespace {

constexpr std::string_view kShortName = "RLA";
constexpr std::size_t kHeaderSize = 740;

// One group of channels (colour or matte) as the header describes it.
struct ChannelGroup {
  std::uint16_t Count = 0;
  std::uint16_t Type = 0;
  std::uint16_t Bits = 0;

  std::size_t SampleBytes() const noexcept { return (Bits + 7u) / 8u; }
  bool Known() const noexcept { return Type == 0 || Type == 1 || Type == 2 || Type == 4; }
  bool Readable() const noexcept { return (Type == 0 || Type == 1) && Bits >= 1 && Bits <= 16; }
};

struct Header {
  std::int16_t WindowLeft = 0, WindowRight = 0, WindowBottom = 0, WindowTop = 0;
  std::int16_t Left = 0, Right = 0, Bottom = 0, Top = 0;
  ChannelGroup Colour;
  ChannelGroup Matte;

  std::int64_t Width() const noexcept { return std::int64_t{Right} - Left + 1; }
  std::int64_t Height() const noexcept { return std::int64_t{Top} - Bottom + 1; }
};

// The header, when its fields hang together; nothing is read past it.
std::optional<Header> ReadHeader(ByteSpan data) {
  if (data.size() < kHeaderSize) return std::nullopt;
  ByteReader reader(data.first(kHeaderSize));
  const auto next = [&] { return static_cast<std::int16_t>(reader.U16Big()); };
  Header h;
  h.WindowLeft = next(), h.WindowRight = next(), h.WindowBottom = next(), h.WindowTop = next();
  h.Left = next(), h.Right = next(), h.Bottom = next(), h.Top = next();
  reader.Skip(2);  // frame number
  h.Colour.Type = reader.U16Big();
  h.Colour.Count = reader.U16Big();
  h.Matte.Count = reader.U16Big();
  reader.Skip(658 - reader.Position());
  h.Colour.Bits = reader.U16Big();
  h.Matte.Type = reader.U16Big();
  h.Matte.Bits = reader.U16Big();
  const bool windows_ordered = h.WindowLeft <= h.WindowRight && h.WindowBottom <= h.WindowTop &&
                               h.Left <= h.Right && h.Bottom <= h.Top;
  const bool groups_plausible = h.Colour.Count >= 1 && h.Colour.Count <= 4 && h.Matte.Count <= 4 &&
                                h.Colour.Known() && h.Colour.Bits >= 1 && h.Colour.Bits <= 32 &&
                                (h.Matte.Count == 0 || (h.Matte.Known() && h.Matte.Bits >= 1 && h.Matte.Bits <= 32));
  if (!windows_ordered || !groups_plausible) return std::nullopt;
  return h;
}

// Unpacks one channel record of a scanline into `samples` (Width values
// scaled to 8 bits); false when the record is missing, short or overfull.
bool ReadChannel(ByteReader& scanline, const ChannelGroup& group, std::vector<std::uint8_t>& planes,
                 std::vector<std::uint8_t>& samples) {
  const std::string_view record = scanline.Bytes(scanline.U16Big());
  if (scanline.Overrun()) return false;
  const auto unpacked = raster::UnpackRuns(AsBytes(record), planes, [](std::uint8_t control) {
    const auto count = static_cast<std::int8_t>(control);
    return count >= 0 ? raster::RunPacket{static_cast<std::size_t>(count) + 1, true}
                      : raster::RunPacket{static_cast<std::size_t>(-count), false};
  });
  if (unpacked.Overfilled || unpacked.Produced != planes.size()) return false;
  const std::size_t width = samples.size();
  const std::uint32_t maxval = (std::uint32_t{1} << group.Bits) - 1u;
  for (std::size_t x = 0; x < width; ++x) {
    std::uint32_t value = 0;
    for (std::size_t plane = 0; plane < group.SampleBytes(); ++plane) value = (value << 8) | planes[plane * width + x];
    samples[x] = raster::ScaleToByte(value, maxval);
  }
  return true;
}

void Place(Bgra& pixel, std::size_t channel, std::size_t colour_channels, std::uint8_t value) {
  if (colour_channels < 3) {
    if (channel == 0) pixel.R = pixel.G = pixel.B = value;  // grey; a second colour channel is ignored
    return;
  }
  switch (channel) {
    case 0: pixel.R = value; break;
    case 1: pixel.G = value; break;
    case 2: pixel.B = value; break;
    default: break;  // a fourth colour channel has no place in the picture
  }
}

class RlaDecoder final : public ImageDecoder {
 public:
  std::string_view ShortName() const override { return kShortName; }
  bool IsExtended() const override { return true; }
  bool HasSignature() const override { return false; }
  bool Recognises(ByteSpan data) const override { return ReadHeader(data).has_value(); }

  Result<TPicture, DecodeError> Decode(ByteSpan data) const override {
    if (data.size() < kHeaderSize) return Failure{decode_errors::ReadError(kShortName)};
    const auto read = ReadHeader(data);
    if (!read) return Failure{decode_errors::InvalidFormat(kShortName)};
    const Header& h = *read;
    if (!h.Colour.Readable() || (h.Matte.Count > 0 && !h.Matte.Readable())) {
      return Failure{decode_errors::NotSupported("Samples of this type are", kShortName)};
    }
    if (!PictureSizeAllowed(h.Width(), h.Height())) return Failure{decode_errors::TooLarge(kShortName)};
    const auto width = static_cast<std::size_t>(h.Width());
    const auto height = static_cast<std::size_t>(h.Height());
    if ((data.size() - kHeaderSize) / 4 < height) return Failure{decode_errors::ReadError(kShortName)};
    // Two bytes of code give at most 128 bytes of a channel's samples, so a
    // file too short for the picture is refused before anything is
    // allocated, however its scanlines share their records.
    const std::size_t sample_bytes = h.Colour.Count * h.Colour.SampleBytes() + (h.Matte.Count > 0 ? h.Matte.SampleBytes() : 0);
    if (const DecodeBudget budget(kShortName, data.size() - kHeaderSize, Density{128, 2 * sample_bytes});
        !budget.Allows(h.Width(), h.Height())) {
      return Failure{budget.Refusal()};
    }

    ByteReader table(data.subspan(kHeaderSize, height * 4));
    std::vector<std::uint32_t> offsets(height);
    for (auto& offset : offsets) offset = table.U32Big();

    PixelImage image = PixelImage::Blank(static_cast<std::int32_t>(width), static_cast<std::int32_t>(height));
    image.HasAlpha = h.Matte.Count > 0;
    std::vector<std::uint8_t> colour_planes(width * h.Colour.SampleBytes());
    std::vector<std::uint8_t> matte_planes(width * h.Matte.SampleBytes());
    std::vector<std::uint8_t> samples(width);
    for (std::size_t y = 0; y < height; ++y) {
      if (offsets[y] < kHeaderSize || offsets[y] >= data.size()) return Failure{decode_errors::InvalidFormat(kShortName)};
      ByteReader scanline(data.subspan(offsets[y]));
      const auto row = image.Row(static_cast<std::int32_t>(height - 1 - y));
      for (std::size_t c = 0; c < h.Colour.Count; ++c) {
        if (!ReadChannel(scanline, h.Colour, colour_planes, samples)) return Failure{decode_errors::CompressionError(kShortName)};
        for (std::size_t x = 0; x < width; ++x) Place(row[x], c, h.Colour.Count, samples[x]);
      }
      if (h.Matte.Count > 0) {
        if (!ReadChannel(scanline, h.Matte, matte_planes, samples)) return Failure{decode_errors::CompressionError(kShortName)};
        for (std::size_t x = 0; x < width; ++x) row[x].A = samples[x];
      }
    }
    return TPicture::FromPixels(std::move(image), false);
  }
};

}  // namespace

std::shared_ptr<const ImageDecoder> MakeRlaDecoder() { return std::make_shared<const RlaDecoder>(); }

}  // namespace ris
