// A modal window of native controls over a controller's control table.
#include "frontend/win32/dialog_window.h"

#include <map>
#include <string>
#include <vector>

#include "frontend/win32/gdi_canvas.h"
#include "frontend/win32/gdi_font.h"
#include "frontend/win32/win32_api.h"
#include "platform/fence.h"

namespace frontend::win32 {

namespace {

using settings::TControl;
using settings::TControlKind;

constexpr int FirstId = 100;
constexpr DWORD DialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD DialogExStyle = WS_EX_DLGMODALFRAME;

// One native window per control; a spin box has its arrows beside the field.
struct TNative {
  const TControl* Control;
  HWND Window = nullptr;
  HWND Arrows = nullptr;
  std::vector<std::u16string> ShownItems;
  HBRUSH Swatch = nullptr;
  COLORREF SwatchColor = CLR_INVALID;
};

class TDialog {
 public:
  TDialog(settings::TDialogController& controller, platform::IDialogs& dialogs) : FController(controller), FDialogs(dialogs) {}
  ~TDialog() {
    for (TNative& native : FNatives)
      if (native.Swatch) DeleteObject(native.Swatch);
  }

  void Run(HWND owner, const settings::TScreenRect& bounds);

 private:
  settings::TDialogController& FController;
  platform::IDialogs& FDialogs;
  HWND FWindow = nullptr;
  std::vector<TNative> FNatives;
  bool FRefreshing = false;
  bool FClosed = false;

  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK SpinProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self);
  LRESULT Message(UINT message, WPARAM wParam, LPARAM lParam);
  void CreateControls();
  void Refresh();
  // Runs a controller action behind the fence, then shows the table again.
  void Act(const std::function<void()>& action);
  TNative* ById(int id) {
    int index = id - FirstId;
    return index >= 0 && index < static_cast<int>(FNatives.size()) ? &FNatives[index] : nullptr;
  }
  // The control named by the controller, else the last one.
  HWND FirstFocus() const {
    for (const TNative& native : FNatives)
      if (native.Control->Name == FController.FocusedControl) return native.Window;
    return FNatives.empty() ? nullptr : FNatives.back().Window;
  }
  static std::u16string WindowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return FromWide(text.c_str());
  }
  TNative* ByArrows(HWND arrows) {
    for (TNative& native : FNatives)
      if (native.Arrows == arrows) return &native;
    return nullptr;
  }
};

void TDialog::Act(const std::function<void()>& action) {
  platform::ReportingFence(action, &FDialogs);
  Refresh();
}

