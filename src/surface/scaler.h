#pragma once
// Pictures drawn at a size other than their own: resampling, stretched
// drawing on the back surface, and a cache that keeps one scaled result so
// that a picture stretched the same way every frame is scaled once.
//
// Each axis is resampled on its own: an axis that shrinks is area averaged
// (every target pixel is the exact mean of the source area it covers), an
// axis that grows is interpolated linearly between the two nearest source
// pixel centres, with the centres of the first and last pixels of both
// aligned. Weights are integers over a common denominator per axis and the
// result is rounded once, so a solid picture stays solid at any size.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "pictures/picture.h"
#include "surface/surface.h"
#include "surface/surface_rect.h"

namespace ris {

enum class ScaleFilter {
  Smooth,   // area averaging when shrinking, linear when enlarging
  Nearest,  // each target pixel is a copy of the source pixel under its centre
};

// The picture resampled to target_width x target_height, alpha included. An
// empty picture, or a target size that PictureSizeAllowed refuses, gives an
// empty image (0 x 0).
PixelImage ScalePicture(const PixelImage& picture, std::int32_t target_width,
                        std::int32_t target_height, ScaleFilter filter = ScaleFilter::Smooth);

// The same, into `scaled`, whose buffer is reused when large enough.
void ScalePictureInto(const PixelImage& picture, std::int32_t target_width,
                      std::int32_t target_height, ScaleFilter filter, PixelImage& scaled);

// The filter a stretched drawing uses. With a colour key the picture is
// sampled nearest-neighbour: averaging or interpolating would mix the key
// colour into the edge pixels of the shape, which then no longer match the
// key and show as a fringe of the key colour around it; nearest sampling
// keeps every target pixel exactly a source pixel, key or not.
ScaleFilter StretchFilter(std::optional<ColourValue> key) noexcept;

// Draws the picture scaled to fill `rect`, clipped to the surface and to
// `clip`. An empty rectangle (Right <= Left or Bottom <= Top) or picture
// draws nothing. Only the visible part is resampled, straight onto the
// surface, so a rectangle far larger than the surface costs no more than the
// surface; each target pixel reads the source pixels it reads when the
// whole rectangle is drawn, so a clipped drawing is that drawing cut out.
void StretchDrawPicture(Surface& surface, const PixelImage& picture, SurfaceRect rect,
                        std::optional<ColourValue> key, SurfaceRect clip = kUnclipped);

// Keeps the scaled results of the last few pictures, sizes and filters, so
// that one picture drawn at several sizes every frame (a background on
// monitors of different sizes) is resampled once per size. A picture is
// known by its address and its pixel buffer: the cache cannot see pixels
// changed in place, so whoever changes them calls Forget.
class ScaledPictureCache {
 public:
  // The sizes kept at once; the least recently used goes first.
  static constexpr std::size_t kEntries = 8;

  // The picture scaled as asked, resampled only if no kept result has that
  // picture, size and filter. The reference stays valid until the next call
  // or Forget.
  const PixelImage& Scaled(const PixelImage& picture, std::int32_t width, std::int32_t height,
                           ScaleFilter filter);

  void Forget() noexcept { entries_.clear(); }

  // How many times the cache resampled, for tests and measurements.
  std::uint64_t RescaleCount() const noexcept { return rescales_; }

 private:
  struct Key {
    const PixelImage* Picture = nullptr;
    const Bgra* Pixels = nullptr;
    std::int32_t SourceWidth = 0;
    std::int32_t SourceHeight = 0;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    ScaleFilter Filter = ScaleFilter::Smooth;

    friend bool operator==(const Key&, const Key&) = default;
  };
  struct Entry {
    Key Of;
    PixelImage Scaled;
    std::uint64_t LastUse = 0;
  };

  std::vector<Entry> entries_;
  std::uint64_t uses_ = 0;
  std::uint64_t rescales_ = 0;
};

// StretchDrawPicture through a cache: a frame that draws the same picture to
// a rectangle of the same size costs one copy. A rectangle too large for a
// picture of its own (PictureSizeAllowed) is drawn without the cache.
void StretchDrawPicture(Surface& surface, const PixelImage& picture, SurfaceRect rect,
                        std::optional<ColourValue> key, ScaledPictureCache& cache,
                        SurfaceRect clip = kUnclipped);

}  // namespace ris
