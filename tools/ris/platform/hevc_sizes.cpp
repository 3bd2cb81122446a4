#include "hevc_sizes.h"

#include <algorithm>
#include <optional>
#include <string>

#include "base/byte_reader.h"

namespace ris::tool {
namespace {

constexpr std::uint8_t kSequenceParameterSet = 33;
constexpr std::size_t kHvccHeaderSize = 22;

// Bits of a NAL unit's payload, its emulation prevention bytes (0x000003)
// taken out.
class BitReader {
 public:
  explicit BitReader(std::string_view nal) {
    int zeros = 0;
    for (const char c : nal) {
      const auto byte = static_cast<std::uint8_t>(c);
      if (zeros >= 2 && byte == 3) {
        zeros = 0;
        continue;
      }
      zeros = byte == 0 ? zeros + 1 : 0;
      bytes_.push_back(static_cast<char>(byte));
    }
  }

  std::uint64_t Bits(int count) {
    std::uint64_t value = 0;
    for (int i = 0; i < count; ++i) {
      if (position_ >= bytes_.size() * 8) {
        overrun_ = true;
        return 0;
      }
      const auto byte = static_cast<std::uint8_t>(bytes_[position_ / 8]);
      value = value << 1 | ((byte >> (7 - position_ % 8)) & 1u);
      ++position_;
    }
    return value;
  }

  // Exp-Golomb ue(v); more than 32 leading zeros is no number HEVC writes.
  std::uint64_t Unsigned() {
    int zeros = 0;
    while (!overrun_ && Bits(1) == 0) {
      if (++zeros > 32) overrun_ = true;
    }
    if (overrun_) return 0;
    return (std::uint64_t{1} << zeros) - 1 + Bits(zeros);
  }

  bool Overrun() const { return overrun_; }

 private:
  std::string bytes_;
  std::size_t position_ = 0;
  bool overrun_ = false;
};

void SkipProfileTierLevel(BitReader& bits, int sub_layers) {
  bits.Bits(96);  // the general profile, tier and level
  std::vector<std::pair<bool, bool>> present;
  for (int i = 0; i < sub_layers; ++i) present.emplace_back(bits.Bits(1) != 0, bits.Bits(1) != 0);
  if (sub_layers > 0) bits.Bits(2 * (8 - sub_layers));
  for (const auto& [profile, level] : present) bits.Bits((profile ? 88 : 0) + (level ? 8 : 0));
}

// Width and height from a sequence parameter set, its two-byte NAL header
// first.
std::optional<std::pair<std::int64_t, std::int64_t>> SpsSize(std::string_view nal) {
  BitReader bits(nal);
  bits.Bits(16 + 4);
  const int sub_layers = static_cast<int>(bits.Bits(3));
  bits.Bits(1);
  SkipProfileTierLevel(bits, sub_layers);
  bits.Unsigned();
  if (bits.Unsigned() == 3) bits.Bits(1);
  const auto width = static_cast<std::int64_t>(bits.Unsigned());
  const auto height = static_cast<std::int64_t>(bits.Unsigned());
  if (bits.Overrun()) return std::nullopt;
  return std::pair{width, height};
}

void ReadHvcc(std::string_view hvcc, HevcSizes& found) {
  ByteReader reader(hvcc);
  reader.Skip(kHvccHeaderSize);
  const std::uint8_t arrays = reader.U8();
  for (std::uint8_t a = 0; a < arrays && !reader.Overrun(); ++a) {
    const std::uint8_t type = reader.U8() & 0x3F;
    const std::uint16_t units = reader.U16Big();
    for (std::uint16_t u = 0; u < units && !reader.Overrun(); ++u) {
      const std::string_view nal = reader.Bytes(reader.U16Big());
      if (type != kSequenceParameterSet || reader.Overrun()) continue;
      const auto size = SpsSize(nal);
      if (size) found.Sizes.push_back(*size);
      found.Readable = found.Readable && size.has_value();
    }
  }
  found.Readable = found.Readable && !reader.Overrun();
}

// Walks the boxes of `bytes`, going into those named in `path` in turn
// (a full box's version and flags skipped), and reads every hvcC at its end.
void Walk(std::string_view bytes, std::string_view path, HevcSizes& found) {
  ByteReader reader(bytes);
  while (reader.Remaining() >= 8) {
    std::uint64_t size = reader.U32Big();
    const std::string_view type = reader.Bytes(4);
    std::size_t header = 8;
    if (size == 1) {
      const std::uint64_t high = reader.U32Big();
      size = high << 32 | reader.U32Big();
      header = 16;
    } else if (size == 0) {
      size = reader.Remaining() + header;
    }
    if (size < header || size - header > reader.Remaining()) {
      found.Readable = false;
      return;
    }
    const std::string_view content = reader.Bytes(static_cast<std::size_t>(size - header));
    if (path.empty() && type == "hvcC") ReadHvcc(content, found);
    if (!path.empty() && type == path.substr(0, 4)) {
      Walk(type == "meta" ? content.substr(std::min<std::size_t>(4, content.size())) : content, path.substr(4), found);
    }
  }
}

}  // namespace

HevcSizes HevcSizesIn(std::string_view heif) {
  HevcSizes found;
  Walk(heif, "metaiprpipco", found);
  return found;
}

}  // namespace ris::tool
