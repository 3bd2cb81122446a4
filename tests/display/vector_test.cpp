#include "display/vector.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace ris {
namespace {

constexpr float kInfinity = std::numeric_limits<float>::infinity();
constexpr float kFloatMax = std::numeric_limits<float>::max();
constexpr long double kLongFloatMax = kFloatMax;

TEST(ToSingle, RoundsToNearestEvenAndOverflowsOnlyFromTheHalfway) {
  EXPECT_EQ(ToSingle(1.0L / 3.0L), 1.0f / 3.0f);
  EXPECT_EQ(ToSingle(1.0L + 0x1p-24L), 1.0f);  // a tie goes to the even neighbour
  EXPECT_EQ(ToSingle(1.0L + 0x1p-24L + 0x1p-40L), 1.0f + 0x1p-23f);
  // Beyond the largest float but short of the halfway to 2^128: still the largest.
  EXPECT_EQ(ToSingle(kLongFloatMax + 0x1p102L), kFloatMax);
  EXPECT_EQ(ToSingle(-(kLongFloatMax + 0x1p102L)), -kFloatMax);
  EXPECT_EQ(ToSingle(kLongFloatMax + 0x1p103L), kInfinity);
  EXPECT_EQ(ToSingle(-1e39L), -kInfinity);
  EXPECT_TRUE(std::isnan(ToSingle(std::numeric_limits<long double>::quiet_NaN())));
}

TEST(TVector, LengthAndDistanceSquareInExtendedPrecision) {
  // In float the squares of 3e30 would overflow and those of 3e-30 vanish.
  EXPECT_EQ(TVector(-3.0f, -4.0f).Length(), 5.0f);
  EXPECT_EQ(TVector(3e30f, 4e30f).Length(), ToSingle(5e30L));
  EXPECT_EQ(TVector(3e-30f, 4e-30f).Length(), ToSingle(5e-30L));
  EXPECT_EQ(TVector(kFloatMax, kFloatMax).Length(), kInfinity);
  EXPECT_EQ(TVector(0.0f, 0.0f).Distance(TVector(3.0f, 4.0f)), 5.0f);
  EXPECT_EQ(TVector(-3e30f, 0.0f).Distance(TVector(0.0f, 4e30f)), ToSingle(5e30L));
  // Each difference is rounded to float before it is squared; squared
  // unrounded they would give 0x1.a0780cp+9.
  const TVector p(0x1.728p+8f, 0x1.75p+9f);
  EXPECT_EQ(p.Distance(TVector(0x1.96c102p-12f, 0x1.6a58c2p-12f)), 0x1.a0780ap+9f);
}

TEST(TVector, NormalizeGivesUnitLengthAndKeepsTheZeroVector) {
  const auto normalized = [](TVector v) { return v.Normalize(); };
  EXPECT_EQ(normalized({3.0f, 4.0f}), TVector(0.6f, 0.8f));
  EXPECT_EQ(normalized({3e-30f, 4e-30f}), TVector(0.6f, 0.8f));
  EXPECT_EQ(normalized({0.0f, 0.0f}), TVector(0.0f, 0.0f));  // not NaN
  // The smallest subnormal still has a length: it is divided, not zeroed.
  EXPECT_EQ(normalized({std::numeric_limits<float>::denorm_min(), 0.0f}), TVector(1.0f, 0.0f));
}

TEST(TVector, DotRoundsOnlyTheSum) {
  EXPECT_EQ(TVector(2.0f, 3.0f).Dot(TVector(4.0f, -5.0f)), -7.0f);
  // (1 + 2^-20)^2 - 1 = 2^-19 + 2^-40: rounding the product first loses 2^-40.
  const float a = 1.0f + 0x1p-20f;
  EXPECT_EQ(TVector(a, 1.0f).Dot(TVector(a, -1.0f)), 0x1p-19f + 0x1p-40f);
}

TEST(TVector, SubtractAndAddWorkInPlaceAndChain) {
  TVector v(5.0f, 7.0f);
  v.Subtract(TVector(1.0f, 2.0f)).Add(TVector(0.5f, 0.25f));
  EXPECT_EQ(v, TVector(4.5f, 5.25f));
  TVector huge(kFloatMax, -kFloatMax);
  EXPECT_EQ(huge.Add(TVector(kFloatMax, -kFloatMax)), TVector(kInfinity, -kInfinity));
}

}  // namespace
}  // namespace ris
