#include "shells/win32/configure_window.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/errors.h"
#include "data/product.h"
#include "dialog/configure_form.h"
#include "dialog/dialog_geometry.h"
#include "shells/win32/owned_handle.h"
#include "shells/win32/save_failures.h"
#include "shells/win32/wide_text.h"
#include "shells/win32/win32_dialog_host.h"
#include "shells/win32/win32_errors.h"
#include "shells/win32/win32_registry.h"
#include "shells/win32/win32_system.h"
#include "shells/win32/win32_window.h"
#include "shells/win32/window_handle.h"

namespace ris {
namespace {

constexpr UINT_PTR kClockTimer = 1;
constexpr UINT kClockInterval = 1000;
constexpr int kFirstControlId = 1000;

// An empty dialog template: the controls are made from the model's layout.
struct alignas(4) EmptyDialogTemplate {
  DLGTEMPLATE header;
  WORD menu = 0;
  WORD window_class = 0;
  WORD title = 0;
};

// The set list's items: 13 pixels high, a check box at the left of each.
constexpr std::int32_t kSetItemHeight = 13;
constexpr std::int32_t kSetCheckSize = 11;
constexpr std::int32_t kSetTextLeft = 15;

std::string WindowText(HWND window) {
  std::string text(static_cast<std::size_t>(GetWindowTextLengthA(window)) + 1, '\0');
  text.resize(static_cast<std::size_t>(GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

DWORD AlignStyle(TextAlign align) {
  switch (align) {
    case TextAlign::Left:
      return SS_LEFT;
    case TextAlign::Centre:
      return SS_CENTER;
    case TextAlign::Right:
      return SS_RIGHT;
    case TextAlign::CentreBoth:
      return SS_CENTER | SS_CENTERIMAGE;
  }
  return SS_LEFT;
}

// Owns the dialog when no host window does: an owned window gets no
// taskbar button, and this one is never shown.
OwnedWindow HiddenOwner() {
  return OwnedWindow(
      CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr));
}

class ConfigureWindow final : public Win32Dialog {
 public:
  ConfigureWindow(TConfigureForm& form, Win32DialogHost& host, GdiDialogMetrics& metrics, const Win32System& system)
      : form_(form), host_(host), metrics_(metrics), system_(system) {}

  void Run(HWND owner) {
    EmptyDialogTemplate empty{};
    empty.header.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    const INT_PTR result = RunModal(empty.header, owner);
    // The dialog ends only with OK or Cancel, never with 0 or -1.
    if (result <= 0) {
      throw ESaverError("The configuration dialog could not be opened (system error " +
                        std::to_string(GetLastError()) + ").");
    }
  }

 private:
  // A handler's failure is shown in the error box, and the dialog goes on.
  void OnError() noexcept override {
    try {
      ShowErrorBox(Handle(), CurrentExceptionMessage(), system_.ApplicationTitle(), system_.TextCodePage());
    } catch (...) {
      // Out of memory for the box's text: the dialog goes on without it.
    }
  }

  INT_PTR OnMessage(UINT message, WPARAM w, LPARAM l) override {
    switch (message) {
      case WM_INITDIALOG:
        OnInit();
        return FALSE;  // the focus is set
      case WM_COMMAND:
        OnCommand(LOWORD(w), HIWORD(w), reinterpret_cast<HWND>(l));
        return TRUE;
      case WM_TIMER:
        if (w == kClockTimer) OnClockTick();
        return TRUE;
      case WM_MEASUREITEM: {
        // Comes while the set list is being created, before it is known.
        auto& measure = *reinterpret_cast<MEASUREITEMSTRUCT*>(l);
        if (measure.CtlType != ODT_LISTBOX) return FALSE;
        measure.itemHeight = static_cast<UINT>(Scale(kSetItemHeight));
        return TRUE;
      }
      case WM_DRAWITEM:
        DrawOwnerDrawn(*reinterpret_cast<const DRAWITEMSTRUCT*>(l));
        return TRUE;
      case WM_CTLCOLORSTATIC:
        return ColorStatic(reinterpret_cast<HDC>(w), reinterpret_cast<HWND>(l));
      case WM_SETCURSOR:
        if (IsLink(reinterpret_cast<HWND>(w))) {
          SetCursor(LoadCursor(nullptr, IDC_HAND));
          SetWindowLongPtrA(Handle(), DWLP_MSGRESULT, TRUE);
          return TRUE;
        }
        return FALSE;
      case WM_DPICHANGED:
        OnDpiChanged(HIWORD(w), *reinterpret_cast<const RECT*>(l));
        return TRUE;
      case WM_DESTROY:
        KillTimer(Handle(), kClockTimer);
        return FALSE;
      default:
        return FALSE;
    }
  }

  void OnInit() {
    host_.SetWindow(Handle());
    SetWindowTextW(Handle(), Widen(form_.Caption, form_.TextCodePage()).c_str());
    MeasureAt(DpiOf(Handle()));
    CreateControls();
    PlaceWindow(nullptr);
    // A window timer keeps ticking while a chooser or a box is open.
    SetTimer(Handle(), kClockTimer, kClockInterval, nullptr);
  }

  // Texts are measured at the dpi the controls are drawn at.
  void MeasureAt(UINT dpi) {
    dpi_ = dpi;
    if (metrics_.Dpi() == dpi) return;
    metrics_.SetDpi(dpi);
    form_.Remeasure();
  }

  // ------------------------------------------------------------ controls

  int Scale(std::int32_t pixels) const { return MulDiv(pixels, static_cast<int>(dpi_), kDefaultDpi); }

  RECT ScaledRect(const TBounds& bounds) const {
    return {Scale(bounds.Left), Scale(bounds.Top), Scale(bounds.Right()), Scale(bounds.Bottom())};
  }

  // Every control starts a group of its own but the second and later items
  // of a radio group, so that the arrow keys stay inside each group.
  HWND Create(std::size_t placed_index, const char* window_class, DWORD style, DWORD ex_style,
              const std::string& text, TBounds bounds, int id = 0, bool starts_group = true) {
    const PlacedControl& placed = placed_[placed_index];
    const RECT rect = ScaledRect(bounds);
    if (placed.Visible) style |= WS_VISIBLE;
    if (starts_group) style |= WS_GROUP;
    if (id == 0) id = next_id_++;
    HWND control = CreateWindowExW(ex_style, Widen(window_class, kSystemCodePage).c_str(),
                                   Widen(text, form_.TextCodePage()).c_str(), WS_CHILD | style, rect.left, rect.top,
                                   rect.right - rect.left, rect.bottom - rect.top, Handle(),
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr),
                                   nullptr);
    if (control == nullptr) throw ESaverError("A control of the configuration dialog could not be created.");
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.Get(placed.Font, dpi_)), FALSE);
    placed_of_[control] = placed_index;
    if (placed.Control != nullptr) windows_[placed.Control].push_back(control);
    return control;
  }

