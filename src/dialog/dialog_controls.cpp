#include "dialog/dialog_controls.h"

#include <algorithm>
#include <iterator>

#include "base/ascii.h"
#include "base/conversions.h"

namespace ris {

void TNumberField::SetValue(std::int64_t value) noexcept {
  value_ = static_cast<std::int32_t>(std::clamp<std::int64_t>(value, min_, max_));
}

void TNumberField::SetText(std::string_view text) noexcept {
  const auto number = TryStrToInt(text);
  SetValue(number ? *number : min_);
}

std::size_t TCheckListBox::Add(std::string name) {
  const auto place = std::upper_bound(items_.begin(), items_.end(), name,
                                      [](const std::string& added, const Item& item) {
                                        return LessFolded(added, item.Name);
                                      });
  const auto index = static_cast<std::size_t>(std::distance(items_.begin(), place));
  items_.insert(place, Item{std::move(name), false});
  return index;
}

StringList TCheckListBox::CheckedNames() const {
  StringList names;
  for (const Item& item : items_) {
    if (item.Checked) names.push_back(item.Name);
  }
  return names;
}

}  // namespace ris
