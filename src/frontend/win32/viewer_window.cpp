// The viewer window and its view windows: paint through the core, forward
// mouse, wheel, keys and scroll bars to it, and follow its change events.
#include "frontend/win32/viewer_window.h"

#include <algorithm>
#include <climits>
#include <stdexcept>

#include "frontend/win32/dialog_window.h"
#include "frontend/win32/fence.h"

namespace frontend::win32 {

using viewer::TView;

namespace {

constexpr wchar_t ViewerClass[] = L"BramletViewer";
constexpr wchar_t ViewClass[] = L"BramletView";
// The view a child window shows, kept in its user data beside the owner.
constexpr wchar_t ViewProperty[] = L"BramletViewIndex";

HWND CurrentWindow = nullptr;

// Sets the current viewer for the length of one entry, nested entries included.
class TCurrentViewer {
 public:
  explicit TCurrentViewer(HWND window) : FSaved(CurrentWindow) { CurrentWindow = window; }
  ~TCurrentViewer() { CurrentWindow = FSaved; }
  TCurrentViewer(const TCurrentViewer&) = delete;
  TCurrentViewer& operator=(const TCurrentViewer&) = delete;

 private:
  HWND FSaved;
};

HINSTANCE ModuleInstance() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&ModuleInstance), &module);
  return module;
}

// Registers both window classes of this module once; they stay until unload.
void RegisterClasses(WNDPROC viewerProc, WNDPROC viewProc) {
  HINSTANCE instance = ModuleInstance();
  WNDCLASSEXW existing{sizeof existing};
  if (GetClassInfoExW(instance, ViewerClass, &existing)) return;
  WNDCLASSEXW viewerClass{sizeof viewerClass};
  viewerClass.lpfnWndProc = viewerProc;
  viewerClass.hInstance = instance;
  viewerClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  viewerClass.lpszClassName = ViewerClass;
  WNDCLASSEXW viewClass = viewerClass;
  viewClass.style = CS_DBLCLKS;
  viewClass.lpfnWndProc = viewProc;
  viewClass.lpszClassName = ViewClass;
  if (!RegisterClassExW(&viewerClass) || !RegisterClassExW(&viewClass))
    throw std::runtime_error("cannot register the viewer's window classes");
}

bool KeyIsDown(int key) { return (GetKeyState(key) & 0x8000) != 0; }

viewer::TMouseEvent MouseEvent(LPARAM lParam, WPARAM wParam, viewer::TMouseButton button) {
  viewer::TMouseEvent event;
  event.X = static_cast<short>(LOWORD(lParam));
  event.Y = static_cast<short>(HIWORD(lParam));
  event.Button = button;
  event.Shift = (wParam & MK_SHIFT) != 0;
  event.Ctrl = (wParam & MK_CONTROL) != 0;
  event.Alt = KeyIsDown(VK_MENU);
  return event;
}

TView ControlView(viewer::TFocusedControl control) {
  switch (control) {
    case viewer::TFocusedControl::fcTree: return TView::vwTree;
    case viewer::TFocusedControl::fcHex1: return TView::vwHex1;
    case viewer::TFocusedControl::fcHex2: return TView::vwHex2;
  }
  return TView::vwTree;
}

