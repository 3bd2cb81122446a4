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

  // True when another instance held the mutex already. A mutex that could
  // not be created does not count as another instance: this one runs
  // unguarded rather than not at all.
  bool AnotherRuns() const noexcept { return another_runs_; }

 private:
  HANDLE mutex_ = nullptr;
  bool another_runs_ = false;
};

}  // namespace ris
