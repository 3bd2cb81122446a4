// ris render ARCHIVE.dat --saver FILE_NAME.scr --out FRAME.png [--size WxH]
//   [--seconds S] [--seed N] [--mode saver|preview] [--registry FILE.reg]
//   [--key VK@SECONDS ...] [--mouse X,Y@SECONDS ...]
// Runs the saver's own display headless on a virtual clock, with the given
// keys and mouse moves, and writes the last frame it presented. With a
// registry file the user's settings are read from it and stored back, as a
// saver does with the registry, so a second run shows what keys changed.
#include <charconv>
#include <fstream>
#include <memory>
#include <ostream>

#include "atomic_file.h"
#include "base/errors.h"
#include "command_options.h"
#include "commands.h"
#include "data/zip_file_settings.h"
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
      {{"--saver", "--out", "--size", "--seconds", "--seed", "--mode", "--registry", "--key", "--mouse"}, {}});
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

int Render(const RenderRequest& request, const CommandReport& report) {
  const auto saver_system = SaverSystemFor(request.Saver, request.Archive);
  HeadlessSystem& system = *saver_system;
  const std::unique_ptr<RegistryHive> hive = OpenHive(request);
  OffscreenPresenter presenter;
  const std::unique_ptr<PlatformText> text = MakePlatformText();
  HeadlessDisplayHost host(request.Host);
  RunEnd end = RunEnd::TimeUp;
  {
    TMainForm form({system, *hive, presenter, text->Renderer(), host}, request.Mode);
    end = RunHeadlessDisplay(form, host, request.Inputs, request.Duration);
  }  // the form is gone: the user's settings are stored
  if (request.Registry) static_cast<RegFileHive&>(*hive).Commit();
  for (const std::string& message : host.Errors()) report.err << message << '\n';
  if (presenter.FramesPresented() == 0) {
    report.Complain() << "the display ended before it presented a frame\n";
    return 1;
  }
  if (const auto written = WriteFileAtomically(request.Out, EncodePng(OpaqueImage(presenter.LastFrame())));
      !written) {
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
