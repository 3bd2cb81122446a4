#pragma once
// Deflate streams inflated into a buffer of exactly the size the container
// declares. A stream that would produce one byte more, or ends short, fails:
// the declared size is what was allocated, and a stream that disagrees with
// it is damaged.
//
// Whole buffers go through libdeflate, which is much faster than zlib when
// the output size is known in advance. RawInflater keeps zlib for a stream
// that arrives piece by piece.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "base/result.h"

namespace ris {

// How the stream is wrapped: bare, as ZIP entries hold it, or in the zlib
// format (two header bytes and an Adler-32 check), as PNG and PSP hold it.
enum class DeflateWrapping { Raw, Zlib };

// Inflates the whole of `deflated` into `output`, which the stream must fill
// exactly. Nothing when it did; otherwise what went wrong, for people.
std::optional<std::string> InflateInto(std::span<const std::uint8_t> deflated, std::span<std::uint8_t> output,
                                       DeflateWrapping wrapping);

// A whole raw stream into a new buffer of `output_size` bytes, which the
// caller has bounded.
Result<std::string, std::string> InflateRaw(std::string_view deflated, std::size_t output_size);

// Inflates a raw stream handed over piece by piece, so that the pieces can be
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

}  // namespace ris
