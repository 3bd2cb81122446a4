#include <windows.h>

#include "program_runner.h"

namespace ris::tool {

namespace {

// One argument as the C runtime of the started program splits its command
// line again: in quotes, with the backslashes before a quote doubled.
void AppendQuoted(std::string& line, const std::string& argument) {
  line += '"';
  std::size_t backslashes = 0;
  for (const char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    line.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    line += c;
  }
  line.append(backslashes * 2, '\\');
  line += '"';
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
// the pipe's buffer. Only its read end is inherited.
class FilledPipe {
 public:
  FilledPipe() = default;
  FilledPipe(const FilledPipe&) = delete;
  FilledPipe& operator=(const FilledPipe&) = delete;
  ~FilledPipe() {
    Close(read_);
    Close(write_);
  }

  // ERROR_SUCCESS, or the error of the failed step.
  DWORD Fill(std::string_view bytes) {
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    if (!CreatePipe(&read_, &write_, &inherited, static_cast<DWORD>(kMaxStandardInput)) ||
        !SetHandleInformation(write_, HANDLE_FLAG_INHERIT, 0)) {
      return GetLastError();
    }
    DWORD written = 0;
    if (!bytes.empty() &&
        (!WriteFile(write_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
         written != bytes.size())) {
      return GetLastError();
    }
    Close(write_);
    return ERROR_SUCCESS;
  }
  HANDLE ReadEnd() const { return read_; }

 private:
  static void Close(HANDLE& handle) {
    if (handle != nullptr) CloseHandle(handle);
    handle = nullptr;
  }
  HANDLE read_ = nullptr;
  HANDLE write_ = nullptr;
};

class Win32Program final : public StartedProgram {
 public:
  explicit Win32Program(PROCESS_INFORMATION process) : process_(process) { CloseHandle(process_.hThread); }

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
};

}  // namespace

std::unique_ptr<StartedProgram> StartProgram(const std::filesystem::path& program,
                                             const std::vector<std::string>& arguments, std::string& why,
                                             std::optional<std::string_view> standard_input,
                                             std::optional<WindowPlace> first_window) {
  std::string line;
  AppendQuoted(line, program.string());
  for (const std::string& argument : arguments) {
    line += ' ';
    AppendQuoted(line, argument);
  }
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  FilledPipe input;
  if (standard_input) {
    if (standard_input->size() > kMaxStandardInput) {
      why = "more standard input than a pipe holds";
      return nullptr;
    }
    if (const DWORD error = input.Fill(*standard_input)) {
      why = SystemMessage(error);
      return nullptr;
    }
    startup.dwFlags |= STARTF_USESTDHANDLES;
    startup.hStdInput = input.ReadEnd();
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  }
  if (first_window) {
    startup.dwFlags |= STARTF_USEPOSITION | STARTF_USESIZE;
    startup.dwX = static_cast<DWORD>(first_window->X);
    startup.dwY = static_cast<DWORD>(first_window->Y);
    startup.dwXSize = static_cast<DWORD>(first_window->Width);
    startup.dwYSize = static_cast<DWORD>(first_window->Height);
  }
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(program.string().c_str(), line.data(), nullptr, nullptr, standard_input.has_value(), 0,
                      nullptr, nullptr, &startup, &process)) {
    why = SystemMessage(GetLastError());
    return nullptr;
  }
  return std::make_unique<Win32Program>(process);
}

}  // namespace ris::tool
