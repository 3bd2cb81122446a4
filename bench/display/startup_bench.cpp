// What a user waits for when the saver starts: the real display form, run
// headless, from the archive file on disk to the first presented 1920 x 1080
// frame, over a product of 3840 x 2160 JPEG backgrounds. With 1 set and with
// 40 the times and memory should match, since start-up reads only the
// archive's directory and the one set it shows. The floors are libjpeg
// decoding one such background alone, whole and at the size the screen
// shows it; a set change is measured against the same floors: by the
// right arrow key, whose set is read when it is shown,
// and by the set-change timer, whose set was prepared ahead.
//
// The product is generated once per run in a temporary folder: one photo-
// like JPEG, stored under every set's name, a small moving picture per set
// and the demo product's settings text, packed with Info-ZIP as a product
// maker might.
//
// `peak_bytes` is the most memory held at once above what was held before
// the iteration, as the allocation counter sees operator new (libjpeg's own
// working memory is not in it).
//
// Once running, a product that shows a picture on every monitor draws its
// frames on each, with nrImages moving pictures of its own: with a second
// monitor of 1280 x 1024 beside the 1920 x 1080 one, a frame presents twice
// the pixels (`pixels_presented`) and should cost no more than that share.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <jpeglib.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "data/product.h"
#include "data/zip_file_settings.h"
#include "display/main_form.h"
#include "display/main_form_probe.h"
#include "shells/headless/freetype_text.h"
#include "shells/headless/headless_display_host.h"
#include "shells/headless/headless_system.h"
#include "shells/headless/memory_hive.h"
#include "shells/headless/offscreen_presenter.h"
#include "support/allocation_count.h"
#include "support/jpeg_writer.h"
#include "support/temp_folder.h"

namespace ris {
namespace {

constexpr const char* kSaverPath = "C:\\Savers\\Demo.scr";
constexpr int kPhotoWidth = 3840;
constexpr int kPhotoHeight = 2160;
constexpr PixelSize kScreen{1920, 1080};
constexpr std::uint16_t kRightKey = 39;

// Smooth shading with fine grain, so that the JPEG is about as large and as
// slow to decode as a photograph.
std::vector<std::uint8_t> PhotoPixels() {
  std::vector<std::uint8_t> rgb(std::size_t{kPhotoWidth} * kPhotoHeight * 3);
  std::uint32_t state = 2026u;
  std::size_t at = 0;
  for (int y = 0; y < kPhotoHeight; ++y) {
    for (int x = 0; x < kPhotoWidth; ++x) {
      state = state * 1664525u + 1013904223u;
      const int grain = static_cast<int>(state >> 28) - 8;
      rgb[at++] = static_cast<std::uint8_t>(std::clamp(x * 255 / kPhotoWidth + grain, 0, 255));
      rgb[at++] = static_cast<std::uint8_t>(std::clamp(y * 255 / kPhotoHeight + grain, 0, 255));
      rgb[at++] = static_cast<std::uint8_t>(std::clamp(((x ^ y) & 0xFF) / 2 + 64 + grain, 0, 255));
    }
  }
  return rgb;
}

// A 64 x 64 disc on a key-coloured square, as a binary portable pixmap.
std::string MovingPicture() {
  std::string bytes = "P6\n64 64\n255\n";
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      const bool disc = (x - 32) * (x - 32) + (y - 32) * (y - 32) < 30 * 30;
      bytes += disc ? std::string{'\xdc', '\xa0', '\x28'} : std::string{'\xff', '\x00', '\xff'};
    }
  }
  return bytes;
}

std::string AsString(const std::vector<std::uint8_t>& bytes) { return {bytes.begin(), bytes.end()}; }

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// The generated products of this run, by set count, and the background's
// JPEG bytes.
class Products {
 public:
  static Products& Get() {
    static Products products;
    return products;
  }

  const std::string& Jpeg() const { return jpeg_; }

