#include "camera_pixels.h"

#include <array>
#include <utility>

namespace ris::tool {

PixelImage FromRgbaRows(const std::uint8_t* rows, std::size_t stride, std::int32_t width, std::int32_t height,
                        bool has_alpha) {
  PixelImage image = PixelImage::Blank(width, height);
  image.HasAlpha = has_alpha;
  for (std::int32_t y = 0; y < height; ++y) {
    const std::uint8_t* source = rows + static_cast<std::size_t>(y) * stride;
    for (Bgra& pixel : image.Row(y)) {
      pixel = Bgra{source[2], source[1], source[0], has_alpha ? source[3] : std::uint8_t{255}};
      source += 4;
    }
  }
  return image;
}

PixelImage Turned(PixelImage picture, bool mirror, int quarters) {
  quarters &= 3;
  if (!mirror && quarters == 0) return picture;
  const bool sideways = quarters % 2 == 1;
  const std::int32_t width = sideways ? picture.Height : picture.Width;
  const std::int32_t height = sideways ? picture.Width : picture.Height;
  PixelImage turned = PixelImage::Blank(width, height);
  turned.HasAlpha = picture.HasAlpha;
  const std::int32_t last_x = picture.Width - 1;
  const std::int32_t last_y = picture.Height - 1;
  for (std::int32_t y = 0; y < picture.Height; ++y) {
    for (std::int32_t x = 0; x < picture.Width; ++x) {
      const std::int32_t mx = mirror ? last_x - x : x;
      // Where (mx, y) lands after the clockwise turns.
      const std::array<std::pair<std::int32_t, std::int32_t>, 4> places{
          {{mx, y}, {last_y - y, mx}, {last_x - mx, last_y - y}, {y, last_x - mx}}};
      const auto [tx, ty] = places[static_cast<std::size_t>(quarters)];
      turned.At(tx, ty) = picture.Pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(picture.Width) +
                                         static_cast<std::size_t>(x)];
    }
  }
  return turned;
}

PixelImage UprightByExif(PixelImage picture, int orientation) {
  struct Turn {
    bool Mirror;
    int Quarters;
  };
  // Orientation 1..8: the mirror and the clockwise quarter turns that
  // bring the stored pixels upright.
  constexpr std::array<Turn, 8> kTurns{
      {{false, 0}, {true, 0}, {false, 2}, {true, 2}, {true, 3}, {false, 1}, {true, 1}, {false, 3}}};
  if (orientation < 1 || orientation > 8) return picture;
  const Turn turn = kTurns[static_cast<std::size_t>(orientation - 1)];
  return Turned(std::move(picture), turn.Mirror, turn.Quarters);
}

}  // namespace ris::tool
