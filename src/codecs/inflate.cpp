#include "codecs/inflate.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <limits>

#include "base/byte_span.h"

namespace ris {
namespace {

// zlib counts input in uInt, which may be narrower than size_t.
constexpr std::size_t kMaxPieceBytes = std::size_t{1} << 30;

constexpr const char* kPastDeclaredSize = "the data inflates past its declared size";
constexpr const char* kShortOfDeclaredSize = "the data inflates to less than its declared size";
constexpr const char* kDamaged = "the deflated data is damaged";
constexpr const char* kNoInflater = "the inflater could not start";

struct DecompressorDeleter {
  void operator()(libdeflate_decompressor* decompressor) const noexcept {
    libdeflate_free_decompressor(decompressor);
  }
};

}  // namespace

std::optional<std::string> InflateInto(std::span<const std::uint8_t> deflated, std::span<std::uint8_t> output,
                                       DeflateWrapping wrapping) {
  const std::unique_ptr<libdeflate_decompressor, DecompressorDeleter> decompressor(
      libdeflate_alloc_decompressor());
  if (!decompressor) return kNoInflater;
  // With the produced size asked for, a stream that ends early succeeds
  // short of the output's end rather than failing without saying so.
  std::size_t produced = 0;
  const auto decompress = wrapping == DeflateWrapping::Raw ? libdeflate_deflate_decompress : libdeflate_zlib_decompress;
  switch (decompress(decompressor.get(), deflated.data(), deflated.size(), output.data(), output.size(), &produced)) {
    case LIBDEFLATE_SUCCESS:
      if (produced != output.size()) return kShortOfDeclaredSize;
      return std::nullopt;
    case LIBDEFLATE_INSUFFICIENT_SPACE:
      return kPastDeclaredSize;
    default:
      return kDamaged;
  }
}

Result<std::string, std::string> InflateRaw(std::string_view deflated, std::size_t output_size) {
  std::string output(output_size, '\0');
  const auto error = InflateInto(AsBytes(deflated),
                                 {reinterpret_cast<std::uint8_t*>(output.data()), output.size()}, DeflateWrapping::Raw);
  if (error) return Failure{*error};
  return output;
}

struct RawInflater::Stream {
  z_stream zlib{};
  std::size_t output_size = 0;
  // Once the output is full, zlib writes here: a byte in it means the stream
  // holds more than was declared.
  unsigned char probe = 0;
  bool initialized = false;
  bool ended = false;
  std::string error;

  bool Running() const noexcept { return initialized && !ended && error.empty(); }

  void Step() {
    if (zlib.avail_out == 0) {
      zlib.next_out = &probe;
      zlib.avail_out = 1;
    }
    const int status = inflate(&zlib, Z_NO_FLUSH);
    if (zlib.next_out == &probe + 1) {
      error = kPastDeclaredSize;
    } else if (status == Z_STREAM_END) {
      ended = true;
    } else if (status != Z_OK && status != Z_BUF_ERROR) {
      error = kDamaged;
    }
  }
};

RawInflater::RawInflater(std::span<char> output) : stream_(std::make_unique<Stream>()) {
  if (output.size() > std::numeric_limits<uInt>::max()) {
    stream_->error = "the declared size is beyond what the inflater can count";
    return;
  }
  stream_->output_size = output.size();
  stream_->zlib.next_out = reinterpret_cast<Bytef*>(output.data());
  stream_->zlib.avail_out = static_cast<uInt>(output.size());
  // Negative window bits: a raw stream with the largest window, as ZIP uses.
  stream_->initialized = inflateInit2(&stream_->zlib, -MAX_WBITS) == Z_OK;
  if (!stream_->initialized) stream_->error = kNoInflater;
}

RawInflater::~RawInflater() {
  if (stream_->initialized) inflateEnd(&stream_->zlib);
}

bool RawInflater::Feed(std::string_view piece) {
  Stream& s = *stream_;
  while (!piece.empty() && s.Running()) {
    const std::size_t now = std::min(piece.size(), kMaxPieceBytes);
    s.zlib.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(piece.data()));
    s.zlib.avail_in = static_cast<uInt>(now);
    // A healthy step consumes input or produces output; one that does
    // neither would repeat forever.
    while (s.zlib.avail_in > 0 && s.Running()) {
      const uInt input_before = s.zlib.avail_in;
      const uLong output_before = s.zlib.total_out;
      s.Step();
      if (s.zlib.avail_in == input_before && s.zlib.total_out == output_before) break;
    }
    piece.remove_prefix(now);
  }
  return s.Running();
}

// Counted, not read from avail_out: that is the probe's once the output is full.
std::size_t RawInflater::Produced() const noexcept {
  return std::min<std::size_t>(stream_->zlib.total_out, stream_->output_size);
}

std::optional<std::string> RawInflater::Finish() {
  Stream& s = *stream_;
  if (!s.error.empty()) return s.error;
  // A stream may end its last block without needing more input; ask once more.
  if (!s.ended) s.Step();
  if (!s.error.empty()) return s.error;
  if (!s.ended) return std::string("the deflated data ends early");
  if (s.zlib.total_out != s.output_size) return std::string(kShortOfDeclaredSize);
  return std::nullopt;
}

}  // namespace ris
