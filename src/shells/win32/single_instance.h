#pragma once
// One saver at a time: the first instance holds a named mutex for as long as
// it runs; a later one finds it and steps aside.

#include <windows.h>

namespace ris {

class SingleInstance {
 public:
  SingleInstance();
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // False when another instance held the mutex already.
  bool First() const noexcept { return mutex_ != nullptr; }

 private:
  HANDLE mutex_ = nullptr;
};

}  // namespace ris
