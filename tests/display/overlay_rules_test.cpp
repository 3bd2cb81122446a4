#include <gtest/gtest.h>

#include "data/clock_text.h"
#include "display/key_actions.h"

namespace ris {
namespace {

TEST(RunningTimeText, TwoDigitsEachAndHoursWrapAfterADay) {
  EXPECT_EQ(RunningTimeText(0), "00:00:00");
  EXPECT_EQ(RunningTimeText(9), "00:00:09");
  EXPECT_EQ(RunningTimeText(3725), "01:02:05");
  EXPECT_EQ(RunningTimeText(86399), "23:59:59");
  EXPECT_EQ(RunningTimeText(90000), "01:00:00");
  EXPECT_EQ(RunningTimeText(UINT32_MAX), "06:28:15");
}

TEST(NextClockMode, CyclesNoneCurrentRunning) {
  EXPECT_EQ(NextClockMode(kNoClock), kCurrentTime);
  EXPECT_EQ(NextClockMode(kCurrentTime), kRunningTime);
  EXPECT_EQ(NextClockMode(kRunningTime), kNoClock);
  EXPECT_EQ(NextClockMode(7), kNoClock);
  EXPECT_EQ(NextClockMode(-3), -2);
  EXPECT_EQ(NextClockMode(INT32_MAX), kNoClock);
}

TEST(ActionForKey, SteeringKeysAndEverythingElseCloses) {
  const struct {
    std::uint16_t key;
    KeyAction action;
  } table[] = {
      {37, KeyAction::NextSet},           {100, KeyAction::NextSet},
      {39, KeyAction::PreviousSet},       {102, KeyAction::PreviousSet},
      {38, KeyAction::Faster},            {104, KeyAction::Faster},
      {40, KeyAction::Slower},            {98, KeyAction::Slower},
      {107, KeyAction::MoreImages},       {109, KeyAction::FewerImages},
      {106, KeyAction::LargerClockFont},  {111, KeyAction::SmallerClockFont},
      {96, KeyAction::LargerSetNameFont}, {110, KeyAction::SmallerSetNameFont},
      {101, KeyAction::NextClockMode},    {97, KeyAction::ToggleSetName},
      {103, KeyAction::ToggleBackground}, {105, KeyAction::ToggleBouncing},
      // Keypad 3, the keypad separator, Shift, Control, Escape and the rest.
      {99, KeyAction::Close},             {108, KeyAction::Close},
      {16, KeyAction::Close},             {17, KeyAction::Close},
      {27, KeyAction::Close},             {65, KeyAction::Close},
      {0, KeyAction::Close},              {0xFFFF, KeyAction::Close},
  };
  for (const auto& row : table) EXPECT_EQ(ActionForKey(row.key), row.action) << row.key;
}

}  // namespace
}  // namespace ris
