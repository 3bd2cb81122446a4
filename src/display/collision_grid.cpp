#include "display/collision_grid.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace ris {
namespace {

constexpr std::uint32_t kNoCell = std::numeric_limits<std::uint32_t>::max();

// Cells are this much wider than the picture. Two touching images lie at most
// the width apart on each axis, up to the rounding of their float difference;
// the margin keeps them within neighbouring cells whatever the rounding in
// computing a cell.
constexpr double kCellMargin = 1.0 + 0x1p-10;

// The squared distance in double decides most candidates: beyond the squared
// width times (1 + margin) a pair cannot touch, below it times (1 - margin)
// it must. The margin is far wider than every rounding between this test and
// the exact one (whose sum and square root are extended precision), so only
// pairs in the narrow band between need DiscsTouch itself.
constexpr double kBandMargin = 0x1p-16;

// The grid has at most this many cells per image, so that its size follows the
// number of images and not the spread of their positions.
constexpr double kCellsPerImage = 2.0;
constexpr double kMinCells = 64.0;
constexpr double kMaxCells = 0x1p30;

bool IsFinite(const TVector& v) noexcept { return std::isfinite(v.X) && std::isfinite(v.Y); }

double CellCount(double span_x, double span_y, double cell_size) noexcept {
  return (std::floor(span_x / cell_size) + 1.0) * (std::floor(span_y / cell_size) + 1.0);
}

// The cell coordinate of v along one axis. v - origin is never negative and the
// clamp keeps rounding at the far end inside the grid; clamping never moves
// two coordinates further apart, so neighbours stay neighbours.
std::uint32_t CellCoordinate(float v, double origin, double cell_size, std::uint32_t count) noexcept {
  const double q = std::floor((double{v} - origin) / cell_size);
  return static_cast<std::uint32_t>(std::clamp(q, 0.0, static_cast<double>(count - 1)));
}

// The partners of one image come in runs that are each in order, one run a
// cell. A few dozen, as a running display has, move little in an insertion
// sort, whose branches are predictable; a crowd of them, as thousands of
// images in a small window give, would make it quadratic.
constexpr std::ptrdiff_t kMostPartnersToInsert = 64;

void SortPartners(std::uint32_t* first, std::uint32_t* end) noexcept {
  if (end - first > kMostPartnersToInsert) {
    std::sort(first, end);
    return;
  }
  for (std::uint32_t* next = first + 1; next < end; ++next) {
    const std::uint32_t partner = *next;
    std::uint32_t* at = next;
    for (; at != first && at[-1] > partner; --at) *at = at[-1];
    *at = partner;
  }
}

}  // namespace

void CollideAllPairs(std::span<TBouncingImage> images, std::int32_t width) noexcept {
  for (std::size_t i = 0; i < images.size(); ++i) {
    for (std::size_t j = i + 1; j < images.size(); ++j) {
      if (DiscsTouch(images[i].Position, images[j].Position, width)) {
        BounceApart(images[i], images[j]);
      }
    }
  }
}

