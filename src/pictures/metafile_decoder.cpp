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
#include <optional>
#include <string>
#include <vector>

#include "base/byte_reader.h"
#include "pictures/decode_budget.h"
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
// GDI plays every record over the picture, and a record of a few bytes may
// fill all of it: the records together may paint kPassesPerPicture times
// what the bytes would pay for at 64 Ki pixels each.
constexpr Density kMetafileDensity{65536, 1};
constexpr std::uint16_t kEndRecord = 0;

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

// GDI walks a WMF's records by their sizes, as it does an EMF's: each must
// hold at least its size and function (3 words) and lie within the data.
// The end record, or the end of the data, ends them (a stray byte after the
// last record is dropped before GDI sees it). Calls `visit` with
// each record's function and parameters and counts the records into
// `frame`; false when one does not fit.
template <typename Visit>
bool WalkWmfRecords(ByteSpan wmf, MetafileFrame& frame, Visit visit) {
  ByteReader reader(wmf);
  reader.Skip(kWmfHeaderSize);
  if (reader.Overrun()) return false;
  frame.Records = 0;
  while (reader.Remaining() > 1) {
    const std::uint32_t words = reader.U32();
    const std::uint16_t function = reader.U16();
    if (reader.Overrun() || words < 3 || (words - 3) > reader.Remaining() / 2) return false;
    ++frame.Records;
    if (function == kEndRecord) break;
    visit(function, ByteReader(reader.Bytes((words - 3) * std::size_t{2})));
  }
  return true;
}

void IgnoreRecord(std::uint16_t /*function*/, const ByteReader& /*parameters*/) {}

Result<MetafileFrame, DecodeError> MeasurePlaceable(ByteSpan data) {
  if (data.size() < kPlaceableSize + kWmfHeaderSize) return Failure{decode_errors::ReadError(kShortName)};
  ByteReader reader(data);
  reader.Skip(4 + 2);
  const auto left = static_cast<std::int16_t>(reader.U16());
  const auto top = static_cast<std::int16_t>(reader.U16());
  const auto right = static_cast<std::int16_t>(reader.U16());
  const auto bottom = static_cast<std::int16_t>(reader.U16());
  const std::uint16_t inch = reader.U16();
  if (reader.Overrun() || inch == 0 || !PlainWmfHeader(ByteReader(data.subspan(kPlaceableSize)))) {
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
  if (!WalkWmfRecords(data.subspan(kPlaceableSize), frame, IgnoreRecord)) {
    return Failure{decode_errors::InvalidFormat(kShortName)};
  }
  return Sized(frame);
}

// A plain WMF: the last window extent its records set, in pixels.
Result<MetafileFrame, DecodeError> MeasurePlain(ByteSpan data) {
  MetafileFrame frame;
  const bool intact = WalkWmfRecords(data, frame, [&](std::uint16_t function, ByteReader parameters) {
    if (function != kSetWindowExt) return;
    frame.Height = std::abs(static_cast<std::int16_t>(parameters.U16()));
    frame.Width = std::abs(static_cast<std::int16_t>(parameters.U16()));
  });
  if (!intact) return Failure{decode_errors::InvalidFormat(kShortName)};
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
std::optional<std::size_t> EnhancedRecords(ByteSpan data) {
  ByteReader header(data);
  header.Skip(4);
  const std::uint32_t header_size = header.U32();
  header.Skip(kEmfFileSizeAt - kEmfRecordStart);
  const std::uint32_t file_size = header.U32();
  if (header.Overrun() || header_size < kEmfHeaderFields || header_size > file_size || file_size > data.size()) {
    return std::nullopt;
  }
  ByteReader records(data.first(file_size));
  std::size_t count = 0;
  while (records.Remaining() > 0) {
    records.Skip(4);
    const std::uint32_t size = records.U32();
    if (records.Overrun() || size < kEmfRecordStart || size % 4 != 0) return std::nullopt;
    records.Skip(size - kEmfRecordStart);
    if (records.Overrun()) return std::nullopt;
    ++count;
  }
  return count;
}

Result<MetafileFrame, DecodeError> MeasureEnhanced(ByteSpan data) {
  ByteReader reader(data);
  reader.Skip(8);
  std::int32_t bounds[4];
  std::int32_t frame_rect[4];
  for (auto& side : bounds) side = static_cast<std::int32_t>(reader.U32());
  for (auto& side : frame_rect) side = static_cast<std::int32_t>(reader.U32());
  const auto records = reader.U32() == kEmfSignature && !reader.Overrun() ? EnhancedRecords(data) : std::nullopt;
  if (!records) return Failure{decode_errors::InvalidFormat(kShortName)};
  MetafileFrame frame;
  frame.Enhanced = true;
  frame.Records = *records;
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
    const DecodeBudget budget(kShortName, data.size(), kMetafileDensity);
    return TPicture::DeferredReducible(
        frame.Width, frame.Height, false,
        [player, bytes, frame, budget](PixelSize cover) -> Result<PixelImage, DecodeError> {
          const PixelSize size = MetafileDrawnSize(frame, cover);
          // The size drawn at is held whole: it must fit what the bytes
          // can paint, as any decoded picture must.
          if (!budget.Allows(size.Width, size.Height)) return Failure{budget.Refusal()};
          if (frame.Records > budget.PassesOver(std::uint64_t{static_cast<std::uint32_t>(size.Width)} *
                                                static_cast<std::uint32_t>(size.Height))) {
            return Failure{budget.Refusal()};
          }
          return player->Play(*bytes, frame, size);
        });
  }
};

}  // namespace

Result<MetafileFrame, DecodeError> MeasureMetafile(ByteSpan data) {
  ByteReader reader(data);
  const std::uint32_t key = reader.U32();
  if (reader.Overrun()) return Failure{decode_errors::ReadError(kShortName)};
  if (key == kPlaceableKey) return MeasurePlaceable(data);
  if (key == 1) return MeasureEnhanced(data);
  if (PlainWmfHeader(ByteReader(data))) return MeasurePlain(data);
  return Failure{decode_errors::InvalidFormat(kShortName)};
}

PixelSize MetafileDrawnSize(const MetafileFrame& frame, PixelSize cover) {
  const PixelSize whole{frame.Width, frame.Height};
  if (cover.Width <= 0 || cover.Height <= 0 || cover.Width >= frame.Width || cover.Height >= frame.Height) {
    return whole;
  }
  const double scale = std::max(static_cast<double>(cover.Width) / frame.Width,
                                static_cast<double>(cover.Height) / frame.Height);
  const auto side = [&](std::int32_t own, std::int32_t least) {
    return std::clamp(static_cast<std::int32_t>(std::ceil(own * scale)), least, own);
  };
  return {side(frame.Width, cover.Width), side(frame.Height, cover.Height)};
}

void InstallMetafilePlayer(std::shared_ptr<const MetafilePlayer> player) { InstalledPlayer() = std::move(player); }

std::shared_ptr<const ImageDecoder> MakeMetafileDecoder() { return std::make_shared<const MetafileDecoder>(); }

}  // namespace ris
