// ris render ARCHIVE.dat --saver FILE_NAME.scr --out FRAME.png [--size WxH]
//   [--monitors WxH,WxH@X,Y...] [--seconds S] [--seed N] [--mode saver|preview]
//   [--registry FILE.reg] [--key VK@SECONDS ...] [--mouse X,Y@SECONDS ...]
// Runs the saver's own display headless on a virtual clock, with the given
// keys and mouse moves, and writes the last frame it presented. With a
// registry file the user's settings are read from it and stored back, as a
// saver does with the registry, so a second run shows what keys changed.
// With monitors (the primary first, at 0,0 unless placed; every other one
// placed) the frame is the desktop's bounding box as the monitors show it.
#include <charconv>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <ostream>

#include "atomic_file.h"
#include "base/errors.h"
#include "command_options.h"
#include "commands.h"
#include "data/zip_file_settings.h"
#include "desktop_frame.h"
#include "display/main_form.h"
#include "platform_text.h"
#include "png_writer.h"
#include "shells/headless/headless_display_host.h"
#include "shells/headless/headless_shell.h"
#include "packed_saver.h"
#include "saver_name.h"
#include "saver_system.h"
#include "set_frame.h"
#include "shells/headless/headless_system.h"
#include "shells/headless/memory_hive.h"
#include "shells/headless/offscreen_presenter.h"
#include "shells/headless/reg_file_hive.h"

