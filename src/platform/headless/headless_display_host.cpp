#include "platform/headless/headless_display_host.h"

#include <array>
#include <cstdio>

namespace ris {

std::string HeadlessDisplayHost::LongTimeText() const {
  constexpr std::uint64_t kSecondsPerDay = 86400;
  const std::uint64_t second = (options_.StartSecondOfDay + std::uint64_t{now_} / 1000) % kSecondsPerDay;
  std::array<char, 16> text{};
  std::snprintf(text.data(), text.size(), "%02u:%02u:%02u", static_cast<unsigned>(second / 3600),
                static_cast<unsigned>(second / 60 % 60), static_cast<unsigned>(second % 60));
  return text.data();
}

bool HeadlessDisplayHost::VerifySaverPassword() {
  ++password_questions_;
  return options_.PasswordAccepted;
}

}  // namespace ris
