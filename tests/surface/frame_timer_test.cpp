#include "surface/frame_timer.h"

#include <gtest/gtest.h>

#include <vector>

namespace ris {
namespace {

class FrameTimer : public testing::Test {
 protected:
  FrameTimer() {
    timer_.SetOnTimer([this](std::int32_t lag) { lags_.push_back(lag); });
  }
  TDXTimer timer_;
  std::vector<std::int32_t> lags_;
};

TEST_F(FrameTimer, TicksNoSoonerThanTheIntervalAndCountsLag) {
  timer_.SetEnabled(true, 1000);
  EXPECT_FALSE(timer_.Poll(1249));
  EXPECT_TRUE(timer_.Poll(1250));
  EXPECT_FALSE(timer_.Poll(1499));  // measured from the last tick, not from the schedule
  EXPECT_TRUE(timer_.Poll(2300));   // 1050 ms late: four intervals
  EXPECT_EQ(lags_, (std::vector<std::int32_t>{1, 4}));
}

TEST_F(FrameTimer, DisabledTimerNeverTicksAndEnablingRestartsTheCount) {
  EXPECT_FALSE(timer_.Poll(5000));
  EXPECT_EQ(timer_.TimeUntilDue(5000), std::nullopt);
  timer_.SetEnabled(true, 5000);
  timer_.SetEnabled(false, 5100);
  EXPECT_FALSE(timer_.Poll(9000));
  timer_.SetEnabled(true, 9000);
  EXPECT_FALSE(timer_.Poll(9200));
  EXPECT_TRUE(lags_.empty());
}

TEST_F(FrameTimer, TicksFiredFromOutsideCountOnlyWhileEnabled) {
  timer_.Fire(100);  // a window timer's message still queued after it stopped
  timer_.SetEnabled(true, 100);
  timer_.Fire(150);
  EXPECT_FALSE(timer_.Poll(349));  // the next interval counts from the fired tick
  EXPECT_EQ(lags_, (std::vector<std::int32_t>{1}));
}

TEST_F(FrameTimer, TellsTheShellHowLongItMaySleep) {
  timer_.SetEnabled(true, 100);
  EXPECT_EQ(timer_.TimeUntilDue(100), 250u);
  EXPECT_EQ(timer_.TimeUntilDue(300), 50u);
  EXPECT_EQ(timer_.TimeUntilDue(400), 0u);
}

TEST_F(FrameTimer, SurvivesTheClockWrappingAround) {
  timer_.SetEnabled(true, 0xFFFFFF80u);    // 128 ms before the clock wraps
  EXPECT_FALSE(timer_.Poll(0x00000070u));  // 240 ms after enabling
  EXPECT_TRUE(timer_.Poll(0x00000200u));   // 640 ms after enabling
  EXPECT_EQ(lags_, (std::vector<std::int32_t>{2}));
}

TEST_F(FrameTimer, ZeroIntervalTicksEveryPollWithLagAtLeastOne) {
  timer_.SetInterval(0);
  timer_.SetEnabled(true, 10);
  EXPECT_TRUE(timer_.Poll(10));
  EXPECT_TRUE(timer_.Poll(13));
  EXPECT_EQ(lags_, (std::vector<std::int32_t>{1, 3}));
}

}  // namespace
}  // namespace ris
