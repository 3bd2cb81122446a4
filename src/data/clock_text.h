#pragma once
// The clock setting: its modes and the texts the clock shows.

#include <cstdint>
#include <string>

namespace ris {

// The clock's modes, as the "clock" setting numbers them; any value above 1
// shows the running time, 0 or less shows no clock.
enum ClockMode : std::int32_t { kNoClock = 0, kCurrentTime = 1, kRunningTime = 2 };

// How long the saver has run as hh:mm:ss, two digits each; the hours start
// again at 00 after 23:59:59.
std::string RunningTimeText(std::uint32_t seconds);

// The clock mode that follows `mode` when the user steps through them:
// none, current time, running time, none ...
std::int32_t NextClockMode(std::int32_t mode) noexcept;

}  // namespace ris
