#include "display/vector.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace ris {
namespace {

constexpr float kInfinity = std::numeric_limits<float>::infinity();
constexpr float kFloatMax = std::numeric_limits<float>::max();

TEST(ToSingle, RoundsToNearestAndOverflowsToInfinityAtTheHalfway) {
  EXPECT_EQ(ToSingle(1.0L / 3.0L), 1.0f / 3.0f);
  // Half an ulp above 1 is a tie and goes to the even neighbour, 1.
  EXPECT_EQ(ToSingle(1.0L + 0x1p-24L), 1.0f);
  EXPECT_EQ(ToSingle(1.0L + 0x1p-24L + 0x1p-40L), 1.0f + 0x1p-23f);
  // Above the largest float but below the halfway to 2^128: still the largest float.
  EXPECT_EQ(ToSingle(static_cast<long double>(kFloatMax) + 0x1p102L), kFloatMax);
  EXPECT_EQ(ToSingle(-(static_cast<long double>(kFloatMax) + 0x1p102L)), -kFloatMax);
  EXPECT_EQ(ToSingle(static_cast<long double>(kFloatMax) + 0x1p103L), kInfinity);
  EXPECT_EQ(ToSingle(-1e39L), -kInfinity);
  EXPECT_TRUE(std::isnan(ToSingle(std::numeric_limits<long double>::quiet_NaN())));
}

TEST(TVector, SetsAndCopiesComponentsXFirst) {
  TVector v(1.5f, -2.0f);
  EXPECT_EQ(v.X, 1.5f);
  EXPECT_EQ(v.Y, -2.0f);
  const TVector copy = v;
  v.SetXY(7.0f, 8.0f);
  EXPECT_EQ(copy, TVector(1.5f, -2.0f));
  EXPECT_EQ(v, TVector(7.0f, 8.0f));
}

TEST(TVector, LengthSquaresInExtendedPrecision) {
  EXPECT_EQ(TVector(3.0f, 4.0f).Length(), 5.0f);
  EXPECT_EQ(TVector(-3.0f, -4.0f).Length(), 5.0f);
  // Squares beyond the float range, and below it, would give infinity and 0.
  EXPECT_EQ(TVector(3e30f, 4e30f).Length(), ToSingle(5e30L));
  EXPECT_EQ(TVector(3e-30f, 4e-30f).Length(), ToSingle(5e-30L));
  // A length beyond the float range is infinite, not undefined.
  EXPECT_EQ(TVector(kFloatMax, kFloatMax).Length(), kInfinity);
}

TEST(TVector, NormalizeGivesUnitLengthAndKeepsTheZeroVector) {
  TVector v(3.0f, 4.0f);
  v.Normalize();
  EXPECT_EQ(v, TVector(0.6f, 0.8f));

  TVector tiny(3e-30f, 4e-30f);
  tiny.Normalize();
  EXPECT_EQ(tiny, TVector(0.6f, 0.8f));

  TVector zero(0.0f, 0.0f);
  zero.Normalize();
  EXPECT_EQ(zero.X, 0.0f);
  EXPECT_EQ(zero.Y, 0.0f);

  // The smallest subnormal still has a length, so it is divided, not zeroed.
  TVector smallest(std::numeric_limits<float>::denorm_min(), 0.0f);
  smallest.Normalize();
  EXPECT_EQ(smallest, TVector(1.0f, 0.0f));
}

TEST(TVector, DotRoundsOnlyTheSum) {
  EXPECT_EQ(TVector(2.0f, 3.0f).Dot(TVector(4.0f, -5.0f)), -7.0f);
  // (1 + 2^-20)^2 - 1 = 2^-19 + 2^-40: rounding the product to float first
  // would lose the 2^-40.
  const float a = 1.0f + 0x1p-20f;
  EXPECT_EQ(TVector(a, 1.0f).Dot(TVector(a, -1.0f)), 0x1p-19f + 0x1p-40f);
}

TEST(TVector, DistanceRoundsEachDifferenceBeforeSquaring) {
  EXPECT_EQ(TVector(0.0f, 0.0f).Distance(TVector(3.0f, 4.0f)), 5.0f);
  EXPECT_EQ(TVector(3.0f, 4.0f).Distance(TVector(0.0f, 0.0f)), 5.0f);
  EXPECT_EQ(TVector(1.0f, 1.0f).Distance(TVector(1.0f, 1.0f)), 0.0f);
  EXPECT_EQ(TVector(-3e30f, 0.0f).Distance(TVector(0.0f, 4e30f)), ToSingle(5e30L));

  // Differences of a large and a tiny coordinate are not floats. Squared as
  // they are, they would give 0x1.a0780cp+9.
  const TVector p(0x1.728p+8f, 0x1.75p+9f);
  const TVector q(0x1.96c102p-12f, 0x1.6a58c2p-12f);
  EXPECT_EQ(p.Distance(q), 0x1.a0780ap+9f);
}

TEST(TVector, SubtractAndAddWorkInPlaceAndChain) {
  TVector v(5.0f, 7.0f);
  v.Subtract(TVector(1.0f, 2.0f)).Add(TVector(0.5f, 0.25f));
  EXPECT_EQ(v, TVector(4.5f, 5.25f));

  // N := Copy of P, Subtract Q, Normalize leaves P as it was.
  const TVector p(10.0f, 0.0f);
  TVector n = p;
  n.Subtract(TVector(0.0f, 0.0f)).Normalize();
  EXPECT_EQ(n, TVector(1.0f, 0.0f));
  EXPECT_EQ(p, TVector(10.0f, 0.0f));

  TVector huge(kFloatMax, -kFloatMax);
  huge.Add(TVector(kFloatMax, -kFloatMax));
  EXPECT_EQ(huge, TVector(kInfinity, -kInfinity));
}

}  // namespace
}  // namespace ris
