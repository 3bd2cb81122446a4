#include <zlib.h>

#include <array>
#include <cstdlib>
#include <stdexcept>
#include <string_view>

#include "byte_output.h"
#include "picture_formats.h"

namespace ris::demo {

namespace {

// A chunk: length, type, data, and the CRC-32 of type and data.
void AppendChunk(std::string& png, std::string_view type, std::string_view data) {
  AppendBe32(png, static_cast<std::uint32_t>(data.size()));
  const std::size_t crc_start = png.size();
  png += type;
  png += data;
  const auto* crc_bytes = reinterpret_cast<const Bytef*>(png.data() + crc_start);
  AppendBe32(png, static_cast<std::uint32_t>(crc32_z(0, crc_bytes, png.size() - crc_start)));
}

std::string Header(const Image& image, bool with_alpha) {
  std::string header;
  AppendBe32(header, static_cast<std::uint32_t>(image.Width));
  AppendBe32(header, static_cast<std::uint32_t>(image.Height));
  AppendByte(header, 8);                   // bits per channel
  AppendByte(header, with_alpha ? 6 : 2);  // RGBA or RGB
  AppendByte(header, 0);                   // deflate
  AppendByte(header, 0);                   // adaptive filtering
  AppendByte(header, 0);                   // not interlaced
  return header;
}

std::string RowBytes(const Image& image, int y, bool with_alpha) {
  std::string row;
  for (int x = 0; x < image.Width; ++x) {
    const Pixel& pixel = image.At(x, y);
    row += {static_cast<char>(pixel.R), static_cast<char>(pixel.G), static_cast<char>(pixel.B)};
    if (with_alpha) row += static_cast<char>(pixel.A);
  }
  return row;
}

int PaethPredictor(int left, int up, int up_left) {
  const int estimate = left + up - up_left;
  const int to_left = std::abs(estimate - left), to_up = std::abs(estimate - up);
  const int to_up_left = std::abs(estimate - up_left);
  if (to_left <= to_up && to_left <= to_up_left) return left;
  return to_up <= to_up_left ? up : up_left;
}

// The row under one of the five filters; `previous` is the row above (all
// zero for the first row), `stride` the bytes per pixel.
std::string FilterRow(int type, std::string_view row, std::string_view previous,
                      std::size_t stride) {
  std::string out(1, static_cast<char>(type));
  for (std::size_t i = 0; i < row.size(); ++i) {
    const int left = i >= stride ? static_cast<unsigned char>(row[i - stride]) : 0;
    const int up = static_cast<unsigned char>(previous[i]);
    const int up_left = i >= stride ? static_cast<unsigned char>(previous[i - stride]) : 0;
    const std::array<int, 5> predicted{0, left, up, (left + up) / 2,
                                       PaethPredictor(left, up, up_left)};
    out += static_cast<char>(static_cast<unsigned char>(row[i]) -
                             predicted[static_cast<std::size_t>(type)]);
  }
  return out;
}

// The usual heuristic: the filter whose output, read as signed bytes, has
// the smallest sum of magnitudes.
std::string BestFilteredRow(std::string_view row, std::string_view previous, std::size_t stride) {
  std::string best;
  long best_cost = -1;
  for (int type = 0; type < 5; ++type) {
    std::string candidate = FilterRow(type, row, previous, stride);
    long cost = 0;
    for (std::size_t i = 1; i < candidate.size(); ++i) {
      cost += std::abs(static_cast<signed char>(candidate[i]));
    }
    if (best_cost < 0 || cost < best_cost) {
      best = std::move(candidate);
      best_cost = cost;
    }
  }
  return best;
}

std::string ZlibCompress(const std::string& data) {
  uLongf size = compressBound(static_cast<uLong>(data.size()));
  std::string out(size, '\0');
  if (compress2(reinterpret_cast<Bytef*>(out.data()), &size,
                reinterpret_cast<const Bytef*>(data.data()), static_cast<uLong>(data.size()),
                9) != Z_OK) {
    throw std::runtime_error("zlib could not compress the picture");
  }
  out.resize(size);
  return out;
}

}  // namespace

std::string EncodePng(const Image& image, bool with_alpha) {
  const std::size_t stride = with_alpha ? 4 : 3;
  std::string filtered;
  std::string previous(static_cast<std::size_t>(image.Width) * stride, '\0');
  for (int y = 0; y < image.Height; ++y) {
    std::string row = RowBytes(image, y, with_alpha);
    filtered += BestFilteredRow(row, previous, stride);
    previous = std::move(row);
  }
  std::string png("\x89PNG\r\n\x1a\n", 8);
  AppendChunk(png, "IHDR", Header(image, with_alpha));
  AppendChunk(png, "IDAT", ZlibCompress(filtered));
  AppendChunk(png, "IEND", "");
  return png;
}

}  // namespace ris::demo
