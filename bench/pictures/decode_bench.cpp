// Decoding of one large photo-like picture by our decoders and by the
// reference libraries. The pictures are made in the setup: smooth gradients
// with noise, as a camera gives, so that the filters and the inflater see
// realistic data. libpng and libjpeg encode them.

#include <benchmark/benchmark.h>
#include <jpeglib.h>
#include <png.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/random_source.h"
#include "pictures/decoders.h"
#include "pictures/png_decoder.h"
#include "support/jpeg_writer.h"

namespace ris {
namespace {

constexpr int kWidth = 2048;
constexpr int kHeight = 1536;

// RGB bytes, top row first.
std::vector<std::uint8_t> PhotoLikePixels() {
  RandomSource random(20240611u);
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(kWidth) * kHeight * 3);
  std::size_t at = 0;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const int base[3] = {x * 255 / kWidth, y * 255 / kHeight, ((x + y) / 16) % 256};
      for (const int channel : base) {
        const int noise = random.NextInt(17) - 8;
        rgb[at++] = static_cast<std::uint8_t>(std::clamp(channel + noise, 0, 255));
      }
    }
  }
  return rgb;
}

const std::vector<std::uint8_t>& Pixels() {
  static const std::vector<std::uint8_t> pixels = PhotoLikePixels();
  return pixels;
}

const std::vector<std::uint8_t>& PngFile() {
  static const std::vector<std::uint8_t> file = [] {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = kWidth;
    image.height = kHeight;
    image.format = PNG_FORMAT_RGB;
    png_alloc_size_t size = 0;
    png_image_write_to_memory(&image, nullptr, &size, 0, Pixels().data(), 0, nullptr);
    std::vector<std::uint8_t> bytes(size);
    if (!png_image_write_to_memory(&image, bytes.data(), &size, 0, Pixels().data(), 0, nullptr)) {
      std::fprintf(stderr, "libpng could not write: %s\n", image.message);
      std::abort();
    }
    bytes.resize(size);
    return bytes;
  }();
  return file;
}

const std::vector<std::uint8_t>& JpegFile() {
  static const std::vector<std::uint8_t> file = bench_support::EncodeJpeg(Pixels(), kWidth, kHeight, 90);
  return file;
}

// A fast decoder that decodes wrongly proves nothing: the pixels are
// checked against the source once, outside the measured loop.
bool DecodesToTheSource(const PixelImage& image) {
  const std::vector<std::uint8_t>& rgb = Pixels();
  for (std::size_t i = 0; i < image.Pixels.size(); ++i) {
    if (image.Pixels[i] != Bgra{rgb[3 * i + 2], rgb[3 * i + 1], rgb[3 * i], 255}) return false;
  }
  return image.Pixels.size() * 3 == rgb.size();
}

void BM_DecodePngOurs(benchmark::State& state) {
  const std::vector<std::uint8_t>& file = PngFile();
  const auto first = DecodePngImage(file);
  if (!first || !DecodesToTheSource(*first)) {
    state.SkipWithError("our decoder does not give back the source pixels");
    return;
  }
  for (auto _ : state) {
    auto decoded = DecodePngImage(file);
    if (!decoded) {
      state.SkipWithError(decoded.error().Message.c_str());
      return;
    }
    benchmark::DoNotOptimize(decoded->Pixels.data());
  }
  state.SetBytesProcessed(state.iterations() * kWidth * kHeight * 4);
  state.counters["file_bytes"] = static_cast<double>(file.size());
}

void BM_DecodePngLibpng(benchmark::State& state) {
  const std::vector<std::uint8_t>& file = PngFile();
  for (auto _ : state) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, file.data(), file.size())) {
      state.SkipWithError(image.message);
      return;
    }
    image.format = PNG_FORMAT_RGBA;
    std::vector<std::uint8_t> rgba(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr)) {
      state.SkipWithError(image.message);
      return;
    }
    benchmark::DoNotOptimize(rgba.data());
  }
  state.SetBytesProcessed(state.iterations() * kWidth * kHeight * 4);
}

// The floor for our JPEG decoder: libjpeg itself into RGB rows.
void BM_DecodeJpegLibjpeg(benchmark::State& state) {
  const std::vector<std::uint8_t>& file = JpegFile();
  for (auto _ : state) {
    jpeg_decompress_struct decompressor{};
    jpeg_error_mgr errors{};
    decompressor.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&decompressor);
    jpeg_mem_src(&decompressor, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&decompressor, TRUE);
    decompressor.do_block_smoothing = TRUE;
    jpeg_start_decompress(&decompressor);
    const std::size_t stride = static_cast<std::size_t>(decompressor.output_width) *
                               static_cast<std::size_t>(decompressor.output_components);
    std::vector<std::uint8_t> rgb(stride * decompressor.output_height);
    while (decompressor.output_scanline < decompressor.output_height) {
      JSAMPROW row = rgb.data() + stride * decompressor.output_scanline;
      jpeg_read_scanlines(&decompressor, &row, 1);
    }
    jpeg_finish_decompress(&decompressor);
    jpeg_destroy_decompress(&decompressor);
    benchmark::DoNotOptimize(rgb.data());
  }
  state.SetBytesProcessed(state.iterations() * kWidth * kHeight * 3);
}

// Our JPEG decoder: the header at load, the pixels on first use, as the
// saver meets them. Against the floor above it adds the conversion to BGRA.
void BM_DecodeJpegOurs(benchmark::State& state) {
  const std::vector<std::uint8_t>& file = JpegFile();
  const auto decoder = MakeJpegDecoder();
  for (auto _ : state) {
    auto picture = decoder->Decode(file);
    if (!picture) {
      state.SkipWithError(picture.error().Message.c_str());
      return;
    }
    auto pixels = picture->Pixels();
    if (!pixels) {
      state.SkipWithError(pixels.error().Message.c_str());
      return;
    }
    benchmark::DoNotOptimize((*pixels)->Pixels.data());
  }
  state.SetBytesProcessed(state.iterations() * kWidth * kHeight * 4);
}

BENCHMARK(BM_DecodePngOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodePngLibpng)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeJpegLibjpeg)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeJpegOurs)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ris
