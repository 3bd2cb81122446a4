// ris studio [FOLDER] [--out FOLDER] [--engine ENGINE.scr] [--no-browser]
//   [--idle-seconds N]
// Serves a page on 127.0.0.1 that makes, shows, checks and builds the
// product in FOLDER through the same code as the other commands, and opens
// it in the browser. Ends on Ctrl+C, or once no page has called for a
// minute.
#include <atomic>
#include <charconv>
#include <csignal>
#include <iostream>

#include "command_options.h"
#include "commands.h"
#include "engine_check.h"
#include "open_browser.h"
#include "program_runner.h"
#include "studio_server.h"

namespace ris::tool {

namespace fs = std::filesystem;

namespace {

std::atomic<bool> g_interrupted{false};

extern "C" void OnInterrupt(int) { g_interrupted = true; }

// The engine a setup is built with: --engine, or the saver engine beside
// the program, when either is one; nothing builds the archive alone.
std::optional<fs::path> EngineAtHand(const CommandOptions& options) {
  const auto named = options.Value("--engine");
  const fs::path engine = named ? fs::path(*named) : ThisProgramFolder() / "Demo.scr";
  if (!CheckedEngine(engine)) return std::nullopt;
  return fs::absolute(engine);
}

}  // namespace

int RunStudioCommand(Arguments arguments, const CommandReport& report) {
  const auto options =
      ParseCommandOptions(arguments, {{"--out", "--engine", "--idle-seconds"}, {"--no-browser"}});
  if (!options) return report.Misused(options.error());
  if (options->Positional.size() > 1) return report.Misused();
  int idle_seconds = 60;
  if (const auto idle = options->Value("--idle-seconds")) {
    const auto [end, error] = std::from_chars(idle->data(), idle->data() + idle->size(), idle_seconds);
    if (error != std::errc() || end != idle->data() + idle->size() || idle_seconds < 1) {
      return report.Misused("--idle-seconds takes a whole number of seconds");
    }
  }
  std::error_code error;
  const fs::path product = fs::absolute(options->Positional.empty() ? "." : options->Positional.front(), error);
  const fs::path output = fs::absolute(options->Value("--out").value_or(product.parent_path().string()), error);
  if (const auto named = options->Value("--engine")) {
    if (const auto checked = CheckedEngine(*named); !checked) return report.Fail(checked.error());
  }
  auto server = StudioServer::Bind({product, output, EngineAtHand(*options)});
  if (!server) return report.Fail(server.error());
  const std::string address = (*server)->Address();
  report.out << "ris studio: " << product.string() << " at " << address << '\n' << std::flush;
  if (!options->Has("--no-browser") && !OpenInBrowser(address)) {
    report.Complain() << "cannot open a browser: open the address above\n";
  }
  std::signal(SIGINT, OnInterrupt);
  (*server)->Serve(std::chrono::seconds(idle_seconds), g_interrupted);
  report.out << "ris studio: ended\n";
  return 0;
}

}  // namespace ris::tool