  void CreateControls() {
    placed_ = PlaceDialog(form_, metrics_);
    next_id_ = kFirstControlId;
    for (std::size_t i = 0; i < placed_.size(); ++i) CreateControl(i);
    if (HWND ok = GetDlgItem(Handle(), IDOK)) SetFocus(ok);
  }

  void CreateControl(std::size_t index) {
    const PlacedControl& placed = placed_[index];
    switch (placed.Kind) {
      case ControlKind::Label:
      case ControlKind::LinkLabel:
        return CreateLabel(index);
      case ControlKind::Preview:
        // One control over the whole row draws the preview and its shadow:
        // neither is cut however its text grows, and neither leaves the row.
        Create(index, "STATIC", SS_OWNERDRAW, 0, "", placed.RowBounds);
        return;
      case ControlKind::GroupBox:
        Create(index, "BUTTON", BS_GROUPBOX, 0, placed.Caption, placed.Bounds);
        return;
      case ControlKind::PreviewShadow:
      case ControlKind::Panel:
      case ControlKind::ColorSwatch:
        return;
      case ControlKind::Button:
        return CreateButton(index);
      case ControlKind::CheckBox:
        SendMessageA(Create(index, "BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, 0, placed.Caption, placed.Bounds),
                     BM_SETCHECK, StateOf<TCheckBox>(form_, *placed.Control).Checked ? BST_CHECKED : BST_UNCHECKED,
                     0);
        return;
      case ControlKind::RadioGroup:
        return CreateRadioGroup(index);
      case ControlKind::NumberField:
        return CreateNumberField(index);
      case ControlKind::CheckListBox:
        return CreateSetList(index);
      case ControlKind::ColorFrame:
        Create(index, "STATIC", SS_LEFT, WS_EX_CLIENTEDGE, "", placed.Bounds);
        UpdateSwatch();
        return;
    }
  }

  void CreateLabel(std::size_t index) {
    const PlacedControl& placed = placed_[index];
    const DialogControl& line = *placed.Control;
    // Every label takes its clicks, so that one lying over a link is not
    // clicked through.
    Create(index, "STATIC", AlignStyle(line.Align) | SS_NOTIFY, line.Transparent ? WS_EX_TRANSPARENT : 0,
           placed.Caption, placed.Bounds);
  }

  void CreateButton(std::size_t index) {
    const PlacedControl& placed = placed_[index];
    const bool ok = placed.Control->Click == &TConfigureForm::btnOkClick;
    const bool cancel = placed.Control->Click == &TConfigureForm::btnCancelClick;
    const DWORD style = (ok ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | WS_TABSTOP;
    Create(index, "BUTTON", style, 0, placed.Caption, placed.Bounds, ok ? IDOK : cancel ? IDCANCEL : 0);
  }

  void CreateRadioGroup(std::size_t index) {
    const PlacedControl& placed = placed_[index];
    const TRadioGroup& group = StateOf<TRadioGroup>(form_, *placed.Control);
    HWND frame = Create(index, "BUTTON", BS_GROUPBOX, 0, "", placed.Bounds);
    windows_[placed.Control].clear();  // the radio buttons alone stand for the group
    placed_of_.erase(frame);
    // The group's font button lies over its right part: the items stop short of it.
    const PlacedControl* button = NextInRow(placed, ControlKind::Button);
    const std::int32_t right = button != nullptr ? button->Bounds.Left - 4 : placed.Bounds.Right() - 8;
    const auto count = static_cast<std::int32_t>(std::max<std::size_t>(group.Items.size(), 1));
    const std::int32_t pitch = (placed.Bounds.Height - 18) / count;
    for (std::int32_t i = 0; i < static_cast<std::int32_t>(group.Items.size()); ++i) {
      const TBounds item{placed.Bounds.Left + 8, placed.Bounds.Top + 14 + i * pitch, right - placed.Bounds.Left - 8,
                         std::min(pitch, 17)};
      const DWORD style = BS_AUTORADIOBUTTON | (i == 0 ? WS_TABSTOP : 0);
      HWND radio = Create(index, "BUTTON", style, 0, group.Items[static_cast<std::size_t>(i)], item, 0, i == 0);
      SendMessageA(radio, BM_SETCHECK, i == group.ItemIndex ? BST_CHECKED : BST_UNCHECKED, 0);
    }
  }

  void CreateNumberField(std::size_t index) {
    const PlacedControl& placed = placed_[index];
    const TNumberField& field = StateOf<TNumberField>(form_, *placed.Control);
    HWND edit = Create(index, "EDIT", ES_NUMBER | ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE,
                       std::to_string(field.Value()), placed.Bounds);
    HWND spin = CreateWindowExA(0, UPDOWN_CLASSA, "",
                                WS_CHILD | (placed.Visible ? WS_VISIBLE : 0) | UDS_SETBUDDYINT | UDS_ALIGNRIGHT |
                                    UDS_ARROWKEYS | UDS_NOTHOUSANDS,
                                0, 0, 0, 0, Handle(), nullptr, GetModuleHandleA(nullptr), nullptr);
    SendMessageA(spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit), 0);
    SendMessageA(spin, UDM_SETRANGE32, static_cast<WPARAM>(field.MinValue()), field.MaxValue());
    SendMessageA(spin, UDM_SETPOS32, 0, field.Value());
  }

  // A list box kept in the model's sorted order, each item drawn with its
  // check box; a click on the box or the space bar checks or unchecks it.
  void CreateSetList(std::size_t index) {
    HWND list = Create(index, "LISTBOX",
                       LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY | WS_VSCROLL |
                           WS_TABSTOP,
                       WS_EX_CLIENTEDGE, "", placed_[index].Bounds);
    SendMessageA(list, LB_SETITEMHEIGHT, 0, Scale(kSetItemHeight));
    for (const auto& item : form_.clbSets.Items()) {
      SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(item.Name, form_.TextCodePage()).c_str()));
    }
    SetWindowSubclass(list, &ConfigureWindow::SetListProc, 0, reinterpret_cast<DWORD_PTR>(this));
  }

