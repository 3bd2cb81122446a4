// e2e_driver: drives the saver under Wine for tests/e2e/run.sh. It starts the
// saver the way the system does (CreateProcess with the mode switches), looks
// at its windows and dialogs from outside through the ordinary window API, and
// prints what it saw as key=value lines, one per line, for the script to grep.
//
//   e2e_driver [--timeout=SECONDS] COMMAND [SAVER [ARGUMENTS...]]
//
// Every command gives up after the timeout (default 20 s), ending any saver
// process it started and still holds, so a hung saver never hangs the tests.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

const wchar_t kSaverClass[] = L"RisDisplayWindow";
const wchar_t kDialogClass[] = L"#32770";
// The message box keeps its text in a static control with this identifier.
const int kMessageTextId = 0xFFFF;
const DWORD kPollMs = 25;

DWORD g_timeout_ms = 20000;

// ---------------------------------------------------------------- output

std::string utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                      nullptr, nullptr);
  return out;
}

// Values stay on one line: line breaks (message texts have them) become \n,
// and a backslash becomes \\ so that the two cannot be confused.
std::string one_line(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r') {
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += "\\n";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\\') {
      out += "\\\\";
    } else {
      out += c;
    }
  }
  return out;
}

// Flushed at once: the script reads the lines while the saver still runs.
void put(const char* key, const std::string& value) {
  std::printf("%s=%s\n", key, one_line(value).c_str());
  std::fflush(stdout);
}
void put(const char* key, long long value) { put(key, std::to_string(value)); }
void put(const char* key, unsigned long long value) { put(key, std::to_string(value)); }
void put(const char* key, long value) { put(key, static_cast<long long>(value)); }
void put(const char* key, unsigned long value) { put(key, static_cast<unsigned long long>(value)); }
void put(const char* key, int value) { put(key, static_cast<long long>(value)); }
void put(const char* key, bool value) { put(key, value ? 1LL : 0LL); }
void put_handle(const char* key, HWND window) {
  put(key, static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(window)));
}
void put_wide(const char* key, const std::wstring& value) { put(key, utf8(value)); }

// ---------------------------------------------------------------- time

struct Deadline {
  ULONGLONG end;
  explicit Deadline(DWORD ms) : end(GetTickCount64() + ms) {}
  DWORD left() const {
    const ULONGLONG now = GetTickCount64();
    return now >= end ? 0 : static_cast<DWORD>(end - now);
  }
  bool passed() const { return left() == 0; }
};

struct Stopwatch {
  ULONGLONG start = GetTickCount64();
  long long ms() const { return static_cast<long long>(GetTickCount64() - start); }
};

// Answers this thread's messages: the preview host lives on this thread, and
// the saver's child window sends it messages that must be answered.
void pump() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

// Waits up to ms for the handle while pumping; true when it was signalled.
bool wait_pumping(HANDLE handle, DWORD ms) {
  const Deadline deadline(ms);
  for (;;) {
    pump();
    const DWORD left = deadline.left();
    const DWORD result = MsgWaitForMultipleObjects(1, &handle, FALSE, left, QS_ALLINPUT);
    if (result == WAIT_OBJECT_0) return true;
    if (result == WAIT_FAILED || deadline.passed()) return false;
  }
}

void sleep_pumping(DWORD ms) {
  const Deadline deadline(ms);
  while (!deadline.passed()) {
    pump();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, deadline.left(), QS_ALLINPUT);
  }
}

// ---------------------------------------------------------------- processes

std::wstring quoted(const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) return argument;
  std::wstring out = L"\"";
  for (wchar_t c : argument) {
    if (c == L'"') out += L'\\';
    out += c;
  }
  return out + L"\"";
}

struct Process {
  PROCESS_INFORMATION info{};
  bool started = false;

  Process() = default;
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  ~Process() {
    if (!started) return;
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
  }

  bool start(const std::wstring& program, const std::vector<std::wstring>& arguments,
             BOOL inherit_handles = FALSE) {
    std::wstring command = quoted(program);
    for (const auto& argument : arguments) command += L" " + quoted(argument);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, inherit_handles, 0, nullptr, nullptr,
                             &startup, &info) != FALSE;
    if (!started) put("start_error", GetLastError());
    return started;
  }

  DWORD id() const { return info.dwProcessId; }
  bool running() const { return WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT; }
  DWORD exit_code() const {
    DWORD code = 0;
    GetExitCodeProcess(info.hProcess, &code);
    return code;
  }
  void terminate() {
    TerminateProcess(info.hProcess, 255);
    WaitForSingleObject(info.hProcess, 5000);
  }
};

// Waits for the process to end and reports it under PREFIX: PREFIXexit=CODE,
// or PREFIXtimeout=1 after ending it, so nothing outlives the driver.
bool report_end(Process& process, DWORD ms, const std::string& prefix = "") {
  if (wait_pumping(process.info.hProcess, ms)) {
    put((prefix + "exit").c_str(), process.exit_code());
    return true;
  }
  put((prefix + "timeout").c_str(), true);
  process.terminate();
  return false;
}

// ---------------------------------------------------------------- windows

