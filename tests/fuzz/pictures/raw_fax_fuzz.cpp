// Raw Group 3 fax pages have no header: the decoder counts their lines from
// the end-of-line codes, then lets libtiff's fax codec try each bit order and
// coding. Whatever the bytes, that must end in a page 1728 pixels wide or an
// error with a message.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "pictures/raw_fax.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto page = ris::DecodeRawFaxPage(ris::ByteSpan(data, size), "TIFF");
  if (!page) {
    if (page.error().Message.empty()) std::abort();
    return 0;
  }
  if (page->Width != static_cast<std::int32_t>(ris::kFaxLineWidth) || page->Height < 1 ||
      page->Pixels.size() != static_cast<std::size_t>(page->Width) * static_cast<std::size_t>(page->Height)) {
    std::abort();
  }
  return 0;
}
