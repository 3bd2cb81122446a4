#include <windows.h>

#include <climits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "program_runner.h"
#include "shells/win32/owned_handle.h"

namespace ris::tool {

namespace {

// UTF-8, as ris holds text and paths, for the system's wide calls. Nothing
// for bytes that are not UTF-8, or hold a NUL: no command line carries one.
std::optional<std::wstring> WideFromUtf8(std::string_view text) {
  if (text.empty()) return std::wstring();
  if (text.find('\0') != std::string_view::npos || text.size() > INT_MAX) return std::nullopt;
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
  if (length <= 0) return std::nullopt;
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, wide.data(), length);
  return wide;
}

// One argument as the C runtime of the started program splits its command
// line again: in quotes, with the backslashes before a quote doubled. Every
// argument, a product's text among them, reaches a command line through here.
void AppendQuoted(std::wstring& line, std::wstring_view argument) {
  line += L'"';
  std::size_t backslashes = 0;
  for (const wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    line.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    line += c;
  }
  line.append(backslashes * 2, L'\\');
  line += L'"';
}

// The program (through the wide form of its path) and its arguments (UTF-8)
// as one command line; nothing, with the reason, for an argument that
// cannot be carried.
Result<std::wstring, std::string> CommandLine(const std::filesystem::path& program,
                                              const std::vector<std::string>& arguments) {
  std::wstring line;
  AppendQuoted(line, program.native());
  for (const std::string& argument : arguments) {
    const auto wide = WideFromUtf8(argument);
    if (!wide) return Failure{"an argument is not UTF-8 text without NUL bytes"};
    line += L' ';
    AppendQuoted(line, *wide);
  }
  return line;
}

std::string SystemMessage(DWORD error) {
  char text[512] = {};
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text,
                 sizeof text, nullptr);
  std::string message(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) message.pop_back();
  return message;
}

// A pipe that already holds the program's standard input, as the POSIX
// runner makes it: written before the program starts, the bytes fit into
// the pipe's buffer. Neither end is inheritable; the program inherits a
// duplicate of the read end (InheritedHandles).
class FilledPipe {
 public:
  // ERROR_SUCCESS, or the error of the failed step.
  DWORD Fill(std::string_view bytes) {
    HANDLE read = nullptr;
    HANDLE write = nullptr;
    if (!CreatePipe(&read, &write, nullptr, static_cast<DWORD>(kMaxStandardInput))) return GetLastError();
    read_.Reset(read);
    const OwnedKernelObject write_end(write);
    DWORD written = 0;
    if (!bytes.empty() &&
        (!WriteFile(write, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
         written != bytes.size())) {
      return GetLastError();
    }
    return ERROR_SUCCESS;
  }
  HANDLE ReadEnd() const { return read_.Get(); }

 private:
  OwnedKernelObject read_;
};

// The handles a started program inherits, and only they: inheritable
// duplicates of ours, named in its start-up information's handle list, so
// that no other inheritable handle of this process (one its own parent
// passed on, say) reaches the program and lives on in it.
class InheritedHandles {
 public:
  InheritedHandles() = default;
  InheritedHandles(const InheritedHandles&) = delete;
  InheritedHandles& operator=(const InheritedHandles&) = delete;
  ~InheritedHandles() {
    if (attributes_ != nullptr) DeleteProcThreadAttributeList(attributes_);
  }

  // The program's duplicate of `handle`; null for none, or one that cannot
  // be duplicated (a program without a console has no output handles).
  HANDLE Add(HANDLE handle) {
    HANDLE duplicate = nullptr;
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE ||
        !DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &duplicate, 0, TRUE,
                         DUPLICATE_SAME_ACCESS)) {
      return nullptr;
    }
    owned_.emplace_back(duplicate);
    handles_.push_back(duplicate);
    return duplicate;
  }

  bool Any() const noexcept { return !handles_.empty(); }

  // Names the handles in `startup`; false, with the system's error, when
  // it refuses.
  bool Attach(STARTUPINFOEXW& startup) {
    SIZE_T size = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    list_bytes_.resize(size);
    auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(list_bytes_.data());
    if (!InitializeProcThreadAttributeList(list, 1, 0, &size)) return false;
    attributes_ = list;
    if (!UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles_.data(),
                                   handles_.size() * sizeof(HANDLE), nullptr, nullptr)) {
      return false;
    }
    startup.lpAttributeList = list;
    return true;
  }

 private:
  std::vector<OwnedKernelObject> owned_;
  std::vector<HANDLE> handles_;
  std::vector<unsigned char> list_bytes_;
  LPPROC_THREAD_ATTRIBUTE_LIST attributes_ = nullptr;
};

