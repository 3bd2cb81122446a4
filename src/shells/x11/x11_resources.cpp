#include "shells/x11/x11_resources.h"

#include <sys/ipc.h>
#include <sys/shm.h>

#include "shells/x11/request_error_catcher.h"

namespace ris {
namespace {

char* const kNotMapped = reinterpret_cast<char*>(-1);

}  // namespace

SharedSegment::SharedSegment(std::size_t bytes) noexcept {
  info_.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
  if (info_.shmid < 0) return;
  char* address = static_cast<char*>(shmat(info_.shmid, nullptr, 0));
  info_.shmaddr = address == kNotMapped ? nullptr : address;
  info_.readOnly = False;
}

SharedSegment::~SharedSegment() {
  if (attached_to_ != nullptr) {
    XShmDetach(attached_to_, &info_);
    XSync(attached_to_, False);
  }
  if (info_.shmaddr != nullptr) shmdt(info_.shmaddr);
  MarkForRemoval();
}

bool SharedSegment::Attach(Display* display) noexcept {
  if (!Mapped()) return false;
  // An attach the server refuses is reported as an X error: plain images
  // then, rather than a failure of the program.
  const RequestErrorCatcher refusal(NextRequest(display));
  const bool attached = XShmAttach(display, &info_) != False;
  XSync(display, False);
  if (!attached || refusal.Caught()) return false;
  attached_to_ = display;
  MarkForRemoval();
  return true;
}

void SharedSegment::MarkForRemoval() noexcept {
  if (info_.shmid < 0 || removal_marked_) return;
  shmctl(info_.shmid, IPC_RMID, nullptr);
  removal_marked_ = true;
}

}  // namespace ris
