#include "shells/headless/headless_shell.h"

#include <algorithm>

#include "display/main_form.h"
#include "shells/headless/headless_display_host.h"

namespace ris {
namespace {

void Deliver(TMainForm& form, const ScriptedInput& input) {
  if (input.What == ScriptedInput::Kind::Key) {
    form.FormKeyDown(input.Key);
  } else {
    form.FormMouseMove(input.X, input.Y);
  }
}

RunEnd EndBy(const ScriptedInput& input) {
  return input.What == ScriptedInput::Kind::Key ? RunEnd::ClosedByKey : RunEnd::ClosedByMouse;
}

}  // namespace

RunEnd RunHeadlessDisplay(TMainForm& form, HeadlessDisplayHost& host,
                          std::vector<ScriptedInput> inputs, Milliseconds duration) {
  std::stable_sort(inputs.begin(), inputs.end(),
                   [](const ScriptedInput& a, const ScriptedInput& b) { return a.At < b.At; });
  const Milliseconds start = host.TickCount();
  form.Show();
  auto next_input = inputs.begin();
  for (;;) {
    const Milliseconds elapsed = host.TickCount() - start;
    for (; next_input != inputs.end() && next_input->At <= elapsed; ++next_input) {
      Deliver(form, *next_input);
      if (form.CloseAllowed()) return EndBy(*next_input);
    }
    form.PollTimers();
    if (elapsed >= duration) return RunEnd::TimeUp;

    Milliseconds wait = duration - elapsed;
    if (next_input != inputs.end()) wait = std::min(wait, next_input->At - elapsed);
    if (const auto timer = form.TimeUntilNextTimer()) wait = std::min(wait, *timer);
    host.Advance(std::max<Milliseconds>(wait, 1));
  }
}

}  // namespace ris