  static LRESULT CALLBACK SetListProc(HWND list, UINT message, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR data) {
    auto* self = reinterpret_cast<ConfigureWindow*>(data);
    const auto handled = CallHandlerGuarded([&] { return self->OnSetListInput(list, message, w, l); },
                                            [self] { self->OnError(); }, std::optional<LRESULT>());
    return handled ? *handled : DefSubclassProc(list, message, w, l);
  }

  std::optional<LRESULT> OnSetListInput(HWND list, UINT message, WPARAM w, LPARAM l) {
    switch (message) {
      case WM_KEYDOWN:
        if (w != VK_SPACE) return std::nullopt;
        ToggleSet(list, SendMessageA(list, LB_GETCARETINDEX, 0, 0));
        return 0;
      case WM_CHAR:
        if (w != ' ') return std::nullopt;
        return 0;  // not a search for a name starting with a blank
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK: {
        const LRESULT result = DefSubclassProc(list, message, w, l);
        const LRESULT hit = SendMessageA(list, LB_ITEMFROMPOINT, 0, l);
        if (HIWORD(hit) == 0 && GET_X_LPARAM(l) < Scale(kSetTextLeft)) ToggleSet(list, LOWORD(hit));
        return result;
      }
      case WM_NCDESTROY:
        RemoveWindowSubclass(list, &ConfigureWindow::SetListProc, 0);
        return std::nullopt;
      default:
        return std::nullopt;
    }
  }

