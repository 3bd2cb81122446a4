#include "exif_orientation.h"

#include "base/byte_reader.h"

namespace ris::tool {
namespace {

constexpr std::uint8_t kMarker = 0xFF;
constexpr std::uint8_t kStartOfImage = 0xD8;
constexpr std::uint8_t kStartOfScan = 0xDA;
constexpr std::uint8_t kApp1 = 0xE1;
constexpr std::string_view kExifHeader{"Exif\0\0", 6};
constexpr std::uint16_t kOrientationTag = 0x0112;
constexpr std::uint16_t kShortType = 3;
constexpr std::size_t kIfdEntrySize = 12;

// A TIFF block's numbers in its own byte order.
class TiffReader {
 public:
  TiffReader(std::string_view tiff, bool big_endian) : tiff_(tiff), big_endian_(big_endian) {}

  std::optional<std::uint32_t> At(std::size_t offset, std::size_t width) const {
    if (offset > tiff_.size() || tiff_.size() - offset < width) return std::nullopt;
    ByteReader reader(tiff_.substr(offset, width));
    if (width == 2) return big_endian_ ? reader.U16Big() : reader.U16();
    return big_endian_ ? reader.U32Big() : reader.U32();
  }

 private:
  std::string_view tiff_;
  bool big_endian_;
};

}  // namespace

std::optional<ExifOrientation> FindExifOrientation(std::string_view jpeg) {
  ByteReader reader(jpeg);
  if (reader.U8() != kMarker || reader.U8() != kStartOfImage) return std::nullopt;
  while (!reader.Overrun() && reader.Remaining() >= 4) {
    if (reader.U8() != kMarker) return std::nullopt;
    const std::uint8_t marker = reader.U8();
    if (marker == kMarker) continue;  // fill byte before a marker
    if (marker == kStartOfScan) return std::nullopt;
    const std::uint16_t length = reader.U16Big();
    if (length < 2) return std::nullopt;
    const std::size_t start = reader.Position();
    const std::string_view segment = reader.Bytes(length - 2u);
    if (reader.Overrun()) return std::nullopt;
    if (marker != kApp1 || !segment.starts_with(kExifHeader)) continue;
    std::optional<ExifOrientation> found = FindTiffOrientation(segment.substr(kExifHeader.size()));
    if (found) found->Offset += start + kExifHeader.size();
    return found;
  }
  return std::nullopt;
}

std::optional<ExifOrientation> FindTiffOrientation(std::string_view tiff) {
  bool big_endian = false;
  if (tiff.starts_with(std::string_view("II*\0", 4))) {
    big_endian = false;
  } else if (tiff.starts_with(std::string_view("MM\0*", 4))) {
    big_endian = true;
  } else {
    return std::nullopt;
  }
  const TiffReader read(tiff, big_endian);
  const std::optional<std::uint32_t> directory = read.At(4, 4);
  const std::optional<std::uint32_t> count = directory ? read.At(*directory, 2) : std::nullopt;
  if (!count) return std::nullopt;
  for (std::uint32_t i = 0; i < *count; ++i) {
    const std::size_t entry = std::size_t{*directory} + 2 + std::size_t{i} * kIfdEntrySize;
    const std::optional<std::uint32_t> tag = read.At(entry, 2);
    if (!tag) return std::nullopt;  // the directory runs past the block
    if (*tag != kOrientationTag) continue;
    const std::optional<std::uint32_t> type = read.At(entry + 2, 2);
    const std::optional<std::uint32_t> value = read.At(entry + 8, 2);
    if (type != kShortType || !value) return std::nullopt;
    return ExifOrientation{static_cast<std::uint16_t>(*value), entry + 8, big_endian};
  }
  return std::nullopt;
}

void SetExifOrientation(std::string& jpeg, const ExifOrientation& tag, std::uint16_t value) {
  if (tag.Offset > jpeg.size() || jpeg.size() - tag.Offset < 2) return;
  const auto high = static_cast<char>(value >> 8);
  const auto low = static_cast<char>(value & 0xFF);
  jpeg[tag.Offset] = tag.BigEndian ? high : low;
  jpeg[tag.Offset + 1] = tag.BigEndian ? low : high;
}

}  // namespace ris::tool
