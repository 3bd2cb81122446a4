// Decoding of large pictures by our decoders and by the reference
// libraries. The pictures are made in the setup, photo-like (smooth
// gradients with noise, as a camera gives) and of flat colours, so that the
// filters and the inflater see realistic data. libpng and libjpeg encode
// them.

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
constexpr int k4kWidth = 3840;
constexpr int k4kHeight = 2160;

// RGB bytes, top row first, with the size they have.
struct RgbPicture {
  int Width = 0;
  int Height = 0;
  std::vector<std::uint8_t> Rgb;
};

// Smooth gradients with noise, as a camera gives.
RgbPicture PhotoLike(int width, int height) {
  RandomSource random(20240611u);
  RgbPicture picture{width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 3)};
  std::size_t at = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int base[3] = {x * 255 / width, y * 255 / height, ((x + y) / 16) % 256};
      for (const int channel : base) {
        const int noise = random.NextInt(17) - 8;
        picture.Rgb[at++] = static_cast<std::uint8_t>(std::clamp(channel + noise, 0, 255));
      }
    }
  }
  return picture;
}

// Areas of a few plain colours with hard edges, as a drawing or a
// screenshot gives: bands, a grid of tiles and a disc.
RgbPicture FlatColour(int width, int height) {
  constexpr std::uint8_t kColours[5][3] = {
      {250, 250, 245}, {30, 90, 160}, {200, 60, 40}, {40, 150, 80}, {20, 20, 20}};
  RgbPicture picture{width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 3)};
  std::size_t at = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int dx = x - width / 2;
      const int dy = y - height / 2;
      int colour = y < height / 8 ? 1 : ((x / 240 + y / 270) % 2 == 0 ? 0 : 3);
      if (dx * dx + dy * dy < (height / 4) * (height / 4)) colour = 2;
      if (y % 270 == 0 || x % 240 == 0) colour = 4;
      for (const std::uint8_t channel : kColours[colour]) picture.Rgb[at++] = channel;
    }
  }
  return picture;
}

std::vector<std::uint8_t> EncodePng(const RgbPicture& picture) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(picture.Width);
  image.height = static_cast<png_uint_32>(picture.Height);
  image.format = PNG_FORMAT_RGB;
  png_alloc_size_t size = 0;
  png_image_write_to_memory(&image, nullptr, &size, 0, picture.Rgb.data(), 0, nullptr);
  std::vector<std::uint8_t> bytes(size);
  if (!png_image_write_to_memory(&image, bytes.data(), &size, 0, picture.Rgb.data(), 0, nullptr)) {
    std::fprintf(stderr, "libpng could not write: %s\n", image.message);
    std::abort();
  }
  bytes.resize(size);
  return bytes;
}

// A picture and its PNG file, made once.
struct PngSample {
  RgbPicture Source;
  std::vector<std::uint8_t> File;
};

PngSample MakeSample(RgbPicture source) {
  std::vector<std::uint8_t> file = EncodePng(source);
  return {std::move(source), std::move(file)};
}

const PngSample& Photo() {
  static const PngSample sample = MakeSample(PhotoLike(kWidth, kHeight));
  return sample;
}

const std::vector<std::uint8_t>& Pixels() { return Photo().Source.Rgb; }

const PngSample& Photo4k() {
  static const PngSample sample = MakeSample(PhotoLike(k4kWidth, k4kHeight));
  return sample;
}

const PngSample& Flat4k() {
  static const PngSample sample = MakeSample(FlatColour(k4kWidth, k4kHeight));
  return sample;
}

const std::vector<std::uint8_t>& JpegFile() {
  static const std::vector<std::uint8_t> file = bench_support::EncodeJpeg(Pixels(), kWidth, kHeight, 90);
  return file;
}

// A fast decoder that decodes wrongly proves nothing: the pixels are
// checked against the source once, outside the measured loop.
bool DecodesToTheSource(const PixelImage& image, const RgbPicture& source) {
  const std::vector<std::uint8_t>& rgb = source.Rgb;
  if (image.Pixels.size() * 3 != rgb.size()) return false;
  for (std::size_t i = 0; i < image.Pixels.size(); ++i) {
    if (image.Pixels[i] != Bgra{rgb[3 * i + 2], rgb[3 * i + 1], rgb[3 * i], 255}) return false;
  }
  return true;
}

void DecodePngOurs(benchmark::State& state, const PngSample& sample) {
  const auto first = DecodePngImage(sample.File);
  if (!first || !DecodesToTheSource(*first, sample.Source)) {
    state.SkipWithError("our decoder does not give back the source pixels");
    return;
  }
  for (auto _ : state) {
    auto decoded = DecodePngImage(sample.File);
    if (!decoded) {
      state.SkipWithError(decoded.error().Message.c_str());
      return;
    }
    benchmark::DoNotOptimize(decoded->Pixels.data());
  }
  state.SetBytesProcessed(state.iterations() * sample.Source.Width * sample.Source.Height * 4);
  state.counters["file_bytes"] = static_cast<double>(sample.File.size());
}

void DecodePngLibpng(benchmark::State& state, const PngSample& sample) {
  const std::vector<std::uint8_t>& file = sample.File;
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
  state.SetBytesProcessed(state.iterations() * sample.Source.Width * sample.Source.Height * 4);
}

// Each of our decodes beside libpng's on the same bytes, in the same run.
void BM_DecodePngOurs(benchmark::State& state) { DecodePngOurs(state, Photo()); }
void BM_DecodePngLibpng(benchmark::State& state) { DecodePngLibpng(state, Photo()); }
void BM_DecodePng4kPhotoOurs(benchmark::State& state) { DecodePngOurs(state, Photo4k()); }
void BM_DecodePng4kPhotoLibpng(benchmark::State& state) { DecodePngLibpng(state, Photo4k()); }
void BM_DecodePng4kFlatOurs(benchmark::State& state) { DecodePngOurs(state, Flat4k()); }
void BM_DecodePng4kFlatLibpng(benchmark::State& state) { DecodePngLibpng(state, Flat4k()); }

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
BENCHMARK(BM_DecodePng4kPhotoOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodePng4kPhotoLibpng)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodePng4kFlatOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodePng4kFlatLibpng)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeJpegLibjpeg)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeJpegOurs)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ris
