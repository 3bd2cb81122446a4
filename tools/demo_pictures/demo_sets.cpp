#include "demo_sets.h"

#include <array>

#include "picture_formats.h"

namespace ris::demo {

namespace {

std::string EncodeRgbPng(const Image& image) { return EncodePng(image, false); }

}  // namespace

std::span<const DemoSet> DemoSets() {
  static const std::array<DemoSet, 4> kSets{{
      {"sunrise", ".png", &EncodeRgbPng, &DrawSunriseBackground, &DrawSunriseSprite},
      {"ocean", ".bmp", &EncodeBmp24, &DrawOceanBackground, &DrawOceanSprite},
      {"meadow", ".tga", &EncodeTga32, &DrawMeadowBackground, &DrawMeadowSprite},
      {"night", ".ppm", &EncodePpm, &DrawNightBackground, &DrawNightSprite},
  }};
  return kSets;
}

}  // namespace ris::demo
