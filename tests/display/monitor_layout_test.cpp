#include "display/monitor_layout.h"

#include <gtest/gtest.h>

namespace ris {
namespace {

constexpr ScreenRect kPrimary{0, 0, 1920, 1080};
constexpr ScreenRect kRight{1920, 0, 3200, 1024};
constexpr ScreenRect kLeftAbove{-1280, -200, 0, 824};
constexpr ScreenRect kMirror{0, 0, 800, 600};

// A layout in few words: each scene's desktop and overlay area, each
// monitor's scene (-1 black).
struct Expected {
  std::vector<ScreenRect> desktops;
  std::vector<SurfaceRect> overlays;
  std::vector<int> scene_of_monitor;
};

TEST(LayOutMonitors, EachChoiceGivesItsScenesAndCovers) {
  const struct {
    const char* name;
    std::vector<ScreenRect> monitors;
    MonitorChoice choice;
    Expected expected;
  } cases[] = {
      {"one monitor", {kPrimary}, MonitorChoice::AcrossAll, {{kPrimary}, {{0, 0, 1920, 1080}}, {0}}},
      {"primary only", {kPrimary, kRight}, MonitorChoice::PrimaryOnly, {{kPrimary}, {{0, 0, 1920, 1080}}, {0, -1}}},
      {"primary only, a mirror shows it", {kPrimary, kMirror}, MonitorChoice::PrimaryOnly,
       {{kPrimary}, {{0, 0, 1920, 1080}}, {0, 0}}},
      {"every monitor", {kPrimary, kRight}, MonitorChoice::EveryMonitor,
       {{kPrimary, kRight}, {{0, 0, 1920, 1080}, {}}, {0, 1}}},
      {"every monitor, left and above", {kPrimary, kLeftAbove}, MonitorChoice::EveryMonitor,
       {{kPrimary, kLeftAbove}, {{0, 0, 1920, 1080}, {}}, {0, 1}}},
      {"every monitor, a mirror makes no scene", {kPrimary, kMirror, kRight}, MonitorChoice::EveryMonitor,
       {{kPrimary, kRight}, {{0, 0, 1920, 1080}, {}}, {0, 0, 1}}},
      {"across all", {kPrimary, kRight}, MonitorChoice::AcrossAll,
       {{{0, 0, 3200, 1080}}, {{0, 0, 1920, 1080}}, {0, 0}}},
      {"across all, left and above: the primary's place in the box", {kPrimary, kLeftAbove},
       MonitorChoice::AcrossAll, {{{-1280, -200, 1920, 1080}}, {{1280, 200, 3200, 1280}}, {0, 0}}},
      {"across all, far apart: a scene each", {kPrimary, {20000, 0, 21920, 1080}}, MonitorChoice::AcrossAll,
       {{kPrimary, {20000, 0, 21920, 1080}}, {{0, 0, 1920, 1080}, {}}, {0, 1}}},
      {"no area, twice: left out", {kPrimary, {5000, 0, 5000, 900}, kPrimary}, MonitorChoice::EveryMonitor,
       {{kPrimary}, {{0, 0, 1920, 1080}}, {0}}},
      {"no monitor", {}, MonitorChoice::EveryMonitor, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const MonitorLayout layout = LayOutMonitors(c.monitors, c.choice);
    Expected got;
    for (const ScenePlace& scene : layout.Scenes) {
      got.desktops.push_back(scene.Desktop);
      got.overlays.push_back(scene.OverlayArea);
    }
    for (const MonitorShows& monitor : layout.Monitors) {
      got.scene_of_monitor.push_back(monitor.Scene ? static_cast<int>(*monitor.Scene) : -1);
    }
    EXPECT_EQ(got.desktops, c.expected.desktops);
    EXPECT_EQ(got.overlays, c.expected.overlays);
    EXPECT_EQ(got.scene_of_monitor, c.expected.scene_of_monitor);
  }
}

TEST(LayOutMonitors, AcrossAllKeepsThePartsNoMonitorShows) {
  EXPECT_EQ(LayOutMonitors(std::vector{kPrimary, kRight}, MonitorChoice::AcrossAll).Scenes.at(0).Unseen,
            (std::vector<SurfaceRect>{{1920, 1024, 3200, 1080}}));
  // Left of and above: the corners beside each monitor.
  EXPECT_EQ(LayOutMonitors(std::vector{kPrimary, kLeftAbove}, MonitorChoice::AcrossAll).Scenes.at(0).Unseen,
            (std::vector<SurfaceRect>{{1280, 0, 3200, 200}, {0, 1024, 1280, 1280}}));
}

TEST(UncoveredParts, JoinsCellsIntoFewRectanglesThatCoverExactlyTheRest) {
  // Three monitors in an L with a hole: a 3 x 3 grid of 10-pixel cells,
  // the middle row's right cell and the bottom row's two right cells unshown.
  const std::vector<SurfaceRect> shown{{0, 0, 30, 10}, {0, 10, 20, 20}, {0, 20, 10, 30}};
  EXPECT_EQ(UncoveredParts({0, 0, 30, 30}, shown),
            (std::vector<SurfaceRect>{{20, 10, 30, 20}, {10, 20, 30, 30}}));
  EXPECT_TRUE(UncoveredParts({0, 0, 30, 10}, shown).empty());
}

TEST(MonitorChoiceFrom, UnknownNumbersAreThePrimaryAlone) {
  EXPECT_EQ(MonitorChoiceFrom(1), MonitorChoice::EveryMonitor);
  EXPECT_EQ(MonitorChoiceFrom(2), MonitorChoice::AcrossAll);
  for (const int number : {0, -1, 3, 1000}) EXPECT_EQ(MonitorChoiceFrom(number), MonitorChoice::PrimaryOnly);
}

}  // namespace
}  // namespace ris
