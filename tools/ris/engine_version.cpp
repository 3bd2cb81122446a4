#include "engine_version.h"

#include <cstdint>
#include <vector>

#include "base/byte_reader.h"

namespace ris::tool {

namespace {

constexpr std::uint32_t kResourceDirectoryIndex = 2;
constexpr std::uint32_t kVersionResourceType = 16;  // RT_VERSION
constexpr std::uint32_t kSubdirectoryBit = 0x80000000u;
constexpr std::size_t kMaxSections = 96;  // what the loader accepts

std::string_view At(std::string_view bytes, std::uint64_t offset, std::uint64_t size) {
  if (offset > bytes.size() || size > bytes.size() - offset) return {};
  return bytes.substr(static_cast<std::size_t>(offset), static_cast<std::size_t>(size));
}

struct Section {
  std::uint32_t VirtualAddress = 0;
  std::uint32_t RawSize = 0;
  std::uint32_t RawOffset = 0;
};

// The file's sections and where its resources start, as an RVA.
struct PeLayout {
  std::vector<Section> Sections;
  std::uint32_t ResourceRva = 0;

  // The file's bytes of `size` bytes at `rva`; empty when they do not lie
  // whole inside one section's bytes in the file.
  std::string_view Bytes(std::string_view file, std::uint64_t rva, std::uint64_t size) const {
    for (const Section& section : Sections) {
      if (rva < section.VirtualAddress) continue;
      const std::uint64_t into = rva - section.VirtualAddress;
      if (into >= section.RawSize || size > section.RawSize - into) continue;
      return At(file, std::uint64_t{section.RawOffset} + into, size);
    }
    return {};
  }
};

std::optional<PeLayout> ReadLayout(std::string_view file) {
  ByteReader dos(At(file, 0, 64));
  if (dos.U16() != 0x5A4D) return std::nullopt;  // "MZ"
  dos.Skip(58);
  ByteReader pe(file.substr(std::min<std::size_t>(dos.U32(), file.size())));
  if (pe.U32() != 0x00004550) return std::nullopt;  // "PE\0\0"
  pe.Skip(2);
  const std::uint16_t section_count = pe.U16();
  pe.Skip(12);
  const std::uint16_t optional_size = pe.U16();
  pe.Skip(2);
  ByteReader optional(pe.Bytes(optional_size));
  const std::uint16_t magic = optional.U16();
  if (magic != 0x10B && magic != 0x20B) return std::nullopt;  // PE32, PE32+
  optional.Skip(magic == 0x10B ? 90 : 106);
  if (optional.U32() <= kResourceDirectoryIndex) return std::nullopt;
  optional.Skip(8 * kResourceDirectoryIndex);
  PeLayout layout;
  layout.ResourceRva = optional.U32();
  if (optional.Overrun() || pe.Overrun() || section_count > kMaxSections) return std::nullopt;
  for (std::uint16_t i = 0; i < section_count; ++i) {
    ByteReader header(pe.Bytes(40));
    header.Skip(12);
    Section section;
    section.VirtualAddress = header.U32();
    section.RawSize = header.U32();
    section.RawOffset = header.U32();
    if (header.Overrun()) return std::nullopt;
    layout.Sections.push_back(section);
  }
  return layout;
}

// Where the first entry of the resource directory at `directory` leads,
// or the entry with `id` when one is given: an offset from the resources'
// start, its high bit set when it leads to another directory rather than
// to the data.
std::optional<std::uint32_t> DirectoryEntry(std::string_view file, const PeLayout& layout,
                                            std::uint32_t directory, std::optional<std::uint32_t> id) {
  ByteReader header(layout.Bytes(file, std::uint64_t{layout.ResourceRva} + directory, 16));
  header.Skip(12);
  const std::uint32_t count = std::uint32_t{header.U16()} + header.U16();
  if (header.Overrun()) return std::nullopt;
  ByteReader entries(layout.Bytes(file, std::uint64_t{layout.ResourceRva} + directory + 16, std::uint64_t{count} * 8));
  for (std::uint32_t i = 0; i < count && !entries.Overrun(); ++i) {
    const std::uint32_t name = entries.U32();
    const std::uint32_t target = entries.U32();
    if (!entries.Overrun() && (!id || name == *id)) return target;
  }
  return std::nullopt;
}

// The version resource's bytes: the first of its names, in the first of
// its languages.
std::string_view VersionResource(std::string_view file, const PeLayout& layout) {
  std::uint32_t offset = 0;
  // The type's directory, then the name's; the language's entry is the data.
  for (const auto id : {std::optional<std::uint32_t>(kVersionResourceType), std::optional<std::uint32_t>()}) {
    const auto entry = DirectoryEntry(file, layout, offset, id);
    if (!entry || (*entry & kSubdirectoryBit) == 0) return {};
    offset = *entry & ~kSubdirectoryBit;
  }
  const auto entry = DirectoryEntry(file, layout, offset, std::nullopt);
  if (!entry || (*entry & kSubdirectoryBit) != 0) return {};
  ByteReader data(layout.Bytes(file, std::uint64_t{layout.ResourceRva} + *entry, 8));
  const std::uint32_t rva = data.U32();
  const std::uint32_t size = data.U32();
  if (data.Overrun()) return {};
  return layout.Bytes(file, rva, size);
}

// One block of the version resource: a key, a value and child blocks, each
// starting on a 4-byte boundary of the resource.
struct VersionBlock {
  std::u16string Key;
  std::string_view Value;     // the rest of the block after the key, when it has no children
  std::size_t ChildrenAt = 0;  // offsets into the resource
  std::size_t End = 0;
};

std::size_t Aligned(std::size_t offset) { return (offset + 3) & ~std::size_t{3}; }

std::optional<VersionBlock> ReadBlock(std::string_view resource, std::size_t at, std::size_t limit) {
  ByteReader header(At(resource, at, 6));
  const std::uint16_t length = header.U16();
  const std::uint16_t value_length = header.U16();
  header.Skip(2);
  if (header.Overrun() || length < 6 || at + length > limit) return std::nullopt;
  VersionBlock block;
  block.End = at + length;
  std::size_t position = at + 6;
  for (;;) {
    ByteReader unit(At(resource, position, 2));
    const char16_t c = unit.U16();
    if (unit.Overrun() || position + 2 > block.End) return std::nullopt;
    position += 2;
    if (c == 0) break;
    block.Key += c;
  }
  position = std::min(Aligned(position), block.End);
  block.Value = resource.substr(position, block.End - position);
  // The root's value (the fixed file information) counts bytes; the values
  // of the blocks that have children here are empty.
  block.ChildrenAt = std::min(Aligned(position + value_length), block.End);
  return block;
}

// The children of `parent`, in order.
std::vector<VersionBlock> Children(std::string_view resource, const VersionBlock& parent) {
  std::vector<VersionBlock> children;
  for (std::size_t at = parent.ChildrenAt; at + 6 <= parent.End;) {
    auto child = ReadBlock(resource, at, parent.End);
    if (!child) break;
    at = Aligned(child->End);
    children.push_back(std::move(*child));
  }
  return children;
}

// The printable ASCII text of a string value, up to its NUL.
std::optional<std::string> AsciiText(std::string_view value) {
  std::string text;
  ByteReader units(value);
  for (char16_t c = units.U16(); !units.Overrun() && c != 0; c = units.U16()) {
    if (c < 0x20 || c > 0x7E) return std::nullopt;
    text += static_cast<char>(c);
  }
  if (text.empty()) return std::nullopt;
  return text;
}

}  // namespace

std::optional<std::string> EngineVersionOf(std::string_view program) {
  const auto layout = ReadLayout(program);
  if (!layout) return std::nullopt;
  const std::string_view resource = VersionResource(program, *layout);
  const auto root = ReadBlock(resource, 0, resource.size());
  if (!root || root->Key != u"VS_VERSION_INFO") return std::nullopt;
  for (const VersionBlock& info : Children(resource, *root)) {
    if (info.Key != u"StringFileInfo") continue;
    for (const VersionBlock& table : Children(resource, info)) {
      for (const VersionBlock& string : Children(resource, table)) {
        if (string.Key == kEngineMarkName) return AsciiText(string.Value);
      }
    }
  }
  return std::nullopt;
}

}  // namespace ris::tool