std::wstring class_of(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

// Text through WM_GETTEXT, which crosses processes, with a bound so that a
// hung owner cannot hang the driver.
std::wstring text_of(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length))
    return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                      SMTO_ABORTIFHUNG, 2000, &copied);
  text.resize(static_cast<size_t>(copied));
  return text;
}

DWORD process_of(HWND window) {
  DWORD id = 0;
  GetWindowThreadProcessId(window, &id);
  return id;
}

struct Search {
  DWORD process = 0;  // 0: any process
  const wchar_t* class_name = nullptr;
  bool visible_only = true;
  HWND found = nullptr;
  int count = 0;  // top-level windows of the process seen, whatever their class
};

BOOL CALLBACK match_window(HWND window, LPARAM parameter) {
  auto& search = *reinterpret_cast<Search*>(parameter);
  if (search.process != 0 && process_of(window) != search.process) return TRUE;
  if (search.visible_only && !IsWindowVisible(window)) return TRUE;
  ++search.count;
  if (search.class_name != nullptr && class_of(window) != search.class_name) return TRUE;
  if (search.found == nullptr) search.found = window;
  return TRUE;
}

HWND top_level(DWORD process, const wchar_t* class_name, int* count = nullptr) {
  Search search;
  search.process = process;
  search.class_name = class_name;
  EnumWindows(match_window, reinterpret_cast<LPARAM>(&search));
  if (count != nullptr) *count = search.count;
  return search.found;
}

HWND child_of(HWND parent, const wchar_t* class_name) {
  Search search;
  search.class_name = class_name;
  search.visible_only = false;
  EnumChildWindows(parent, match_window, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Polls, pumping, until find() answers a window, the process ends, or ms pass.
template <class Find>
HWND wait_for_window(const Process& process, DWORD ms, Find find) {
  const Deadline deadline(ms);
  for (;;) {
    pump();
    if (HWND window = find()) return window;
    if (!process.running() || deadline.passed()) return nullptr;
    MsgWaitForMultipleObjects(1, &process.info.hProcess, FALSE, kPollMs, QS_ALLINPUT);
  }
}

// The X window behind a Wine window, for xdotool; 0 where there is none.
unsigned long long x_window_of(HWND window) {
  return static_cast<unsigned long long>(
      reinterpret_cast<ULONG_PTR>(GetPropW(window, L"__wine_x11_whole_window")));
}

void describe(HWND window) {
  RECT outer{};
  RECT client{};
  GetWindowRect(window, &outer);
  GetClientRect(window, &client);
  const auto style = static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE));
  const auto ex_style = static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE));
  put_handle("hwnd", window);
  put("xwindow", x_window_of(window));
  put("pid", process_of(window));
  put("left", outer.left);
  put("top", outer.top);
  put("width", outer.right - outer.left);
  put("height", outer.bottom - outer.top);
  put("client_width", client.right);
  put("client_height", client.bottom);
  put("child", (style & WS_CHILD) != 0);
  put("popup", (style & WS_POPUP) != 0);
  put("disabled", (style & WS_DISABLED) != 0);
  put("visible", IsWindowVisible(window) != FALSE);
  put("caption", (style & WS_CAPTION) == WS_CAPTION);
  put("border", (style & (WS_BORDER | WS_THICKFRAME | WS_DLGFRAME)) != 0);
  put("topmost", (ex_style & WS_EX_TOPMOST) != 0);
  put("screen_width", GetSystemMetrics(SM_CXSCREEN));
  put("screen_height", GetSystemMetrics(SM_CYSCREEN));
  put("monitors", GetSystemMetrics(SM_CMONITORS));
}

// ---------------------------------------------------------------- commands

using Arguments = std::vector<std::wstring>;

// A driver started with this set only says whether the handle of that value
// reached it.
const wchar_t kProbeVariable[] = L"E2E_PROBE_HANDLE";

// inherit PROGRAM ARGS: runs PROGRAM with the driver's output streams and an
// inheritable, signalled event, at a value past a thousand other handles
// (no fresh process has one of its own there) and named in kProbeVariable.
int inherit(const std::wstring& program, const Arguments& arguments) {
  for (int i = 0; i < 1000; ++i) CreateEventW(nullptr, TRUE, FALSE, nullptr);
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  const HANDLE offered = CreateEventW(&inheritable, TRUE, TRUE, nullptr);
  SetEnvironmentVariableW(kProbeVariable, std::to_wstring(reinterpret_cast<UINT_PTR>(offered)).c_str());
  for (const DWORD stream : {STD_OUTPUT_HANDLE, STD_ERROR_HANDLE}) {
    SetHandleInformation(GetStdHandle(stream), HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
  }
  Process process;
  if (!process.start(program, arguments, TRUE)) return 1;
  report_end(process, g_timeout_ms);
  return 0;
}

int probe(const wchar_t* value) {
  const auto handle = reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(std::wcstoull(value, nullptr, 10)));
  DWORD flags = 0;
  put("inherited", GetHandleInformation(handle, &flags) != FALSE && WaitForSingleObject(handle, 0) == WAIT_OBJECT_0);
  return 3;
}

