// The viewer window and its view windows: paint through the core, forward
// mouse, wheel, keys and scroll bars to it, and follow its change events.
#include "frontend/win32/viewer_window.h"

#include <algorithm>
#include <optional>
#include <stdexcept>

#include "frontend/win32/dialog_window.h"
#include "platform/fence.h"

namespace frontend::win32 {

using viewer::TView;

namespace {

constexpr wchar_t ViewerClass[] = L"BramletViewer";
constexpr wchar_t ViewClass[] = L"BramletView";
// The view a child window shows, kept in its user data beside the owner.
constexpr wchar_t ViewProperty[] = L"BramletViewIndex";
// The timer of the core's idle work. WM_TIMER comes after every other message
// and after WM_PAINT, so the work waits for the screen.
constexpr UINT_PTR IdleTimer = 1;

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

// Registers both window classes of this module once; they stay until unload.
void RegisterClasses(WNDPROC viewerProc, WNDPROC viewProc) {
  HINSTANCE instance = ThisModule();
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

// The button a press or release message stands for.
viewer::TMouseButton ButtonOf(UINT message) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
      return viewer::TMouseButton::mbLeft;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
      return viewer::TMouseButton::mbRight;
    default:
      return viewer::TMouseButton::mbMiddle;
  }
}

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

void Place(HWND window, const viewer::TRect& rect) {
  if (rect.IsEmpty()) {
    ShowWindow(window, SW_HIDE);
    return;
  }
  SetWindowPos(window, nullptr, rect.Left, rect.Top, rect.Width(), rect.Height(),
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

// A scroll bar's request as the core's; none for the end of a drag and the like.
std::optional<viewer::TScrollRequest> ScrollRequest(int code) {
  using viewer::TScrollRequest;
  switch (code) {
    case SB_LINEUP: return TScrollRequest::srLineUp;
    case SB_LINEDOWN: return TScrollRequest::srLineDown;
    case SB_PAGEUP: return TScrollRequest::srPageUp;
    case SB_PAGEDOWN: return TScrollRequest::srPageDown;
    case SB_TOP: return TScrollRequest::srTop;
    case SB_BOTTOM: return TScrollRequest::srBottom;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: return TScrollRequest::srThumb;
    default: return std::nullopt;
  }
}

}  // namespace

HWND CurrentViewerWindow() { return CurrentWindow; }

TViewerWindow::TViewerWindow(viewer::TViewerController& controller) : FController(controller) {}

TViewerWindow::~TViewerWindow() { Destroy(); }

bool TViewerWindow::Guard(const std::function<void()>& body, bool showMessage) noexcept {
  TCurrentViewer current(FWindow);
  return platform::ReportingFence(body, showMessage ? &FController.Platform().Dialogs : nullptr);
}

void TViewerWindow::Create(HWND host) {
  RegisterClasses(ViewerProc, ViewProc);
  RECT client{};
  if (host != nullptr) GetClientRect(host, &client);
  FWindow = CreateWindowExW(0, ViewerClass, L"", WS_CHILD | WS_CLIPCHILDREN, 0, 0, client.right, client.bottom,
                            host, nullptr, ThisModule(), this);
  if (FWindow == nullptr) throw std::runtime_error("cannot create the viewer window");
  for (int index = 0; index < ViewCount; ++index) {
    FViews[index] = CreateWindowExW(0, ViewClass, L"", WS_CHILD, 0, 0, 0, 0, FWindow, nullptr, ThisModule(), this);
    if (FViews[index] == nullptr) throw std::runtime_error("cannot create a view window");
    SetPropW(FViews[index], ViewProperty, reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(index + 1)));
  }
  for (HWND& bar : FBars) {
    bar = CreateWindowExW(0, L"SCROLLBAR", L"", WS_CHILD | SBS_VERT, 0, 0, 0, 0, FWindow, nullptr, ThisModule(),
                          nullptr);
    if (bar == nullptr) throw std::runtime_error("cannot create the scroll bars");
  }
  FController.Attach(this, this);
  FController.Resize(client.right, client.bottom);
  PlaceChildren();
}

void TViewerWindow::Show() {
  if (FWindow == nullptr) throw std::runtime_error("no viewer window");
  ShowWindow(FWindow, SW_SHOW);
  PlaceChildren();
  FocusActiveView();
}

void TViewerWindow::Destroy() noexcept {
  FController.Detach(this, this);
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
  FBars.fill(nullptr);
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
      Guard([&] { FController.Resize(LOWORD(lParam), HIWORD(lParam)); }, /*showMessage=*/false);
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
      if (HIWORD(wParam) == 0 && lParam == 0) Guard([&] { FController.RunMenuItem(LOWORD(wParam)); });
      return 0;
    case WM_TIMER:
      if (wParam != IdleTimer) return DefWindowProcW(FWindow, message, wParam, lParam);
      RunIdleWork();
      return 0;
    case WM_PAINT:
      PaintWindow(FWindow, [this](platform::ICanvas& canvas, const viewer::TRect& update) {
        FController.PaintWindow(canvas, update);
      });
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the views and the window's own paint cover the window
    default:
      return DefWindowProcW(FWindow, message, wParam, lParam);
  }
}

