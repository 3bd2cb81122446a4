#include "shells/win32/configure_window.h"

#include <commctrl.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/errors.h"
#include "data/product.h"
#include "dialog/configure_form.h"
#include "dialog/dialog_geometry.h"
#include "shells/win32/save_failures.h"
#include "shells/win32/win32_dialog_host.h"
#include "shells/win32/win32_registry.h"
#include "shells/win32/win32_system.h"
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

std::string WindowText(HWND window) {
  std::string text(static_cast<std::size_t>(GetWindowTextLengthA(window)) + 1, '\0');
  text.resize(static_cast<std::size_t>(GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

// Forwards a handler's failure to an error box instead of letting it
// unwind through the window system.
template <typename Handler>
void Guarded(HWND window, Handler&& handler) {
  try {
    handler();
  } catch (const ESaverError& error) {
    MessageBoxA(window, error.what(), "Error", MB_OK | MB_ICONERROR);
  }
}

class ConfigureWindow {
 public:
  ConfigureWindow(TConfigureForm& form, Win32DialogHost& host, GdiDialogMetrics& metrics)
      : form_(form), host_(host), metrics_(metrics) {}
  ~ConfigureWindow() {
    if (swatch_brush_ != nullptr) DeleteObject(swatch_brush_);
  }
  ConfigureWindow(const ConfigureWindow&) = delete;
  ConfigureWindow& operator=(const ConfigureWindow&) = delete;

  void Run(HWND owner) {
    EmptyDialogTemplate empty{};
    empty.header.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    DialogBoxIndirectParamA(GetModuleHandleA(nullptr), &empty.header, owner, &ConfigureWindow::Proc,
                            reinterpret_cast<LPARAM>(this));
  }

 private:
  static INT_PTR CALLBACK Proc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_INITDIALOG) SetWindowLongPtrA(window, DWLP_USER, l);
    auto* self = reinterpret_cast<ConfigureWindow*>(GetWindowLongPtrA(window, DWLP_USER));
    if (self == nullptr) return FALSE;
    if (message == WM_INITDIALOG) self->window_ = window;
    INT_PTR result = FALSE;
    Guarded(window, [&] { result = self->Handle(message, w, l); });
    return result;
  }

  INT_PTR Handle(UINT message, WPARAM w, LPARAM l) {
    switch (message) {
      case WM_INITDIALOG:
        OnInit();
        return FALSE;  // the focus was set to the first control already
      case WM_COMMAND:
        OnCommand(LOWORD(w), HIWORD(w), reinterpret_cast<HWND>(l));
        return TRUE;
      case WM_TIMER:
        if (w == kClockTimer) OnClockTick();
        return TRUE;
      case WM_DRAWITEM:
        DrawOwnerDrawn(*reinterpret_cast<const DRAWITEMSTRUCT*>(l));
        return TRUE;
      case WM_CTLCOLORSTATIC:
        return ColorStatic(reinterpret_cast<HDC>(w), reinterpret_cast<HWND>(l));
      case WM_SETCURSOR:
        if (IsLink(reinterpret_cast<HWND>(w))) {
          SetCursor(LoadCursor(nullptr, IDC_HAND));
          SetWindowLongPtrA(window_, DWLP_MSGRESULT, TRUE);
          return TRUE;
        }
        return FALSE;
      case WM_DPICHANGED:
        OnDpiChanged(HIWORD(w), *reinterpret_cast<const RECT*>(l));
        return TRUE;
      case WM_DESTROY:
        KillTimer(window_, kClockTimer);
        return FALSE;
      default:
        return FALSE;
    }
  }

  void OnInit() {
    host_.SetWindow(window_);
    SetWindowTextA(window_, form_.Caption.c_str());
    dpi_ = DpiOf(window_);
    CreateControls();
    PlaceWindow(nullptr);
    // A window timer keeps ticking while a chooser or a box is open.
    SetTimer(window_, kClockTimer, kClockInterval, nullptr);
  }

  // ------------------------------------------------------------ controls

  int Scale(std::int32_t pixels) const { return MulDiv(pixels, static_cast<int>(dpi_), kDefaultDpi); }

  RECT ScaledRect(const TBounds& bounds) const {
    return {Scale(bounds.Left), Scale(bounds.Top), Scale(bounds.Right()), Scale(bounds.Bottom())};
  }

  HWND Create(const char* window_class, DWORD style, DWORD ex_style, const PlacedControl& placed,
              const std::string& text, TBounds bounds) {
    const RECT rect = ScaledRect(bounds);
    if (placed.Visible) style |= WS_VISIBLE;
    const int id = next_id_++;
    HWND control = CreateWindowExA(ex_style, window_class, text.c_str(), WS_CHILD | style, rect.left, rect.top,
                                   rect.right - rect.left, rect.bottom - rect.top, window_,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr),
                                   nullptr);
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.Get(placed.Font, dpi_)), FALSE);
    names_[control] = placed.Name;
    controls_[placed.Name] = control;
    return control;
  }

  void CreateControls() {
    placed_ = PlaceDialog(form_, metrics_);
    next_id_ = kFirstControlId;
    for (const PlacedControl& placed : placed_) CreateControl(placed);
  }

  void CreateControl(const PlacedControl& placed) {
    const std::string& name = placed.Name;
    switch (placed.Kind) {
      case ControlKind::Label:
        if (name == "lVersion" || name.ends_with("Shadow")) return;  // drawn with the title, the preview
        if (name == "lClock" || name == "lFilename") return CreatePreview(placed);
        Create("STATIC", placed.Centred ? SS_CENTER : SS_LEFT, 0, placed, placed.Caption, placed.Bounds);
        return;
      case ControlKind::LinkLabel: {
        const DWORD style = name == "lTitle" ? SS_OWNERDRAW : SS_CENTER;
        Create("STATIC", style | SS_NOTIFY, 0, placed, placed.Caption, placed.Bounds);
        return;
      }
      case ControlKind::GroupBox:
        Create("BUTTON", BS_GROUPBOX, 0, placed, placed.Caption, placed.Bounds);
        return;
      case ControlKind::Panel:
      case ControlKind::ColorSwatch:
        return;
      case ControlKind::Button:
        return CreateButton(placed);
      case ControlKind::CheckBox:
        SendMessageA(Create("BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, 0, placed, placed.Caption, placed.Bounds),
                     BM_SETCHECK, CheckBoxNamed(name).Checked ? BST_CHECKED : BST_UNCHECKED, 0);
        return;
      case ControlKind::RadioGroup:
        return CreateRadioGroup(placed);
      case ControlKind::NumberField:
        return CreateNumberField(placed);
      case ControlKind::CheckListBox:
        return CreateSetList(placed);
      case ControlKind::ColorFrame:
        Create("STATIC", SS_LEFT, WS_EX_CLIENTEDGE, placed, "", placed.Bounds);
        UpdateSwatch();
        return;
    }
  }

  void CreateButton(const PlacedControl& placed) {
    DWORD style = BS_PUSHBUTTON | WS_TABSTOP;
    if (placed.Name == "btnOk") style = BS_DEFPUSHBUTTON | WS_TABSTOP;
    HWND button = Create("BUTTON", style, 0, placed, placed.Caption, placed.Bounds);
    if (placed.Name == "btnOk") SetWindowLongPtrA(button, GWLP_ID, IDOK);
    if (placed.Name == "btnCancel") SetWindowLongPtrA(button, GWLP_ID, IDCANCEL);
  }

  // The preview label and its shadow, one pixel right and down, in one
  // control that draws both.
  void CreatePreview(const PlacedControl& placed) {
    TBounds bounds = placed.Bounds;
    bounds.Width += 1;
    bounds.Height += 1;
    Create("STATIC", SS_OWNERDRAW, 0, placed, "", bounds);
  }

  void CreateRadioGroup(const PlacedControl& placed) {
    Create("BUTTON", BS_GROUPBOX, 0, placed, "", placed.Bounds);
    const TRadioGroup& group = RadioGroupNamed(placed.Name);
    // The group's font button lies over its right part: the items stop short of it.
    const PlacedControl* button = NextInRow(placed, ControlKind::Button);
    const std::int32_t right = button != nullptr ? button->Bounds.Left - 4 : placed.Bounds.Right() - 8;
    const auto count = static_cast<std::int32_t>(std::max<std::size_t>(group.Items.size(), 1));
    const std::int32_t pitch = (placed.Bounds.Height - 18) / count;
    auto& buttons = radio_buttons_[placed.Name];
    buttons.clear();
    for (std::int32_t i = 0; i < static_cast<std::int32_t>(group.Items.size()); ++i) {
      const TBounds item{placed.Bounds.Left + 8, placed.Bounds.Top + 14 + i * pitch, right - placed.Bounds.Left - 8,
                         std::min(pitch, 17)};
      const DWORD style = BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP | WS_TABSTOP : 0);
      HWND radio = Create("BUTTON", style, 0, placed, group.Items[static_cast<std::size_t>(i)], item);
      SendMessageA(radio, BM_SETCHECK, i == group.ItemIndex ? BST_CHECKED : BST_UNCHECKED, 0);
      buttons.push_back(radio);
    }
    controls_[placed.Name] = buttons.empty() ? nullptr : buttons.front();
  }

  void CreateNumberField(const PlacedControl& placed) {
    const TNumberField& field = NumberFieldNamed(placed.Name);
    HWND edit = Create("EDIT", ES_NUMBER | ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP, WS_EX_CLIENTEDGE, placed,
                       std::to_string(field.Value()), placed.Bounds);
    HWND spin = CreateWindowExA(0, UPDOWN_CLASSA, "",
                                WS_CHILD | (placed.Visible ? WS_VISIBLE : 0) | UDS_SETBUDDYINT | UDS_ALIGNRIGHT |
                                    UDS_ARROWKEYS | UDS_NOTHOUSANDS,
                                0, 0, 0, 0, window_, nullptr, GetModuleHandleA(nullptr), nullptr);
    SendMessageA(spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit), 0);
    SendMessageA(spin, UDM_SETRANGE32, static_cast<WPARAM>(field.MinValue()), field.MaxValue());
    SendMessageA(spin, UDM_SETPOS32, 0, field.Value());
  }

  void CreateSetList(const PlacedControl& placed) {
    HWND list = Create(WC_LISTVIEWA, LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_TABSTOP,
                       WS_EX_CLIENTEDGE, placed, "", placed.Bounds);
    ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES);
    RECT client;
    GetClientRect(list, &client);
    LVCOLUMNA column{};
    column.mask = LVCF_WIDTH;
    column.cx = client.right - GetSystemMetrics(SM_CXVSCROLL);
    SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
    const auto& items = form_.clbSets.Items();
    for (std::size_t i = 0; i < items.size(); ++i) {
      LVITEMA item{};
      item.mask = LVIF_TEXT;
      item.iItem = static_cast<int>(i);
      item.pszText = const_cast<char*>(items[i].Name.c_str());
      SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
      ListView_SetCheckState(list, static_cast<int>(i), items[i].Checked ? TRUE : FALSE);
    }
    if (!items.empty()) ListView_SetItemState(list, 0, LVIS_FOCUSED, LVIS_FOCUSED);
  }

  void DestroyControls() {
    for (HWND child = GetWindow(window_, GW_CHILD); child != nullptr; child = GetWindow(window_, GW_CHILD)) {
      DestroyWindow(child);
    }
    controls_.clear();
    names_.clear();
    radio_buttons_.clear();
  }

  const PlacedControl* NextInRow(const PlacedControl& placed, ControlKind kind) const {
    for (const PlacedControl& other : placed_) {
      if (&other != &placed && other.Row == placed.Row && other.Kind == kind) return &other;
    }
    return nullptr;
  }

  // ------------------------------------------------------- the model's state

  TCheckBox& CheckBoxNamed(const std::string& name) {
    if (name == "cbShowBackground") return form_.cbShowBackground;
    if (name == "cbFixedSpeed") return form_.cbFixedSpeed;
    return form_.cbBounce;
  }

  TRadioGroup& RadioGroupNamed(const std::string& name) {
    return name == "rgClockSettings" ? form_.rgClockSettings : form_.rgFilenameSettings;
  }

  TNumberField& NumberFieldNamed(const std::string& name) {
    if (name == "seSpeed") return form_.seSpeed;
    if (name == "spNrImages") return form_.spNrImages;
    return form_.seSetTime;
  }

  HWND Control(const std::string& name) const {
    const auto found = controls_.find(name);
    return found == controls_.end() ? nullptr : found->second;
  }

  // Copies what the user did with the native controls into the model.
  void PullFromControls() {
    for (const char* name : {"cbShowBackground", "cbFixedSpeed", "cbBounce"}) {
      if (HWND box = Control(name)) CheckBoxNamed(name).Checked = SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    for (auto& [name, buttons] : radio_buttons_) {
      for (std::size_t i = 0; i < buttons.size(); ++i) {
        if (SendMessageA(buttons[i], BM_GETCHECK, 0, 0) == BST_CHECKED) {
          RadioGroupNamed(name).ItemIndex = static_cast<std::int32_t>(i);
        }
      }
    }
    for (const char* name : {"seSpeed", "spNrImages", "seSetTime"}) ReadNumberField(name);
    if (HWND list = Control("clbSets")) {
      for (std::size_t i = 0; i < form_.clbSets.Items().size(); ++i) {
        form_.clbSets.SetChecked(i, ListView_GetCheckState(list, static_cast<int>(i)) != 0);
      }
    }
  }

  // Typed text is read, brought into range and shown as the value it gave.
  void ReadNumberField(const std::string& name) {
    HWND edit = Control(name);
    if (edit == nullptr) return;
    TNumberField& field = NumberFieldNamed(name);
    field.SetText(WindowText(edit));
    const std::string shown = std::to_string(field.Value());
    if (WindowText(edit) != shown) SetWindowTextA(edit, shown.c_str());
  }

  // ------------------------------------------------------------ events

  void OnCommand(int id, int code, HWND control) {
    if (id == IDOK) {
      PullFromControls();
      form_.btnOkClick();
      EndDialog(window_, IDOK);
      return;
    }
    if (id == IDCANCEL) {
      form_.btnCancelClick();
      EndDialog(window_, IDCANCEL);
      return;
    }
    const auto named = names_.find(control);
    if (named == names_.end()) return;
    const std::string& name = named->second;
    if (code == EN_KILLFOCUS) return ReadNumberField(name);
    if (code != BN_CLICKED && code != STN_CLICKED) return;
    if (name == "btnSetBackgroundColor") {
      form_.btnSetBackgroundColorClick();
      UpdateSwatch();
    } else if (name == "btnSetClockFont") {
      form_.btnSetClockFontClick();
      RefreshPreviews();
    } else if (name == "btnSetFilenameFont") {
      form_.btnSetFilenameFontClick();
      RefreshPreviews();
    } else if (name == "lTitle") {
      form_.lTitleClick();
    } else if (name == "lMoreInfoURL") {
      form_.lMoreInfoURLClick();
    } else if (name == "lCopyrightURL") {
      form_.lCopyrightURLClick();
    }
  }

  void OnClockTick() {
    form_.tClockTimer(PreviewClockSender::ClockTimer);
    if (HWND clock = Control("lClock")) InvalidateRect(clock, nullptr, TRUE);
  }

  // A chosen font changes the preview's size as well as its look.
  void RefreshPreviews() {
    placed_ = PlaceDialog(form_, metrics_);
    for (const char* name : {"lClock", "lFilename"}) {
      HWND preview = Control(name);
      const PlacedControl* placed = FindPlaced(placed_, name);
      if (preview == nullptr || placed == nullptr) continue;
      TBounds bounds = placed->Bounds;
      bounds.Width += 1;
      bounds.Height += 1;
      const RECT rect = ScaledRect(bounds);
      SetWindowPos(preview, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      InvalidateRect(preview, nullptr, TRUE);
    }
  }

  void UpdateSwatch() {
    if (swatch_brush_ != nullptr) DeleteObject(swatch_brush_);
    swatch_brush_ = CreateSolidBrush(ScreenColor(form_.BackColor));
    if (HWND frame = Control("pBackColorFrame")) InvalidateRect(frame, nullptr, TRUE);
  }

  void OnDpiChanged(UINT dpi, const RECT& suggested) {
    PullFromControls();
    dpi_ = dpi;
    DestroyControls();
    CreateControls();
    PlaceWindow(&suggested);
  }

  // ------------------------------------------------------------ drawing

  bool IsLink(HWND control) const {
    const auto named = names_.find(control);
    if (named == names_.end()) return false;
    const PlacedControl* placed = FindPlaced(placed_, named->second);
    return placed != nullptr && placed->Kind == ControlKind::LinkLabel;
  }

  INT_PTR ColorStatic(HDC dc, HWND control) {
    const auto named = names_.find(control);
    const PlacedControl* placed = named == names_.end() ? nullptr : FindPlaced(placed_, named->second);
    if (placed != nullptr && placed->Kind == ControlKind::ColorFrame) {
      return reinterpret_cast<INT_PTR>(swatch_brush_);
    }
    SetBkMode(dc, TRANSPARENT);
    if (placed != nullptr && (placed->Kind == ControlKind::Label || placed->Kind == ControlKind::LinkLabel)) {
      SetTextColor(dc, ScreenColor(placed->Font.Color));
    }
    return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
  }

  void DrawText(HDC dc, const TFont& font, const std::string& text, RECT rect, UINT format) {
    SelectObject(dc, fonts_.Get(font, dpi_));
    SetTextColor(dc, ScreenColor(font.Color));
    ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &rect, format);
  }

  void DrawOwnerDrawn(const DRAWITEMSTRUCT& item) {
    const auto named = names_.find(item.hwndItem);
    if (named == names_.end()) return;
    HDC dc = item.hDC;
    FillRect(dc, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
    SetBkMode(dc, TRANSPARENT);
    const HGDIOBJ original = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    if (named->second == "lTitle") {
      DrawText(dc, form_.lTitle.Font, form_.lTitle.Caption, item.rcItem, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
      if (const PlacedControl* version = FindPlaced(placed_, "lVersion")) {
        DrawText(dc, form_.lVersion.Font, form_.lVersion.Caption, ScaledRect(version->Bounds),
                 DT_RIGHT | DT_SINGLELINE | DT_NOPREFIX);
      }
    } else {
      const bool clock = named->second == "lClock";
      const TLabelControl& label = clock ? form_.lClock : form_.lFilename;
      const TLabelControl& shadow = clock ? form_.lClockShadow : form_.lFilenameShadow;
      RECT shadow_rect = item.rcItem;
      OffsetRect(&shadow_rect, 1, 1);
      DrawText(dc, shadow.Font, shadow.Caption, shadow_rect, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
      DrawText(dc, label.Font, label.Caption, item.rcItem, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
    }
    SelectObject(dc, original);
  }

  // ------------------------------------------------------------ the window

  // Sizes the window to the client area the layout needs at this dpi; where
  // Windows suggests a place (the dpi changed), there, else centred on the
  // monitor's work area.
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
      GetMonitorInfoA(MonitorFromWindow(window_, MONITOR_DEFAULTTOPRIMARY), &monitor);
      const RECT& work = monitor.rcWork;
      corner = {work.left + (work.right - work.left - width) / 2, work.top + (work.bottom - work.top - height) / 2};
    }
    SetWindowPos(window_, nullptr, corner.x, corner.y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  }

  void AdjustForFrame(RECT& rect) const {
    const auto style = static_cast<DWORD>(GetWindowLongA(window_, GWL_STYLE));
    const auto ex_style = static_cast<DWORD>(GetWindowLongA(window_, GWL_EXSTYLE));
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
  HWND window_ = nullptr;
  UINT dpi_ = kDefaultDpi;
  int next_id_ = kFirstControlId;
  std::vector<PlacedControl> placed_;
  std::map<std::string, HWND> controls_;
  std::map<HWND, std::string> names_;
  std::map<std::string, std::vector<HWND>> radio_buttons_;
  HBRUSH swatch_brush_ = nullptr;
  GdiFontCache fonts_{DEFAULT_QUALITY};
};

}  // namespace

int RunConfigureDialog(const CommandLine& command) {
  INITCOMMONCONTROLSEX common{sizeof(common), ICC_UPDOWN_CLASS | ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&common);
  Win32System system;
  // Until the archive names the product, the application is the maker's.
  system.SetApplicationTitle(std::string(kMakerWebAddress));
  Win32RegistryHive registry;
  Win32Shell shell;
  Win32DialogHost host;
  GdiDialogMetrics metrics(DpiOf(nullptr));
  HWND owner = WindowOf(command.ParentWindow);
  {
    TConfigureForm form({system, registry, shell, host, metrics}, command);
    ConfigureWindow window(form, host, metrics);
    window.Run(IsWindow(owner) ? owner : nullptr);
  }  // the form's destruction stores the settings
  ShowSaveFailures(host.SaveFailures(), IsWindow(owner) ? owner : nullptr, system.ApplicationTitle());
  return 0;
}

}  // namespace ris
