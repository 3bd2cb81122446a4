#include "shells/win32/single_instance.h"

namespace ris {
namespace {
constexpr char kMutexName[] = "Random Images Screen Saver";
}  // namespace

SingleInstance::SingleInstance() {
  if (HANDLE other = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, kMutexName)) {
    CloseHandle(other);  // another instance runs; its handle is not kept
    another_runs_ = true;
    return;
  }
  mutex_ = CreateMutexA(nullptr, FALSE, kMutexName);
}

SingleInstance::~SingleInstance() {
  if (mutex_ != nullptr) CloseHandle(mutex_);
}

}  // namespace ris
