#include "pictures/png_unfilter.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace ris::png {
namespace {

enum : std::uint8_t { kNone = 0, kSub = 1, kUp = 2, kAverage = 3, kPaeth = 4 };

// Of the left, upper and upper-left neighbours, the one nearest to
// left + upper - upper left; ties go to left, then to upper.
inline int PaethPredictor(int a, int b, int c) noexcept {
  const int pa = std::abs(b - c);
  const int pb = std::abs(a - c);
  const int pc = std::abs(a + b - 2 * c);
  if (pa <= pb && pa <= pc) return a;
  return pb <= pc ? b : c;
}

// --- The reference: bytes in place, for every pixel size. The first `Bpp`
// bytes have no left neighbour.

template <std::size_t Bpp>
void UnfilterSub(std::uint8_t* row, std::size_t size) noexcept {
  for (std::size_t i = Bpp; i < size; ++i) row[i] = static_cast<std::uint8_t>(row[i] + row[i - Bpp]);
}

template <std::size_t Bpp>
void UnfilterAverage(std::uint8_t* row, const std::uint8_t* prior, std::size_t size) noexcept {
  const std::size_t head = std::min(Bpp, size);
  for (std::size_t i = 0; i < head; ++i) row[i] = static_cast<std::uint8_t>(row[i] + (prior[i] >> 1));
  for (std::size_t i = Bpp; i < size; ++i) {
    row[i] = static_cast<std::uint8_t>(row[i] + ((row[i - Bpp] + prior[i]) >> 1));
  }
}

// Rows are whole pixels for every Bpp of one byte or more, so the pixel
// loop covers each byte.
template <std::size_t Bpp>
void UnfilterPaeth(std::uint8_t* row, const std::uint8_t* prior, std::size_t size) noexcept {
  const std::size_t head = std::min(Bpp, size);
  for (std::size_t i = 0; i < head; ++i) row[i] = static_cast<std::uint8_t>(row[i] + prior[i]);
  if (size <= Bpp) return;
  // Left neighbours kept in registers, one per byte of the pixel.
  std::array<int, Bpp> a{};
  std::array<int, Bpp> c{};
  for (std::size_t k = 0; k < Bpp; ++k) {
    a[k] = row[k];
    c[k] = prior[k];
  }
  for (std::size_t i = Bpp; i + Bpp <= size; i += Bpp) {
    for (std::size_t k = 0; k < Bpp; ++k) {
      const int b = prior[i + k];
      const int value = (row[i + k] + PaethPredictor(a[k], b, c[k])) & 0xff;
      row[i + k] = static_cast<std::uint8_t>(value);
      a[k] = value;
      c[k] = b;
    }
  }
}

template <std::size_t Bpp>
bool UnfilterWith(std::uint8_t filter, std::uint8_t* row, const std::uint8_t* prior,
                  std::size_t size) noexcept {
  switch (filter) {
    case kNone:
      return true;
    case kSub:
      UnfilterSub<Bpp>(row, size);
      return true;
    case kUp:
      for (std::size_t i = 0; i < size; ++i) row[i] = static_cast<std::uint8_t>(row[i] + prior[i]);
      return true;
    case kAverage:
      UnfilterAverage<Bpp>(row, prior, size);
      return true;
    case kPaeth:
      UnfilterPaeth<Bpp>(row, prior, size);
      return true;
    default:
      return false;
  }
}

// --- Straight to BGRA. The filters treat every byte of a pixel alike, so
// they work as well on the pixels with red and blue swapped, and an RGB
// pixel widened by a fourth byte: what that byte computes is overwritten
// by the opaque alpha. The row above is then the picture's own row above,
// and every row takes 4-byte pixels whatever its size in the file.

#if defined(__SSE2__)

inline __m128i Load32(const void* at) noexcept {
  std::int32_t value = 0;
  std::memcpy(&value, at, sizeof value);
  return _mm_cvtsi32_si128(value);
}

inline void Store32(void* at, __m128i pixel) noexcept {
  const std::int32_t value = _mm_cvtsi128_si32(pixel);
  std::memcpy(at, &value, sizeof value);
}

inline __m128i Load128(const void* at) noexcept { return _mm_loadu_si128(static_cast<const __m128i*>(at)); }
inline void Store128(void* at, __m128i pixels) noexcept { _mm_storeu_si128(static_cast<__m128i*>(at), pixels); }

// RGBA to BGRA: the first and third byte of every pixel change places.
inline __m128i SwapRedBlue(__m128i pixels) noexcept {
  const __m128i green_alpha = _mm_set1_epi32(static_cast<int>(0xFF00FF00u));
  const __m128i red_blue = _mm_andnot_si128(green_alpha, pixels);
  const __m128i swapped = _mm_shufflehi_epi16(_mm_shufflelo_epi16(red_blue, 0xB1), 0xB1);
  return _mm_or_si128(_mm_and_si128(pixels, green_alpha), swapped);
}

// Four pixels of the file, as BGRA bytes. An RGB pixel's fourth byte is
// whatever follows it.
template <int Channels>
inline __m128i LoadFour(const std::uint8_t* at) noexcept {
  __m128i pixels = Load128(at);
  if constexpr (Channels == 3) {
    const __m128i first = _mm_unpacklo_epi32(pixels, _mm_srli_si128(pixels, 3));
    const __m128i second = _mm_unpacklo_epi32(_mm_srli_si128(pixels, 6), _mm_srli_si128(pixels, 9));
    pixels = _mm_unpacklo_epi64(first, second);
  }
  return SwapRedBlue(pixels);
}

// One pixel of the file, BGRA in the low four 16-bit lanes.
template <int Channels>
inline __m128i LoadOneWide(const std::uint8_t* at) noexcept {
  const __m128i wide = _mm_unpacklo_epi8(Load32(at), _mm_setzero_si128());
  return _mm_shufflelo_epi16(wide, _MM_SHUFFLE(3, 0, 1, 2));
}

inline __m128i Abs16(__m128i value) noexcept {
  return _mm_max_epi16(value, _mm_sub_epi16(_mm_setzero_si128(), value));
}

inline __m128i Select(__m128i mask, __m128i chosen, __m128i otherwise) noexcept {
  return _mm_or_si128(_mm_and_si128(mask, chosen), _mm_andnot_si128(mask, otherwise));
}

// None, Up and Sub: four pixels at a time. `step` gets the file's pixels,
// the ones above and the last pixel made, in all four places, which it
// updates. A short tail goes through a zero-padded copy.
template <int Channels, typename Step>
void FourAtATime(const std::uint8_t* filtered, const Bgra* prior, Bgra* out, std::size_t width, __m128i alpha,
                 Step step) noexcept {
  __m128i left = _mm_setzero_si128();
  std::size_t k = 0;
  for (; k + 4 <= width; k += 4) {
    Store128(out + k, _mm_or_si128(step(LoadFour<Channels>(filtered + k * Channels), Load128(prior + k), left), alpha));
  }
  const std::size_t rest = width - k;
  if (rest == 0) return;
  std::uint8_t raw[16] = {};
  Bgra above[4] = {};
  Bgra made[4] = {};
  std::memcpy(raw, filtered + k * Channels, rest * Channels);
  std::memcpy(above, prior + k, rest * sizeof(Bgra));
  Store128(made, _mm_or_si128(step(LoadFour<Channels>(raw), Load128(above), left), alpha));
  std::memcpy(out + k, made, rest * sizeof(Bgra));
}

// Average and Paeth: each pixel needs the one just made, so one at a time,
// in 16-bit lanes. A prediction gets the left, upper and upper-left pixels;
// the file's bytes add to it.
struct AveragePrediction {
  __m128i operator()(__m128i a, __m128i b, __m128i) const noexcept { return _mm_srli_epi16(_mm_add_epi16(a, b), 1); }
};

struct PaethPrediction {
  __m128i operator()(__m128i a, __m128i b, __m128i c) const noexcept {
    const __m128i up = _mm_sub_epi16(b, c);
    const __m128i left = _mm_sub_epi16(a, c);
    const __m128i pa = Abs16(up);
    const __m128i pb = Abs16(left);
    const __m128i pc = Abs16(_mm_add_epi16(up, left));
    const __m128i nearer_bc = Select(_mm_cmpgt_epi16(pb, pc), c, b);
    const __m128i bc_wins = _mm_cmpgt_epi16(pa, _mm_min_epi16(pb, pc));
    return Select(bc_wins, nearer_bc, a);
  }
};

inline bool OneAtATimeFilter(std::uint8_t filter) noexcept { return filter == kAverage || filter == kPaeth; }

template <int Channels, typename Predict>
inline __m128i Step(const std::uint8_t* filtered, std::size_t k, __m128i a, __m128i b, __m128i c,
                    Predict predict) noexcept {
  const __m128i raw = LoadOneWide<Channels>(filtered + k * Channels);
  return _mm_and_si128(_mm_add_epi16(raw, predict(a, b, c)), _mm_set1_epi16(0xFF));
}

inline __m128i LoadAboveWide(const Bgra* at) noexcept { return _mm_unpacklo_epi8(Load32(at), _mm_setzero_si128()); }

inline void StoreWide(Bgra* at, __m128i pixel, __m128i alpha) noexcept {
  Store32(at, _mm_or_si128(_mm_packus_epi16(pixel, pixel), alpha));
}

template <int Channels, typename Predict>
void OneAtATime(const std::uint8_t* filtered, const Bgra* prior, Bgra* out, std::size_t width, __m128i alpha,
                Predict predict) noexcept {
  __m128i a = _mm_setzero_si128();
  __m128i c = _mm_setzero_si128();
  for (std::size_t k = 0; k < width; ++k) {
    const __m128i b = LoadAboveWide(prior + k);
    a = Step<Channels>(filtered, k, a, b, c, predict);
    c = b;
    StoreWide(out + k, a, alpha);
  }
}

// Two such rows, one above the other, go side by side with the lower a
// pixel behind: its upper neighbours are made by then and still in
// registers, and the two chains of dependent steps overlap.
template <int Channels, typename PredictUpper, typename PredictLower>
void TwoAtATime(const std::uint8_t* upper, const std::uint8_t* lower, const Bgra* prior, Bgra* out,
                std::size_t width, __m128i alpha, PredictUpper predict_upper, PredictLower predict_lower) noexcept {
  Bgra* const lower_out = out + width;
  __m128i upper_a = _mm_setzero_si128();
  __m128i upper_c = _mm_setzero_si128();
  __m128i lower_a = _mm_setzero_si128();
  __m128i lower_c = _mm_setzero_si128();
  for (std::size_t k = 0; k < width; ++k) {
    const __m128i made = upper_a;  // the upper row's pixel k - 1
    const __m128i b = LoadAboveWide(prior + k);
    upper_a = Step<Channels>(upper, k, upper_a, b, upper_c, predict_upper);
    upper_c = b;
    StoreWide(out + k, upper_a, alpha);
    if (k == 0) continue;
    lower_a = Step<Channels>(lower, k - 1, lower_a, made, lower_c, predict_lower);
    lower_c = made;
    StoreWide(lower_out + k - 1, lower_a, alpha);
  }
  lower_a = Step<Channels>(lower, width - 1, lower_a, upper_a, lower_c, predict_lower);
  StoreWide(lower_out + width - 1, lower_a, alpha);
}

inline __m128i OpaqueAlpha(int channels) noexcept {
  return channels == 3 ? _mm_set1_epi32(static_cast<int>(0xFF000000u)) : _mm_setzero_si128();
}

template <int Channels, typename PredictUpper>
void PairWith(PredictUpper predict_upper, std::uint8_t lower_filter, const std::uint8_t* upper,
              const std::uint8_t* lower, const Bgra* prior, Bgra* out, std::size_t width) noexcept {
  const __m128i alpha = OpaqueAlpha(Channels);
  if (lower_filter == kAverage) {
    TwoAtATime<Channels>(upper, lower, prior, out, width, alpha, predict_upper, AveragePrediction{});
  } else {
    TwoAtATime<Channels>(upper, lower, prior, out, width, alpha, predict_upper, PaethPrediction{});
  }
}

// Two rows into 2 x `width` pixels; false, doing nothing, unless both are
// filtered with Average or Paeth.
template <int Channels>
bool PairToBgra(std::uint8_t upper_filter, std::uint8_t lower_filter, const std::uint8_t* upper,
                const std::uint8_t* lower, const Bgra* prior, Bgra* out, std::size_t width) noexcept {
  if (!OneAtATimeFilter(upper_filter) || !OneAtATimeFilter(lower_filter)) return false;
  if (upper_filter == kAverage) {
    PairWith<Channels>(AveragePrediction{}, lower_filter, upper, lower, prior, out, width);
  } else {
    PairWith<Channels>(PaethPrediction{}, lower_filter, upper, lower, prior, out, width);
  }
  return true;
}

template <int Channels>
bool ToBgraWith(std::uint8_t filter, const std::uint8_t* filtered, const Bgra* prior, Bgra* out,
                std::size_t width) noexcept {
  const __m128i alpha = OpaqueAlpha(Channels);
  switch (filter) {
    case kNone:
      FourAtATime<Channels>(filtered, prior, out, width, alpha, [](__m128i x, __m128i, __m128i&) { return x; });
      return true;
    case kSub:
      FourAtATime<Channels>(filtered, prior, out, width, alpha, [](__m128i x, __m128i, __m128i& left) {
        x = _mm_add_epi8(x, _mm_slli_si128(x, 4));
        x = _mm_add_epi8(x, _mm_slli_si128(x, 8));
        x = _mm_add_epi8(x, left);
        left = _mm_shuffle_epi32(x, _MM_SHUFFLE(3, 3, 3, 3));
        return x;
      });
      return true;
    case kUp:
      FourAtATime<Channels>(filtered, prior, out, width, alpha,
                            [](__m128i x, __m128i b, __m128i&) { return _mm_add_epi8(x, b); });
      return true;
    case kAverage:
      OneAtATime<Channels>(filtered, prior, out, width, alpha, AveragePrediction{});
      return true;
    case kPaeth:
      OneAtATime<Channels>(filtered, prior, out, width, alpha, PaethPrediction{});
      return true;
    default:
      return false;
  }
}

#else  // without SSE2: the same walk, a byte at a time

template <int Channels>
bool ToBgraWith(std::uint8_t filter, const std::uint8_t* filtered, const Bgra* prior, Bgra* out,
                std::size_t width) noexcept {
  if (filter > kPaeth) return false;
  const auto bytes = [](const Bgra& pixel) { return std::array<int, 4>{pixel.B, pixel.G, pixel.R, pixel.A}; };
  for (std::size_t k = 0; k < width; ++k) {
    const std::uint8_t* in = filtered + k * Channels;
    const std::array<int, 4> raw{in[2], in[1], in[0], Channels == 4 ? in[3] : 0};
    const std::array<int, 4> a = k > 0 ? bytes(out[k - 1]) : std::array<int, 4>{};
    const std::array<int, 4> b = bytes(prior[k]);
    const std::array<int, 4> c = k > 0 ? bytes(prior[k - 1]) : std::array<int, 4>{};
    std::array<std::uint8_t, 4> made{};
    for (std::size_t i = 0; i < 4; ++i) {
      const int predicted = filter == kSub       ? a[i]
                            : filter == kUp      ? b[i]
                            : filter == kAverage ? (a[i] + b[i]) >> 1
                            : filter == kPaeth   ? PaethPredictor(a[i], b[i], c[i])
                                                 : 0;
      made[i] = static_cast<std::uint8_t>(raw[i] + predicted);
    }
    out[k] = Bgra{made[0], made[1], made[2], Channels == 4 ? made[3] : std::uint8_t{255}};
  }
  return true;
}

template <int Channels>
bool PairToBgra(std::uint8_t, std::uint8_t, const std::uint8_t*, const std::uint8_t*, const Bgra*, Bgra*,
                std::size_t) noexcept {
  return false;
}

#endif

// Row by row, or two rows together where the pair allows it.
template <int Channels>
bool RowsToBgra(const std::uint8_t* filtered, std::size_t width, std::size_t rows, const Bgra* prior,
                Bgra* out) noexcept {
  const std::size_t stride = width * Channels + 1;
  for (std::size_t y = 0; y < rows;) {
    const std::uint8_t* row = filtered + y * stride;
    Bgra* made = out + y * width;
    if (y + 1 < rows && PairToBgra<Channels>(row[0], row[stride], row + 1, row + stride + 1, prior, made, width)) {
      prior = made + width;
      y += 2;
      continue;
    }
    if (!ToBgraWith<Channels>(row[0], row + 1, prior, made, width)) return false;
    prior = made;
    ++y;
  }
  return true;
}

}  // namespace

bool UnfilterRow(std::uint8_t filter, std::uint8_t* row, const std::uint8_t* prior, std::size_t size,
                 std::size_t bpp) noexcept {
  switch (bpp) {
    case 1: return UnfilterWith<1>(filter, row, prior, size);
    case 2: return UnfilterWith<2>(filter, row, prior, size);
    case 3: return UnfilterWith<3>(filter, row, prior, size);
    case 4: return UnfilterWith<4>(filter, row, prior, size);
    case 6: return UnfilterWith<6>(filter, row, prior, size);
    default: return UnfilterWith<8>(filter, row, prior, size);
  }
}

bool UnfilterRowsToBgra(const std::uint8_t* filtered, int channels, std::size_t width, std::size_t rows,
                        const Bgra* prior, Bgra* out) noexcept {
  return channels == 3 ? RowsToBgra<3>(filtered, width, rows, prior, out)
                       : RowsToBgra<4>(filtered, width, rows, prior, out);
}

}  // namespace ris::png