bool CollisionGrid::Build(std::span<const TBouncingImage> images, std::int32_t width) {
  const auto count = static_cast<std::uint32_t>(images.size());
  double min_x = std::numeric_limits<double>::infinity();
  double min_y = min_x;
  double max_x = -min_x;
  double max_y = -min_x;
  std::uint32_t finite = 0;
  for (const TBouncingImage& image : images) {
    if (!IsFinite(image.Position)) continue;
    ++finite;
    min_x = std::min(min_x, double{image.Position.X});
    max_x = std::max(max_x, double{image.Position.X});
    min_y = std::min(min_y, double{image.Position.Y});
    max_y = std::max(max_y, double{image.Position.Y});
  }
  if (finite < 2) return false;

  // The spans of floats are finite in double, and so are their products.
  const double span_x = max_x - min_x;
  const double span_y = max_y - min_y;
  const double max_cells = std::clamp(kCellsPerImage * count, kMinCells, kMaxCells);
  double cell_size = std::max({static_cast<double>(std::max(width, 1)) * kCellMargin,
                               span_x / max_cells, span_y / max_cells,
                               std::sqrt(span_x * span_y / max_cells)});
  while (CellCount(span_x, span_y, cell_size) > max_cells) cell_size *= 2.0;

  cell_size_ = cell_size;
  origin_x_ = min_x;
  origin_y_ = min_y;
  columns_ = static_cast<std::uint32_t>(std::floor(span_x / cell_size) + 1.0);
  rows_ = static_cast<std::uint32_t>(std::floor(span_y / cell_size) + 1.0);
  const std::size_t cells = std::size_t{columns_} * rows_;

  // Reserving for the largest grid this number of images can have keeps later
  // passes free of allocation even when the images spread out.
  const auto cell_capacity = static_cast<std::size_t>(max_cells);
  cell_start_.reserve(cell_capacity + 1);
  fill_.reserve(cell_capacity);
  cell_of_.reserve(count);
  members_.reserve(count);
  partners_.reserve(count);
  partners_.resize(count);

  // Counting sort by cell; images enter in index order, so each cell lists
  // its images in ascending order.
  cell_start_.assign(cells + 1, 0);
  cell_of_.resize(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    const TVector& position = images[i].Position;
    if (!IsFinite(position)) {
      cell_of_[i] = kNoCell;
      continue;
    }
    const std::uint32_t column = CellCoordinate(position.X, origin_x_, cell_size_, columns_);
    const std::uint32_t row = CellCoordinate(position.Y, origin_y_, cell_size_, rows_);
    cell_of_[i] = row * columns_ + column;
    ++cell_start_[cell_of_[i] + 1];
  }
  for (std::size_t c = 0; c < cells; ++c) cell_start_[c + 1] += cell_start_[c];
  fill_.assign(cell_start_.begin(), cell_start_.end() - 1);
  members_.resize(finite);
  for (std::uint32_t i = 0; i < count; ++i) {
    if (cell_of_[i] == kNoCell) continue;
    const TVector& position = images[i].Position;
    members_[fill_[cell_of_[i]]++] = Member{position.X, position.Y, i};
  }
  return true;
}

void CollisionGrid::Collide(std::span<TBouncingImage> images, std::int32_t width) {
  // A negative width touches nothing; the grid's image numbers are 32 bits.
  if (width < 0 || images.size() < 2) return;
  if (images.size() >= kNoCell) {
    CollideAllPairs(images, width);
    return;
  }
  if (!Build(images, width)) return;
  if (columns_ <= 2 && rows_ <= 2) {
    // Every cell neighbours every other: the grid rules out no pair, and
    // sorting the partners would only add to the work.
    CollideAllPairs(images, width);
    return;
  }

  const double reach = width;
  const double far_limit = reach * reach * (1.0 + kBandMargin);
  const double near_limit = reach * reach * (1.0 - kBandMargin);
  const auto count = static_cast<std::uint32_t>(images.size());
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint32_t cell = cell_of_[i];
    if (cell == kNoCell) continue;
    const std::uint32_t column = cell % columns_;
    const std::uint32_t row = cell / columns_;
    const std::uint32_t first_column = column == 0 ? 0 : column - 1;
    const std::uint32_t last_column = std::min(column + 1, columns_ - 1);
    const std::uint32_t last_row = std::min(row + 1, rows_ - 1);
    const float x = images[i].Position.X;
    const float y = images[i].Position.Y;

    // Collects the partners j > i that touch i. Written without branches on
    // the outcome, which is as good as random: every candidate is stored, and
    // the end only advances past those that touch.
    std::uint32_t* const first_partner = partners_.data();
    std::uint32_t* end_partner = first_partner;
    for (std::uint32_t r = row == 0 ? 0 : row - 1; r <= last_row; ++r) {
      // The three cells of a row lie side by side in members_.
      const Member* member = members_.data() + cell_start_[r * columns_ + first_column];
      const Member* const end = members_.data() + cell_start_[r * columns_ + last_column + 1];
      for (; member != end; ++member) {
        // These float differences are the ones Distance squares.
        const double dx = member->X - x;
        const double dy = member->Y - y;
        const double squared = dx * dx + dy * dy;
        const bool later = member->Index > i;
        *end_partner = member->Index;
        end_partner += later & (squared < near_limit);
        if (later & (squared >= near_limit) & (squared <= far_limit)) [[unlikely]] {
          end_partner += DiscsTouch(images[i].Position, images[member->Index].Position, width);
        }
      }
    }
    SortPartners(first_partner, end_partner);
    for (const std::uint32_t* j = first_partner; j != end_partner; ++j) {
      BounceApart(images[i], images[*j]);
    }
  }
}

}  // namespace ris
