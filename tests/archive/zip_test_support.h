#pragma once
// Helpers for the archive tests: the archivers found on the machine, and a
// writer of hand-made archives whose fields the hostile
// cases falsify one at a time.

#include <stdlib.h>
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "archive/zip_crypto.h"
#include "support/temp_folder.h"

namespace ris::test {

using ScratchFolder = testing_support::TempFolder;

inline bool HasTool(const std::string& name) {
  return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

// `value` as `width` little-endian bytes.
inline std::string Le(std::uint64_t value, std::size_t width) {
  std::string bytes;
  for (std::size_t i = 0; i < width; ++i) bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
  return bytes;
}

inline void Put(std::string& bytes, std::size_t at, std::uint64_t value, std::size_t width) {
  bytes.replace(at, width, Le(value, width));
}

inline std::uint32_t Crc(std::string_view bytes) {
  return static_cast<std::uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

inline std::string RawDeflate(std::string_view plain) {
  z_stream stream{};
  deflateInit2(&stream, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&stream, plain.size()), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(plain.data()));
  stream.avail_in = static_cast<uInt>(plain.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

struct TestEntry {
  TestEntry(std::string name, std::string content, std::uint16_t method = 0, std::string password = {},
            bool descriptor = false)
      : Name(std::move(name)), Content(std::move(content)), Method(method),
        Password(std::move(password)), Descriptor(descriptor) {}

  std::string Name;
  std::string Content;
  std::uint16_t Method;  // 0 stores, 8 deflates
  std::string Password;  // encrypts when not empty
  bool Descriptor;       // sizes and CRC blank in the local header, given after the data
};

inline constexpr std::uint16_t kTestTime = 0x9A3C;

inline std::string StoredBytes(const TestEntry& entry) {
  std::string stored = entry.Method == 8 ? RawDeflate(entry.Content) : entry.Content;
  if (entry.Password.empty()) return stored;
  std::string header = "random head";  // fixed: a test needs no randomness
  header += static_cast<char>(entry.Descriptor ? kTestTime >> 8 : Crc(entry.Content) >> 24);
  ZipCryptoKeys keys(entry.Password);
  keys.Encrypt(header);
  keys.Encrypt(stored);
  return header + stored;
}

// Where the records of a built archive start, for tests that falsify them.
struct BuiltZip {
  std::string Bytes;
  std::vector<std::size_t> Local;
  std::vector<std::size_t> Central;
  std::size_t End = 0;
};

inline BuiltZip BuildZip(const std::vector<TestEntry>& entries, std::string_view comment = {}) {
  BuiltZip zip;
  std::string directory;
  for (const TestEntry& e : entries) {
    const std::string stored = StoredBytes(e);
    const std::string flags = Le((e.Password.empty() ? 0 : 1) | (e.Descriptor ? 8 : 0), 2);
    const std::string common = flags + Le(e.Method, 2) + Le(kTestTime, 2) + Le(0x5A21, 2);
    const std::string sizes = Le(Crc(e.Content), 4) + Le(stored.size(), 4) + Le(e.Content.size(), 4);
    const std::string lengths = Le(e.Name.size(), 2) + Le(0, 2);
    zip.Local.push_back(zip.Bytes.size());
    zip.Bytes += Le(0x04034B50, 4) + Le(20, 2) + common + (e.Descriptor ? std::string(12, '\0') : sizes) +
                 lengths + e.Name + stored;
    if (e.Descriptor) zip.Bytes += sizes;  // a descriptor without its optional signature
    zip.Central.push_back(directory.size());
    directory += Le(0x02014B50, 4) + Le(0x00140014, 4) + common + sizes + lengths + std::string(10, '\0') +
                 Le(zip.Local.back(), 4) + e.Name;
  }
  for (std::size_t& at : zip.Central) at += zip.Bytes.size();
  zip.Bytes += directory;
  zip.End = zip.Bytes.size();
  zip.Bytes += Le(0x06054B50, 4) + Le(0, 4) + Le(entries.size(), 2) + Le(entries.size(), 2) +
               Le(directory.size(), 4) + Le(zip.End - directory.size(), 4) + Le(comment.size(), 2);
  zip.Bytes += comment;
  return zip;
}

}  // namespace ris::test