void Place(HWND window, const viewer::TRect& rect) {
  if (rect.IsEmpty()) {
    ShowWindow(window, SW_HIDE);
    return;
  }
  SetWindowPos(window, nullptr, rect.Left, rect.Top, rect.Width(), rect.Height(),
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

// Scroll bars count in int; taller views are shown in steps of this many pixels.
int ScrollUnit(std::int64_t max) { return max <= INT_MAX ? 1 : static_cast<int>(max / INT_MAX + 1); }

}  // namespace

HWND CurrentViewerWindow() { return CurrentWindow; }

TViewerWindow::TViewerWindow(viewer::TMainForm& form) : FForm(form) {}

TViewerWindow::~TViewerWindow() { Destroy(); }

bool TViewerWindow::Guard(const std::function<void()>& body, bool showMessage) noexcept {
  TCurrentViewer current(FWindow);
  return Fence(body, showMessage ? &FForm.Platform.Dialogs : nullptr);
}

void TViewerWindow::Create(HWND host) {
  RegisterClasses(ViewerProc, ViewProc);
  RECT client{};
  if (host != nullptr) GetClientRect(host, &client);
  FWindow = CreateWindowExW(0, ViewerClass, L"", WS_CHILD | WS_CLIPCHILDREN, 0, 0, client.right, client.bottom,
                            host, nullptr, ModuleInstance(), this);
  if (FWindow == nullptr) throw std::runtime_error("cannot create the viewer window");
  for (int index = 0; index < ViewCount; ++index) {
    FViews[index] = CreateWindowExW(0, ViewClass, L"", WS_CHILD, 0, 0, 0, 0, FWindow, nullptr, ModuleInstance(), this);
    if (FViews[index] == nullptr) throw std::runtime_error("cannot create a view window");
    SetPropW(FViews[index], ViewProperty, reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(index + 1)));
  }
  FTreeBar = CreateWindowExW(0, L"SCROLLBAR", L"", WS_CHILD | SBS_VERT, 0, 0, 0, 0, FWindow, nullptr,
                             ModuleInstance(), nullptr);
  FHexBar = CreateWindowExW(0, L"SCROLLBAR", L"", WS_CHILD | SBS_VERT, 0, 0, 0, 0, FWindow, nullptr,
                            ModuleInstance(), nullptr);
  if (FTreeBar == nullptr || FHexBar == nullptr) throw std::runtime_error("cannot create the scroll bars");
  FForm.Events = this;
  FForm.DialogRunner = this;
  FForm.Resize(client.right, client.bottom);
  PlaceChildren();
}

void TViewerWindow::Show() {
  if (FWindow == nullptr) throw std::runtime_error("no viewer window");
  ShowWindow(FWindow, SW_SHOW);
  PlaceChildren();
  FocusActiveView();
}

void TViewerWindow::Destroy() noexcept {
  if (FForm.Events == this) FForm.Events = nullptr;
  if (FForm.DialogRunner == this) FForm.DialogRunner = nullptr;
  if (FWindow == nullptr) return;
  // Children go with their parent; none may call back into the form after this.
  SetWindowLongPtrW(FWindow, GWLP_USERDATA, 0);
  for (HWND view : FViews)
    if (view != nullptr) {
      SetWindowLongPtrW(view, GWLP_USERDATA, 0);
      RemovePropW(view, ViewProperty);
    }
  DestroyWindow(FWindow);
  FWindow = nullptr;
  FViews.fill(nullptr);
  FTreeBar = FHexBar = nullptr;
}

LRESULT CALLBACK TViewerWindow::ViewerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<TViewerWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr || self->FWindow != window) return DefWindowProcW(window, message, wParam, lParam);
  return self->ViewerMessage(message, wParam, lParam);
}

LRESULT CALLBACK TViewerWindow::ViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<TViewerWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  auto index = reinterpret_cast<std::intptr_t>(GetPropW(window, ViewProperty));
  if (self == nullptr || index < 1 || index > ViewCount) return DefWindowProcW(window, message, wParam, lParam);
  return self->ViewMessage(static_cast<TView>(index - 1), window, message, wParam, lParam);
}

LRESULT TViewerWindow::ViewerMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      Guard([&] { FForm.Resize(LOWORD(lParam), HIWORD(lParam)); }, /*showMessage=*/false);
      PlaceChildren();
      return 0;
    case WM_SETFOCUS:
      FocusActiveView();
      return 0;
    case WM_VSCROLL:
      Scroll(reinterpret_cast<HWND>(lParam), LOWORD(wParam));
      return 0;
    case WM_COMMAND:
      // Menu commands arrive after the menu has closed, each as an entry of its own.
      if (HIWORD(wParam) == 0 && lParam == 0) Guard([&] { FForm.MainMenuClick(LOWORD(wParam)); });
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the views cover the window
    default:
      return DefWindowProcW(FWindow, message, wParam, lParam);
  }
}

