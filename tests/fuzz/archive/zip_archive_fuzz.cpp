// The data archive is read from beside the executable, where anyone may have
// replaced it. Whatever its bytes, opening it and extracting every entry must
// end in a value: entries or a ZipError with a detail, never a crash, a hang
// or an allocation beyond the limits.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "archive/zip_archive.h"
#include "archive/zip_crypto.h"
#include "base/ascii.h"
#include "data/zip_file_settings.h"

namespace {

// Whatever an entry is called, the set it joins is named in lower case
// without a folder.
void ClassifyAll(const ris::ZipArchive& archive) {
  for (std::size_t i = 0; i < archive.EntryCount(); ++i) {
    const auto place = ris::ClassifyArchiveEntry(archive.Entry(i).Name);
    if (place.SetName.find('\\') != std::string::npos) std::abort();
    if (ris::FoldAscii(place.SetName) != place.SetName) std::abort();
  }
}

// The writer's encryption is undone by the reader's decryption, for any
// password and bytes.
void EncryptionRoundTrip(std::string_view bytes) {
  const std::string_view password = bytes.substr(0, bytes.size() % 16);
  std::string text(bytes);
  ris::ZipCryptoKeys writer(password);
  ris::ZipCryptoKeys reader(password);
  writer.Encrypt(std::span<char>(text));
  reader.Decrypt(std::span<char>(text));
  if (text != bytes) std::abort();
}

// Handed over as it arrives, every encrypted entry through the helper
// thread, an entry gives Extract's bytes or its failure.
void ArrivingAgrees(const ris::ZipArchive& archive, std::size_t index, std::string_view password,
                    const ris::Result<std::string, ris::ZipError>& whole) {
  auto arriving = archive.ExtractArriving(index, password, 0);
  if (!arriving) {
    if (whole || arriving.error().Kind != whole.error().Kind) std::abort();
    return;
  }
  const auto failure = arriving->Finish();
  if (failure) {
    if (whole || failure->Kind != whole.error().Kind) std::abort();
    return;
  }
  const auto bytes = arriving->Bytes();
  if (!whole || std::string_view(reinterpret_cast<const char*>(bytes->Data()), bytes->Size()) != *whole) {
    std::abort();
  }
}

void ExtractAll(const ris::ZipArchive& archive, std::string_view password) {
  for (std::size_t i = 0; i < archive.EntryCount(); ++i) {
    const auto extracted = archive.Extract(i, password);
    ArrivingAgrees(archive, i, password, extracted);
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
  EncryptionRoundTrip(*bytes);
  const auto archive = ris::ZipArchive::Open(std::move(bytes));
  if (!archive) {
    if (archive.error().Detail.empty()) std::abort();
    return 0;
  }
  ClassifyAll(*archive);
  ExtractAll(*archive, "password");
  ExtractAll(*archive, "");
  return 0;
}
