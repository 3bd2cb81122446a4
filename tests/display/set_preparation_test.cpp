#include "display/set_preparation.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <thread>

#include "pictures/file_format_list.h"

namespace ris {
namespace {

// A grey picture of the given size, as a binary portable pixmap.
std::optional<TPicture> GreyPicture(int width, int height) {
  std::string bytes = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
  bytes.append(static_cast<std::size_t>(width * height * 3), '\x80');
  TPicture picture;
  if (!StandardFormatList().LoadPictureFromStream(picture, AsBytes(bytes), "grey.ppm")) return std::nullopt;
  return picture;
}

std::size_t ThreadCount() {
  const std::filesystem::directory_iterator tasks("/proc/self/task");
  return static_cast<std::size_t>(std::distance(begin(tasks), end(tasks)));
}

const SetPictures kPictures{"backgrounds\\a.ppm", "icons\\a.ppm", {40, 30}, true};

// The helper reads both pictures, off the caller's thread; the background
// comes stretched to the client as the display would decode it itself.
TEST(SetPreparation, PreparesBothPicturesOffTheCallersThread) {
  std::atomic<int> reads_here = 0;
  const auto caller = std::this_thread::get_id();
  SetPreparation preparation([&](const std::string& entry) {
    if (std::this_thread::get_id() == caller) ++reads_here;
    return entry.starts_with("icons") ? GreyPicture(4, 4) : GreyPicture(20, 10);
  });
  preparation.Prepare(kPictures);
  preparation.WaitUntilIdle();
  const PreparedSet prepared = preparation.Take(kPictures);
  EXPECT_EQ(reads_here, 0);
  ASSERT_TRUE(prepared.Background && prepared.Sprite);
  EXPECT_EQ(prepared.Background->StretchSize, (PixelSize{40, 20}));
  EXPECT_EQ(prepared.Sprite->StretchSize, PixelSize{});
  EXPECT_EQ(prepared.Sprite->Pixels->Width, 4);
}

// A picture the reader cannot give, even by throwing, is not prepared; nor
// is anything once other pictures were taken.
TEST(SetPreparation, UnreadableOrOtherPicturesAreNotPrepared) {
  SetPreparation preparation([](const std::string& entry) -> std::optional<TPicture> {
    if (entry.starts_with("icons")) throw std::runtime_error("broken");
    return GreyPicture(20, 10);
  });
  preparation.Prepare(kPictures);
  preparation.WaitUntilIdle();
  const PreparedSet prepared = preparation.Take(kPictures);
  EXPECT_TRUE(prepared.Background);
  EXPECT_FALSE(prepared.Sprite);

  preparation.Prepare(kPictures);
  preparation.WaitUntilIdle();
  SetPictures other = kPictures;
  other.Client = {80, 60};
  EXPECT_FALSE(preparation.Take(other).Background);
  EXPECT_FALSE(preparation.Take(kPictures).Background);
}

// Closing while a picture is being read waits for it and leaves no thread.
TEST(SetPreparation, EndingDuringAReadLeavesNoThread) {
  const std::size_t before = ThreadCount();
  std::atomic<bool> reading = false;
  std::atomic<bool> read_done = false;
  {
    SetPreparation preparation([&](const std::string&) {
      reading = true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      read_done = true;
      return GreyPicture(2, 2);
    });
    preparation.Prepare(kPictures);
    while (!reading) std::this_thread::yield();
  }
  EXPECT_TRUE(read_done);
  EXPECT_EQ(ThreadCount(), before);
}

}  // namespace
}  // namespace ris
