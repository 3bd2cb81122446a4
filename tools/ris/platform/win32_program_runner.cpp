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

}  // namespace

ProgramRun RunProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                      std::optional<std::string_view> standard_input) {
  std::string line;
  AppendQuoted(line, program.string());
  for (const std::string& argument : arguments) {
    line += ' ';
    AppendQuoted(line, argument);
  }
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  ProgramRun run;
  FilledPipe input;
  if (standard_input) {
    if (standard_input->size() > kMaxStandardInput) {
      run.Why = "more standard input than a pipe holds";
      return run;
    }
    if (const DWORD error = input.Fill(*standard_input)) {
      run.Why = SystemMessage(error);
      return run;
    }
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input.ReadEnd();
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  }
  if (!CreateProcessA(program.string().c_str(), line.data(), nullptr, nullptr, standard_input.has_value(),
                      0, nullptr, nullptr, &startup, &process)) {
    run.Why = SystemMessage(GetLastError());
    return run;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD exit_code = 0;
  GetExitCodeProcess(process.hProcess, &exit_code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  run.Started = true;
  run.ExitCode = static_cast<int>(exit_code);
  return run;
}

}  // namespace ris::tool
