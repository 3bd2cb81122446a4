#include "base/arriving_bytes.h"

#include <algorithm>
#include <utility>

namespace ris {

ArrivingBytes::ArrivingBytes(std::string buffer) : buffer_(std::move(buffer)) {}

std::shared_ptr<ArrivingBytes> ArrivingBytes::Complete(std::string bytes) {
  auto complete = std::make_shared<ArrivingBytes>(std::move(bytes));
  complete->arrived_ = complete->Size();
  complete->closed_ = true;
  return complete;
}

std::size_t ArrivingBytes::WaitFor(std::size_t count) const {
  count = std::min(count, Size());
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return arrived_ >= count || closed_; });
  return arrived_;
}

void ArrivingBytes::Arrive(std::size_t count) {
  {
    const std::lock_guard lock(mutex_);
    arrived_ = std::max(arrived_, std::min(count, Size()));
  }
  changed_.notify_all();
}

void ArrivingBytes::Close() {
  {
    const std::lock_guard lock(mutex_);
    closed_ = true;
  }
  changed_.notify_all();
}

}  // namespace ris
