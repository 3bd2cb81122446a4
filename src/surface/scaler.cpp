#include "surface/scaler.h"

#include <algorithm>
#include <cstddef>
#include <vector>

#include "surface/blit.h"

namespace ris {

namespace {

// Linear weights are fixed point with 16 fraction bits: fine enough that
// rounding the final mean hides them, small enough that the products of both
// axes' weights and a channel fit 64 bits.
constexpr std::int64_t kLinearOne = 1 << 16;

// For each target pixel along one axis, the source pixels it reads and their
// integer weights, which sum to Denominator for every target pixel.
struct AxisTaps {
  std::uint32_t Denominator = 1;
  std::int64_t SourceBegin = 0;  // the lowest source index any tap reads
  std::int64_t SourceEnd = 0;    // one past the highest
  std::vector<std::int64_t> First;
  std::vector<std::size_t> Offset{0};  // target i's weights: [Offset[i], Offset[i + 1])
  std::vector<std::uint32_t> Weights;

  void Add(std::int64_t first, std::initializer_list<std::int64_t> weights) {
    AddFirst(first);
    for (std::int64_t weight : weights) AddWeight(weight);
    Close();
  }
  void AddFirst(std::int64_t first) {
    if (First.empty()) SourceBegin = first;
    First.push_back(first);
  }
  void AddWeight(std::int64_t weight) { Weights.push_back(static_cast<std::uint32_t>(weight)); }
  void Close() {
    const std::size_t count = Weights.size() - Offset.back();
    SourceEnd = std::max(SourceEnd, First.back() + static_cast<std::int64_t>(count));
    Offset.push_back(Weights.size());
  }
};

// Target pixel t covers source units [t * source, (t + 1) * source) where
// one source pixel is `target` units wide; each source pixel weighs the
// units it shares with that footprint, so the mean is exact.
void AddAreaTap(AxisTaps& taps, std::int64_t t, std::int64_t source, std::int64_t target) {
  const std::int64_t begin = t * source;
  const std::int64_t end = begin + source;
  taps.AddFirst(begin / target);
  for (std::int64_t s = begin / target; s * target < end; ++s) {
    taps.AddWeight(std::min((s + 1) * target, end) - std::max(s * target, begin));
  }
  taps.Close();
}

// The centre of target pixel t, (t + 1/2) * source / target - 1/2 in source
// pixels, is held exactly in units of 1 / (2 * target); clamping it to the
// outer centres keeps the end colours.
void AddLinearTap(AxisTaps& taps, std::int64_t t, std::int64_t source, std::int64_t target) {
  const std::int64_t units = 2 * target;
  const std::int64_t centre = std::clamp((2 * t + 1) * source - target, std::int64_t{0},
                                         units * (source - 1));
  std::int64_t first = centre / units;
  std::int64_t fraction = ((centre % units) * kLinearOne + target) / units;
  if (fraction == kLinearOne) {
    ++first;
    fraction = 0;
  }
  if (fraction == 0) {
    taps.Add(first, {kLinearOne});
  } else {
    taps.Add(first, {kLinearOne - fraction, fraction});
  }
}

void AddNearestTap(AxisTaps& taps, std::int64_t t, std::int64_t source, std::int64_t target) {
  taps.Add(std::min((2 * t + 1) * source / (2 * target), source - 1), {1});
}

AxisTaps BuildTaps(std::int64_t source, std::int64_t target, std::int64_t begin,
                   std::int64_t count, ScaleFilter filter) {
  AxisTaps taps;
  taps.First.reserve(static_cast<std::size_t>(count));
  taps.Offset.reserve(static_cast<std::size_t>(count) + 1);
  const bool nearest = filter == ScaleFilter::Nearest || source == target;
  const bool shrink = target < source;
  if (!nearest) taps.Denominator = shrink ? static_cast<std::uint32_t>(source) : kLinearOne;
  for (std::int64_t t = begin; t < begin + count; ++t) {
    if (nearest) {
      AddNearestTap(taps, t, source, target);
    } else if (shrink) {
      AddAreaTap(taps, t, source, target);
    } else {
      AddLinearTap(taps, t, source, target);
    }
  }
  return taps;
}

// Resamples the visible part of a picture scaled to target_width x
// target_height, a row at a time: first the rows down (into per-column
// sums), then across, dividing once by the product of both denominators.
class RegionResampler {
 public:
  RegionResampler(const PixelImage& picture, std::int64_t target_width,
                  std::int64_t target_height, const ClippedBlock& region, ScaleFilter filter)
      : picture_(picture),
        across_(BuildTaps(picture.Width, target_width, region.SourceX, region.Width, filter)),
        down_(BuildTaps(picture.Height, target_height, region.SourceY, region.Height, filter)),
        sums_(static_cast<std::size_t>(across_.SourceEnd - across_.SourceBegin) * 4) {}

