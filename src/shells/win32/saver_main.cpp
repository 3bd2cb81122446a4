// Entry of the saver executable: the command line picks the run mode, one
// instance runs at a time, and the main window of the mode runs until it
// closes.
#include <windows.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "shells/win32/configure_window.h"
#include "shells/win32/display_window.h"
#include "shells/win32/gdi_metafile_player.h"
#include "shells/win32/saver_password.h"
#include "shells/win32/single_instance.h"
#include "shells/win32/window_handle.h"
#include "startup/command_line.h"

namespace {

std::vector<std::string> Parameters() {
  std::vector<std::string> parameters;
  for (int i = 1; i < __argc; ++i) parameters.emplace_back(__argv[i]);
  return parameters;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // The guard comes before the command line, whatever the mode; a password
  // change asked of a second instance is still carried out.
  const ris::SingleInstance instance;
  ris::InstallMetafilePlayer(std::make_shared<const ris::GdiMetafilePlayer>());
  const std::vector<std::string> parameters = Parameters();
  const ris::CommandLine command = ris::ParseCommandLine(parameters);
  const HWND parent = ris::WindowOf(command.ParentWindow);
  if (command.Mode == ris::rmChangePassword) ris::ChangeSaverPassword(parameters, parent);

  if (instance.AnotherRuns()) return 0;  // the first one goes on undisturbed
  if (command.Mode == ris::rmConfigure) return ris::RunConfigureDialog(command);
  return ris::RunDisplay(command.Mode, parent);
}
