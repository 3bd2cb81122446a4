#include "dialog/dialog_layout.h"

#include <algorithm>
#include <stdexcept>

#include "data/settings_list.h"

namespace ris {
namespace {

// Inside a group box the rows start below its caption and clear its frame.
constexpr std::int32_t kGroupCaptionBand = 15;
constexpr std::int32_t kGroupSideInset = 2;

bool IsNamePrefixCharacter(char c) noexcept { return (c >= 'a' && c <= 'z') || c == '0' || c == '1'; }

}  // namespace

TDialogRow& TDialogItem::Row(DialogRow id) {
  const auto found = std::find_if(Rows.begin(), Rows.end(), [&](const TDialogRow& row) { return row.Id == id; });
  if (found == Rows.end()) throw std::out_of_range("the row is not in " + std::string(Name));
  return *found;
}

const TDialogRow& TDialogItem::Row(DialogRow id) const { return const_cast<TDialogItem&>(*this).Row(id); }

std::string_view NameSuffix(std::string_view name) noexcept {
  std::size_t prefix = 0;
  while (prefix < name.size() && IsNamePrefixCharacter(name[prefix])) ++prefix;
  return name.substr(prefix);
}

void LayoutItem(TDialogItem& item, const TSettingsList& settings) {
  item.Height = 0;
  const std::string_view section = NameSuffix(item.Name);
  for (TDialogRow& row : item.Rows) {
    row.Visible = settings.ReadBool("set" + std::string(NameSuffix(row.Name)), section);
    if (row.Visible) item.Height += row.CurrentHeight();
  }
  item.Visible = item.Height != 0;
  if (item.Visible) item.Height += kItemFrameHeight;
}

std::int32_t LayoutColumn(std::vector<TDialogItem>& items, const TSettingsList& settings) {
  std::int32_t total = 0;
  for (TDialogItem& item : items) {
    LayoutItem(item, settings);
    if (item.Visible) total += item.Height + kColumnBorder;
  }
  return total;
}

TBounds RowArea(const TDialogItem& item, std::int32_t item_width) noexcept {
  if (!item.GroupBox) return {0, 0, item_width, item.Height};
  return {kGroupSideInset, kGroupCaptionBand, item_width - 2 * kGroupSideInset, item.Height - kItemFrameHeight};
}

}  // namespace ris
