#pragma once
// The demo product's picture sets. Each set is drawn here and written in a
// file format of its own, so that the demo exercises every decoder.

#include <span>
#include <string>
#include <string_view>

#include "image.h"

namespace ris::demo {

struct DemoSet {
  std::string_view Name;       // the file name of all three pictures
  std::string_view Extension;  // with the dot
  std::string (*Encode)(const Image&);
  Image (*Background)(int width, int height);
  Image (*Sprite)(int size);  // the moving picture and, smaller, the thumbnail
};

std::span<const DemoSet> DemoSets();

Image DrawSunriseBackground(int width, int height);
Image DrawSunriseSprite(int size);
Image DrawOceanBackground(int width, int height);
Image DrawOceanSprite(int size);
Image DrawMeadowBackground(int width, int height);
Image DrawMeadowSprite(int size);
Image DrawNightBackground(int width, int height);
Image DrawNightSprite(int size);

}  // namespace ris::demo
