// Font texts come from product settings and from the registry, where any
// program may have written them. Beyond not crashing: whatever reads must be
// written as a text that reads back to the same thing and is written the same
// again, so that a font survives any number of load and save cycles.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "base/errors.h"
#include "data/component.h"
#include "data/font_dialog.h"
#include "data/object_text.h"

namespace {

const ris::ComponentClassRegistry& Registry() {
  static const ris::ComponentClassRegistry registry = [] {
    ris::ComponentClassRegistry classes;
    classes.Register<ris::TFontDialog>();
    return classes;
  }();
  return registry;
}

// The generic tree: every object text, whatever class it names.
void CheckTreeRoundTrip(std::string_view text) {
  std::string written;
  try {
    written = ris::WriteObjectText(ris::ParseObjectText(text));
  } catch (const ris::ESaverError&) {
    return;
  }
  // What the writer wrote must read; an error here escapes and is reported.
  if (ris::WriteObjectText(ris::ParseObjectText(written)) != written) std::abort();
}

void CheckComponentRoundTrip(std::string_view text) {
  std::unique_ptr<ris::TComponent> first;
  try {
    first = ris::TextToComponent(text, Registry());
  } catch (const ris::ESaverError&) {
    return;
  }
  const std::string written = ris::ComponentToText(*first);
  const auto second = ris::TextToComponent(written, Registry());
  if (ris::ComponentToText(*second) != written) std::abort();
  const auto* first_dialog = dynamic_cast<const ris::TFontDialog*>(first.get());
  const auto* second_dialog = dynamic_cast<const ris::TFontDialog*>(second.get());
  if (first_dialog == nullptr || second_dialog == nullptr) std::abort();
  if (!(first_dialog->Font == second_dialog->Font)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  CheckTreeRoundTrip(text);
  CheckComponentRoundTrip(text);
  return 0;
}