  void ToggleSet(HWND list, LRESULT index) {
    if (index < 0 || static_cast<std::size_t>(index) >= form_.clbSets.Items().size()) return;
    const auto item = static_cast<std::size_t>(index);
    form_.clbSets.SetChecked(item, !form_.clbSets.Items()[item].Checked);
    RECT rect{};
    if (SendMessageA(list, LB_GETITEMRECT, item, reinterpret_cast<LPARAM>(&rect)) != LB_ERR) {
      InvalidateRect(list, &rect, TRUE);
    }
  }

  void DestroyControls() {
    for (HWND child = GetWindow(Handle(), GW_CHILD); child != nullptr; child = GetWindow(Handle(), GW_CHILD)) {
      DestroyWindow(child);
    }
    placed_of_.clear();
    windows_.clear();
  }

  const PlacedControl* NextInRow(const PlacedControl& placed, ControlKind kind) const {
    for (const PlacedControl& other : placed_) {
      if (&other != &placed && other.Control != nullptr && other.Row == placed.Row && other.Kind == kind) {
        return &other;
      }
    }
    return nullptr;
  }

  const PlacedControl* PlacedOf(HWND control) const {
    const auto found = placed_of_.find(control);
    return found == placed_of_.end() ? nullptr : &placed_[found->second];
  }

  // ------------------------------------------------------- the model's state

  // Copies what the user did with the native controls into the model.
  void PullFromControls() {
    for (const auto& [line, windows] : windows_) {
      switch (line->Kind) {
        case ControlKind::CheckBox:
          StateOf<TCheckBox>(form_, *line).Checked = SendMessageA(windows.front(), BM_GETCHECK, 0, 0) == BST_CHECKED;
          break;
        case ControlKind::RadioGroup:
          for (std::size_t i = 0; i < windows.size(); ++i) {
            if (SendMessageA(windows[i], BM_GETCHECK, 0, 0) == BST_CHECKED) {
              StateOf<TRadioGroup>(form_, *line).ItemIndex = static_cast<std::int32_t>(i);
            }
          }
          break;
        case ControlKind::NumberField:
          ReadNumberField(*line, windows.front());
          break;
        default:
          break;  // the set list's checks are the model's already
      }
    }
  }

  // Typed text is read, brought into range and shown as the value it gave.
  void ReadNumberField(const DialogControl& line, HWND edit) {
    TNumberField& field = StateOf<TNumberField>(form_, line);
    const std::string typed = WindowText(edit);
    field.SetText(typed);
    const std::string shown = std::to_string(field.Value());
    if (typed != shown) SetWindowTextA(edit, shown.c_str());
  }

  // ------------------------------------------------------------ events