  void Row(std::size_t row, std::span<Bgra> out) {
    SumDown(row);
    SumAcross(out);
  }

 private:
  // At most 255 * 2^16 per channel, within 32 bits.
  void SumDown(std::size_t row) {
    std::fill(sums_.begin(), sums_.end(), 0u);
    const auto columns = static_cast<std::size_t>(across_.SourceEnd - across_.SourceBegin);
    for (std::size_t tap = down_.Offset[row]; tap < down_.Offset[row + 1]; ++tap) {
      const std::uint32_t weight = down_.Weights[tap];
      const std::int64_t y = down_.First[row] + static_cast<std::int64_t>(tap - down_.Offset[row]);
      const Bgra* source = picture_.Pixels.data() +
                           static_cast<std::size_t>(y * picture_.Width + across_.SourceBegin);
      for (std::size_t c = 0; c < columns; ++c) {
        sums_[4 * c + 0] += weight * source[c].B;
        sums_[4 * c + 1] += weight * source[c].G;
        sums_[4 * c + 2] += weight * source[c].R;
        sums_[4 * c + 3] += weight * source[c].A;
      }
    }
  }

  void SumAcross(std::span<Bgra> out) const {
    const std::uint64_t denominator =
        std::uint64_t{across_.Denominator} * std::uint64_t{down_.Denominator};
    for (std::size_t i = 0; i < out.size(); ++i) {
      std::uint64_t total[4] = {0, 0, 0, 0};
      for (std::size_t tap = across_.Offset[i]; tap < across_.Offset[i + 1]; ++tap) {
        const std::uint64_t weight = across_.Weights[tap];
        const auto column = static_cast<std::size_t>(
            across_.First[i] - across_.SourceBegin + static_cast<std::int64_t>(tap - across_.Offset[i]));
        for (std::size_t channel = 0; channel < 4; ++channel) {
          total[channel] += weight * sums_[4 * column + channel];
        }
      }
      out[i] = Bgra{Mean(total[0], denominator), Mean(total[1], denominator),
                    Mean(total[2], denominator), Mean(total[3], denominator)};
    }
  }

  static std::uint8_t Mean(std::uint64_t total, std::uint64_t denominator) noexcept {
    return static_cast<std::uint8_t>((total + denominator / 2) / denominator);
  }

