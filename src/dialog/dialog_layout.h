#pragma once
// The dialog's two columns of items (group boxes or plain panels), each a
// stack of rows that the product's settings text shows or hides, and the
// place of every control once the rows are decided. All in pixels at 96
// dots per inch.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "dialog/dialog_controls.h"

namespace ris {

class TSettingsList;

inline constexpr std::int32_t kDialogClientWidth = 470;
inline constexpr std::int32_t kLeftColumnWidth = 240;
inline constexpr std::int32_t kColumnBorder = 5;
inline constexpr std::int32_t kButtonPanelHeight = 29;
inline constexpr std::int32_t kCopyrightHeight = 13;
// What a shown item adds to its rows: a group's caption band and frame.
inline constexpr std::int32_t kItemFrameHeight = 25;

// The items of the two columns, left column first, each top to bottom.
enum class DialogItemId : std::uint8_t { gbGeneral, gbFilenameSettings, gbClockSettings, gbBounce, pGeneral, gbSets };

// Where a control lies: a band of the header or footer, over the whole
// width and always shown, or a row of an item.
enum class DialogRow : std::uint8_t {
  TitleBand,
  DisclaimerBand,
  ButtonBand,
  CopyrightURLBand,
  CopyrightBand,
  pBackgroundColor,
  pShowBackground,
  pFilename,
  pFilenameFont,
  pClock,
  pClockFont,
  pSpeed,
  pFixedSpeed,
  pNrImages,
  pBounceImages,
  lMoreInfo,
  lMoreInfoURL,
  lShortcutkeys,
  pSetTime,
  clbSets,
};

struct TDialogRow {
  DialogRow Id = DialogRow::TitleBand;
  std::string_view Name;
  std::int32_t Height = 0;
  // A row that is a label is as high as the label.
  const TLabelControl* Label = nullptr;
  bool Visible = true;

  std::int32_t CurrentHeight() const noexcept { return Label != nullptr ? Label->Height : Height; }
};

struct TDialogItem {
  DialogItemId Id = DialogItemId::gbGeneral;
  std::string_view Name;
  std::string Caption;
  bool GroupBox = true;
  std::vector<TDialogRow> Rows;
  std::int32_t Height = 0;
  bool Visible = true;

  TDialogRow& Row(DialogRow id);
  const TDialogRow& Row(DialogRow id) const;
};

// A component name without its lower-case prefix: the leading run of 'a'..'z',
// '0' and '1' ("gbBounce" gives "Bounce", "clbSets" gives "Sets").
std::string_view NameSuffix(std::string_view name) noexcept;

// Shows each row whose flag "set" + the row's suffix is true in the section
// named by the item's suffix, and sizes the item to its shown rows; an item
// without any is hidden.
void LayoutItem(TDialogItem& item, const TSettingsList& settings);

// Lays out a column's items and answers its height: each shown item with
// the 5 pixels after it.
std::int32_t LayoutColumn(std::vector<TDialogItem>& items, const TSettingsList& settings);

// Where a control lies in the dialog's client area.
struct TBounds {
  std::int32_t Left = 0;
  std::int32_t Top = 0;
  std::int32_t Width = 0;
  std::int32_t Height = 0;

  std::int32_t Right() const noexcept { return Left + Width; }
  std::int32_t Bottom() const noexcept { return Top + Height; }
  friend bool operator==(const TBounds&, const TBounds&) = default;
};

// The top-left corner of an item's first row inside the item.
TBounds RowArea(const TDialogItem& item, std::int32_t item_width) noexcept;

}  // namespace ris
