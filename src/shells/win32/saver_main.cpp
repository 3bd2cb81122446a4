// Entry of the saver executable: the command line picks the run mode, one
// instance runs at a time, and the main window of the mode runs until it
// closes.
#include <windows.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "data/zip_file_settings.h"
#include "shells/win32/display_window.h"
#include "shells/win32/gdi_metafile_player.h"
#include "shells/win32/saver_password.h"
#include "shells/win32/single_instance.h"
#include "shells/win32/win32_system.h"
#include "startup/command_line.h"

namespace {

std::vector<std::string> Parameters() {
  std::vector<std::string> parameters;
  for (int i = 1; i < __argc; ++i) parameters.emplace_back(__argv[i]);
  return parameters;
}

HWND WindowOf(ris::WindowHandle handle) {
  return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(handle));
}

// Until the configuration dialog exists, configure mode names the product
// and the dialog's caption in a box that closes.
int ShowConfigurePlaceholder(HWND parent) {
  ris::Win32System system;
  ris::TZipFileSettings archive(system, ris::rmConfigure);
  const std::string caption = archive.SettingsList().ReadValueDef("Configure", "configure", "language");
  MessageBoxA(parent, system.ApplicationTitle().c_str(), caption.c_str(), MB_OK | MB_ICONINFORMATION);
  return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  ris::InstallMetafilePlayer(std::make_shared<const ris::GdiMetafilePlayer>());
  const std::vector<std::string> parameters = Parameters();
  const ris::CommandLine command = ris::ParseCommandLine(parameters);
  const HWND parent = WindowOf(command.ParentWindow);
  if (command.Mode == ris::rmChangePassword) ris::ChangeSaverPassword(parameters, parent);

  const ris::SingleInstance instance;
  if (!instance.First()) return 0;  // another saver runs; it goes on undisturbed
  if (command.Mode == ris::rmConfigure) return ShowConfigurePlaceholder(parent);
  return ris::RunDisplay(command.Mode, parent);
}
