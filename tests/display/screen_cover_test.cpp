#include "display/screen_cover.h"

#include <gtest/gtest.h>

namespace ris {
namespace {

TEST(MonitorsToCover, EveryOtherMonitorOnceButNoneThatShowsThePrimary) {
  const ScreenRect primary{0, 0, 1920, 1080};
  const ScreenRect right{1920, 0, 3200, 1024};
  const ScreenRect left_above{-1280, -200, 0, 824};
  const struct {
    std::vector<ScreenRect> monitors;
    std::vector<ScreenRect> covered;
  } cases[] = {
      {{primary}, {}},
      {{primary, right}, {right}},
      {{left_above, primary, right}, {left_above, right}},
      {{primary, {0, 0, 800, 600}}, {}},          // mirrored at a smaller size
      {{primary, {1000, 500, 2920, 1580}}, {}},   // overlapping the primary
      {{primary, right, right}, {right}},         // reported twice
      {{primary, {3000, 0, 3000, 1080}}, {}},     // no area
  };
  for (const auto& c : cases) EXPECT_EQ(MonitorsToCover(c.monitors, primary), c.covered) << c.monitors.size();
}

}  // namespace
}  // namespace ris