  void OnCommand(int id, int code, HWND control) {
    // Enter, Escape and the close box name the button by its id alone.
    if (control == nullptr) control = GetDlgItem(Handle(), id);
    const PlacedControl* placed = PlacedOf(control);
    if (placed == nullptr || placed->Control == nullptr) return;
    const DialogControl& line = *placed->Control;
    if (code == EN_KILLFOCUS && line.Kind == ControlKind::NumberField) return ReadNumberField(line, control);
    if (code != BN_CLICKED || line.Click == nullptr) return;  // a label's STN_CLICKED is the same code
    PullFromControls();
    (form_.*line.Click)();
    if (form_.Closed()) {
      EndDialog(Handle(), id == IDOK ? IDOK : IDCANCEL);
      return;
    }
    UpdateSwatch();
    RefreshPreviews();
  }

  void OnClockTick() {
    form_.tClockTimer(PreviewClockSender::ClockTimer);
    RefreshPreviews();
  }

  // A chosen font or a new clock text changes what the previews cover.
  void RefreshPreviews() {
    placed_ = PlaceDialog(form_, metrics_);
    for (const auto& [line, windows] : windows_) {
      if (line->Kind == ControlKind::Preview) InvalidateRect(windows.front(), nullptr, TRUE);
    }
  }

  void UpdateSwatch() {
    swatch_brush_.Reset(CreateSolidBrush(ScreenColor(form_.BackColor)));
    const auto frame = windows_.find(&ControlOf(&TConfigureForm::BackColor));
    if (frame != windows_.end()) InvalidateRect(frame->second.front(), nullptr, TRUE);
  }

  void OnDpiChanged(UINT dpi, const RECT& suggested) {
    PullFromControls();
    MeasureAt(dpi);
    DestroyControls();
    CreateControls();
    PlaceWindow(&suggested);
  }

  // ------------------------------------------------------------ drawing

  bool IsLink(HWND control) const {
    const PlacedControl* placed = PlacedOf(control);
    return placed != nullptr && placed->Kind == ControlKind::LinkLabel;
  }

  INT_PTR ColorStatic(HDC dc, HWND control) {
    const PlacedControl* placed = PlacedOf(control);
    if (placed != nullptr && placed->Kind == ControlKind::ColorFrame) return reinterpret_cast<INT_PTR>(swatch_brush_.Get());
    SetBkMode(dc, TRANSPARENT);
    if (placed != nullptr && (placed->Kind == ControlKind::Label || placed->Kind == ControlKind::LinkLabel)) {
      SetTextColor(dc, ScreenColor(placed->Font.Color));
      if (placed->Control->Transparent) return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
    }
    return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
  }

