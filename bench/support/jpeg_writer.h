#pragma once
// JPEG files for the benchmarks, written by libjpeg itself from RGB rows,
// so that what is measured reads what a camera or an editor would write.

#include <cstdint>
#include <cstdlib>
#include <vector>

#include <cstdio>
#include <jpeglib.h>

namespace ris::bench_support {

inline std::vector<std::uint8_t> EncodeJpeg(const std::vector<std::uint8_t>& rgb, int width, int height,
                                            int quality) {
  jpeg_compress_struct compressor{};
  jpeg_error_mgr errors{};
  compressor.err = jpeg_std_error(&errors);
  jpeg_create_compress(&compressor);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&compressor, &buffer, &size);
  compressor.image_width = static_cast<JDIMENSION>(width);
  compressor.image_height = static_cast<JDIMENSION>(height);
  compressor.input_components = 3;
  compressor.in_color_space = JCS_RGB;
  jpeg_set_defaults(&compressor);
  jpeg_set_quality(&compressor, quality, TRUE);
  jpeg_start_compress(&compressor, TRUE);
  const std::size_t stride = static_cast<std::size_t>(width) * 3;
  while (compressor.next_scanline < compressor.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(rgb.data() + stride * compressor.next_scanline);
    jpeg_write_scanlines(&compressor, &row, 1);
  }
  jpeg_finish_compress(&compressor);
  std::vector<std::uint8_t> bytes(buffer, buffer + size);
  jpeg_destroy_compress(&compressor);
  std::free(buffer);
  return bytes;
}

}  // namespace ris::bench_support
