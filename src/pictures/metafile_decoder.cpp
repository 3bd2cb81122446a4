// Windows metafiles: the size from the header, the pixels from the installed
// player. Layouts (little-endian):
//
// - Placeable WMF: key 0x9AC6CDD7, a handle, the bounding box (left, top,
//   right, bottom, signed 16-bit) in units of which `inch` (16-bit) make an
//   inch, 4 reserved bytes and a checksum; 22 bytes, then a plain WMF.
// - Plain WMF: type (1 memory, 2 disk), header size in words (9), version
//   (0x0100 or 0x0300), ...; 18 bytes, then records of a 32-bit size in
//   words, a 16-bit function and its parameters, up to the end record
//   (function 0). It carries no size of its own; the window extent its
//   records set (SetWindowExt, 0x020C: y, then x) is taken as pixels.
// - EMF: the header record (type 1, size), the bounds in device pixels and
//   the frame in 0.01 mm (two rectangles of 32-bit left, top, right,
//   bottom), the signature " EMF" at offset 40, the version and the file's
//   size in bytes at 48, ... 88 bytes up to the reference device's size in
//   millimetres. Every record, the header first, starts with its type and
//   its size in bytes, a multiple of 4.
#include "pictures/metafile_decoder.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "base/byte_reader.h"
#include "pictures/raster_support.h"

namespace ris {
namespace {

constexpr std::string_view kShortName = "metafile";
constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7u;
constexpr std::size_t kPlaceableSize = 22;
constexpr std::size_t kWmfHeaderSize = 18;
constexpr std::uint16_t kSetWindowExt = 0x020C;
constexpr std::uint32_t kEmfSignature = 0x464D4520u;  // " EMF"
constexpr std::size_t kEmfRecordStart = 8;  // type and size
constexpr std::size_t kEmfFileSizeAt = 48;
constexpr std::size_t kEmfHeaderFields = 88;
constexpr int kPixelsPerInch = 96;
constexpr double kHundredthsMmPerInch = 2540.0;
// Records looked through for a window extent before giving up.
constexpr std::size_t kMaxRecordsScanned = 100000;

std::shared_ptr<const MetafilePlayer>& InstalledPlayer() {
  static std::shared_ptr<const MetafilePlayer> player;
  return player;
}

std::int32_t Rounded(double value) { return static_cast<std::int32_t>(std::lround(value)); }

bool PlainWmfHeader(ByteReader reader) {
  const std::uint16_t type = reader.U16();
  const std::uint16_t header_words = reader.U16();
  const std::uint16_t version = reader.U16();
  return !reader.Overrun() && (type == 1 || type == 2) && header_words == 9 && (version == 0x0100 || version == 0x0300);
}

Result<MetafileFrame, DecodeError> Sized(MetafileFrame frame) {
  if (frame.Width <= 0 || frame.Height <= 0) return Failure{decode_errors::InvalidFormat(kShortName)};
  if (!PictureSizeAllowed(frame.Width, frame.Height)) return Failure{decode_errors::TooLarge(kShortName)};
  return frame;
}

Result<MetafileFrame, DecodeError> MeasurePlaceable(ByteSpan data) {
  if (data.size() < kPlaceableSize + kWmfHeaderSize) return Failure{decode_errors::ReadError(kShortName)};
  ByteReader reader(raster::AsText(data));
  reader.Skip(4 + 2);
  const auto left = static_cast<std::int16_t>(reader.U16());
  const auto top = static_cast<std::int16_t>(reader.U16());
  const auto right = static_cast<std::int16_t>(reader.U16());
  const auto bottom = static_cast<std::int16_t>(reader.U16());
  const std::uint16_t inch = reader.U16();
  if (reader.Overrun() || inch == 0 || !PlainWmfHeader(ByteReader(raster::AsText(data.subspan(kPlaceableSize))))) {
    return Failure{decode_errors::InvalidFormat(kShortName)};
  }
  const double inches_wide = std::abs(right - left) / static_cast<double>(inch);
  const double inches_high = std::abs(bottom - top) / static_cast<double>(inch);
  MetafileFrame frame;
  frame.Width = Rounded(inches_wide * kPixelsPerInch);
  frame.Height = Rounded(inches_high * kPixelsPerInch);
  frame.RecordsAt = kPlaceableSize;
  frame.HundredthsMmWidth = Rounded(inches_wide * kHundredthsMmPerInch);
  frame.HundredthsMmHeight = Rounded(inches_high * kHundredthsMmPerInch);
  return Sized(frame);
}

// A plain WMF: the last window extent its records set, in pixels.
Result<MetafileFrame, DecodeError> MeasurePlain(ByteSpan data) {
  ByteReader reader(raster::AsText(data));
  reader.Skip(kWmfHeaderSize);
  MetafileFrame frame;
  for (std::size_t records = 0; records < kMaxRecordsScanned && reader.Remaining() >= 6; ++records) {
    const std::uint32_t words = reader.U32();
    const std::uint16_t function = reader.U16();
    if (function == 0 || words < 3 || (words - 3) > reader.Remaining() / 2) break;
    ByteReader parameters(reader.Bytes((words - 3) * std::size_t{2}));
    if (function == kSetWindowExt) {
      frame.Height = std::abs(static_cast<std::int16_t>(parameters.U16()));
      frame.Width = std::abs(static_cast<std::int16_t>(parameters.U16()));
    }
  }
  if (frame.Width == 0 || frame.Height == 0) return Failure{decode_errors::NotSupported("Metafiles without a window extent are", kShortName)};
  frame.HundredthsMmWidth = Rounded(frame.Width * kHundredthsMmPerInch / kPixelsPerInch);
  frame.HundredthsMmHeight = Rounded(frame.Height * kHundredthsMmPerInch / kPixelsPerInch);
  return Sized(frame);
}

// GDI walks an EMF's records by their sizes and trusts them: a record of
// size 0 has been seen to make it loop for ever. So every record, the header
// first (with all its fields), must hold at least its type and size, be
// whole 32-bit words and end within the file's size, which must lie within
// the data.
bool EnhancedRecordsIntact(ByteSpan data) {
  ByteReader header(raster::AsText(data));
  header.Skip(4);
  const std::uint32_t header_size = header.U32();
  header.Skip(kEmfFileSizeAt - kEmfRecordStart);
  const std::uint32_t file_size = header.U32();
  if (header.Overrun() || header_size < kEmfHeaderFields || header_size > file_size || file_size > data.size()) {
    return false;
  }
  ByteReader records(raster::AsText(data.first(file_size)));
  while (records.Remaining() > 0) {
    records.Skip(4);
    const std::uint32_t size = records.U32();
    if (records.Overrun() || size < kEmfRecordStart || size % 4 != 0) return false;
    records.Skip(size - kEmfRecordStart);
    if (records.Overrun()) return false;
  }
  return true;
}

Result<MetafileFrame, DecodeError> MeasureEnhanced(ByteSpan data) {
  ByteReader reader(raster::AsText(data));
  reader.Skip(8);
  std::int32_t bounds[4];
  std::int32_t frame_rect[4];
  for (auto& side : bounds) side = static_cast<std::int32_t>(reader.U32());
  for (auto& side : frame_rect) side = static_cast<std::int32_t>(reader.U32());
  if (reader.U32() != kEmfSignature || reader.Overrun() || !EnhancedRecordsIntact(data)) {
    return Failure{decode_errors::InvalidFormat(kShortName)};
  }
  MetafileFrame frame;
  frame.Enhanced = true;
  const double wide = std::abs(static_cast<double>(frame_rect[2]) - frame_rect[0]);
  const double high = std::abs(static_cast<double>(frame_rect[3]) - frame_rect[1]);
  if (wide > 0 && high > 0) {
    frame.Width = Rounded(std::min(wide, 1e9) * kPixelsPerInch / kHundredthsMmPerInch);
    frame.Height = Rounded(std::min(high, 1e9) * kPixelsPerInch / kHundredthsMmPerInch);
  } else {
    // No frame: the bounds, which are inclusive device pixels.
    frame.Width = Rounded(std::min(std::abs(static_cast<double>(bounds[2]) - bounds[0]) + 1, 1e9));
    frame.Height = Rounded(std::min(std::abs(static_cast<double>(bounds[3]) - bounds[1]) + 1, 1e9));
  }
  return Sized(frame);
}

class MetafileDecoder final : public ImageDecoder {
 public:
  std::string_view ShortName() const override { return kShortName; }
  bool IsExtended() const override { return false; }
  bool Recognises(ByteSpan) const override { return false; }