// run SAVER ARGS: the exit code, and whether the process showed any window.
int run(const std::wstring& saver, const Arguments& arguments) {
  Process process;
  if (!process.start(saver, arguments)) return 1;
  const Stopwatch watch;
  int windows_seen = 0;
  const Deadline deadline(g_timeout_ms);
  while (process.running() && !deadline.passed()) {
    int count = 0;
    top_level(process.id(), nullptr, &count);
    if (count > windows_seen) windows_seen = count;
    WaitForSingleObject(process.info.hProcess, kPollMs);
  }
  put("windows_seen", windows_seen);
  report_end(process, 0);
  put("elapsed_ms", watch.ms());
  return 0;
}

// watch SAVER ARGS: waits for the saver's top-level window, describes it, then
// waits for the process to end. The script acts on the window in between.
int watch(const std::wstring& saver, const Arguments& arguments) {
  Process process;
  if (!process.start(saver, arguments)) return 1;
  const Stopwatch stopwatch;
  HWND window = wait_for_window(process, g_timeout_ms,
                                [&] { return top_level(process.id(), kSaverClass); });
  put("window_found", window != nullptr);
  if (window != nullptr) {
    put("window_ms", stopwatch.ms());
    describe(window);
    put("ready", true);
  }
  report_end(process, g_timeout_ms);
  put("elapsed_ms", stopwatch.ms());
  return 0;
}

LRESULT CALLBACK host_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    FillRect(dc, &paint.rcPaint, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    EndPaint(window, &paint);
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

// preview SAVER [--colon] [--host=WxH] [--settle=MS] [--hold=MS]: a frame
// holding a small monitor window like the one of the display settings; the
// saver is started with /p and the monitor's handle, its child is described
// once settled, kept on screen for the hold (for a screenshot), then the frame
// is destroyed and the saver must end by itself.
int preview(const std::wstring& saver, const Arguments& options) {
  bool colon = false;
  int host_width = 152;
  int host_height = 112;
  DWORD settle_ms = 1000;
  DWORD hold_ms = 0;
  for (const auto& option : options) {
    if (option == L"--colon") {
      colon = true;
    } else if (std::swscanf(option.c_str(), L"--host=%dx%d", &host_width, &host_height) == 2) {
    } else if (option.rfind(L"--settle=", 0) == 0) {
      settle_ms = static_cast<DWORD>(std::wcstoul(option.c_str() + 9, nullptr, 10));
    } else if (option.rfind(L"--hold=", 0) == 0) {
      hold_ms = static_cast<DWORD>(std::wcstoul(option.c_str() + 7, nullptr, 10));
    } else {
      put("bad_option", utf8(option));
      return 2;
    }
  }

  WNDCLASSW frame_class{};
  frame_class.lpfnWndProc = DefWindowProcW;
  frame_class.hInstance = GetModuleHandleW(nullptr);
  frame_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  frame_class.lpszClassName = L"E2EPreviewFrame";
  WNDCLASSW monitor_class{};
  monitor_class.lpfnWndProc = host_procedure;
  monitor_class.hInstance = frame_class.hInstance;
  monitor_class.lpszClassName = L"E2EPreviewMonitor";
  RegisterClassW(&frame_class);
  RegisterClassW(&monitor_class);

  HWND frame = CreateWindowExW(0, frame_class.lpszClassName, L"Preview host", WS_OVERLAPPEDWINDOW,
                               40, 40, host_width + 120, host_height + 140, nullptr, nullptr,
                               frame_class.hInstance, nullptr);
  HWND monitor = CreateWindowExW(0, monitor_class.lpszClassName, L"",
                                 WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 30, 30, host_width,
                                 host_height, frame, nullptr, frame_class.hInstance, nullptr);
  if (frame == nullptr || monitor == nullptr) {
    put("host_error", GetLastError());
    return 1;
  }
  ShowWindow(frame, SW_SHOWNOACTIVATE);
  UpdateWindow(frame);
  pump();
  RECT host_client{};
  GetClientRect(monitor, &host_client);
  put_handle("host", monitor);
  put("host_width", host_client.right);
  put("host_height", host_client.bottom);

  const std::wstring handle = std::to_wstring(reinterpret_cast<ULONG_PTR>(monitor));
  Process process;
  const bool started = colon ? process.start(saver, {L"/p:" + handle})
                             : process.start(saver, {L"/p", handle});
  if (!started) return 1;
  const Stopwatch stopwatch;
  HWND child = wait_for_window(process, g_timeout_ms,
                               [&] { return child_of(monitor, kSaverClass); });
  put("child_found", child != nullptr);
  if (child == nullptr) {
    report_end(process, 0);
    DestroyWindow(frame);
    return 0;
  }
  put("child_ms", stopwatch.ms());
  // The saver may size its window after creating it: describe it once it
  // had time to settle, as the user would see it.
  sleep_pumping(settle_ms);
  put("still_running", process.running());
  if (IsWindow(child)) {
    describe(child);
    POINT origin{0, 0};
    MapWindowPoints(monitor, nullptr, &origin, 1);
    RECT outer{};
    GetWindowRect(child, &outer);
    put("offset_x", outer.left - origin.x);
    put("offset_y", outer.top - origin.y);
    put("parent_is_host", GetAncestor(child, GA_PARENT) == monitor);
    put("owner_pid_is_saver", process_of(child) == process.id());
  }
  put("ready", true);
  sleep_pumping(hold_ms);

  const Stopwatch after_destroy;
  DestroyWindow(frame);
  put("ended", wait_pumping(process.info.hProcess, g_timeout_ms));
  if (!process.running()) {
    put("exit", process.exit_code());
    put("end_ms", after_destroy.ms());
  } else {
    process.terminate();
  }
  return 0;
}

struct DialogParts {
  HWND text = nullptr;
  std::vector<HWND> buttons;
};

BOOL CALLBACK collect_parts(HWND window, LPARAM parameter) {
  auto& parts = *reinterpret_cast<DialogParts*>(parameter);
  const std::wstring name = class_of(window);
  if (_wcsicmp(name.c_str(), L"Button") == 0) {
    parts.buttons.push_back(window);
  } else if (_wcsicmp(name.c_str(), L"Static") == 0 && !text_of(window).empty()) {
    if (parts.text == nullptr || GetDlgCtrlID(window) == kMessageTextId) parts.text = window;
  }
  return TRUE;
}

// dialog SAVER ARGS: waits for a dialog box of the saver, prints its caption,
// text and buttons, presses OK (or its only button), then waits for the exit.
// A saver that runs on after the box prints went_on=1 and is closed as the
// system closes it (WM_CLOSE), so that its own end is what is reported.
int dialog(const std::wstring& saver, const Arguments& arguments) {
  Process process;
  if (!process.start(saver, arguments)) return 1;
  const Stopwatch stopwatch;
  HWND box = wait_for_window(process, g_timeout_ms,
                             [&] { return top_level(process.id(), kDialogClass); });
  put("dialog_found", box != nullptr);
  if (box == nullptr) {
    report_end(process, 0);
    return 0;
  }
  put("dialog_ms", stopwatch.ms());
  // The box may be found before its controls exist; give them a moment.
  DialogParts parts;
  const Deadline controls(2000);
  do {
    parts = {};
    EnumChildWindows(box, collect_parts, reinterpret_cast<LPARAM>(&parts));
    if (parts.text != nullptr && !parts.buttons.empty()) break;
    Sleep(kPollMs);
  } while (!controls.passed());

  put_wide("caption", text_of(box));
  put_wide("text", parts.text != nullptr ? text_of(parts.text) : std::wstring());
  HWND press = nullptr;
  for (HWND button : parts.buttons) {
    put_wide("button", text_of(button));
    if (GetDlgCtrlID(button) == IDOK) press = button;
  }
  if (press == nullptr && parts.buttons.size() == 1) press = parts.buttons.front();
  put("pressed", press != nullptr);
  if (press != nullptr) {
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(press), BN_CLICKED),
                 reinterpret_cast<LPARAM>(press));
    HWND saver_window = wait_for_window(process, 3000, [&] {
      return IsWindow(box) ? nullptr : top_level(process.id(), kSaverClass);
    });
    put("went_on", saver_window != nullptr);
    if (saver_window != nullptr) PostMessageW(saver_window, WM_CLOSE, 0, 0);
  }
  report_end(process, g_timeout_ms);
  return 0;
}

