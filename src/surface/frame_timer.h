#pragma once
// The frame timer: ticks at most every Interval milliseconds on a
// millisecond clock that the shell reads. It never waits itself; a shell asks
// how long until the next tick is due and sleeps that long (or until a
// message arrives), so a running saver does not spin a processor.

#include <cstdint>
#include <functional>
#include <optional>

namespace ris {

// Milliseconds on a clock that wraps around after 2^32, like the system's
// multimedia clock; differences are taken modulo 2^32, so the wrap after 49.7
// days of running is harmless.
using Milliseconds = std::uint32_t;

class TDXTimer {
 public:
  // Called once per tick with the number of intervals that have passed since
  // the previous tick, at least 1.
  using TimerHandler = std::function<void(std::int32_t lag_count)>;

  static constexpr Milliseconds kDefaultInterval = 250;

  void SetInterval(Milliseconds interval) noexcept { interval_ = interval; }
  Milliseconds Interval() const noexcept { return interval_; }

  void SetOnTimer(TimerHandler handler) { on_timer_ = std::move(handler); }

  // Enabling starts counting from `now`; disabling stops the ticks at once.
  void SetEnabled(bool enabled, Milliseconds now) noexcept;
  bool Enabled() const noexcept { return enabled_; }

  // Ticks when an interval has passed since the last tick; true if it did.
  bool Poll(Milliseconds now);

  // One tick counted by a timer of the window system instead of Poll: such a
  // timer keeps ticking while a modal box runs its own message loop.
  void Fire(Milliseconds now);

  // How long a shell may sleep before the next tick is due; nothing while
  // the timer is disabled.
  std::optional<Milliseconds> TimeUntilDue(Milliseconds now) const noexcept;

 private:
  Milliseconds EffectiveInterval() const noexcept { return interval_ == 0 ? 1 : interval_; }

  Milliseconds interval_ = kDefaultInterval;
  Milliseconds last_tick_ = 0;
  bool enabled_ = false;
  TimerHandler on_timer_;
};

}  // namespace ris