  Result<TPicture, DecodeError> Decode(ByteSpan data) const override {
    auto measured = MeasureMetafile(data);
    if (!measured) return Failure{measured.error()};
    const std::shared_ptr<const MetafilePlayer> player = InstalledPlayer();
    if (!player) return Failure{DecodeError{std::string(kMetafilesDrawnByWindowsOnly)}};
    // The entry's bytes do not outlive the load: the picture keeps a copy
    // and is drawn when first shown.
    auto bytes = std::make_shared<const std::vector<std::uint8_t>>(data.begin(), data.end());
    const MetafileFrame frame = *measured;
    return TPicture::Deferred(frame.Width, frame.Height, false,
                              [player, bytes, frame] { return player->Play(*bytes, frame); });
  }
};

}  // namespace

Result<MetafileFrame, DecodeError> MeasureMetafile(ByteSpan data) {
  ByteReader reader(raster::AsText(data));
  const std::uint32_t key = reader.U32();
  if (reader.Overrun()) return Failure{decode_errors::ReadError(kShortName)};
  if (key == kPlaceableKey) return MeasurePlaceable(data);
  if (key == 1) return MeasureEnhanced(data);
  if (PlainWmfHeader(ByteReader(raster::AsText(data)))) return MeasurePlain(data);
  return Failure{decode_errors::InvalidFormat(kShortName)};
}

void InstallMetafilePlayer(std::shared_ptr<const MetafilePlayer> player) { InstalledPlayer() = std::move(player); }

std::shared_ptr<const ImageDecoder> MakeMetafileDecoder() { return std::make_shared<const MetafileDecoder>(); }

}  // namespace ris