  // The product of `sets` sets; with `monitors` its choice of what several
  // monitors show, and no timed set change.
  std::filesystem::path Archive(int sets, std::optional<int> monitors = std::nullopt) {
    std::string variant = std::to_string(sets);
    if (monitors) variant.append(1, 'm').append(std::to_string(*monitors));
    const auto name = "Demo" + variant + ".dat";
    const auto archive = folder_.Path() / name;
    if (std::filesystem::exists(archive)) return archive;
    const auto content = "content" + variant;
    std::string settings = settings_;
    if (monitors) settings += "\r\n[sets]\r\nSetTime=0\r\n[display]\r\nmonitors=" + std::to_string(*monitors) + "\r\n";
    folder_.Write(content + "/settings.txt", settings);
    std::string names = " settings.txt";
    for (int set = 0; set < sets; ++set) {
      const std::string base = "set" + std::to_string(set);
      folder_.Write(content + "/backgrounds/" + base + ".jpg", jpeg_);
      folder_.Write(content + "/icons/" + base + ".ppm", moving_);
      names += " backgrounds/" + base + ".jpg icons/" + base + ".ppm";
    }
    const std::string password = ArchivePasswordFor(kSaverPath, kArchivePasswordPrefix);
    if (!folder_.Run("cd " + content + " && zip -q -n .jpg -P '" + password + "' ../" + name + names)) {
      throw std::runtime_error("zip failed; is Info-ZIP installed?");
    }
    return archive;
  }

 private:
  Products()
      : jpeg_(AsString(bench_support::EncodeJpeg(PhotoPixels(), kPhotoWidth, kPhotoHeight, 90))), moving_(MovingPicture()), settings_(ReadFile(RIS_DEMO_SETTINGS)) {}

  testing_support::TempFolder folder_;
  std::string jpeg_;
  std::string moving_;
  std::string settings_;
};

// The system's fonts are there before any saver starts, as they are on
// Windows: their set-up is the shell's, once per process, not start-up's.
FreeTypeTextRenderer& SystemFonts() {
  static FreeTypeTextRenderer fonts;
  return fonts;
}

// Everything a shell gives the form, for one saver over one archive.
struct Platform {
  explicit Platform(const std::filesystem::path& archive, std::vector<ScreenRect> monitors = {})
      : host({kScreen, 1, 12 * 3600, true, std::move(monitors)}) {
    system.MapFile(ArchiveNameFor(kSaverPath), archive);
  }

  DisplayPlatform View() { return {system, hive, presenter, SystemFonts(), host}; }

  HeadlessSystem system{kSaverPath};
  MemoryHive hive;
  OffscreenPresenter presenter;
  HeadlessDisplayHost host;
};

// Ticks until the presenter has one more frame than `before`.
void PresentNextFrame(TMainForm& form, Platform& platform, std::size_t before) {
  while (platform.presenter.FramesPresented() == before) {
    platform.host.Advance(TDXTimer::kDefaultInterval);
    form.PollTimers();
  }
}

void ReportPeak(benchmark::State& state, std::size_t peak) {
  state.counters["peak_bytes"] = static_cast<double>(peak);
}

void BM_StartUp(benchmark::State& state) {
  const auto archive = Products::Get().Archive(static_cast<int>(state.range(0)));
  std::size_t peak = 0;
  for (auto _ : state) {
    const std::size_t live_before = testing_support::LiveBytes();
    testing_support::ResetPeakBytes();
    {
      Platform platform(archive);
      TMainForm form(platform.View(), rmSaver);
      form.Show();
      PresentNextFrame(form, platform, 0);
      benchmark::DoNotOptimize(platform.presenter.LastFrame().Pixels().data());
      state.PauseTiming();  // storing the settings and freeing are not start-up
    }
    state.ResumeTiming();
    peak = std::max(peak, testing_support::PeakBytes() - live_before);
  }
  ReportPeak(state, peak);
}