// second SAVER [ARGS]: a saver runs with /s; a second one started with ARGS
// (default /s) must end at once with 0 and show nothing, and the first must
// go on. The first is then asked to close, and ended if it does not.
int second(const std::wstring& saver, const Arguments& arguments) {
  Process first;
  if (!first.start(saver, {L"/s"})) return 1;
  HWND window = wait_for_window(first, g_timeout_ms,
                                [&] { return top_level(first.id(), kSaverClass); });
  put("first_window", window != nullptr);
  if (window == nullptr) {
    report_end(first, 0, "first_");
    return 0;
  }

  Process other;
  if (!other.start(saver, arguments.empty() ? Arguments{L"/s"} : arguments)) {
    first.terminate();
    return 1;
  }
  const Stopwatch stopwatch;
  const Deadline deadline(5000);
  int windows_seen = 0;
  while (other.running() && !deadline.passed()) {
    int count = 0;
    top_level(other.id(), nullptr, &count);
    if (count > windows_seen) windows_seen = count;
    WaitForSingleObject(other.info.hProcess, kPollMs);
  }
  put("second_windows_seen", windows_seen);
  put("second_ended", !other.running());
  if (!other.running()) put("second_ms", stopwatch.ms());
  report_end(other, 0, "second_");

  Sleep(500);
  put("first_running", first.running());
  put("first_window_alive", IsWindow(window) != FALSE);
  PostMessageW(window, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(first.info.hProcess, 5000) == WAIT_OBJECT_0) {
    put("first_exit", first.exit_code());
  } else {
    put("first_terminated", true);
    first.terminate();
  }
  return 0;
}

