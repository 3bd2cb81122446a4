#pragma once
// Pictures made and read by independent tools (ImageMagick, netpbm) for the
// decoder tests: a decoder's pixels are compared with ImageMagick's own
// reading of the same file.

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>

#include "pictures/picture.h"
#include "support/temp_folder.h"

namespace ris::testing_support {

inline bool ToolAvailable(const std::string& name) {
  return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

// ImageMagick's reading of `file` (relative to `folder`): first frame, 8 bits
// per channel, straight alpha (255 where the file has none).
inline std::optional<PixelImage> ReadWithImageMagick(const TempFolder& folder,
                                                     const std::string& file) {
  if (!folder.Run("convert '" + file + "[0]' -depth 8 rgba:reference.rgba") ||
      !folder.Run("identify -format '%w %h' '" + file + "[0]' > reference.size")) {
    return std::nullopt;
  }
  std::istringstream size(folder.Read("reference.size"));
  std::int32_t width = 0;
  std::int32_t height = 0;
  size >> width >> height;
  const std::string rgba = folder.Read("reference.rgba");
  if (!PictureSizeAllowed(width, height) ||
      rgba.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4) {
    return std::nullopt;
  }
  PixelImage image = PixelImage::Blank(width, height);
  for (std::size_t i = 0; i < image.Pixels.size(); ++i) {
    const auto byte = [&](std::size_t k) { return static_cast<std::uint8_t>(rgba[i * 4 + k]); };
    image.Pixels[i] = Bgra{byte(2), byte(1), byte(0), byte(3)};
  }
  return image;
}

// The largest difference of any channel of any pixel; -1 when the sizes differ.
inline int LargestChannelDifference(const PixelImage& a, const PixelImage& b) {
  if (a.Width != b.Width || a.Height != b.Height) return -1;
  int largest = 0;
  for (std::size_t i = 0; i < a.Pixels.size(); ++i) {
    const Bgra p = a.Pixels[i];
    const Bgra q = b.Pixels[i];
    for (const int d : {p.B - q.B, p.G - q.G, p.R - q.R, p.A - q.A}) largest = std::max(largest, std::abs(d));
  }
  return largest;
}

// A test picture with gradients, hard edges and a transparent 11 x 11 hole at
// (40, 5), 8 bits per channel, written
// by ImageMagick as `file` (the extension picks the format; `options` go
// before the output name, e.g. "-type Palette" or "-compress RLE").
inline bool MakeTestPicture(const TempFolder& folder, const std::string& file,
                            const std::string& options = "", int width = 67, int height = 45) {
  const std::string size = std::to_string(width) + "x" + std::to_string(height);
  return folder.Run("convert -size " + size +
                    " gradient:'#ff0000-#0000ff' \\( -size " + size +
                    " gradient:'#00ff00-#000000' -rotate 90 -resize " + size + "! \\) "
                    "-compose plus -composite -fill '#ffee00' -draw 'circle 20,20 30,30' "
                    "-alpha set -region 11x11+40+5 -alpha transparent +region -depth 8 " +
                    options + " '" + file + "'");
}

}  // namespace ris::testing_support
