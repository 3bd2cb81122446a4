#pragma once
// Raw deflate streams (no zlib or gzip wrapper, as ZIP entries hold them)
// inflated into a buffer of exactly the size the archive declares. A stream
// that would produce one byte more, or ends short, fails: the declared size
// is what was allocated, and a stream that disagrees with it is damaged.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "base/result.h"

namespace ris {

// Inflates a stream handed over piece by piece, so that the pieces can be
// decrypted on the way without a copy of the whole compressed entry.
class RawInflater {
 public:
  // Allocates the whole output at once; the caller has bounded `output_size`.
  explicit RawInflater(std::size_t output_size);
  ~RawInflater();
  RawInflater(const RawInflater&) = delete;
  RawInflater& operator=(const RawInflater&) = delete;

  // Inflates the next piece of the stream. False once more input is of no
  // use: the stream has ended or failed.
  bool Feed(std::string_view piece);

  // The output when the stream ended having produced exactly `output_size`
  // bytes; otherwise what went wrong, for people.
  Result<std::string, std::string> Finish();

 private:
  struct Stream;
  std::unique_ptr<Stream> stream_;
};

// The whole stream in one piece.
Result<std::string, std::string> InflateRaw(std::string_view deflated, std::size_t output_size);

}  // namespace ris
