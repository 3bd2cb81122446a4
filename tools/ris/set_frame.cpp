#include "set_frame.h"

#include <chrono>
#include <ctime>

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

// Later lines of a section win, so these make the one set in the archive
// the one shown, whatever the product selects, and keep it.
constexpr std::string_view kShowTheOneSet = "\r\n[sets]\r\nselectedSets=*all*\r\nSetTime=0\r\n";

}  // namespace

std::uint32_t LocalSecondOfDay() {
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);  // the same, with the arguments the other way round
#else
  localtime_r(&now, &local);
#endif
  return static_cast<std::uint32_t>(local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec);
}

SetFrame RenderFrame(HeadlessSystem& system, PlatformText& text, const FrameRun& run) {
  MemoryHive hive;
  OffscreenPresenter presenter;
  HeadlessDisplayHost host({run.Screen, 1, run.SecondOfDay, true});
  {
    TMainForm form({system, hive, presenter, text.Renderer(), host}, run.Mode);
    RunHeadlessDisplay(form, host, {}, run.RunTime);
  }
  if (!host.Errors().empty()) return {{}, host.Errors().front()};
  if (presenter.FramesPresented() == 0) return {{}, "the display presented no frame"};
  return {OpaqueImage(presenter.LastFrame()), {}};
}

SetFrame RenderSetFrame(std::string_view settings, std::span<const PackEntry> set_pictures,
                        std::string_view saver, PlatformText& text) {
  try {
    const std::string shown_settings = std::string(settings).append(kShowTheOneSet);
    const auto system = SystemWithArchive(saver, ZipInMemory(shown_settings, set_pictures));
    return RenderFrame(*system, text, FrameRun{});
  } catch (const ProcessExit& exit) {
    return {{}, exit.what()};
  } catch (const ESaverError& failure) {
    return {{}, failure.what()};
  }
}

}  // namespace ris::tool
