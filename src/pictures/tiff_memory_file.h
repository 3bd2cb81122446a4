#pragma once
// A TIFF opened by libtiff from bytes in memory. Reads, seeks and the
// mapping libtiff reads strips from are bounded by those bytes; nothing is
// ever written. libtiff's diagnostics
// go to this object, never to stderr or a message box: the first error is
// kept so that the decoder can say what went wrong in its own words.

#include <cstddef>
#include <cstdint>
#include <string>

#include "pictures/image_decoder.h"

struct tiff;

namespace ris {

// libtiff may allocate at most this much in one piece (a strip or tile
// buffer): enough for the largest picture the size limits allow at 16 bits
// per sample and four samples, no more.
inline constexpr std::size_t kMaxTiffAllocation = std::size_t{512} << 20;

class TiffMemoryFile {
 public:
  // Reads the header and the first directory; Handle() is null when libtiff
  // refused them. `data` must outlive this object.
  explicit TiffMemoryFile(ByteSpan data);
  ~TiffMemoryFile();
  TiffMemoryFile(const TiffMemoryFile&) = delete;
  TiffMemoryFile& operator=(const TiffMemoryFile&) = delete;

  tiff* Handle() const noexcept { return handle_; }
  ByteSpan Data() const noexcept { return data_; }

  bool HadError() const noexcept { return !first_error_.empty(); }
  const std::string& FirstError() const noexcept { return first_error_; }

 private:
  // The callbacks libtiff is given; `Handle` is this object.
  friend struct TiffCallbacks;

  ByteSpan data_;
  std::uint64_t position_ = 0;
  std::string first_error_;
  tiff* handle_ = nullptr;
};

}  // namespace ris