  void DrawText(HDC dc, const TFont& font, const std::string& text, TextEncoding encoding, RECT rect, UINT format) {
    SelectObject(dc, fonts_.Get(font, dpi_));
    SetTextColor(dc, ScreenColor(font.Color));
    const std::wstring wide = Widen(text, CodePageOf(encoding, form_.TextCodePage()));
    ::DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &rect, format);
  }

  void DrawOwnerDrawn(const DRAWITEMSTRUCT& item) {
    const PlacedControl* placed = PlacedOf(item.hwndItem);
    if (placed == nullptr) return;
    HDC dc = item.hDC;
    const HGDIOBJ original = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    if (placed->Kind == ControlKind::CheckListBox) {
      DrawSetItem(item, *placed);
    } else {
      DrawPreview(item, *placed);
    }
    SelectObject(dc, original);
  }

  // The preview's row: every shadow and preview label of it, in table
  // order, so the shadow lies behind.
  void DrawPreview(const DRAWITEMSTRUCT& item, const PlacedControl& preview) {
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
    const TBounds& row = preview.RowBounds;
    for (const PlacedControl& placed : placed_) {
      if (placed.Row != preview.Row || placed.Control == nullptr ||
          (placed.Kind != ControlKind::Preview && placed.Kind != ControlKind::PreviewShadow)) {
        continue;
      }
      const TLabelControl& label = StateOf<TLabelControl>(form_, *placed.Control);
      const RECT rect{Scale(placed.Bounds.Left - row.Left), Scale(placed.Bounds.Top - row.Top), item.rcItem.right,
                      item.rcItem.bottom};
      DrawText(item.hDC, label.Font, label.Caption, label.Encoding, rect, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
    }
  }

  void DrawSetItem(const DRAWITEMSTRUCT& item, const PlacedControl& list) {
    const auto& items = form_.clbSets.Items();
    if (item.itemID >= items.size()) return;
    HDC dc = item.hDC;
    RECT box = item.rcItem;
    FillRect(dc, &box, GetSysColorBrush(COLOR_WINDOW));
    const int check = Scale(kSetCheckSize);
    box.left += Scale(1);
    box.top += (box.bottom - box.top - check) / 2;
    box.right = box.left + check;
    box.bottom = box.top + check;
    DrawFrameControl(dc, &box, DFC_BUTTON,
                     DFCS_BUTTONCHECK | DFCS_FLAT | (items[item.itemID].Checked ? DFCS_CHECKED : 0));
    RECT text = item.rcItem;
    text.left += Scale(kSetTextLeft);
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    FillRect(dc, &text, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    TFont font = list.Font;
    font.Color = selected ? clHighlightText : clWindowText;
    text.left += Scale(2);
    DrawText(dc, font, items[item.itemID].Name, TextEncoding::ProductCodePage, text,
             DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if ((item.itemState & ODS_FOCUS) != 0) DrawFocusRect(dc, &item.rcItem);
  }

  // ------------------------------------------------------------ the window

  // Sizes the window to the client area the layout needs at this dpi; where
  // Windows suggests a place (the dpi changed), there, else centred on the
  // primary monitor's work area: centred on a desktop of several monitors,
  // it would straddle two of them.
  void PlaceWindow(const RECT* suggested) {
    RECT frame{0, 0, Scale(kDialogClientWidth), Scale(form_.ClientHeight)};
    AdjustForFrame(frame);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    POINT corner{};
    if (suggested != nullptr) {
      corner = {suggested->left, suggested->top};
    } else {
      MONITORINFO monitor{};
      monitor.cbSize = sizeof(monitor);
      GetMonitorInfoA(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor);
      const RECT& work = monitor.rcWork;
      corner = {work.left + (work.right - work.left - width) / 2, work.top + (work.bottom - work.top - height) / 2};
    }
    SetWindowPos(Handle(), nullptr, corner.x, corner.y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  }

  void AdjustForFrame(RECT& rect) const {
    const auto style = static_cast<DWORD>(GetWindowLongA(Handle(), GWL_STYLE));
    const auto ex_style = static_cast<DWORD>(GetWindowLongA(Handle(), GWL_EXSTYLE));
    using AdjustForDpi = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
    static const auto adjust_for_dpi = reinterpret_cast<AdjustForDpi>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "AdjustWindowRectExForDpi")));
    if (adjust_for_dpi != nullptr) {
      adjust_for_dpi(&rect, style, FALSE, ex_style, dpi_);
    } else {
      AdjustWindowRectEx(&rect, style, FALSE, ex_style);
    }
  }

  TConfigureForm& form_;
  Win32DialogHost& host_;
  GdiDialogMetrics& metrics_;
  const Win32System& system_;
  UINT dpi_ = kDefaultDpi;
  int next_id_ = kFirstControlId;
  std::vector<PlacedControl> placed_;
  std::map<HWND, std::size_t> placed_of_;                        // a control's place in placed_
  std::map<const DialogControl*, std::vector<HWND>> windows_;   // a table line's windows
  OwnedGdiObject<HBRUSH> swatch_brush_;
  GdiFontCache fonts_{DEFAULT_QUALITY};
};

}  // namespace

int RunConfigureDialog(const CommandLine& command, Win32System& system) {
  INITCOMMONCONTROLSEX common{sizeof(common), ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&common);
  // Until the archive names the product, the application is the maker's.
  system.SetApplicationTitle(std::string(kMakerWebAddress));
  Win32RegistryHive registry(system);
  Win32Shell shell(system);
  Win32DialogHost host;
  GdiDialogMetrics metrics(DpiOf(nullptr));
  const HWND given = WindowOf(command.ParentWindow);
  const HWND owner = IsWindow(given) ? given : nullptr;
  {
    TConfigureForm form({system, registry, shell, host, metrics}, command);
    ConfigureWindow window(form, host, metrics, system);
    const OwnedWindow hidden = HiddenOwner();
    window.Run(owner != nullptr ? owner : hidden.Get());
  }  // the form's destruction stores the settings
  ShowSaveFailures(host.SaveFailures(), owner, system);
  return 0;
}

}  // namespace ris