  const PixelImage& picture_;
  AxisTaps across_;
  AxisTaps down_;
  std::vector<std::uint32_t> sums_;
};

// Pictures whose buffer does not match their size, or larger than a decoder
// would give, are not drawn: the weight arithmetic relies on the limits.
bool Usable(const PixelImage& picture) noexcept {
  return PictureSizeAllowed(picture.Width, picture.Height) &&
         picture.Pixels.size() ==
             static_cast<std::size_t>(picture.Width) * static_cast<std::size_t>(picture.Height);
}

}  // namespace

PixelImage ScalePicture(const PixelImage& picture, std::int32_t target_width,
                        std::int32_t target_height, ScaleFilter filter) {
  PixelImage scaled;
  ScalePictureInto(picture, target_width, target_height, filter, scaled);
  return scaled;
}

void ScalePictureInto(const PixelImage& picture, std::int32_t target_width,
                      std::int32_t target_height, ScaleFilter filter, PixelImage& scaled) {
  if (!Usable(picture) || !PictureSizeAllowed(target_width, target_height)) {
    scaled.Width = 0;
    scaled.Height = 0;
    scaled.Pixels.clear();
    return;
  }
  scaled.Width = target_width;
  scaled.Height = target_height;
  scaled.HasAlpha = picture.HasAlpha;
  scaled.Pixels.resize(static_cast<std::size_t>(target_width) *
                       static_cast<std::size_t>(target_height));
  const ClippedBlock whole{0, 0, 0, 0, target_width, target_height};
  RegionResampler resampler(picture, target_width, target_height, whole, filter);
  for (std::int32_t y = 0; y < target_height; ++y) {
    resampler.Row(static_cast<std::size_t>(y), scaled.Row(y));
  }
}

ScaleFilter StretchFilter(std::optional<ColourValue> key) noexcept {
  return key ? ScaleFilter::Nearest : ScaleFilter::Smooth;
}

void StretchDrawPicture(Surface& surface, const PixelImage& picture, SurfaceRect rect,
                        std::optional<ColourValue> key, SurfaceRect clip) {
  const std::int64_t width = rect.Width();
  const std::int64_t height = rect.Height();
  if (width <= 0 || height <= 0 || !Usable(picture)) return;
  const ClippedBlock block =
      ClipToRect(rect.Left, rect.Top, width, height, Intersection(clip, surface.Bounds()));
  if (block.Empty()) return;
  RegionResampler resampler(picture, width, height, block, StretchFilter(key));
  std::vector<Bgra> row(static_cast<std::size_t>(block.Width));
  for (std::int32_t y = 0; y < block.Height; ++y) {
    resampler.Row(static_cast<std::size_t>(y), row);
    CopyPixelRow(row, surface.Row(block.TargetY + y).subspan(static_cast<std::size_t>(block.TargetX)),
                 key);
  }
}

const PixelImage& ScaledPictureCache::Scaled(const PixelImage& picture, std::int32_t width,
                                             std::int32_t height, ScaleFilter filter) {
  // At its own size a picture is its own scaled copy: a background decoded
  // at the screen's size costs no resampling and no second buffer.
  if (width == picture.Width && height == picture.Height) return picture;
  const Key key{&picture, picture.Pixels.data(), picture.Width, picture.Height, width, height, filter};
  ++uses_;
  const auto kept = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& entry) { return entry.Of == key; });
  if (kept != entries_.end()) {
    kept->LastUse = uses_;
    return kept->Scaled;
  }
  if (entries_.size() < kEntries) {
    entries_.emplace_back();
  }
  Entry& entry = *std::min_element(entries_.begin(), entries_.end(),
                                   [](const Entry& a, const Entry& b) { return a.LastUse < b.LastUse; });
  // Forgotten first: should the scaling throw, no entry names pixels it lacks.
  entry.Of = {};
  ScalePictureInto(picture, width, height, filter, entry.Scaled);
  ++rescales_;
  entry.Of = key;
  entry.LastUse = uses_;
  return entry.Scaled;
}

void StretchDrawPicture(Surface& surface, const PixelImage& picture, SurfaceRect rect,
                        std::optional<ColourValue> key, ScaledPictureCache& cache, SurfaceRect clip) {
  const std::int64_t width = rect.Width();
  const std::int64_t height = rect.Height();
  if (width <= 0 || height <= 0) return;
  if (!PictureSizeAllowed(width, height)) {
    StretchDrawPicture(surface, picture, rect, key, clip);
    return;
  }
  const PixelImage& scaled = cache.Scaled(picture, static_cast<std::int32_t>(width),
                                          static_cast<std::int32_t>(height), StretchFilter(key));
  DrawPicture(surface, scaled, rect.Left, rect.Top, key, clip);
}

}  // namespace ris
