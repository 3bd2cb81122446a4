#pragma once
// The configuration dialog of a product as the engine lays it out, its
// texts measured headless: what `ris dialog` prints and the studio draws.

#include <functional>
#include <vector>

#include "dialog/configure_form.h"
#include "dialog/dialog_geometry.h"
#include "platform_text.h"
#include "shells/headless/headless_system.h"

namespace ris::tool {

// Runs the dialog's set-up over the archive `system` answers and shows the
// form and its placed controls to `visit` while they live. Throws what the
// set-up throws (ProcessExit, ESaverError).
void VisitDialogLayout(HeadlessSystem& system, PlatformText& text,
                       const std::function<void(const TConfigureForm&, const std::vector<PlacedControl>&)>& visit);

}  // namespace ris::tool
