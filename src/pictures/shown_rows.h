#pragma once
// A picture decoded to the size it is shown at, row by row as the decoder
// produces them, so that a picture larger than the screen is never held
// whole: only the shown picture, one source row and a row of sums.
//
// Each axis that shrinks is area averaged with exactly the weights and the
// single rounding of the surface's ScalePicture (every shown pixel is the
// exact mean of the source area it covers), so a picture decoded here to
// its shown size equals the whole picture scaled to that size. An axis
// that is not reduced keeps its own pixels.

#include <cstdint>
#include <span>
#include <vector>

#include "base/pixel_size.h"
#include "pictures/picture.h"

namespace ris {

// The size a picture of size `own` is decoded at when it is drawn at
// `cover`: each side reduced to the cover's side where that is smaller.
// An empty cover asks for the picture's own size.
PixelSize ShownSize(PixelSize own, PixelSize cover) noexcept;

class ShownRows {
 public:
  // The order the decoder gives the rows in: bitmaps store theirs bottom up.
  enum class Order : std::uint8_t { TopDown, BottomUp };

  // `own` must be an allowed picture size and `shown` no larger on either
  // side. Rows the decoder never gives are `fill`.
  ShownRows(PixelSize own, PixelSize shown, Order order = Order::TopDown, Bgra fill = {});

  // The row to fill next: own.Width pixels, all `fill`. Empty once every
  // row was given.
  std::span<Bgra> Next();
  // The row from the last Next is complete.
  void Commit();
  std::int32_t RowsGiven() const noexcept { return given_; }

  // The picture at the shown size; rows not given are `fill`. `has_alpha`
  // tells whether the format carried transparency.
  PixelImage Finish(bool has_alpha = false) &&;

 private:
  struct Axis {
    std::int64_t SourceUnits = 1;  // one source pixel's share of the target axis
    std::int64_t TargetUnits = 1;  // one target pixel's share of the source axis
    std::uint32_t Denominator = 1;
  };
  static Axis AxisOf(std::int32_t source, std::int32_t target) noexcept;

  bool Reduces() const noexcept { return shown_ != own_; }
  void AllocateOutput();
  std::span<Bgra> OutputRow(std::int64_t feed_row);
  void SumAcross(std::span<const Bgra> row);
  void AddDown(std::size_t accumulator, std::uint32_t weight);
  void EmitRow(std::int64_t target_row, std::size_t accumulator);

  PixelSize own_;
  PixelSize shown_;
  Order order_;
  Bgra fill_;
  Axis across_;
  Axis down_;
  std::int32_t given_ = 0;
  PixelImage output_;
  std::vector<Bgra> scratch_;  // the source row being filled, when reducing or before output exists
  bool next_is_scratch_ = false;

  // Across: for each shown column, its first source column and weights.
  std::vector<std::int32_t> first_;
  std::vector<std::uint32_t> offset_;
  std::vector<std::uint32_t> weights_;
  std::vector<std::uint32_t> row_sums_;       // one source row reduced across, 4 per column
  std::vector<std::uint64_t> down_sums_[2];   // the shown rows the current source row falls in
  std::int64_t target_row_ = 0;               // in feed order, the row down_sums_[0] gathers
};

// The same reduction for pictures whose rows come in several passes, each
// giving a row's pixels in part (interlaced PNG): the sums of the whole
// shown picture are kept, a row's part reduced across as it comes, in
// 256ths of a level. The result is within one step of each channel of the
// exact mean.
class ShownPasses {
 public:
  // `shown` no larger than `own` on either side.
  ShownPasses(PixelSize own, PixelSize shown);

  // Pixels of source row y at columns first, first + step, ...
  void AddRow(std::int32_t y, std::int32_t first, std::int32_t step, std::span<const Bgra> pixels);

  // The shown picture; pixels no pass gave count as zero.
  PixelImage Finish() &&;

 private:
  // Where one source pixel falls on an axis: at most two target pixels.
  struct Share {
    std::int64_t Target = 0;
    std::uint32_t Weight = 0;      // on Target
    std::uint32_t NextWeight = 0;  // on Target + 1
  };
  struct Axis {
    std::int64_t Source = 1;
    std::int64_t Target = 1;
    std::uint32_t Denominator() const noexcept { return Target < Source ? static_cast<std::uint32_t>(Source) : 1; }
    Share Of(std::int64_t index) const noexcept;
  };

  PixelSize shown_;
  Axis across_;
  Axis down_;
  std::vector<Share> columns_;           // each source column's share, worked out once
  std::vector<std::uint32_t> row_sums_;  // one row's part, reduced across, 4 per shown column
  std::vector<std::uint32_t> sums_;      // the whole shown picture, in 256ths
};

}  // namespace ris
