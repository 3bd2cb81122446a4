#pragma once
// One saver at a time: the first instance holds a named mutex for as long as
// it runs; a later one finds it and steps aside.

#include "shells/win32/owned_handle.h"

namespace ris {

class SingleInstance {
 public:
  SingleInstance();

  // True when another instance held the mutex already. A mutex that could
  // not be created does not count as another instance: this one runs
  // unguarded rather than not at all.
  bool AnotherRuns() const noexcept { return another_runs_; }

 private:
  OwnedKernelObject mutex_;
  bool another_runs_ = false;
};

}  // namespace ris
