#include "dialog_layout.h"

#include "shells/headless/headless_dialog.h"
#include "shells/headless/headless_shell.h"
#include "shells/headless/memory_hive.h"

namespace ris::tool {

void VisitDialogLayout(HeadlessSystem& system, PlatformText& text,
                       const std::function<void(const TConfigureForm&, const std::vector<PlacedControl>&)>& visit) {
  MemoryHive registry;
  HeadlessShell shell;
  DialogTextMetrics& metrics = text.DialogMetrics();
  HeadlessDialogHost host;
  const TConfigureForm form({system, registry, shell, host, metrics}, {rmConfigure, 0});
  visit(form, PlaceDialog(form, metrics));
}

}  // namespace ris::tool
