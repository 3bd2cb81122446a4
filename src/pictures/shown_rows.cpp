#include "pictures/shown_rows.h"

#include <algorithm>

namespace ris {

PixelSize ShownSize(PixelSize own, PixelSize cover) noexcept {
  if (cover.Width <= 0 || cover.Height <= 0) return own;
  return {std::min(own.Width, cover.Width), std::min(own.Height, cover.Height)};
}

// A shrinking axis measures both sides in units where a source pixel is
// `target` units and a target pixel `source` units, as ScalePicture does;
// an axis kept at its own size weighs each pixel once.
ShownRows::Axis ShownRows::AxisOf(std::int32_t source, std::int32_t target) noexcept {
  if (target >= source) return {};
  return {target, source, static_cast<std::uint32_t>(source)};
}

ShownRows::ShownRows(PixelSize own, PixelSize shown, Order order, Bgra fill)
    : own_(own),
      shown_(shown),
      order_(order),
      fill_(fill),
      across_(AxisOf(own.Width, shown.Width)),
      down_(AxisOf(own.Height, shown.Height)) {
  scratch_.assign(static_cast<std::size_t>(own.Width), fill);
  if (!Reduces()) return;
  // Target column t covers source units [t * S, (t + 1) * S); each source
  // column weighs the units it shares with that span.
  const auto columns = static_cast<std::size_t>(shown.Width);
  first_.reserve(columns);
  offset_.reserve(columns + 1);
  offset_.push_back(0);
  for (std::int64_t t = 0; t < shown.Width; ++t) {
    const std::int64_t begin = t * across_.TargetUnits;
    const std::int64_t end = begin + across_.TargetUnits;
    std::int64_t s = begin / across_.SourceUnits;
    first_.push_back(static_cast<std::int32_t>(s));
    for (; s * across_.SourceUnits < end; ++s) {
      const std::int64_t from = std::max(s * across_.SourceUnits, begin);
      const std::int64_t to = std::min((s + 1) * across_.SourceUnits, end);
      weights_.push_back(static_cast<std::uint32_t>(to - from));
    }
    offset_.push_back(static_cast<std::uint32_t>(weights_.size()));
  }
  row_sums_.assign(columns * 4, 0);
  down_sums_[0].assign(columns * 4, 0);
}

void ShownRows::AllocateOutput() {
  if (!output_.Pixels.empty()) return;
  output_ = PixelImage::Blank(shown_.Width, shown_.Height, fill_);
}

std::span<Bgra> ShownRows::OutputRow(std::int64_t feed_row) {
  const std::int64_t row = order_ == Order::TopDown ? feed_row : shown_.Height - 1 - feed_row;
  return output_.Row(static_cast<std::int32_t>(row));
}

std::span<Bgra> ShownRows::Next() {
  if (given_ >= own_.Height) return {};
  // At its own size a picture's rows are decoded in place once it exists.
  next_is_scratch_ = Reduces() || output_.Pixels.empty();
  if (!next_is_scratch_) return OutputRow(given_);
  std::ranges::fill(scratch_, fill_);
  return scratch_;
}

void ShownRows::Commit() {
  if (given_ >= own_.Height) return;
  if (!Reduces()) {
    if (next_is_scratch_) {
      AllocateOutput();
      std::ranges::copy(scratch_, OutputRow(given_).begin());
    }
    ++given_;
    return;
  }
  AllocateOutput();
  SumAcross(scratch_);
  // Source row r covers target units [r * s, (r + 1) * s); it adds to each
  // target row it shares units with, and completes a row it reaches the end of.
  std::int64_t begin = std::int64_t{given_} * down_.SourceUnits;
  const std::int64_t end = begin + down_.SourceUnits;
  while (begin < end) {
    const std::int64_t row_end = (target_row_ + 1) * down_.TargetUnits;
    const std::int64_t to = std::min(end, row_end);
    AddDown(0, static_cast<std::uint32_t>(to - begin));
    begin = to;
    if (to == row_end) {
      EmitRow(target_row_, 0);
      ++target_row_;
    }
  }
  ++given_;
}

// At most 255 times the source width per channel: within 32 bits.
void ShownRows::SumAcross(std::span<const Bgra> row) {
  for (std::size_t t = 0; t + 1 < offset_.size(); ++t) {
    std::uint32_t sums[4] = {0, 0, 0, 0};
    const Bgra* source = row.data() + first_[t];
    for (std::uint32_t tap = offset_[t]; tap < offset_[t + 1]; ++tap, ++source) {
      const std::uint32_t weight = weights_[tap];
      sums[0] += weight * source->B;
      sums[1] += weight * source->G;
      sums[2] += weight * source->R;
      sums[3] += weight * source->A;
    }
    std::copy_n(sums, 4, row_sums_.begin() + static_cast<std::ptrdiff_t>(4 * t));
  }
}

void ShownRows::AddDown(std::size_t accumulator, std::uint32_t weight) {
  std::vector<std::uint64_t>& sums = down_sums_[accumulator];
  for (std::size_t i = 0; i < sums.size(); ++i) sums[i] += std::uint64_t{weight} * row_sums_[i];
}

void ShownRows::EmitRow(std::int64_t target_row, std::size_t accumulator) {
  std::vector<std::uint64_t>& sums = down_sums_[accumulator];
  const std::uint64_t denominator = std::uint64_t{across_.Denominator} * down_.Denominator;
  const auto mean = [&](std::size_t i) {
    return static_cast<std::uint8_t>((sums[i] + denominator / 2) / denominator);
  };
  std::span<Bgra> out = OutputRow(target_row);
  for (std::size_t x = 0; x < out.size(); ++x) {
    out[x] = Bgra{mean(4 * x), mean(4 * x + 1), mean(4 * x + 2), mean(4 * x + 3)};
  }
  std::ranges::fill(sums, 0);
}

PixelImage ShownRows::Finish(bool has_alpha) && {
  if (Reduces()) {
    // The rows never given still weigh in, as the fill the picture has there.
    while (given_ < own_.Height) {
      static_cast<void>(Next());
      Commit();
    }
  }
  AllocateOutput();
  output_.HasAlpha = has_alpha;
  return std::move(output_);
}

// A source pixel covers target units [i * T, (i + 1) * T) of an axis that
// shrinks, where a target pixel covers S units; an axis kept at its own
// size maps each pixel onto itself.
ShownPasses::Share ShownPasses::Axis::Of(std::int64_t index) const noexcept {
  if (Target >= Source) return {index, 1, 0};
  const std::int64_t begin = index * Target;
  const std::int64_t target = begin / Source;
  const std::int64_t split = std::min((target + 1) * Source, begin + Target);
  return {target, static_cast<std::uint32_t>(split - begin), static_cast<std::uint32_t>(begin + Target - split)};
}

ShownPasses::ShownPasses(PixelSize own, PixelSize shown)
    : shown_(shown),
      across_{own.Width, shown.Width},
      down_{own.Height, shown.Height},
      row_sums_((static_cast<std::size_t>(shown.Width) + 1) * 4),
      sums_(static_cast<std::size_t>(shown.Width) * static_cast<std::size_t>(shown.Height) * 4) {
  columns_.reserve(static_cast<std::size_t>(own.Width));
  for (std::int64_t x = 0; x < own.Width; ++x) columns_.push_back(across_.Of(x));
}

// Levels reduced across are at most 255 * 256 in 256ths, and a shown row
// gathers at most S such rows' weight in all: within 32 bits. The row's
// sums have a column to spare past the last, which the last source column
// adds nothing to, so that no add needs a test.
void ShownPasses::AddRow(std::int32_t y, std::int32_t first, std::int32_t step, std::span<const Bgra> pixels) {
  std::ranges::fill(row_sums_, 0u);
  const auto add = [&](std::int64_t target, std::uint32_t weight, const Bgra& pixel) {
    std::uint32_t* sums = &row_sums_[static_cast<std::size_t>(target) * 4];
    sums[0] += weight * pixel.B;
    sums[1] += weight * pixel.G;
    sums[2] += weight * pixel.R;
    sums[3] += weight * pixel.A;
  };
  auto x = static_cast<std::size_t>(first);
  for (const Bgra& pixel : pixels) {
    const Share& share = columns_[x];
    add(share.Target, share.Weight, pixel);
    add(share.Target + 1, share.NextWeight, pixel);
    x += static_cast<std::size_t>(step);
  }
  // The mean across in 256ths, sum * 256 / across, as a multiplication by
  // the reciprocal in 32 fraction bits: sums stay below 2^23 and the
  // reciprocal below 2^40, so the product fits 64 bits.
  const std::uint64_t reciprocal = ((std::uint64_t{1} << 40) + across_.Denominator() / 2) / across_.Denominator();
  for (std::uint32_t& sum : row_sums_) {
    sum = static_cast<std::uint32_t>((sum * reciprocal + (std::uint64_t{1} << 31)) >> 32);
  }
  const Share share = down_.Of(y);
  for (const auto& [row, weight] : {std::pair{share.Target, share.Weight}, std::pair{share.Target + 1, share.NextWeight}}) {
    if (weight == 0 || row >= shown_.Height) continue;
    const std::size_t values = static_cast<std::size_t>(shown_.Width) * 4;
    std::uint32_t* sums = &sums_[static_cast<std::size_t>(row) * values];
    for (std::size_t i = 0; i < values; ++i) sums[i] += weight * row_sums_[i];
  }
}

PixelImage ShownPasses::Finish() && {
  PixelImage image = PixelImage::Blank(shown_.Width, shown_.Height);
  const std::uint64_t denominator = std::uint64_t{down_.Denominator()} * 256;
  const auto mean = [&](std::size_t i) {
    return static_cast<std::uint8_t>((sums_[i] + denominator / 2) / denominator);
  };
  for (std::size_t p = 0; p < image.Pixels.size(); ++p) {
    image.Pixels[p] = Bgra{mean(4 * p), mean(4 * p + 1), mean(4 * p + 2), mean(4 * p + 3)};
  }
  return image;
}

}  // namespace ris
