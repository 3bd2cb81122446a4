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
#include "shells/win32/win32_display_host.h"
#include "shells/win32/win32_errors.h"
#include "shells/win32/win32_system.h"
#include "shells/win32/window_handle.h"
#include "startup/command_line.h"

namespace {

std::vector<std::string> Parameters() {
  std::vector<std::string> parameters;
  for (int i = 1; i < __argc; ++i) parameters.emplace_back(__argv[i]);
  return parameters;
}

int RunSaver(ris::Win32System& system) {
  // The guard comes before the command line, whatever the mode; a password
  // change asked of a second instance is still carried out.
  const ris::SingleInstance instance;
  ris::InstallMetafilePlayer(std::make_shared<const ris::GdiMetafilePlayer>());
  const std::vector<std::string> parameters = Parameters();
  const ris::CommandLine command = ris::ParseCommandLine(parameters);
  const HWND parent = ris::WindowOf(command.ParentWindow);
  if (command.Mode == ris::rmChangePassword) return ris::ChangeSaverPassword(parameters, parent);

  if (instance.AnotherRuns()) return 0;  // the first one goes on undisturbed
  if (command.Mode == ris::rmConfigure) return ris::RunConfigureDialog(command, system);
  ris::Win32DisplayHost host(system);
  return ris::RunDisplay(ris::PlaceFor(command), parent, system, host);
}

}  // namespace

// Whatever ends a run early (a product's settings text the saver cannot
// read, a window the system refuses) is shown here in the standard error
// box, under the product's title once the archive has named it.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  ris::Win32System system;
  return ris::RunWithErrorBox(system, [&system] { return RunSaver(system); });
}
