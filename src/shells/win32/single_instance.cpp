#include "shells/win32/single_instance.h"

namespace ris {
namespace {
constexpr char kMutexName[] = "Random Images Screen Saver";
}  // namespace

// One call both finds and makes the mutex, so two savers started at the same
// moment cannot both find none and both run.
SingleInstance::SingleInstance() : mutex_(CreateMutexA(nullptr, FALSE, kMutexName)) {
  if (mutex_ && GetLastError() == ERROR_ALREADY_EXISTS) {
    mutex_.Reset();  // another instance runs; its handle is not kept
    another_runs_ = true;
  }
}

}  // namespace ris
