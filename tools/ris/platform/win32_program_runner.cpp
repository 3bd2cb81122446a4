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

 private:
  PROCESS_INFORMATION process_;
};

std::unique_ptr<Win32Program> Spawn(const std::filesystem::path& program,
                                    const std::vector<std::string>& arguments, std::string& why) {
  std::string line;
  AppendQuoted(line, program.string());
  for (const std::string& argument : arguments) {
    line += ' ';
    AppendQuoted(line, argument);
  }
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(program.string().c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &process)) {
    why = SystemMessage(GetLastError());
    return nullptr;
  }
  return std::make_unique<Win32Program>(process);
}

}  // namespace

std::unique_ptr<StartedProgram> StartProgram(const std::filesystem::path& program,
                                             const std::vector<std::string>& arguments, std::string& why) {
  return Spawn(program, arguments, why);
}

}  // namespace ris::tool
