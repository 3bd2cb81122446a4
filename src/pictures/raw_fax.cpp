#include "pictures/raw_fax.h"

#include <initializer_list>
#include <limits>

#include "pictures/tiff_decoder.h"

namespace ris {
namespace {

// End of line: at least eleven 0 bits (more are fill), then a 1.
constexpr std::uint32_t kEndOfLineZeros = 11;

class BitWalker {
 public:
  BitWalker(ByteSpan bytes, FaxBitOrder order) : bytes_(bytes), order_(order) {}
  bool Done() const { return index_ >= bytes_.size() * 8; }
  bool Next() {
    const std::uint8_t byte = bytes_[index_ / 8];
    const unsigned bit = static_cast<unsigned>(index_ % 8);
    ++index_;
    return order_ == FaxBitOrder::HighFirst ? ((byte >> (7 - bit)) & 1) != 0 : ((byte >> bit) & 1) != 0;
  }

 private:
  ByteSpan bytes_;
  FaxBitOrder order_;
  std::size_t index_ = 0;
};

class TiffWriter {
 public:
  void U16(std::uint16_t value) {
    bytes_.push_back(static_cast<std::uint8_t>(value));
    bytes_.push_back(static_cast<std::uint8_t>(value >> 8));
  }
  void U32(std::uint32_t value) {
    U16(static_cast<std::uint16_t>(value));
    U16(static_cast<std::uint16_t>(value >> 16));
  }
  // A directory entry of one SHORT (type 3) or LONG (type 4) value.
  void Entry(std::uint16_t tag, std::uint16_t type, std::uint32_t value) {
    U16(tag);
    U16(type);
    U32(1);
    if (type == kShort) {
      U16(static_cast<std::uint16_t>(value));
      U16(0);
    } else {
      U32(value);
    }
  }
  std::vector<std::uint8_t>& Bytes() { return bytes_; }

  static constexpr std::uint16_t kShort = 3;
  static constexpr std::uint16_t kLong = 4;

 private:
  std::vector<std::uint8_t> bytes_;
};

}  // namespace

std::uint32_t CountFaxLines(ByteSpan stream, FaxBitOrder order) {
  BitWalker bits(stream, order);
  std::uint32_t lines = 0;
  std::uint32_t zeros = 0;
  bool after_end_of_line = false;
  bool first_bit = false;         // the next bit is the first after an end of line
  std::uint32_t data_ones = 0;    // 1 bits since it, but for a first (tag) bit
  const auto close_line = [&] {
    if (after_end_of_line && data_ones > 0) ++lines;
    return after_end_of_line && data_ones == 0;
  };
  while (!bits.Done()) {
    if (!bits.Next()) {
      ++zeros;
      first_bit = false;
      continue;
    }
    if (zeros >= kEndOfLineZeros) {
      // Two end-of-line codes with no line between end the page.
      if (close_line()) return lines;
      after_end_of_line = true;
      first_bit = true;
      data_ones = 0;
    } else if (!std::exchange(first_bit, false)) {
      ++data_ones;
    }
    zeros = 0;
  }
  close_line();
  return lines;
}

std::vector<std::uint8_t> WrapFaxInTiff(ByteSpan stream, std::uint32_t lines, FaxBitOrder order,
                                        bool two_dimensional) {
  constexpr std::uint16_t kEntries = 11;
  constexpr std::uint32_t kStripOffset = 8 + 2 + kEntries * 12 + 4;
  TiffWriter out;
  out.U16(0x4949);  // "II": little-endian
  out.U16(42);
  out.U32(8);
  out.U16(kEntries);
  out.Entry(256, TiffWriter::kLong, kFaxLineWidth);          // image width
  out.Entry(257, TiffWriter::kLong, lines);                  // image length
  out.Entry(258, TiffWriter::kShort, 1);                     // bits per sample
  out.Entry(259, TiffWriter::kShort, 3);                     // compression: CCITT Group 3
  out.Entry(262, TiffWriter::kShort, 0);                     // 0 is white
  out.Entry(266, TiffWriter::kShort, order == FaxBitOrder::HighFirst ? 1 : 2);  // fill order
  out.Entry(273, TiffWriter::kLong, kStripOffset);
  out.Entry(277, TiffWriter::kShort, 1);                     // samples per pixel
  out.Entry(278, TiffWriter::kLong, lines);                  // rows per strip: one strip
  out.Entry(279, TiffWriter::kLong, static_cast<std::uint32_t>(stream.size()));
  out.Entry(292, TiffWriter::kLong, two_dimensional ? 1 : 0);  // Group 3 options
  out.U32(0);  // no further directory
  std::vector<std::uint8_t>& bytes = out.Bytes();
  bytes.insert(bytes.end(), stream.begin(), stream.end());
  return std::move(bytes);
}

namespace {

// How a raw page is coded: the first bit order and coding under which its
// lines decode without damage, tried at a size of one pixel.
struct FaxCoding {
  FaxBitOrder Order = FaxBitOrder::HighFirst;
  bool TwoDimensional = false;
  std::uint32_t Lines = 0;
};

Result<FaxCoding, DecodeError> FindFaxCoding(ByteSpan stream, std::string_view format) {
  if (stream.size() > std::numeric_limits<std::uint32_t>::max() - 1024) return Failure{decode_errors::TooLarge(format)};
  for (const FaxBitOrder order : {FaxBitOrder::HighFirst, FaxBitOrder::LowFirst}) {
    const std::uint32_t lines = CountFaxLines(stream, order);
    if (lines == 0) continue;
    if (!PictureSizeAllowed(kFaxLineWidth, lines)) return Failure{decode_errors::TooLarge(format)};
    for (const bool two_dimensional : {false, true}) {
      const std::vector<std::uint8_t> tiff = WrapFaxInTiff(stream, lines, order, two_dimensional);
      if (DecodeTiffImage(tiff, format, {1, 1})) return FaxCoding{order, two_dimensional, lines};
    }
  }
  return Failure{decode_errors::InvalidFormat(format)};
}

}  // namespace

Result<PixelSize, DecodeError> MeasureRawFaxPage(ByteSpan stream, std::string_view format) {
  auto coding = FindFaxCoding(stream, format);
  if (!coding) return Failure{coding.error()};
  return PixelSize{static_cast<std::int32_t>(kFaxLineWidth), static_cast<std::int32_t>(coding->Lines)};
}

Result<PixelImage, DecodeError> DecodeRawFaxPage(ByteSpan stream, std::string_view format, PixelSize cover) {
  auto coding = FindFaxCoding(stream, format);
  if (!coding) return Failure{coding.error()};
  const std::vector<std::uint8_t> tiff = WrapFaxInTiff(stream, coding->Lines, coding->Order, coding->TwoDimensional);
  return DecodeTiffImage(tiff, format, cover);
}

}  // namespace ris