// A job that ends its processes when its last handle closes, and so when
// this process ends, however it ends (Ctrl+C, or killed): nothing started
// here outlives ris. Nothing when the system makes none.
OwnedKernelObject KillOnCloseJob() {
  OwnedKernelObject job(CreateJobObjectW(nullptr, nullptr));
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  if (job && !SetInformationJobObject(job.Get(), JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
    job.Reset();
  }
  return job;
}

class Win32Program final : public StartedProgram {
 public:
  Win32Program(PROCESS_INFORMATION process, OwnedKernelObject job) : process_(process), job_(std::move(job)) {
    CloseHandle(process_.hThread);
  }

  ~Win32Program() override {
    if (!ExitCode()) {
      TerminateProcess(process_.hProcess, 1);
      WaitForSingleObject(process_.hProcess, INFINITE);
    }
    CloseHandle(process_.hProcess);
  }

  std::optional<int> ExitCode() override {
    if (WaitForSingleObject(process_.hProcess, 0) != WAIT_OBJECT_0) return std::nullopt;
    DWORD exit_code = 0;
    GetExitCodeProcess(process_.hProcess, &exit_code);
    return static_cast<int>(exit_code);
  }

  int WaitForExit() override {
    WaitForSingleObject(process_.hProcess, INFINITE);
    return *ExitCode();
  }

  std::optional<WindowPlace> MainWindowPlace() override {
    struct Search {
      DWORD Process;
      std::optional<WindowPlace> Found;
    } search{process_.dwProcessId, std::nullopt};
    EnumWindows(
        [](HWND window, LPARAM l) -> BOOL {
          auto& found = *reinterpret_cast<Search*>(l);
          DWORD process = 0;
          GetWindowThreadProcessId(window, &process);
          RECT rect{};
          if (process != found.Process || !IsWindowVisible(window) || IsIconic(window) ||
              GetWindow(window, GW_OWNER) != nullptr || !GetWindowRect(window, &rect)) {
            return TRUE;
          }
          found.Found = WindowPlace{rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.Found;
  }

 private:
  PROCESS_INFORMATION process_;
  OwnedKernelObject job_;  // closed after the program ended, ending what it started
};

// The start-up information's standard handles: the pipe's read end or our
// own input, and our own output streams, each as the program's duplicate.
void GiveStandardHandles(STARTUPINFOW& startup, const FilledPipe* input, InheritedHandles& inherited) {
  startup.dwFlags |= STARTF_USESTDHANDLES;
  startup.hStdInput = inherited.Add(input != nullptr ? input->ReadEnd() : GetStdHandle(STD_INPUT_HANDLE));
  startup.hStdOutput = inherited.Add(GetStdHandle(STD_OUTPUT_HANDLE));
  startup.hStdError = inherited.Add(GetStdHandle(STD_ERROR_HANDLE));
}

void PlaceFirstWindow(STARTUPINFOW& startup, const WindowPlace& place) {
  startup.dwFlags |= STARTF_USEPOSITION | STARTF_USESIZE;
  startup.dwX = static_cast<DWORD>(place.X);
  startup.dwY = static_cast<DWORD>(place.Y);
  startup.dwXSize = static_cast<DWORD>(place.Width);
  startup.dwYSize = static_cast<DWORD>(place.Height);
}

}  // namespace

// Through the wide call: a folder under a user name beyond ASCII too.
std::filesystem::path ThisProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return std::filesystem::path(path).parent_path();
    }
    path.resize(path.size() * 2);
  }
}

Started StartProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                     std::optional<std::string_view> standard_input, std::optional<WindowPlace> first_window) {
  auto line = CommandLine(program, arguments);
  if (!line) return Failure{line.error()};
  FilledPipe input;
  if (standard_input) {
    if (standard_input->size() > kMaxStandardInput) {
      return Failure{"more standard input than a pipe holds"};
    }
    if (const DWORD error = input.Fill(*standard_input)) {
      return Failure{SystemMessage(error)};
    }
  }
  STARTUPINFOEXW startup{};
  startup.StartupInfo.cb = sizeof startup;
  InheritedHandles inherited;
  GiveStandardHandles(startup.StartupInfo, standard_input ? &input : nullptr, inherited);
  if (inherited.Any() && !inherited.Attach(startup)) {
    return Failure{SystemMessage(GetLastError())};
  }
  if (first_window) PlaceFirstWindow(startup.StartupInfo, *first_window);
  // Suspended until it is in its job, so that nothing it starts escapes it.
  const DWORD flags = CREATE_SUSPENDED | (inherited.Any() ? EXTENDED_STARTUPINFO_PRESENT : 0);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(program.c_str(), line->data(), nullptr, nullptr, inherited.Any(), flags, nullptr, nullptr,
                      &startup.StartupInfo, &process)) {
    return Failure{SystemMessage(GetLastError())};
  }
  // Where the system puts no job in another (before Windows 8, when ris runs
  // in one), the program runs without: it works, it only may outlive ris.
  OwnedKernelObject job = KillOnCloseJob();
  if (job && !AssignProcessToJobObject(job.Get(), process.hProcess)) job.Reset();
  ResumeThread(process.hThread);
  return Started(std::make_unique<Win32Program>(process, std::move(job)));
}

}  // namespace ris::tool