LRESULT TViewerWindow::ViewMessage(TView view, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  using viewer::TMouseButton;
  auto mouse = [&](auto call, TMouseButton button) {
    viewer::TMouseEvent event = MouseEvent(lParam, wParam, button);
    Guard([&] { (FForm.*call)(view, event); });
  };
  switch (message) {
    case WM_PAINT:
      PaintView(view, window);
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the double buffer paints every pixel
    case WM_GETDLGCODE:
      return DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTTAB;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      viewer::TKeyEvent key{static_cast<std::uint16_t>(wParam), KeyIsDown(VK_SHIFT), KeyIsDown(VK_CONTROL),
                            message == WM_SYSKEYDOWN || KeyIsDown(VK_MENU)};
      bool taken = false;
      Guard([&] { taken = FForm.KeyDown(key); });
      if (!taken && message == WM_SYSKEYDOWN) return DefWindowProcW(window, message, wParam, lParam);
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
      TMouseButton button = message == WM_LBUTTONDOWN   ? TMouseButton::mbLeft
                            : message == WM_RBUTTONDOWN ? TMouseButton::mbRight
                                                        : TMouseButton::mbMiddle;
      SetCapture(window);
      mouse(&viewer::TMainForm::MouseDown, button);
      FocusActiveView();
      return 0;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
      TMouseButton button = message == WM_LBUTTONUP   ? TMouseButton::mbLeft
                            : message == WM_RBUTTONUP ? TMouseButton::mbRight
                                                      : TMouseButton::mbMiddle;
      if (GetCapture() == window) ReleaseCapture();
      mouse(&viewer::TMainForm::MouseUp, button);
      return 0;
    }
    case WM_LBUTTONDBLCLK:
      mouse(&viewer::TMainForm::MouseDoubleClick, TMouseButton::mbLeft);
      return 0;
    case WM_MOUSEWHEEL: {
      // The wheel moves the view under the pointer, which need not have the focus.
      POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      HWND under = WindowFromPoint(point);
      TView target = view;
      for (int index = 0; index < ViewCount; ++index)
        if (FViews[index] == under) target = static_cast<TView>(index);
      int delta = GET_WHEEL_DELTA_WPARAM(wParam);
      bool shift = (GET_KEYSTATE_WPARAM(wParam) & MK_SHIFT) != 0;
      bool ctrl = (GET_KEYSTATE_WPARAM(wParam) & MK_CONTROL) != 0;
      Guard([&] { FForm.MouseWheel(target, delta, shift, ctrl); });
      return 0;
    }
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

void TViewerWindow::PaintView(TView view, HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  if (dc != nullptr && !IsRectEmpty(&paint.rcPaint)) {
    TDoubleBuffer buffer(dc, paint.rcPaint);
    const RECT& r = paint.rcPaint;
    viewer::TRect update{r.left, r.top, r.right, r.bottom};
    Guard(
        [&] {
          TGdiCanvas canvas(buffer.DC(), FFonts, FIcons);
          FForm.Paint(view, canvas, update);
        },
        /*showMessage=*/false);
  }
  EndPaint(window, &paint);
}

void TViewerWindow::PlaceChildren() {
  if (FWindow == nullptr) return;
  const viewer::TWindowLayout& layout = FForm.Layout();
  Place(ViewWindow(TView::vwTree), layout.Tree);
  Place(ViewWindow(TView::vwHex1), layout.Hex1);
  Place(ViewWindow(TView::vwHex2), layout.Hex2);
  Place(ViewWindow(TView::vwMainStatus), layout.MainStatus);
  Place(ViewWindow(TView::vwHexStatus), layout.HexStatus);
  Place(FTreeBar, layout.TreeScrollBar);
  Place(FHexBar, layout.HexScrollBar);
  SyncScrollBar(TView::vwTree);
  SyncScrollBar(TView::vwHex2);
  for (HWND view : FViews) InvalidateRect(view, nullptr, FALSE);
}

void TViewerWindow::SyncScrollBar(TView view) {
  HWND bar = view == TView::vwTree ? FTreeBar : view == TView::vwHex2 ? FHexBar : nullptr;
  if (bar == nullptr) return;
  viewer::TScrollInfo info;
  Guard([&] { info = FForm.ScrollInfo(view); }, /*showMessage=*/false);
  int unit = ScrollUnit(info.Max);
  SCROLLINFO native{sizeof native};
  native.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
  native.nMin = 0;
  native.nMax = static_cast<int>(std::max<std::int64_t>(0, info.Max - 1) / unit);
  native.nPage = static_cast<UINT>(std::max(0, info.Page) / unit);
  native.nPos = static_cast<int>(info.Position / unit);
  SetScrollInfo(bar, SB_CTL, &native, TRUE);
}

void TViewerWindow::Scroll(HWND bar, int request) {
  TView view = bar == FTreeBar ? TView::vwTree : TView::vwHex2;
  if (bar != FTreeBar && bar != FHexBar) return;
  Guard([&] {
    viewer::TScrollInfo info = FForm.ScrollInfo(view);
    int unit = ScrollUnit(info.Max);
    SCROLLINFO native{sizeof native};
    native.fMask = SIF_TRACKPOS;
    GetScrollInfo(bar, SB_CTL, &native);
    std::int64_t position = info.Position;
    switch (request) {
      case SB_LINEUP: position -= info.LineStep; break;
      case SB_LINEDOWN: position += info.LineStep; break;
      case SB_PAGEUP: position -= info.Page; break;
      case SB_PAGEDOWN: position += info.Page; break;
      case SB_TOP: position = 0; break;
      case SB_BOTTOM: position = info.Max; break;
      case SB_THUMBTRACK:
      case SB_THUMBPOSITION: position = std::int64_t{native.nTrackPos} * unit; break;
      default: return;
    }
    FForm.ScrollTo(view, std::clamp<std::int64_t>(position, 0, std::max<std::int64_t>(0, info.Max - info.Page)));
  });
}

void TViewerWindow::FocusActiveView() {
  HWND target = ViewWindow(ControlView(FForm.ActiveControl));
  if (target != nullptr && GetFocus() != target) SetFocus(target);
}

void TViewerWindow::InvalidateView(TView view, const viewer::TRect* rect) {
  HWND window = ViewWindow(view);
  if (window == nullptr) return;
  if (rect == nullptr) {
    InvalidateRect(window, nullptr, FALSE);
    return;
  }
  RECT r{rect->Left, rect->Top, rect->Right, rect->Bottom};
  InvalidateRect(window, &r, FALSE);
}

void TViewerWindow::ScrollChanged(TView view) {
  SyncScrollBar(view == TView::vwHex1 ? TView::vwHex2 : view);
}

void TViewerWindow::ActiveViewChanged(TView view) {
  HWND window = ViewWindow(view);
  if (window != nullptr && GetFocus() != window) SetFocus(window);
}

void TViewerWindow::LayoutChanged() { PlaceChildren(); }

void TViewerWindow::StatusChanged(TView bar) { InvalidateView(bar, nullptr); }

void TViewerWindow::PopupMenu(TView view, int x, int y) {
  HWND window = ViewWindow(view);
  if (window == nullptr || FOpenMenu != nullptr) return;
  HMENU menu = CreatePopupMenu();
  if (menu == nullptr) return;
  for (const viewer::TMenuItem& item : FForm.MainMenu.Items()) {
    if (item.IsSeparator()) {
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    UINT flags = MF_STRING | (item.Enabled ? MF_ENABLED : MF_GRAYED) | (item.Checked ? MF_CHECKED : MF_UNCHECKED);
    AppendMenuW(menu, flags, static_cast<UINT_PTR>(item.Tag), Wide(item.Caption));
  }
  POINT point{x, y};
  ClientToScreen(window, &point);
  FOpenMenu = menu;
  // The chosen item comes back as WM_COMMAND once the menu has closed.
  TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, point.x, point.y, 0, FWindow, nullptr);
  FOpenMenu = nullptr;
  DestroyMenu(menu);
}

settings::TScreenRect TViewerWindow::ViewerScreenRect() {
  RECT client{};
  GetClientRect(FWindow, &client);
  POINT origin{0, 0};
  ClientToScreen(FWindow, &origin);
  return {origin.x, origin.y, client.right, client.bottom};
}

void TViewerWindow::RunSettingsForm(settings::TSettingsForm& form, const settings::TScreenRect& bounds) {
  TSettingsController controller(form);
  RunDialog(controller, GetAncestor(FWindow, GA_ROOT), bounds, FForm.Platform.Dialogs);
}

void TViewerWindow::RunAboutForm(settings::TAboutForm& form, const settings::TScreenRect& bounds) {
  TAboutController controller(form);
  RunDialog(controller, GetAncestor(FWindow, GA_ROOT), bounds, FForm.Platform.Dialogs);
}

}  // namespace frontend::win32
