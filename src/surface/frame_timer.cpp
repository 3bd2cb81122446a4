#include "surface/frame_timer.h"

#include <limits>

namespace ris {

void TDXTimer::SetEnabled(bool enabled, Milliseconds now) noexcept {
  if (enabled && !enabled_) last_tick_ = now;
  enabled_ = enabled;
}

bool TDXTimer::Poll(Milliseconds now) {
  if (!enabled_) return false;
  const Milliseconds elapsed = now - last_tick_;
  if (elapsed < interval_) return false;
  last_tick_ = now;
  const Milliseconds intervals = elapsed / EffectiveInterval();
  const auto lag_count = static_cast<std::int32_t>(
      intervals > static_cast<Milliseconds>(std::numeric_limits<std::int32_t>::max())
          ? std::numeric_limits<std::int32_t>::max()
          : intervals);
  if (on_timer_) on_timer_(lag_count < 1 ? 1 : lag_count);
  return true;
}

void TDXTimer::Fire(Milliseconds now) {
  if (!enabled_) return;
  last_tick_ = now;
  if (on_timer_) on_timer_(1);
}

std::optional<Milliseconds> TDXTimer::TimeUntilDue(Milliseconds now) const noexcept {
  if (!enabled_) return std::nullopt;
  const Milliseconds elapsed = now - last_tick_;
  return elapsed >= interval_ ? 0 : interval_ - elapsed;
}

}  // namespace ris
