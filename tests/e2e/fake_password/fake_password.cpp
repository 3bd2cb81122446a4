// password.cpl for the end-to-end tests: stands in for the system's password
// check that the saver asks before it closes. No dialog: it refuses the first
// N calls (N from HKCU\Software\RisE2E "refusals", 1 when absent) and accepts
// every later one, counting the calls in "verify calls" and whether each was
// handed a live window in "verify window ok", so that a test can tell both
// that a refused close keeps the saver running and that it asked again.
// With "crash" set it writes to the address crash - 1 instead of answering,
// as a broken system library would. With "hold ms" set it first runs a modal
// loop of its own for that long, as the system's dialog does, and counts in
// "timer ticks while asked" the window timer messages the saver's window got
// meanwhile.
#include <windows.h>

namespace {

const wchar_t kKey[] = L"Software\\RisE2E";

DWORD read_dword(HKEY key, const wchar_t* name, DWORD fallback) {
  DWORD value = 0;
  DWORD size = sizeof value;
  DWORD type = 0;
  if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
          ERROR_SUCCESS ||
      type != REG_DWORD)
    return fallback;
  return value;
}

void write_dword(HKEY key, const wchar_t* name, DWORD value) {
  RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

// A dialog's modal loop: the owner is disabled, every message is dispatched.
DWORD HoldLikeADialog(HWND window, DWORD milliseconds) {
  DWORD ticks = 0;
  EnableWindow(window, FALSE);
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < milliseconds) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_TIMER && message.hwnd == window) ++ticks;
      DispatchMessageW(&message);
    }
  }
  EnableWindow(window, TRUE);
  return ticks;
}

}  // namespace

extern "C" BOOL WINAPI VerifyScreenSavePwd(HWND window) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return FALSE;
  const DWORD calls = read_dword(key, L"verify calls", 0) + 1;
  const DWORD refusals = read_dword(key, L"refusals", 1);
  // Counted before anything else, so that a call made while one is held
  // counts too.
  write_dword(key, L"verify calls", calls);
  if (const DWORD crash = read_dword(key, L"crash", 0); crash != 0) {
    RegCloseKey(key);
    *reinterpret_cast<volatile DWORD*>(static_cast<ULONG_PTR>(crash - 1)) = calls;
  }
  if (const DWORD hold = read_dword(key, L"hold ms", 0); hold != 0) {
    write_dword(key, L"timer ticks while asked", HoldLikeADialog(window, hold));
  }
  write_dword(key, L"verify window ok", IsWindow(window) ? 1 : 0);
  RegCloseKey(key);
  return calls > refusals ? TRUE : FALSE;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
