#pragma once
// How the Win32 shell reports what went wrong: the standard error box, the
// failure of a system call as an exception, and the one error boundary at
// the entry of a program.

#include <windows.h>

#include <functional>
#include <string>

#include "base/code_page.h"

namespace ris {

class Win32System;

// The standard error box: the message with the error icon, owned by `owner`
// while that is a window and by none otherwise, so that it always shows.
// Message and caption are converted from `code_page`, so a product's letters
// show whatever the system's own code page is.
void ShowErrorBox(HWND owner, const std::string& message, const std::string& caption,
                  CodePage code_page = kSystemCodePage);

// Throws the calling thread's last error of the system, after `what`.
[[noreturn]] void ThrowLastError(const std::string& what);

// The error boundary at a program's entry: runs `body` and returns its exit
// code; whatever it throws is shown in the standard error box under the
// application's title, and the exit code is then 1.
int RunWithErrorBox(const Win32System& system, const std::function<int()>& body) noexcept;

}  // namespace ris
