#include "shells/win32/saver_password.h"

#include <cstdint>
#include <cstring>
#include <optional>

#include "base/conversions.h"
#include "base/errors.h"
#include "shells/win32/owned_handle.h"
#include "shells/win32/win32_errors.h"
#include "startup/password_messages.h"

namespace ris {
namespace {

using PwdChangePassword = DWORD(WINAPI*)(LPCSTR provider, HWND owner, DWORD reserved1, DWORD reserved2);
using VerifyScreenSavePwd = BOOL(WINAPI*)(HWND owner);

// The system directory with a backslash at its end.
std::string SystemFolder() {
  std::string folder(MAX_PATH, '\0');
  const UINT length = GetSystemDirectoryA(folder.data(), MAX_PATH);
  folder.resize(length < MAX_PATH ? length : 0);
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  return folder;
}

// A library loaded by full path, released when it goes out of scope.
class Library {
 public:
  explicit Library(const std::string& path) : module_(LoadLibraryA(path.c_str())) {}

  bool Loaded() const noexcept { return static_cast<bool>(module_); }

  template <typename Function>
  Function EntryPoint(const char* name) const {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module_.Get(), name)));
  }

 private:
  OwnedLibrary module_;
};

// The failure of a change, as its box shows it; nothing when it went through.
std::optional<std::string> TryChangePassword(const std::vector<std::string>& parameters) {
  const std::string folder = SystemFolder();
  const Library mpr(folder + "MPR.DLL");
  if (!mpr.Loaded()) return LibraryNotLoadedMessage(folder);
  const auto change = mpr.EntryPoint<PwdChangePassword>("PwdChangePasswordA");
  if (change == nullptr) return EntryPointMissingMessage(folder);
  const std::string handle_text = parameters.size() >= 2 ? parameters[1] : std::string();
  std::int32_t handle = 0;
  try {
    handle = StrToInt(handle_text);
  } catch (const EConvertError& error) {
    return error.what();
  }
  // Window handles are 32-bit values, also in a 64-bit process.
  const auto owner = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(static_cast<std::uint32_t>(handle)));
  change("SCRSAVE", owner, 0, 0);
  return std::nullopt;
}

// "ScreenSaveUsePassword" is stored as a number by some systems and as text
// by others; either way any value but 0 asks for the password.
bool PasswordWanted() {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, KEY_READ, &opened) != ERROR_SUCCESS) {
    return false;
  }
  const OwnedRegistryKey desktop(opened);
  DWORD type = 0;
  char data[64] = {};
  DWORD size = sizeof(data) - 1;
  if (RegQueryValueExA(desktop.Get(), "ScreenSaveUsePassword", nullptr, &type, reinterpret_cast<BYTE*>(data),
                       &size) != ERROR_SUCCESS) {
    return false;
  }
  if (type == REG_DWORD && size == sizeof(DWORD)) {
    DWORD number = 0;
    std::memcpy(&number, data, sizeof(number));
    return number != 0;
  }
  if (type == REG_SZ || type == REG_EXPAND_SZ) {
    const auto number = TryStrToInt(std::string(data, strnlen(data, size)));
    return number && *number != 0;
  }
  return false;
}

// A failure inside the system's check must not take the saver down: it
// counts as passed. This fails open on purpose: a broken system library
// must not lock the user out of their own session for good. The compiler
// offers no __try, so the call runs under an unhandled-exception filter that
// resumes at a context captured just before it, as a longjmp would, leaving
// the library's own frames behind. Only a
// failure on the thread that made the call goes back there: the filter is
// the process's, and a failure on any other thread goes to the filter that
// was there before.
struct GuardedCall {
  CONTEXT Resume{};
  DWORD Thread = GetCurrentThreadId();
  LPTOP_LEVEL_EXCEPTION_FILTER Previous = nullptr;
  volatile LONG Failed = 0;
};
GuardedCall* g_guarded_call = nullptr;

LONG WINAPI ResumeAfterFailure(EXCEPTION_POINTERS* exception) {
  GuardedCall* call = g_guarded_call;
  if (call == nullptr) return EXCEPTION_CONTINUE_SEARCH;
  if (call->Thread != GetCurrentThreadId()) {
    return call->Previous != nullptr ? call->Previous(exception) : EXCEPTION_CONTINUE_SEARCH;
  }
  call->Failed = 1;
  *exception->ContextRecord = call->Resume;
  return EXCEPTION_CONTINUE_EXECUTION;
}

// The check's answer, or true when it failed. A call made while another
// runs (the form asks one question at a time, but a library may call back)
// guards itself and then hands the guard back to the outer one; the filter
// is installed once, by the outermost.
[[gnu::noinline]] bool CallGuarded(VerifyScreenSavePwd verify, HWND window) {
  GuardedCall call;
  volatile bool confirmed = true;
  GuardedCall* const outer = g_guarded_call;
  g_guarded_call = &call;
  call.Previous = outer != nullptr ? outer->Previous : SetUnhandledExceptionFilter(ResumeAfterFailure);
  RtlCaptureContext(&call.Resume);  // a failure comes back here with Failed set
  if (call.Failed == 0) confirmed = (static_cast<unsigned>(verify(window)) & 0xFFu) != 0;
  if (outer == nullptr) SetUnhandledExceptionFilter(call.Previous);
  g_guarded_call = outer;
  return call.Failed != 0 || confirmed;
}

}  // namespace

int ChangeSaverPassword(const std::vector<std::string>& parameters, HWND parent_window) {
  const auto failure = TryChangePassword(parameters);
  if (!failure) return 0;
  ShowErrorBox(parent_window, *failure, "ScreenSaver");
  return 1;
}

bool VerifySaverPassword(HWND window) {
  if (!PasswordWanted()) return true;
  const Library control_panel(SystemFolder() + "password.cpl");
  if (!control_panel.Loaded()) return true;
  const auto verify = control_panel.EntryPoint<VerifyScreenSavePwd>("VerifyScreenSavePwd");
  if (verify == nullptr) return true;
  return CallGuarded(verify, window);
}

}  // namespace ris