LRESULT CALLBACK probe_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_KEYDOWN) {
    put("vk", static_cast<unsigned long long>(wparam));
    if (wparam == VK_ESCAPE) PostQuitMessage(0);
    return 0;
  }
  return host_procedure(window, message, wparam, lparam);
}

// keys: a window of its own that prints the virtual key of every key pressed
// on it until Escape, so the script can tell how the X keys it sends reach a
// Windows program (Num Lock's state decides what the keypad sends).
int keys() {
  WNDCLASSW probe_class{};
  probe_class.lpfnWndProc = probe_procedure;
  probe_class.hInstance = GetModuleHandleW(nullptr);
  probe_class.lpszClassName = L"E2EKeyProbe";
  RegisterClassW(&probe_class);
  HWND window = CreateWindowExW(WS_EX_TOPMOST, probe_class.lpszClassName, L"Key probe",
                                WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr,
                                probe_class.hInstance, nullptr);
  if (window == nullptr) return 1;
  pump();
  describe(window);
  put("ready", true);
  const Deadline deadline(g_timeout_ms);
  MSG message;
  for (;;) {
    const DWORD left = deadline.left();
    if (left == 0) {
      put("timeout", true);
      break;
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, left, QS_ALLINPUT);
    bool quit = false;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) quit = true;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    if (quit) {
      put("done", true);
      break;
    }
  }
  DestroyWindow(window);
  return 0;
}

// hold: keeps Wine's desktop, and with it the keyboard state the desktop
// has learnt, alive between the programs of a test run. Wine closes a desktop
// soon after its last program ends, and a new desktop starts with Num Lock
// off: the first program to get a key then gets a Num Lock press that Wine
// makes up to match the X server. Runs until the timeout or until ended.
int hold() {
  WNDCLASSW holder_class{};
  holder_class.lpfnWndProc = DefWindowProcW;
  holder_class.hInstance = GetModuleHandleW(nullptr);
  holder_class.lpszClassName = L"E2EDesktopHolder";
  RegisterClassW(&holder_class);
  HWND window = CreateWindowExW(0, holder_class.lpszClassName, L"", WS_POPUP, 0, 0, 1, 1, nullptr,
                                nullptr, holder_class.hInstance, nullptr);
  if (window == nullptr) return 1;
  put("ready", true);
  sleep_pumping(g_timeout_ms);
  DestroyWindow(window);
  return 0;
}

// ---------------------------------------------------------------- configure

// The dialog of the saver's process: a dialog window whose caption starts
// with `caption` (the colour chooser is a dialog of the same process too).
HWND dialog_of(DWORD process, const std::wstring& caption, HWND other_than = nullptr) {
  struct Find {
    DWORD process;
    const std::wstring& caption;
    HWND other_than;
    HWND found = nullptr;
  } find{process, caption, other_than};
  EnumWindows(
      [](HWND window, LPARAM parameter) -> BOOL {
        auto& f = *reinterpret_cast<Find*>(parameter);
        if (window == f.other_than || process_of(window) != f.process || !IsWindowVisible(window)) return TRUE;
        if (class_of(window) != kDialogClass || text_of(window).rfind(f.caption, 0) != 0) return TRUE;
        f.found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&find));
  return find.found;
}

struct Children {
  std::vector<HWND> all;
};

BOOL CALLBACK collect_child(HWND window, LPARAM parameter) {
  reinterpret_cast<Children*>(parameter)->all.push_back(window);
  return TRUE;
}

std::vector<HWND> children_of(HWND dialog) {
  Children children;
  EnumChildWindows(dialog, collect_child, reinterpret_cast<LPARAM>(&children));
  return children.all;
}

// One line per control: class|text|visible|left,top,width,height, the rectangle
// in the dialog's client coordinates.
// Before them: the dialog's X window, where its client area starts in it,
// and whether the taskbar would show a button for it (a shown, unowned
// window that is no tool window, or any that asks for one).
void describe_controls(HWND dialog) {
  put("ansi_code_page", static_cast<unsigned long>(GetACP()));
  put_wide("dialog_caption", text_of(dialog));
  RECT client{};
  GetClientRect(dialog, &client);
  put("client_width", client.right);
  put("client_height", client.bottom);
  RECT outer{};
  GetWindowRect(dialog, &outer);
  POINT origin{0, 0};
  ClientToScreen(dialog, &origin);
  put("client_origin", std::to_string(origin.x - outer.left) + "," + std::to_string(origin.y - outer.top));
  const auto ex_style = static_cast<DWORD>(GetWindowLongW(dialog, GWL_EXSTYLE));
  const bool owned = GetWindow(dialog, GW_OWNER) != nullptr;
  put("taskbar_button",
      (ex_style & WS_EX_APPWINDOW) != 0 || (!owned && (ex_style & WS_EX_TOOLWINDOW) == 0));
  put("xwindow", x_window_of(dialog));
  for (HWND control : children_of(dialog)) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    put_wide("control", class_of(control) + L"|" + text_of(control) + L"|" +
                            (IsWindowVisible(control) ? L"1" : L"0") + L"|" + std::to_wstring(rect.left) + L"," +
                            std::to_wstring(rect.top) + L"," + std::to_wstring(rect.right - rect.left) + L"," +
                            std::to_wstring(rect.bottom - rect.top));
  }
  put("described", true);
}

