// .reg files are edited by hand and read whenever a headless hive opens.
// Beyond not crashing: whatever the reader accepts, the writer must write so
// that reading it again gives the same keys, values and spellings, and
// writing that gives the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "shells/headless/memory_hive.h"
#include "shells/headless/reg_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  ris::MemoryHive first;
  try {
    first = ris::ParseRegFile(text);
  } catch (const ris::ERegFileError& error) {
    if (std::string_view(error.what()).empty()) std::abort();
    return 0;
  }
  const std::string written = ris::WriteRegFile(first);
  const ris::MemoryHive second = ris::ParseRegFile(written);
  if (second.Contents() != first.Contents()) std::abort();
  if (ris::WriteRegFile(second) != written) std::abort();
  return 0;
}
