#include "shells/headless/headless_display_host.h"

#include "data/clock_text.h"

namespace ris {

std::string HeadlessDisplayHost::LongTimeText() const {
  // The running-time text is hh:mm:ss of a count of seconds, wrapping daily:
  // of the seconds since midnight, it is the time of day. The start lies
  // within a day and the clock within 2^32 ms, so the sum cannot overflow.
  return RunningTimeText(options_.StartSecondOfDay % 86400 + now_ / 1000);
}

bool HeadlessDisplayHost::VerifySaverPassword() {
  ++password_questions_;
  if (while_asked_) while_asked_();
  return options_.PasswordAccepted;
}

}  // namespace ris