HWND control_with_text(HWND dialog, const std::wstring& text) {
  for (HWND control : children_of(dialog)) {
    if (text_of(control) == text) return control;
  }
  return nullptr;
}

HWND nth_control_of_class(HWND dialog, const wchar_t* class_name, int n) {
  for (HWND control : children_of(dialog)) {
    if (class_of(control) == class_name && n-- == 0) return control;
  }
  return nullptr;
}

// chooser=BUTTON:ok|cancel: opens a system chooser with the button, then
// accepts or cancels it.
bool use_chooser(const Process& process, HWND dialog, const std::wstring& action) {
  const size_t colon = action.rfind(L':');
  HWND button = control_with_text(dialog, action.substr(0, colon));
  if (button == nullptr) return false;
  PostMessageW(button, BM_CLICK, 0, 0);
  HWND chooser = wait_for_window(process, 5000, [&] { return dialog_of(process.id(), L"", dialog); });
  put("chooser_found", chooser != nullptr);
  if (chooser == nullptr) return false;
  put_wide("chooser_caption", text_of(chooser));
  PostMessageW(chooser, WM_COMMAND, action.substr(colon + 1) == L"ok" ? IDOK : IDCANCEL, 0);
  const Deadline deadline(5000);
  while (IsWindow(chooser) && IsWindowVisible(chooser) && !deadline.passed()) sleep_pumping(kPollMs);
  return !IsWindow(chooser) || !IsWindowVisible(chooser);
}

bool act(const Process& process, HWND dialog, const std::wstring& action) {
  const size_t equals = action.find(L'=');
  const std::wstring verb = action.substr(0, equals);
  const std::wstring value = equals == std::wstring::npos ? L"" : action.substr(equals + 1);
  if (verb == L"describe") {
    describe_controls(dialog);
  } else if (verb == L"wait") {
    sleep_pumping(static_cast<DWORD>(std::wcstoul(value.c_str(), nullptr, 10)));
  } else if (verb == L"edit") {
    // edit=N:TEXT types TEXT into the N-th number field.
    const size_t colon = value.find(L':');
    HWND edit = nth_control_of_class(dialog, L"Edit", std::stoi(value.substr(0, colon)));
    if (edit == nullptr) return false;
    SendMessageTimeoutW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value.substr(colon + 1).c_str()),
                        SMTO_ABORTIFHUNG, 2000, nullptr);
  } else if (verb == L"click") {
    HWND control = control_with_text(dialog, value);
    if (control == nullptr) return false;
    SendMessageTimeoutW(control, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 2000, nullptr);
  } else if (verb == L"toggle") {
    // toggle=N flips the check box of the set list's N-th item with the keys
    // a user would press.
    HWND list = nth_control_of_class(dialog, L"ListBox", 0);
    if (list == nullptr) return false;
    PostMessageW(list, WM_KEYDOWN, VK_HOME, 0);
    for (int i = std::stoi(value); i > 0; --i) PostMessageW(list, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(list, WM_KEYDOWN, VK_SPACE, 0);
    PostMessageW(list, WM_KEYUP, VK_SPACE, 0);
    sleep_pumping(200);
  } else if (verb == L"chooser") {
    return use_chooser(process, dialog, value);
  } else if (verb == L"ok" || verb == L"cancel") {
    PostMessageW(dialog, WM_COMMAND, verb == L"ok" ? IDOK : IDCANCEL, 0);
  } else {
    return false;
  }
  return true;
}