namespace ris::tool {
namespace {

constexpr Milliseconds kLongestRun = 24u * 3600u * 1000u;

template <typename Number>
std::optional<Number> WholeNumber(std::string_view text) {
  Number value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// Seconds with up to three decimals, as milliseconds; at most a day.
std::optional<Milliseconds> SecondsAsMilliseconds(std::string_view text) {
  const std::size_t point = text.find('.');
  const auto whole = WholeNumber<std::uint32_t>(text.substr(0, point));
  std::string fraction(point == std::string_view::npos ? "" : text.substr(point + 1));
  if (!whole || fraction.size() > 3 || *whole > kLongestRun / 1000) return std::nullopt;
  fraction.resize(3, '0');
  const auto thousandths = WholeNumber<std::uint32_t>(fraction);
  if (!thousandths) return std::nullopt;
  const Milliseconds total = *whole * 1000 + *thousandths;
  return total <= kLongestRun ? std::optional(total) : std::nullopt;
}

// "WHAT@SECONDS": the part before the last '@' and the time after it.
std::optional<std::pair<std::string_view, Milliseconds>> SplitTimed(std::string_view text) {
  const std::size_t at = text.rfind('@');
  if (at == std::string_view::npos) return std::nullopt;
  const auto time = SecondsAsMilliseconds(text.substr(at + 1));
  if (!time) return std::nullopt;
  return std::pair(text.substr(0, at), *time);
}

std::optional<ScriptedInput> KeyInput(std::string_view text) {
  const auto timed = SplitTimed(text);
  const auto key = timed ? WholeNumber<std::uint16_t>(timed->first) : std::nullopt;
  if (!key) return std::nullopt;
  return ScriptedInput{timed->second, ScriptedInput::Kind::Key, *key, 0, 0};
}

std::optional<ScriptedInput> MouseInput(std::string_view text) {
  const auto timed = SplitTimed(text);
  if (!timed) return std::nullopt;
  const std::size_t comma = timed->first.find(',');
  const auto x = WholeNumber<std::int32_t>(timed->first.substr(0, comma));
  const auto y = comma == std::string_view::npos ? std::nullopt
                                                 : WholeNumber<std::int32_t>(timed->first.substr(comma + 1));
  if (!x || !y) return std::nullopt;
  return ScriptedInput{timed->second, ScriptedInput::Kind::MouseMove, 0, *x, *y};
}

std::optional<PixelSize> ScreenSizeOf(std::string_view text) {
  const std::size_t x = text.find('x');
  if (x == std::string_view::npos) return std::nullopt;
  const auto width = WholeNumber<std::int32_t>(text.substr(0, x));
  const auto height = WholeNumber<std::int32_t>(text.substr(x + 1));
  if (!width || !height || *width < 1 || *height < 1 || !PictureSizeAllowed(*width, *height)) {
    return std::nullopt;
  }
  return PixelSize{*width, *height};
}

// One monitor: "WxH" or "WxH@X,Y"; the rest of the list after it.
std::optional<ScreenRect> NextMonitor(std::string_view& text, bool placed_by_default) {
  const std::size_t at = text.find('@');
  const std::size_t comma = text.find(',');
  const bool placed = at != std::string_view::npos && (comma == std::string_view::npos || at < comma);
  const auto size = ScreenSizeOf(text.substr(0, placed ? at : comma));
  if (!size) return std::nullopt;
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::size_t end = placed ? at : comma;
  if (placed) {
    const std::size_t x_end = text.find(',', at);
    if (x_end == std::string_view::npos) return std::nullopt;
    const std::size_t y_end = text.find(',', x_end + 1);
    const auto left = WholeNumber<std::int32_t>(text.substr(at + 1, x_end - at - 1));
    const auto top = WholeNumber<std::int32_t>(text.substr(x_end + 1, y_end - x_end - 1));
    constexpr std::int32_t kFarthest = 1 << 20;  // far beyond any desktop, far within 32 bits
    if (!left || !top || std::abs(*left) > kFarthest || std::abs(*top) > kFarthest) return std::nullopt;
    x = *left;
    y = *top;
    end = y_end;
  } else if (!placed_by_default) {
    return std::nullopt;
  }
  text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
  return ScreenRect{x, y, x + size->Width, y + size->Height};
}

std::optional<std::vector<ScreenRect>> MonitorsOf(std::string_view text) {
  std::vector<ScreenRect> monitors;
  while (!text.empty() && monitors.size() < kMaxMonitors) {
    const auto monitor = NextMonitor(text, monitors.empty());
    if (!monitor) return std::nullopt;
    monitors.push_back(*monitor);
  }
  if (monitors.empty() || !text.empty()) return std::nullopt;
  return monitors;
}

// The desktop is drawn as one picture.
bool DesktopFits(const std::vector<ScreenRect>& monitors) {
  SurfaceRect box;
  for (const ScreenRect& monitor : monitors) {
    box = BoundingBox(box, {monitor.Left, monitor.Top, monitor.Right, monitor.Bottom});
  }
  return PictureSizeAllowed(box.Width(), box.Height());
}

struct RenderRequest {
  std::string Archive;
  std::string Saver;
  std::string Out;
  std::optional<std::string> Registry;
  RunMode Mode = rmSaver;
  HeadlessDisplayHost::Options Host;
  Milliseconds Duration = 2000;
  std::vector<ScriptedInput> Inputs;
};

// The request, or why the call's words are off (nothing but the usage for
// an empty reason).
Result<RenderRequest, std::string> ReadRequest(Arguments arguments) {
  const auto options = ParseCommandOptions(
      arguments,
      {{"--saver", "--out", "--size", "--monitors", "--seconds", "--seed", "--mode", "--registry", "--key",
        "--mouse"},
       {}});
  if (!options) return Failure{options.error()};
  RenderRequest request;
  const auto out = options->Value("--out");
  if (options->Positional.size() != 1 || !out) return Failure{std::string()};
  const auto saver = RequiredSaverOption(*options);
  if (!saver) return Failure{saver.error()};
  request.Archive = options->Positional.front();
  request.Saver = *saver;
  request.Out = *out;
  request.Registry = options->Value("--registry");

  const std::string mode = options->Value("--mode").value_or("saver");
  const auto size = ScreenSizeOf(options->Value("--size").value_or("1024x768"));
  const auto seconds = SecondsAsMilliseconds(options->Value("--seconds").value_or("2"));
  const auto seed = WholeNumber<std::uint32_t>(options->Value("--seed").value_or("1"));
  if ((mode != "saver" && mode != "preview") || !size || !seconds || !seed) {
    return Failure{"a value is out of range or malformed"};
  }
  request.Mode = mode == "preview" ? rmPreview : rmSaver;
  request.Host = {*size, *seed, LocalSecondOfDay(), true};
  if (const auto monitors = options->Value("--monitors")) {
    const auto placed = MonitorsOf(*monitors);
    if (!placed) return Failure{"--monitors takes WxH,WxH@X,Y... (the primary first), not " + *monitors};
    if (!DesktopFits(*placed)) return Failure{"the monitors lie too far apart to draw as one picture"};
    if (options->Value("--size")) return Failure{"--size and --monitors both give the screen: give one"};
    if (request.Mode == rmPreview) return Failure{"the preview has no monitors of its own: leave out --monitors"};
    request.Host.Monitors = *placed;
    const ScreenRect& primary = placed->front();
    request.Host.Screen = {primary.Right - primary.Left, primary.Bottom - primary.Top};
  }
  request.Duration = *seconds;

  for (const std::string& key : options->All("--key")) {
    const auto input = KeyInput(key);
    if (!input) return Failure{"--key takes VK@SECONDS, not " + key};
    request.Inputs.push_back(*input);
  }
  for (const std::string& mouse : options->All("--mouse")) {
    const auto input = MouseInput(mouse);
    if (!input) return Failure{"--mouse takes X,Y@SECONDS, not " + mouse};
    request.Inputs.push_back(*input);
  }
  return request;
}

std::unique_ptr<RegistryHive> OpenHive(const RenderRequest& request) {
  if (request.Registry) return std::make_unique<RegFileHive>(*request.Registry);
  return std::make_unique<MemoryHive>();
}

std::string Describe(RunEnd end, Milliseconds at) {
  const std::string when = std::to_string(at / 1000) + "." + std::to_string(at % 1000 / 100) + " s";
  switch (end) {
    case RunEnd::ClosedByKey:
      return "closed by key after " + when;
    case RunEnd::ClosedByMouse:
      return "closed by mouse after " + when;
    case RunEnd::TimeUp:
      break;
  }
  return "time up after " + when;
}

// The last frame of every scene, the form's own first.
std::vector<const Surface*> SceneFrames(const OffscreenPresenter& own, const HeadlessDisplayHost& host,
                                        const MonitorLayout& layout) {
  std::vector<const Surface*> frames{&own.LastFrame()};
  for (std::size_t scene = 1; scene < layout.Scenes.size(); ++scene) {
    const OffscreenPresenter* presenter = host.SceneFrames(scene);
    frames.push_back(presenter != nullptr && presenter->FramesPresented() > 0 ? &presenter->LastFrame() : nullptr);
  }
  return frames;
}

int Render(const RenderRequest& request, const CommandReport& report) {
  const auto saver_system = SaverSystemFor(request.Saver, request.Archive);
  HeadlessSystem& system = *saver_system;
  const std::unique_ptr<RegistryHive> hive = OpenHive(request);
  OffscreenPresenter presenter;
  const std::unique_ptr<PlatformText> text = MakePlatformText();
  HeadlessDisplayHost host(request.Host);
  RunEnd end = RunEnd::TimeUp;
  MonitorLayout layout;
  {
    TMainForm form({system, *hive, presenter, text->Renderer(), host}, request.Mode);
    end = RunHeadlessDisplay(form, host, request.Inputs, request.Duration);
    layout = form.Layout();
  }  // the form is gone: the user's settings are stored
  if (request.Registry) static_cast<RegFileHive&>(*hive).Commit();
  for (const std::string& message : host.Errors()) report.err << message << '\n';
  if (presenter.FramesPresented() == 0) {
    report.Complain() << "the display ended before it presented a frame\n";
    return 1;
  }
  PixelImage frame = DesktopFrame(layout, SceneFrames(presenter, host, layout));
  // Without monitors, or where the display ended before it placed scenes:
  // its own window's frame.
  if (request.Host.Monitors.empty() || frame.Pixels.empty()) frame = OpaqueImage(presenter.LastFrame());
  if (const auto written = WriteFileAtomically(request.Out, EncodePng(frame)); !written) {
    return report.Fail(written.error());
  }
  report.out << Describe(end, host.TickCount()) << '\n';
  return 0;
}

}  // namespace

int RunRenderCommand(Arguments arguments, const CommandReport& report) {
  const auto request = ReadRequest(arguments);
  if (!request) return report.Misused(request.error());
  try {
    return Render(*request, report);
  } catch (const ProcessExit& exit) {
    report.err << ExplainedExit(exit, request->Archive, request->Saver) << '\n';
    return exit.ExitCode();
  } catch (const ESaverError& failure) {
    report.Complain() << failure.what() << '\n';
    return 1;
  }
}

}  // namespace ris::tool