void TDialog::Run(HWND owner, const settings::TScreenRect& bounds) {
  WNDCLASSEXW existing{sizeof existing};
  if (!GetClassInfoExW(ThisModule(), DialogClassName, &existing)) {
    WNDCLASSEXW dialogClass{sizeof dialogClass};
    dialogClass.lpfnWndProc = Proc;
    dialogClass.hInstance = ThisModule();
    dialogClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    dialogClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    dialogClass.lpszClassName = DialogClassName;
    RegisterClassExW(&dialogClass);
  }
  INITCOMMONCONTROLSEX common{sizeof common, ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&common);
  RECT frame{0, 0, bounds.Width, bounds.Height};
  AdjustWindowRectEx(&frame, DialogStyle, FALSE, DialogExStyle);
  FWindow = CreateWindowExW(DialogExStyle, DialogClassName, Wide(FController.Caption), DialogStyle,
                            bounds.Left + frame.left, bounds.Top + frame.top, frame.right - frame.left,
                            frame.bottom - frame.top, owner, nullptr, ThisModule(), this);
  if (FWindow == nullptr) return;
  CreateControls();
  Refresh();
  if (owner) EnableWindow(owner, FALSE);
  ShowWindow(FWindow, SW_SHOW);
  SetFocus(FirstFocus());
  FController.OnCloseRequest = [this] { FClosed = true; };
  MSG message;
  while (!FClosed && GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (message.message == WM_KEYDOWN && (message.wParam == VK_RETURN || message.wParam == VK_ESCAPE) &&
        (message.hwnd == FWindow || IsChild(FWindow, message.hwnd))) {
      bool taken = false;
      Act([&] { taken = FController.KeyDown(static_cast<std::uint16_t>(message.wParam)); });
      if (taken) continue;
    }
    if (IsDialogMessageW(FWindow, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  FController.OnCloseRequest = nullptr;
  if (owner) EnableWindow(owner, TRUE);
  DestroyWindow(FWindow);
  FWindow = nullptr;
  if (owner) SetActiveWindow(owner);
}

void TDialog::CreateControls() {
  const auto& controls = FController.Controls.All();
  FNatives.reserve(controls.size());
  const settings::TFormLook& look = FController.Look;
  for (const TControl& control : controls) {
    TNative native{&control};
    const wchar_t* className = L"STATIC";
    DWORD style = WS_CHILD | WS_VISIBLE;
    DWORD exStyle = 0;
    platform::TRect r = control.Bounds;
    int height = r.Height();
    switch (control.Kind) {
      case TControlKind::ckLabel: break;
      case TControlKind::ckButton:
        className = L"BUTTON";
        style |= WS_TABSTOP | (control.Name == FController.DefaultButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        break;
      case TControlKind::ckCheckBox: className = L"BUTTON"; style |= WS_TABSTOP | BS_AUTOCHECKBOX; break;
      case TControlKind::ckRadioButton: className = L"BUTTON"; style |= WS_TABSTOP | BS_AUTORADIOBUTTON; break;
      case TControlKind::ckGroupBox: className = L"BUTTON"; style |= BS_GROUPBOX; break;
      case TControlKind::ckComboBox:
        className = L"COMBOBOX";
        style |= WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
        height = r.Height() * (control.DropDownRows + 1);  // the list drops below the field
        break;
      case TControlKind::ckSpinEdit:
      case TControlKind::ckEdit:
        className = L"EDIT";
        style |= WS_TABSTOP | ES_AUTOHSCROLL | (control.Kind == TControlKind::ckEdit && control.ReadOnly ? ES_READONLY : 0);
        exStyle = WS_EX_CLIENTEDGE;
        break;
      case TControlKind::ckColorSwatch: style |= SS_NOTIFY; exStyle = WS_EX_CLIENTEDGE; break;
    }
    int id = FirstId + static_cast<int>(FNatives.size());
    int arrowsWidth = control.Kind == TControlKind::ckSpinEdit ? GetSystemMetrics(SM_CXVSCROLL) : 0;
    native.Window = CreateWindowExW(exStyle, className, L"", style, r.Left, r.Top, r.Width() - arrowsWidth, height,
                                    FWindow, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ThisModule(),
                                    nullptr);
    SendMessageW(native.Window, WM_SETFONT,
                 reinterpret_cast<WPARAM>(Fonts().Get({look.FontName, look.FontSize, control.Bold})), FALSE);
    const bool typedInto = control.Kind == TControlKind::ckSpinEdit || control.Kind == TControlKind::ckEdit;
    if (typedInto && control.MaxLength > 0)
      SendMessageW(native.Window, EM_LIMITTEXT, static_cast<WPARAM>(control.MaxLength), 0);
    if (control.Kind == TControlKind::ckSpinEdit) {
      native.Arrows = CreateWindowExW(0, UPDOWN_CLASSW, L"", WS_CHILD | WS_VISIBLE, r.Right - arrowsWidth, r.Top,
                                      arrowsWidth, r.Height(), FWindow, nullptr, ThisModule(), nullptr);
      // The arrows know the controller's range; their steps still only go to it.
      SendMessageW(native.Arrows, UDM_SETRANGE32, static_cast<WPARAM>(control.MinValue),
                   static_cast<LPARAM>(control.MaxValue));
      SetWindowSubclass(native.Window, SpinProc, 1, reinterpret_cast<DWORD_PTR>(this));
    }
    FNatives.push_back(native);
  }
}

void TDialog::Refresh() {
  if (FWindow == nullptr) return;
  FRefreshing = true;
  SetWindowTextW(FWindow, Wide(FController.Caption));
  for (TNative& native : FNatives) {
    const TControl& c = *native.Control;
    EnableWindow(native.Window, c.Enabled);
    switch (c.Kind) {
      case TControlKind::ckLabel:
      case TControlKind::ckButton:
      case TControlKind::ckGroupBox:
        SetWindowTextW(native.Window, Wide(c.Caption));
        break;
      case TControlKind::ckCheckBox:
      case TControlKind::ckRadioButton:
        SetWindowTextW(native.Window, Wide(c.Caption));
        SendMessageW(native.Window, BM_SETCHECK, c.Checked ? BST_CHECKED : BST_UNCHECKED, 0);
        break;
      case TControlKind::ckComboBox:
        if (native.ShownItems != c.Items) {
          SendMessageW(native.Window, CB_RESETCONTENT, 0, 0);
          for (const std::u16string& item : c.Items)
            SendMessageW(native.Window, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(item)));
          native.ShownItems = c.Items;
        }
        SendMessageW(native.Window, CB_SETCURSEL, static_cast<WPARAM>(c.ItemIndex), 0);
        break;
      case TControlKind::ckSpinEdit:
        SetWindowTextW(native.Window, std::to_wstring(c.Value).c_str());
        SendMessageW(native.Arrows, UDM_SETPOS32, 0, static_cast<LPARAM>(c.Value));
        break;
      case TControlKind::ckEdit:
        // Setting the same text again would move the caret of a field being typed in.
        if (WindowText(native.Window) != c.Text) SetWindowTextW(native.Window, Wide(c.Text));
        break;
      case TControlKind::ckColorSwatch: {
        COLORREF color = ToColorRef(c.Color);  // resolved by the controller
        if (color != native.SwatchColor) {
          if (native.Swatch) DeleteObject(native.Swatch);
          native.Swatch = CreateSolidBrush(color);
          native.SwatchColor = color;
          InvalidateRect(native.Window, nullptr, TRUE);
        }
        break;
      }
    }
  }
  FRefreshing = false;
}

LRESULT CALLBACK TDialog::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE)
    SetWindowLongPtrW(window, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
  auto* self = reinterpret_cast<TDialog*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr || self->FWindow != window) return DefWindowProcW(window, message, wParam, lParam);
  return self->Message(message, wParam, lParam);
}

LRESULT CALLBACK TDialog::SpinProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                   DWORD_PTR selfPointer) {
  auto* self = reinterpret_cast<TDialog*>(selfPointer);
  TNative* native = self->ById(GetDlgCtrlID(window));
  if (native != nullptr && (message == WM_KEYDOWN || message == WM_CHAR)) {
    std::string_view name = native->Control->Name;
    bool taken = false;
    self->Act([&] {
      taken = message == WM_KEYDOWN ? self->FController.SpinEditKeyDown(name, static_cast<std::uint16_t>(wParam))
                                    : !self->FController.SpinEditKeyPress(name, static_cast<char16_t>(wParam));
    });
    if (taken) return 0;
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

LRESULT TDialog::Message(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: {
      TNative* native = ById(LOWORD(wParam));
      if (native == nullptr || FRefreshing) break;
      std::string_view name = native->Control->Name;
      int code = HIWORD(wParam);
      switch (native->Control->Kind) {
        case TControlKind::ckButton:
          if (code == BN_CLICKED) Act([&] { FController.ButtonClick(name); });
          break;
        case TControlKind::ckCheckBox:
          if (code == BN_CLICKED) {
            bool checked = SendMessageW(native->Window, BM_GETCHECK, 0, 0) == BST_CHECKED;
            Act([&] { FController.CheckBoxClick(name, checked); });
          }
          break;
        case TControlKind::ckRadioButton:
          if (code == BN_CLICKED) Act([&] { FController.RadioButtonClick(name); });
          break;
        case TControlKind::ckComboBox:
          if (code == CBN_SELCHANGE) {
            int index = static_cast<int>(SendMessageW(native->Window, CB_GETCURSEL, 0, 0));
            Act([&] { FController.ComboBoxChange(name, index); });
          }
          break;
        case TControlKind::ckColorSwatch:
          if (code == STN_CLICKED) Act([&] { FController.SwatchClick(name); });
          break;
        case TControlKind::ckEdit:
          if (code == EN_CHANGE && !native->Control->ReadOnly) {
            std::u16string text = WindowText(native->Window);
            Act([&] { FController.EditChange(name, text); });
          }
          break;
        default: break;
      }
      return 0;
    }
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (header->code != UDN_DELTAPOS) break;
      TNative* native = ByArrows(header->hwndFrom);
      if (native == nullptr) break;
      int delta = reinterpret_cast<NMUPDOWN*>(lParam)->iDelta > 0 ? 1 : -1;
      std::string_view name = native->Control->Name;
      Act([&] { FController.SpinEditStep(name, delta); });
      return 1;  // the arrows keep no value of their own
    }
    case WM_CTLCOLORSTATIC: {
      for (TNative& native : FNatives)
        if (native.Window == reinterpret_cast<HWND>(lParam) && native.Swatch) return reinterpret_cast<LRESULT>(native.Swatch);
      break;
    }
    case WM_CLOSE:
      // The close box keeps the changes, as Close does: nothing to confirm.
      FClosed = true;
      return 0;
    default: break;
  }
  return DefWindowProcW(FWindow, message, wParam, lParam);
}

}  // namespace

void RunDialog(settings::TDialogController& controller, void* owner, const settings::TScreenRect& bounds, platform::IDialogs& dialogs) {
  TDialog dialog(controller, dialogs);
  dialog.Run(static_cast<HWND>(owner), bounds);
}

}  // namespace frontend::win32