// configure SAVER [ARGS...] -- ACTIONS...: starts the saver (a lone "host"
// argument stands for a window of the driver's, handed over as the parent),
// waits for its configuration dialog, then carries out the actions in turn:
// describe, wait=MS, edit=N:TEXT, click=TEXT, toggle=N, chooser=BUTTON:ok|cancel,
// ok, cancel. Reports the saver's exit, and whether the host was enabled and
// in front afterwards.
int configure(const std::wstring& saver, const Arguments& all) {
  const auto separator = std::find(all.begin(), all.end(), L"--");
  Arguments arguments(all.begin(), separator);
  const Arguments actions(separator == all.end() ? separator : separator + 1, all.end());
  HWND host = nullptr;
  for (auto& argument : arguments) {
    if (argument.find(L"host") == std::wstring::npos) continue;
    if (host == nullptr) {
      host = CreateWindowExW(0, L"STATIC", L"Settings host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200,
                             nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    const size_t at = argument.find(L"host");
    argument.replace(at, 4, std::to_wstring(reinterpret_cast<ULONG_PTR>(host)));
  }
  Process process;
  if (!process.start(saver, arguments)) return 1;
  HWND dialog = wait_for_window(process, g_timeout_ms, [&] { return dialog_of(process.id(), L""); });
  put("dialog_found", dialog != nullptr);
  if (dialog == nullptr) {
    report_end(process, 0);
    return 0;
  }
  sleep_pumping(300);
  put("ready", true);
  for (const auto& action : actions) {
    if (!act(process, dialog, action)) put_wide("failed_action", action);
  }
  report_end(process, g_timeout_ms);
  if (host != nullptr) {
    put("host_enabled", IsWindowEnabled(host) != FALSE);
    DestroyWindow(host);
  }
  return 0;
}

// displaychange: tells every top-level window that the monitors changed,
// as Windows does when they do (WM_DISPLAYCHANGE, broadcast with the primary
// monitor's depth and size). Wine follows a change XRandR makes from
// outside in what it answers about the monitors, but tells no window.
int display_change() {
  const LPARAM size = MAKELPARAM(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  put("sent", SendMessageTimeoutW(HWND_BROADCAST, WM_DISPLAYCHANGE, 32, size, SMTO_ABORTIFHUNG, 5000, nullptr) != 0);
  return 0;
}

// close HWND: asks a window to close, as the system does (WM_CLOSE).
int close_window(const std::wstring& handle) {
  const auto number = static_cast<ULONG_PTR>(std::wcstoull(handle.c_str(), nullptr, 10));
  const auto window = reinterpret_cast<HWND>(number);
  put("posted", PostMessageW(window, WM_CLOSE, 0, 0) != FALSE);
  return 0;
}

// value KEY NAME: how a value under HKEY_CURRENT_USER is stored, read as
// the saver reads it: its type, its size in bytes, and whether a zero
// byte ends it.
int value(const std::wstring& key_path, const Arguments& arguments) {
  HKEY key = nullptr;
  if (arguments.empty() || RegOpenKeyExW(HKEY_CURRENT_USER, key_path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    put("found", false);
    return 0;
  }
  const std::string name = utf8(arguments[0]);
  DWORD type = 0;
  DWORD size = 0;
  const bool found = RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS;
  std::string data(size, '\0');
  if (found) RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
  RegCloseKey(key);
  put("found", found);
  put("type", static_cast<unsigned long>(type));
  put("size", static_cast<unsigned long>(size));
  put("zero_terminated", size > 0 && data[size - 1] == '\0');
  return 0;
}

int usage();

// ---------------------------------------------------------------- timing

// Milliseconds from the performance counter: the tick count's steps are too
// coarse for a start-up of a few tens of milliseconds.
struct FineStopwatch {
  LARGE_INTEGER start{};
  FineStopwatch() { QueryPerformanceCounter(&start); }
  double ms() const {
    LARGE_INTEGER now{};
    LARGE_INTEGER frequency{};
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
  }
};

// The screen as it is shown, read back through the screen's device context.
class ScreenReader {
 public:
  ScreenReader() : screen_(GetDC(nullptr)) {}
  ~ScreenReader() { ReleaseDC(nullptr, screen_); }
  ScreenReader(const ScreenReader&) = delete;
  ScreenReader& operator=(const ScreenReader&) = delete;

  COLORREF at(int x, int y) const { return GetPixel(screen_, x, y); }

  // FNV-1a over every pixel of the screen, as 32-bit BGRX rows.
  unsigned long long digest() const {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = -height;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC memory = CreateCompatibleDC(screen_);
    HBITMAP bitmap = CreateDIBSection(screen_, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap == nullptr || bits == nullptr) {
      DeleteDC(memory);
      return 0;
    }
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen_, 0, 0, SRCCOPY);
    unsigned long long hash = 14695981039346656037ULL;
    const auto* pixel = static_cast<const unsigned char*>(bits);
    for (size_t i = 0; i < static_cast<size_t>(width) * static_cast<size_t>(height); ++i, pixel += 4) {
      for (int channel = 0; channel < 3; ++channel) hash = (hash ^ pixel[channel]) * 1099511628211ULL;
    }
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    return hash;
  }

 private:
  HDC screen_;
};

bool near_colour(COLORREF seen, COLORREF wanted) {
  const auto off = [](int a, int b) { return a > b ? a - b : b - a; };
  return off(GetRValue(seen), GetRValue(wanted)) + off(GetGValue(seen), GetGValue(wanted)) +
             off(GetBValue(seen), GetBValue(wanted)) <= 48;
}

// The milliseconds since `since` at which the screen's centre showed one
// of `wanted`, polled every millisecond, and which one; -1 after the timeout.
struct ColourSeen {
  double ms = -1.0;
  size_t which = 0;
};

ColourSeen wait_for_colour(const ScreenReader& screen, const std::vector<COLORREF>& wanted,
                           const FineStopwatch& since) {
  const int x = GetSystemMetrics(SM_CXSCREEN) / 2;
  const int y = GetSystemMetrics(SM_CYSCREEN) / 2;
  const Deadline deadline(g_timeout_ms);
  while (!deadline.passed()) {
    const COLORREF seen = screen.at(x, y);
    for (size_t i = 0; i < wanted.size(); ++i) {
      if (near_colour(seen, wanted[i])) return {since.ms(), i};
    }
    Sleep(1);
  }
  return {};
}

// The processor time the process has used so far, in milliseconds.
double cpu_ms(const Process& process) {
  FILETIME created{};
  FILETIME ended{};
  FILETIME kernel{};
  FILETIME user{};
  if (!GetProcessTimes(process.info.hProcess, &created, &ended, &kernel, &user)) return -1.0;
  const auto ticks = [](const FILETIME& time) {
    return static_cast<double>((static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
  };
  return (ticks(kernel) + ticks(user)) / 10000.0;  // 100 ns ticks
}

COLORREF colour_option(const std::wstring& text) {
  const auto rgb = static_cast<unsigned long>(std::wcstoul(text.c_str(), nullptr, 16));
  return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

// timing SAVER A B: a saver of two sets whose backgrounds show the colours A
// and B (RRGGBB) at the screen's centre, started full screen; it starts with
// either. Reports how long until the screen showed one of them, then presses
// the right arrow key and how long until it showed the other. A frame waits
// for the display's next tick, so the times are also given as the processor
// time the saver used for them (from its start; from the key to the settled
// new frame). After each, once settled, a digest of the whole screen under
// the set's colour (digest_A=...), so that two builds can be held to the
// same frames.
int timing(const std::wstring& saver, const Arguments& colours) {
  if (colours.size() != 2) return usage();
  const ScreenReader screen;
  const auto settled_digest = [&](const std::wstring& colour) {
    sleep_pumping(500);
    put(("digest_" + utf8(colour)).c_str(), screen.digest());
  };
  Process process;
  const FineStopwatch since_start;
  if (!process.start(saver, {L"/s"})) return 1;
  const ColourSeen first =
      wait_for_colour(screen, {colour_option(colours[0]), colour_option(colours[1])}, since_start);
  put("first_frame_ms", std::to_string(first.ms));
  put("first_frame_cpu_ms", std::to_string(cpu_ms(process)));
  if (first.ms >= 0) {
    settled_digest(colours[first.which]);
    const double cpu_before_key = cpu_ms(process);
    const std::wstring& next = colours[1 - first.which];
    HWND window = top_level(process.id(), kSaverClass);
    const FineStopwatch since_key;
    PostMessageW(window, WM_KEYDOWN, VK_RIGHT, 1);
    PostMessageW(window, WM_KEYUP, VK_RIGHT, 0xC0000001);
    put("set_change_ms", std::to_string(wait_for_colour(screen, {colour_option(next)}, since_key).ms));
    settled_digest(next);
    put("set_change_cpu_ms", std::to_string(cpu_ms(process) - cpu_before_key));
    PostMessageW(window, WM_CLOSE, 0, 0);
  }
  report_end(process, g_timeout_ms);
  return 0;
}

int usage() {
  std::fputs(
      "usage: e2e_driver [--timeout=SECONDS] COMMAND [SAVER [ARGUMENTS...]]\n"
      "  run SAVER ARGS         exit code and windows shown\n"
      "  watch SAVER ARGS       the saver's window, then its exit\n"
      "  preview SAVER [--colon] [--host=WxH] [--settle=MS]\n"
      "  dialog SAVER ARGS      a message box: caption, text; presses OK\n"
      "  second SAVER [ARGS]    a second instance next to a running saver\n"
      "  configure SAVER [ARGS] -- ACTIONS   the configuration dialog, used\n"
      "  value KEY NAME         type, size and end of a value under HKCU\n"
      "  close HWND             posts WM_CLOSE to the window\n"
      "  timing SAVER A B       start-up and set change as the screen shows them\n"
      "  keys                   prints the virtual keys pressed on its window\n"
      "  hold                   keeps Wine's desktop alive until the timeout\n"
      "  displaychange          tells every window the monitors changed\n"
      "  inherit PROGRAM ARGS   a driver PROGRAM starts says if a handle reached it\n",
      stderr);
  return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  // Plain \n line ends for the script reading the lines.
  _setmode(_fileno(stdout), _O_BINARY);
  wchar_t offered[32] = {};
  if (GetEnvironmentVariableW(kProbeVariable, offered, 32) > 0) return probe(offered);
  int next = 1;
  if (next < argc && std::wcsncmp(argv[next], L"--timeout=", 10) == 0) {
    g_timeout_ms = static_cast<DWORD>(std::wcstoul(argv[next] + 10, nullptr, 10) * 1000);
    ++next;
  }
  if (next < argc && std::wcscmp(argv[next], L"keys") == 0) return keys();
  if (next < argc && std::wcscmp(argv[next], L"hold") == 0) return hold();
  if (next < argc && std::wcscmp(argv[next], L"displaychange") == 0) return display_change();
  if (argc - next < 2) return usage();
  const std::wstring command = argv[next];
  const std::wstring saver = argv[next + 1];
  const Arguments arguments(argv + next + 2, argv + argc);
  if (command == L"run") return run(saver, arguments);
  if (command == L"watch") return watch(saver, arguments);
  if (command == L"preview") return preview(saver, arguments);
  if (command == L"dialog") return dialog(saver, arguments);
  if (command == L"second") return second(saver, arguments);
  if (command == L"configure") return configure(saver, arguments);
  if (command == L"value") return value(saver, arguments);
  if (command == L"close") return close_window(saver);
  if (command == L"timing") return timing(saver, arguments);
  if (command == L"inherit") return inherit(saver, arguments);
  return usage();
}
