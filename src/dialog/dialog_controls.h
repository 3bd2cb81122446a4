#pragma once
// The state of the configuration dialog's controls, without windows: what a
// control shows and holds. The shell creates a native control for each and
// keeps the two in step.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/code_page.h"
#include "data/text_helpers.h"
#include "surface/font.h"

namespace ris {

// A static text. An auto-sized label is as high as its font's line, a
// word-wrapped one as high as its text needs at its width; any other keeps
// the height it was given.
struct TLabelControl {
  std::string Caption;
  TFont Font;
  std::int32_t Width = 0;  // the width its text is fitted or wrapped to
  std::int32_t Height = 0;
  bool WordWrap = false;
  bool AutoSize = true;
  // The clock's preview shows the system's text: the time of day.
  TextEncoding Encoding = TextEncoding::ProductCodePage;
};

struct TButtonControl {
  std::string Caption;
};

struct TCheckBox {
  std::string Caption;
  bool Checked = false;
};

struct TRadioGroup {
  std::string Caption;
  StringList Items;
  std::int32_t ItemIndex = -1;
};

// An integer field with up and down buttons. Every value put into it is
// brought into its range first; typed text that is no number reads as the
// minimum.
class TNumberField {
 public:
  TNumberField(std::int32_t min_value, std::int32_t max_value) noexcept
      : min_(min_value), max_(max_value), value_(min_value) {}

  std::int32_t MinValue() const noexcept { return min_; }
  std::int32_t MaxValue() const noexcept { return max_; }
  std::int32_t Value() const noexcept { return value_; }
  void SetValue(std::int64_t value) noexcept;
  // What the user typed, read when the field loses the focus or the dialog
  // is accepted.
  void SetText(std::string_view text) noexcept;

 private:
  std::int32_t min_;
  std::int32_t max_;
  std::int32_t value_;
};

// A list of names with a check box each, kept sorted as names are added.
class TCheckListBox {
 public:
  struct Item {
    std::string Name;
    bool Checked = false;
  };

  // Puts the name in its sorted place (letter case ignored, equal names in
  // the order they came) and answers that place.
  std::size_t Add(std::string name);
  void SetChecked(std::size_t index, bool checked) { items_.at(index).Checked = checked; }
  const std::vector<Item>& Items() const noexcept { return items_; }
  // The names of the checked items, in list order.
  StringList CheckedNames() const;

 private:
  std::vector<Item> items_;
};

}  // namespace ris
