#include "set_frame.h"

#include "base/errors.h"
#include "display/main_form.h"
#include "memory_archive.h"
#include "png_writer.h"
#include "shells/headless/headless_display_host.h"
#include "shells/headless/headless_shell.h"
#include "shells/headless/memory_hive.h"
#include "shells/headless/offscreen_presenter.h"

namespace ris::tool {

namespace {

constexpr PixelSize kScreen{1024, 768};
constexpr std::uint32_t kTenPastTen = 10 * 3600 + 10 * 60;
constexpr Milliseconds kRunTime = 1000;

// Later lines of a section win, so these make the one set in the archive
// the one shown, whatever the product selects, and keep it.
constexpr std::string_view kShowTheOneSet = "\r\n[sets]\r\nselectedSets=*all*\r\nSetTime=0\r\n";

SetFrame Run(HeadlessSystem& system, PlatformText& text) {
  MemoryHive hive;
  OffscreenPresenter presenter;
  HeadlessDisplayHost host({kScreen, 1, kTenPastTen, true});
  {
    TMainForm form({system, hive, presenter, text.Renderer(), host}, rmSaver);
    RunHeadlessDisplay(form, host, {}, kRunTime);
  }
  if (!host.Errors().empty()) return {{}, host.Errors().front()};
  if (presenter.FramesPresented() == 0) return {{}, "the display presented no frame"};
  return {OpaqueImage(presenter.LastFrame()), {}};
}

}  // namespace

SetFrame RenderSetFrame(std::string_view settings, std::span<const PackEntry> set_pictures,
                        std::string_view saver, PlatformText& text) {
  try {
    const std::string shown_settings = std::string(settings).append(kShowTheOneSet);
    const auto system = SystemWithArchive(saver, ZipInMemory(shown_settings, set_pictures));
    return Run(*system, text);
  } catch (const ProcessExit& exit) {
    return {{}, exit.what()};
  } catch (const ESaverError& failure) {
    return {{}, failure.what()};
  }
}

}  // namespace ris::tool
