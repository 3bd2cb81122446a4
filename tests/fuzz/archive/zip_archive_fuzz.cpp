// The data archive is read from beside the executable, where anyone may have
// replaced it. Whatever its bytes, opening it and extracting every entry must
// end in a value: entries or a ZipError with a detail, never a crash, a hang
// or an allocation beyond the limits.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "archive/zip_archive.h"

namespace {

void ExtractAll(const ris::ZipArchive& archive, std::string_view password) {
  for (std::size_t i = 0; i < archive.EntryCount(); ++i) {
    const auto extracted = archive.Extract(i, password);
    if (extracted) {
      // Success promises the declared size; the CRC check vouches for the rest.
      if (extracted->size() != archive.Entry(i).UncompressedSize) std::abort();
    } else if (extracted.error().Detail.empty()) {
      std::abort();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto bytes = std::make_shared<const std::string>(reinterpret_cast<const char*>(data), size);
  const auto archive = ris::ZipArchive::Open(std::move(bytes));
  if (!archive) {
    if (archive.error().Detail.empty()) std::abort();
    return 0;
  }
  ExtractAll(*archive, "password");
  ExtractAll(*archive, "");
  return 0;
}