// From the set change to its first frame presented, `change` making it.
template <typename Change>
void MeasureSetChanges(benchmark::State& state, Change change) {
  Platform platform(Products::Get().Archive(static_cast<int>(state.range(0))));
  TMainForm form(platform.View(), rmSaver);
  form.Show();
  PresentNextFrame(form, platform, 0);
  std::size_t peak = 0;
  for (auto _ : state) {
    const std::size_t live_before = testing_support::LiveBytes();
    testing_support::ResetPeakBytes();
    const std::size_t frames = platform.presenter.FramesPresented();
    change(form, platform);
    PresentNextFrame(form, platform, frames);
    peak = std::max(peak, testing_support::PeakBytes() - live_before);
  }
  ReportPeak(state, peak);
}

void BM_SetChange(benchmark::State& state) {
  MeasureSetChanges(state, [](TMainForm& form, Platform&) { form.FormKeyDown(kRightKey); });
}

// The timer changes sets every second; the next set is prepared while the
// frames before it run, which is not measured. `peak_bytes` holds the
// prepared set taken over, not its decoding.
void BM_SetChangePrepared(benchmark::State& state) {
  MeasureSetChanges(state, [&state](TMainForm& form, Platform&) {
    state.PauseTiming();
    MainFormProbe(form).WaitForPreparedSet();
    state.ResumeTiming();
    form.FireTimer(FormTimer::SetChange);
  });
}

// libjpeg alone: one background decoded to 32-bit pixels, at `eighths` / 8
// of its size.
void DecodeWithLibjpeg(benchmark::State& state, unsigned eighths) {
  const std::string& jpeg = Products::Get().Jpeg();
  for (auto _ : state) {
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(jpeg.data()), jpeg.size());
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_BGRA;
    info.scale_num = eighths;
    info.scale_denom = 8;
    jpeg_start_decompress(&info);
    std::vector<std::uint8_t> pixels(std::size_t{info.output_width} * info.output_height * 4);
    while (info.output_scanline < info.output_height) {
      JSAMPROW row = pixels.data() + std::size_t{info.output_scanline} * info.output_width * 4;
      jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    benchmark::DoNotOptimize(pixels.data());
  }
  state.counters["jpeg_bytes"] = static_cast<double>(jpeg.size());
}

void BM_DecodeFloor(benchmark::State& state) { DecodeWithLibjpeg(state, 8); }

// The floor at the size the screen shows: the 3840 x 2160 background on the
// 1920 x 1080 screen is decoded at half its size, as the display asks.
void BM_DecodeFloorShown(benchmark::State& state) {
  static_assert(kPhotoWidth == 2 * kScreen.Width && kPhotoHeight == 2 * kScreen.Height);
  DecodeWithLibjpeg(state, 4);
}

// One running frame of a product with a picture on every monitor: on the
// 1920 x 1080 monitor alone, and with a 1280 x 1024 one right of it.
void BM_FrameOnMonitors(benchmark::State& state) {
  std::vector<ScreenRect> monitors{{0, 0, kScreen.Width, kScreen.Height}};
  if (state.range(0) == 2) monitors.push_back({kScreen.Width, 0, kScreen.Width + 1280, 1024});
  Platform platform(Products::Get().Archive(1, 1), monitors);
  TMainForm form(platform.View(), rmSaver);
  form.Show();
  PresentNextFrame(form, platform, 0);
  std::int64_t copied = 0;
  for (auto _ : state) {
    PresentNextFrame(form, platform, platform.presenter.FramesPresented());
    copied += platform.presenter.PixelsCopied();
    if (const OffscreenPresenter* second = platform.host.SceneFrames(1)) copied += second->PixelsCopied();
  }
  state.counters["scenes"] = static_cast<double>(form.SceneCount());
  // What a frame puts on the screens, all scenes together.
  state.counters["pixels_presented"] = benchmark::Counter(static_cast<double>(copied), benchmark::Counter::kAvgIterations);
}

BENCHMARK(BM_FrameOnMonitors)->ArgName("monitors")->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DecodeFloor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeFloorShown)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartUp)->ArgName("sets")->Arg(1)->Arg(40)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SetChange)->ArgName("sets")->Arg(40)->Unit(benchmark::kMillisecond);
// Preparing waits a frame interval before it starts: a fixed number of
// changes keeps the run short.
BENCHMARK(BM_SetChangePrepared)->ArgName("sets")->Arg(40)->Iterations(20)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ris
