#include "picture_formats.h"

namespace ris::demo {

std::string EncodePpm(const Image& image) {
  std::string ppm = "P6\n";
  ppm.append(std::to_string(image.Width))
      .append(" ")
      .append(std::to_string(image.Height))
      .append("\n255\n");
  for (const Pixel& pixel : image.Pixels) {
    ppm += {static_cast<char>(pixel.R), static_cast<char>(pixel.G), static_cast<char>(pixel.B)};
  }
  return ppm;
}

}  // namespace ris::demo
