#include "base/random_source.h"

#include <gtest/gtest.h>

namespace ris {
namespace {

TEST(RandomSource, SameSeedSameSequence) {
  RandomSource a(1234);
  RandomSource b(1234);
  for (int i = 0; i < 100; ++i) {
    EXPECT_EQ(a.NextInt(1000), b.NextInt(1000));
    EXPECT_EQ(a.NextReal(), b.NextReal());
  }
}

TEST(RandomSource, StaysInRange) {
  RandomSource random(7);
  for (int i = 0; i < 10000; ++i) {
    const auto n = random.NextInt(17);
    EXPECT_GE(n, 0);
    EXPECT_LT(n, 17);
    const double r = random.NextReal();
    EXPECT_GE(r, 0.0);
    EXPECT_LT(r, 1.0);
  }
  EXPECT_EQ(random.NextInt(0), 0);
  EXPECT_EQ(random.NextInt(-5), 0);
}

TEST(RandomSource, CoversTheWholeRange) {
  RandomSource random(99);
  int seen[6] = {};
  for (int i = 0; i < 6000; ++i) ++seen[random.NextInt(6)];
  for (const int count : seen) EXPECT_GT(count, 800);
}

}  // namespace
}  // namespace ris
