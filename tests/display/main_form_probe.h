#pragma once
// What the display form's tests look at beyond what a shell may touch: the
// handlers' state and the two that no shell calls directly.

#include <cstdint>
#include <string>
#include <vector>

#include "display/main_form.h"

namespace ris {

class MainFormProbe {
 public:
  explicit MainFormProbe(TMainForm& form) noexcept : form_(form) {}

  TZipFileSettings* Archive() const noexcept { return form_.archive_.get(); }
  TSettings* Settings() const noexcept { return form_.settings_.get(); }
  const std::vector<TBouncingImage>& Images(std::size_t scene = 0) const noexcept {
    return form_.scenes_.at(scene)->Images;
  }
  std::uint32_t RunningSeconds() const noexcept { return form_.running_seconds_; }
  const std::string& ClockText() const noexcept { return form_.clock_text_; }
  std::int32_t SpriteItem() const noexcept { return form_.sprite_item_; }
  TDXImageList& ImageList() const noexcept { return form_.DXImageList; }
  bool AskingPassword() const noexcept { return form_.asking_password_; }

  void LoadSetImages() const { form_.LoadSetImages(); }
  // Waits until the timer's next set is prepared; at once when nothing is.
  void WaitForPreparedSet() const {
    if (form_.preparation_) form_.preparation_->WaitUntilIdle();
  }
  bool PreparesSets() const noexcept { return form_.preparation_ != nullptr; }
  void Click() const { form_.DXDrawClick(); }

 private:
  TMainForm& form_;
};

}  // namespace ris
