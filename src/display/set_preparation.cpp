#include "display/set_preparation.h"

#include <chrono>
#include <system_error>
#include <utility>

#include "display/background_layout.h"

namespace ris {
namespace {

// A frame interval; far shorter than the shortest time between timed set
// changes, a second.
constexpr std::chrono::milliseconds kSettleTime{250};

}  // namespace

std::optional<ItemPicture> DecodeForItem(TPicture picture, PixelSize stretch) {
  auto pixels = picture.SharedPixels(stretch);
  if (!pixels || (*pixels)->Pixels.empty()) return std::nullopt;
  return ItemPicture{std::move(picture), stretch, *std::move(pixels)};
}

SetPreparation::~SetPreparation() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  if (helper_.joinable()) helper_.join();
}

void SetPreparation::Prepare(const SetPictures& pictures) {
  {
    const std::lock_guard lock(mutex_);
    if (wanted_ == pictures) return;
    wanted_ = pictures;
    if (ready_for_ != pictures) {
      ready_for_.reset();
      ready_ = {};
    }
  }
  if (!helper_.joinable() && read_) {
    try {
      helper_ = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
      // No thread: every set is read when it is shown, as without preparing.
    }
  }
  changed_.notify_all();
}

PreparedSet SetPreparation::Take(const SetPictures& pictures) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return working_on_ != pictures; });
  PreparedSet taken = std::exchange(ready_, {});
  if (ready_for_ != pictures) taken = {};
  ready_for_.reset();
  wanted_.reset();
  return taken;
}

void SetPreparation::WaitUntilIdle() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return !working_on_ && !HasWork(); });
}

bool SetPreparation::HasWork() const { return wanted_ && wanted_ != ready_for_; }

void SetPreparation::Run() noexcept {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [&] { return stopping_ || HasWork(); });
    if (stopping_) return;
    const SetPictures pictures = *wanted_;
    // Only a request that stands for a moment is worked on: the frame after
    // a set change goes first, and a run of keys decodes nothing in vain.
    if (changed_.wait_for(lock, kSettleTime, [&] { return stopping_ || wanted_ != pictures; })) continue;
    working_on_ = pictures;
    lock.unlock();
    PreparedSet prepared = Decode(pictures);
    lock.lock();
    working_on_.reset();
    // Kept for the display while it still wants them; otherwise dropped.
    if (wanted_ == pictures) {
      ready_for_ = pictures;
      ready_ = std::move(prepared);
    }
    changed_.notify_all();
  }
}

PreparedSet SetPreparation::Decode(const SetPictures& pictures) const {
  return {DecodeEntry(pictures.Background, pictures, true), DecodeEntry(pictures.Sprite, pictures, false)};
}

// Any failure, an exception too, is left for the display to meet itself.
std::optional<ItemPicture> SetPreparation::DecodeEntry(const std::string& entry, const SetPictures& pictures,
                                                       bool background) const {
  if (entry.empty()) return std::nullopt;
  try {
    auto picture = read_(entry);
    if (!picture) return std::nullopt;
    const PixelSize stretch =
        background ? BackgroundStretchSize(pictures.Client, {picture->Width(), picture->Height()},
                                           pictures.StretchSmallImages)
                   : PixelSize{};
    return DecodeForItem(*std::move(picture), stretch);
  } catch (...) {
    return std::nullopt;
  }
}

}  // namespace ris
