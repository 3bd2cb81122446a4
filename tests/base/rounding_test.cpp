#include "base/rounding.h"

#include <gtest/gtest.h>

namespace ris {
namespace {

TEST(RoundHalfEven, RoundsHalvesToTheEvenNeighbour) {
  EXPECT_EQ(RoundHalfEven(2.5L), 2);
  EXPECT_EQ(RoundHalfEven(3.5L), 4);
  EXPECT_EQ(RoundHalfEven(-2.5L), -2);
  EXPECT_EQ(RoundHalfEven(-3.5L), -4);
  EXPECT_EQ(RoundHalfEven(1.5000001L), 2);
  EXPECT_EQ(RoundHalfEven(0.4999L), 0);
}

TEST(PreviewDivisor, DividesByExactlySixPointFour) {
  EXPECT_EQ(DivideByPreviewDivisor(3), 0);    // 0.47
  EXPECT_EQ(DivideByPreviewDivisor(10), 2);   // 1.5625
  EXPECT_EQ(DivideByPreviewDivisor(16), 2);   // 2.5, halves to even
  EXPECT_EQ(DivideByPreviewDivisor(48), 8);   // 7.5, halves to even
  EXPECT_EQ(DivideByPreviewDivisor(-16), -2);
  EXPECT_EQ(DivideByPreviewDivisor(INT32_MAX), 335544320);
}

}  // namespace
}  // namespace ris
