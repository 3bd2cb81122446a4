#include "heif_declarations.h"

#include <algorithm>
#include <map>
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

void ReadHvcc(std::string_view hvcc, HeifDeclarations& found) {
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
      if (size) found.CodedSizes.push_back(*size);
      found.Readable = found.Readable && size.has_value();
    }
  }
  found.Readable = found.Readable && !reader.Overrun();
}

// A big-endian field of `size` bytes (iloc's sizes are 0, 4 or 8).
std::uint64_t Field(ByteReader& reader, unsigned size) {
  std::uint64_t value = 0;
  for (unsigned i = 0; i < size; ++i) value = value << 8 | reader.U8();
  return value;
}

// Where an item's data starts: in the file, or in the idat box.
struct ItemPlace {
  bool InIdat = false;
  std::uint64_t Offset = 0;
};

// What the walk collects beyond the declarations themselves.
struct Boxes {
  std::vector<std::pair<std::uint32_t, bool>> Canvases;  // grid and overlay items: id, whether a grid
  std::map<std::uint32_t, ItemPlace> Places;     // each item's first extent
  std::string_view Idat;
};

void ReadIloc(std::string_view iloc, HeifDeclarations& found, Boxes& boxes) {
  ByteReader reader(iloc);
  const std::uint8_t version = reader.U8();
  reader.Skip(3);
  const std::uint8_t sizes = reader.U8();
  const std::uint8_t more_sizes = reader.U8();
  const unsigned offset_size = sizes >> 4;
  const unsigned length_size = sizes & 15u;
  const unsigned base_offset_size = more_sizes >> 4;
  const unsigned index_size = version == 1 || version == 2 ? more_sizes & 15u : 0;
  const std::uint32_t items = version < 2 ? reader.U16Big() : reader.U32Big();
  for (std::uint32_t item = 0; item < items && !reader.Overrun(); ++item) {
    const std::uint32_t id = version < 2 ? reader.U16Big() : reader.U32Big();
    const bool in_idat = version >= 1 && (reader.U16Big() & 15u) == 1;
    reader.Skip(2);  // the data reference
    const std::uint64_t base = Field(reader, base_offset_size);
    const std::uint16_t extents = reader.U16Big();
    for (std::uint16_t extent = 0; extent < extents && !reader.Overrun(); ++extent) {
      reader.Skip(index_size);
      const std::uint64_t offset = Field(reader, offset_size);
      if (extent == 0) boxes.Places[id] = {in_idat, base + offset};
      found.LongestExtent = std::max(found.LongestExtent, Field(reader, length_size));
    }
  }
  found.Readable = found.Readable && !reader.Overrun();
}

// The items of type "grid" and "iovl" (overlay) among iinf's item entries
// (infe of version 2 or 3; earlier ones carry no type).
void ReadIinf(std::string_view iinf, Boxes& boxes) {
  ByteReader reader(iinf);
  const std::uint8_t version = reader.U8();
  reader.Skip(3 + (version == 0 ? 2 : 4));  // flags and the entry count
  while (reader.Remaining() >= 8 && !reader.Overrun()) {
    const std::uint32_t size = reader.U32Big();
    const std::string_view type = reader.Bytes(4);
    if (size < 8) return;
    const std::string_view entry = reader.Bytes(size - 8);
    if (reader.Overrun() || type != "infe") return;
    ByteReader fields(entry);
    const std::uint8_t entry_version = fields.U8();
    if (entry_version < 2) continue;
    fields.Skip(3);
    const std::uint32_t id = entry_version == 2 ? fields.U16Big() : fields.U32Big();
    fields.Skip(2);  // protection index
    const std::string_view item_type = fields.Bytes(4);
    if ((item_type == "grid" || item_type == "iovl") && !fields.Overrun()) boxes.Canvases.emplace_back(id, item_type == "grid");
  }
}

// The output size of a grid or an overlay, from the start of its data:
// version, flags (bit 0: 32-bit fields), a grid's rows and columns less
// one or an overlay's fill colour (four 16-bit values), width, height.
void ReadCanvases(std::string_view file, const Boxes& boxes, HeifDeclarations& found) {
  for (const auto& [item, grid] : boxes.Canvases) {
    const auto place = boxes.Places.find(item);
    const std::string_view source = place != boxes.Places.end() && place->second.InIdat ? boxes.Idat : file;
    if (place == boxes.Places.end() || place->second.Offset > source.size()) {
      found.Readable = false;
      continue;
    }
    ByteReader reader(source.substr(static_cast<std::size_t>(place->second.Offset)));
    reader.Skip(1);
    const bool wide = (reader.U8() & 1u) != 0;
    reader.Skip(grid ? 2 : 8);
    const std::int64_t width = wide ? reader.U32Big() : reader.U16Big();
    const std::int64_t height = wide ? reader.U32Big() : reader.U16Big();
    if (reader.Overrun()) {
      found.Readable = false;
    } else {
      found.CanvasSizes.emplace_back(width, height);
    }
  }
}

// Reads the boxes of `bytes`, children of a `parent` box ("" at the top):
// meta, its iinf, iloc, idat and iprp, iprp's ipco and the hvcC properties
// in it.
void Walk(std::string_view bytes, std::string_view parent, HeifDeclarations& found, Boxes& boxes) {
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
    if (parent.empty() && type == "meta") {
      Walk(content.substr(std::min<std::size_t>(4, content.size())), type, found, boxes);  // after version and flags
    } else if (parent == "meta" && type == "iloc") {
      ReadIloc(content, found, boxes);
    } else if (parent == "meta" && type == "iinf") {
      ReadIinf(content, boxes);
    } else if (parent == "meta" && type == "idat") {
      boxes.Idat = content;
    } else if ((parent == "meta" && type == "iprp") || (parent == "iprp" && type == "ipco")) {
      Walk(content, type, found, boxes);
    } else if (parent == "ipco" && type == "hvcC") {
      ReadHvcc(content, found);
    }
  }
}

}  // namespace

HeifDeclarations HeifDeclarationsIn(std::string_view heif) {
  HeifDeclarations found;
  Boxes boxes;
  Walk(heif, "", found, boxes);
  ReadCanvases(heif, boxes, found);
  return found;
}

}  // namespace ris::tool