LRESULT TViewerWindow::ViewMessage(TView view, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  using viewer::TMouseButton;
  auto mouse = [&](auto call, TMouseButton button) {
    viewer::TMouseEvent event = MouseEvent(lParam, wParam, button);
    Guard([&] { (FController.*call)(view, event); });
  };
  switch (message) {
    case WM_PAINT:
      PaintWindow(window, [this, view](platform::ICanvas& canvas, const viewer::TRect& update) {
        FController.Paint(view, canvas, update);
      });
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the double buffer paints every pixel
    case WM_GETDLGCODE:
      return DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTTAB;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      FController.FocusChanged(view, message == WM_SETFOCUS);
      return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      viewer::TKeyEvent key{static_cast<std::uint16_t>(wParam), KeyIsDown(VK_SHIFT), KeyIsDown(VK_CONTROL),
                            message == WM_SYSKEYDOWN || KeyIsDown(VK_MENU)};
      bool taken = false;
      Guard([&] { taken = FController.KeyDown(key); });
      if (!taken && message == WM_SYSKEYDOWN) return DefWindowProcW(window, message, wParam, lParam);
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
      SetCapture(window);
      mouse(&viewer::TViewerController::MouseDown, ButtonOf(message));
      FocusActiveView();
      return 0;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
      if (GetCapture() == window) ReleaseCapture();
      mouse(&viewer::TViewerController::MouseUp, ButtonOf(message));
      return 0;
    }
    case WM_LBUTTONDBLCLK:
      mouse(&viewer::TViewerController::MouseDoubleClick, TMouseButton::mbLeft);
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
      Guard([&] { FController.MouseWheel(target, delta, shift, ctrl); });
      return 0;
    }
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

void TViewerWindow::PaintWindow(HWND window,
                                const std::function<void(platform::ICanvas&, const viewer::TRect&)>& paint) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  if (dc != nullptr && !IsRectEmpty(&ps.rcPaint)) {
    TDoubleBuffer buffer(dc, ps.rcPaint);
    const RECT& r = ps.rcPaint;
    viewer::TRect update{r.left, r.top, r.right, r.bottom};
    Guard(
        [&] {
          TGdiCanvas canvas(buffer.DC(), Fonts(), FIcons);
          paint(canvas, update);
        },
        /*showMessage=*/false);
  }
  EndPaint(window, &ps);
}

void TViewerWindow::PlaceChildren() {
  if (FWindow == nullptr) return;
  for (TView view : viewer::AllViews) Place(ViewWindow(view), FController.ViewBounds(view));
  for (viewer::TScrollBar bar : viewer::AllScrollBars) SyncScrollBar(bar);
  InvalidateRect(FWindow, nullptr, FALSE);
  for (HWND view : FViews) InvalidateRect(view, nullptr, FALSE);
}

void TViewerWindow::SyncScrollBar(viewer::TScrollBar bar) {
  HWND native = FBars[static_cast<int>(bar)];
  if (native == nullptr) return;
  viewer::TScrollBarState state;
  if (!Guard([&] { state = FController.ScrollBarState(bar); }, /*showMessage=*/false)) return;
  Place(native, state.Visible ? state.Bounds : viewer::TRect{});
  SCROLLINFO info{sizeof info};
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
  info.nMin = 0;
  // A native bar's positions run to nMax - nPage + 1.
  info.nMax = state.Max + state.Page - 1;
  info.nPage = static_cast<UINT>(state.Page);
  info.nPos = state.Position;
  SetScrollInfo(native, SB_CTL, &info, TRUE);
}

void TViewerWindow::Scroll(HWND native, int code) {
  std::optional<viewer::TScrollRequest> request = ScrollRequest(code);
  if (!request) return;
  for (viewer::TScrollBar bar : viewer::AllScrollBars) {
    if (FBars[static_cast<int>(bar)] != native) continue;
    SCROLLINFO info{sizeof info};
    info.fMask = SIF_TRACKPOS;
    GetScrollInfo(native, SB_CTL, &info);
    Guard([&] { FController.Scroll(bar, *request, info.nTrackPos); });
  }
}

void TViewerWindow::FocusActiveView() {
  HWND target = ViewWindow(FController.FocusedView());
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
  if (std::optional<viewer::TScrollBar> bar = FController.ScrollBarOf(view)) SyncScrollBar(*bar);
}

void TViewerWindow::ActiveViewChanged(TView view) {
  HWND window = ViewWindow(view);
  if (window != nullptr && FController.FocusFollowsActiveView() && GetFocus() != window) SetFocus(window);
}

void TViewerWindow::LayoutChanged() { PlaceChildren(); }

void TViewerWindow::StatusChanged(TView bar) { InvalidateView(bar, nullptr); }

void TViewerWindow::PopupMenu(TView view, int x, int y) {
  HWND window = ViewWindow(view);
  if (window == nullptr || FOpenMenu != nullptr) return;
  HMENU menu = CreatePopupMenu();
  if (menu == nullptr) return;
  for (const viewer::TMenuItem& item : FController.MenuItems()) {
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

void TViewerWindow::IdleWorkQueued() {
  if (FWindow != nullptr) SetTimer(FWindow, IdleTimer, USER_TIMER_MINIMUM, nullptr);
}

void TViewerWindow::RunIdleWork() {
  KillTimer(FWindow, IdleTimer);
  Guard([&] { FController.RunIdleWork(); });
}

settings::TScreenRect TViewerWindow::ViewerScreenRect() {
  RECT client{};
  GetClientRect(FWindow, &client);
  POINT origin{0, 0};
  ClientToScreen(FWindow, &origin);
  return {origin.x, origin.y, client.right, client.bottom};
}

void TViewerWindow::RunDialog(settings::TDialogController& controller, const settings::TScreenRect& bounds) {
  win32::RunDialog(controller, GetAncestor(FWindow, GA_ROOT), bounds, FController.Platform().Dialogs);
}

}  // namespace frontend::win32
