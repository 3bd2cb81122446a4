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

// Inflates a raw stream handed over piece by piece into a buffer of the
// size declared, so that the pieces can be decrypted on the way and the
// output read while it grows.
class RawInflater {
 public:
  // `output` is the whole output's place; the caller has bounded its size.
  explicit RawInflater(std::span<char> output);
  ~RawInflater();
  RawInflater(const RawInflater&) = delete;
  RawInflater& operator=(const RawInflater&) = delete;

  // Inflates the next piece of the stream. False once more input is of no
  // use: the stream has ended or failed.
  bool Feed(std::string_view piece);

  // How many bytes at the front of the output are final.
  std::size_t Produced() const noexcept;

  // Nothing when the stream ended having filled the output exactly;
  // otherwise what went wrong, for people.
  std::optional<std::string> Finish();

 private:
  struct Stream;
  std::unique_ptr<Stream> stream_;
};

}  // namespace ris
