#pragma once
// The pictures of the set the display changes to next, read and decoded
// ahead on a helper thread, so that the change itself only puts them in
// place. The helper makes new pictures only: it never touches what the
// frames draw, and what it made reaches the display on the display's own
// thread, when the display takes it.
//
//   SetPreparation preparation(archive.OwnPictureReader());
//   preparation.Prepare(next);               // returns at once
//   ... frames ...
//   PreparedSet set = preparation.Take(next);  // ready, or waited for

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "base/pixel_size.h"
#include "data/zip_file_settings.h"
#include "pictures/picture.h"

namespace ris {

// What a set change puts into the two items. Two requests with the same
// fields give the same pictures.
struct SetPictures {
  std::string Background;  // the entry; empty for none
  std::string Sprite;      // the entry; empty for none
  // The background is decoded to cover the place it takes on a client of
  // this size.
  PixelSize Client;
  bool StretchSmallImages = false;

  friend bool operator==(const SetPictures&, const SetPictures&) = default;
};

// A picture decoded as an item draws it.
struct ItemPicture {
  TPicture Picture;
  PixelSize StretchSize;  // drawn stretched to this size; empty: its own
  std::shared_ptr<const PixelImage> Pixels;
};

// Decodes the pixels that cover `stretch`; nothing when there are none.
std::optional<ItemPicture> DecodeForItem(TPicture picture, PixelSize stretch);

// The pictures of one set as far as they were prepared. A picture missing
// here was not: the set has none, or it failed, and the display reads it
// itself, meeting the failure as it always does.
struct PreparedSet {
  std::optional<ItemPicture> Background;
  std::optional<ItemPicture> Sprite;
};

class SetPreparation {
 public:
  // `read` runs on the helper thread only. The thread starts with the first
  // request.
  explicit SetPreparation(PictureReader read) : read_(std::move(read)) {}
  // Waits for the picture being decoded, if any, and ends the helper.
  ~SetPreparation();
  SetPreparation(const SetPreparation&) = delete;
  SetPreparation& operator=(const SetPreparation&) = delete;

  // Prepares these pictures next, dropping whatever else was prepared.
  // Returns at once; the helper starts on them once they were wanted for a
  // frame interval. Without a thread (none could be started) nothing is
  // ever prepared.
  void Prepare(const SetPictures& pictures);

  // The pictures when they are the ones prepared, waiting while the helper
  // is at them; nothing when the helper was busy with others. Either way
  // the preparation is over: what else was made is dropped.
  PreparedSet Take(const SetPictures& pictures);

  // Waits until the helper has nothing left to do.
  void WaitUntilIdle();

 private:
  void Run() noexcept;
  bool HasWork() const;
  PreparedSet Decode(const SetPictures& pictures) const;
  std::optional<ItemPicture> DecodeEntry(const std::string& entry, const SetPictures& pictures,
                                         bool background) const;

  PictureReader read_;
  std::mutex mutex_;
  std::condition_variable changed_;
  // Guarded by mutex_.
  std::optional<SetPictures> wanted_;
  std::optional<SetPictures> working_on_;
  std::optional<SetPictures> ready_for_;
  PreparedSet ready_;
  bool stopping_ = false;
  std::thread helper_;
};

}  // namespace ris
