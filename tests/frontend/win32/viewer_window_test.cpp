// The viewer window under Wine: nothing the core throws leaves a window
// procedure, whether from a paint, a key or a menu command, and the window
// keeps working afterwards.
#include <gtest/gtest.h>

#include <cwchar>
#include <filesystem>

#include "platform/fake/fake_platform.h"
#include "frontend/win32/dialog_window.h"
#include "frontend/win32/viewer_window.h"
#include "../../viewer/main_form_probe.h"
#include "viewer/main.h"

namespace frontend::win32 {
namespace {

// Throws something that is no std::exception, which no handler in the core catches.
struct TNotAnException {};

class TThrowingClipboard : public platform::fake::TFakeClipboard {
 public:
  bool Throw = false;
  bool SetText(const std::u16string& text) override {
    if (Throw) throw TNotAnException{};
    return TFakeClipboard::SetText(text);
  }
};

class TThrowingDisplay : public platform::fake::TFakeDisplay {
 public:
  bool Throw = false;
  int Calls = 0;
  platform::TColor GetSysColor(int index) override {
    ++Calls;
    if (Throw) throw TNotAnException{};
    return TFakeDisplay::GetSysColor(index);
  }
};

class ViewerWindow : public testing::Test {
 protected:
  TThrowingClipboard Clipboard;
  platform::fake::TFakeDialogs Dialogs;
  platform::fake::TFakeWindowHost Host;
  TThrowingDisplay Display;
  platform::fake::TFakeSystem System;
  platform::TPlatform Platform{Clipboard, Dialogs, Host, Display, System};
  HWND Parent = nullptr;
  std::unique_ptr<viewer::TMainForm> Form;
  std::unique_ptr<TViewerWindow> Window;

  void SetUp() override {
    Parent = CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640, 480, nullptr,
                             nullptr, nullptr, nullptr);
    ASSERT_NE(Parent, nullptr);
    auto sample = std::filesystem::path(BRAMLET_SOURCE_DIR) / "samples" / "cert.der";
    Form = std::make_unique<viewer::TMainForm>(Platform, sample.u16string());
    Window = std::make_unique<TViewerWindow>(Form->Controller());
    Window->Create(Parent);
    Form->FormCreate();
    Window->Show();
    Form->FormShow();
    MoveWindow(reinterpret_cast<HWND>(Window->Handle()), 0, 0, 600, 400, TRUE);
    Pump();
  }
  void TearDown() override {
    Window.reset();
    Form.reset();
    if (Parent) DestroyWindow(Parent);
  }
  static void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  }
  HWND Tree() const { return Window->ViewWindow(viewer::TView::vwTree); }
  // Ctrl held in this thread's keyboard state, as GetKeyState reads it.
  static void HoldCtrl(bool down) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = down ? 0x80 : 0;
    SetKeyboardState(keys);
  }
  void Repaint() {
    InvalidateRect(Tree(), nullptr, FALSE);
    UpdateWindow(Tree());
  }
};

TEST_F(ViewerWindow, FailuresStopAtTheFenceAndTheWindowGoesOn) {
  struct TEntry {
    const char* Label;
    std::function<void()> Send;
    bool Reported;  // input and commands show a message; painting drops it
  };
  TEntry entries[] = {
      {"paint", [&] { Display.Throw = true; Repaint(); }, false},
      {"key",
       [&] {
         Clipboard.Throw = true;
         HoldCtrl(true);
         SendMessageW(Tree(), WM_KEYDOWN, 'C', 0);
         HoldCtrl(false);
       },
       true},
      {"menu command", [&] { Clipboard.Throw = true; SendMessageW(reinterpret_cast<HWND>(Window->Handle()), WM_COMMAND, 102, 0); }, true},
  };
  // A focused row gives the copy commands something to copy.
  SendMessageW(Tree(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, 5));
  SendMessageW(Tree(), WM_LBUTTONUP, 0, MAKELPARAM(40, 5));
  ASSERT_NE(Probe(*Form).TreeVT().FocusedNode(), viewer::NoNode);
  for (const TEntry& entry : entries) {
    SCOPED_TRACE(entry.Label);
    Dialogs.Messages.clear();
    int calls = Display.Calls;
    entry.Send();
    Display.Throw = Clipboard.Throw = false;
    EXPECT_EQ(Dialogs.Messages.size(), entry.Reported ? 1u : 0u);
    if (entry.Reported && !Dialogs.Messages.empty()) {
      EXPECT_EQ(Dialogs.Messages[0].Text, u"Unexpected error");
    }
    if (!entry.Reported) {
      EXPECT_GT(Display.Calls, calls) << "the paint reached the core";
    }
    // The next entry of the same kind works.
    Repaint();
    EXPECT_TRUE(IsWindow(reinterpret_cast<HWND>(Window->Handle())));
  }
  SendMessageW(reinterpret_cast<HWND>(Window->Handle()), WM_COMMAND, 102, 0);  // copy row
  EXPECT_NE(Clipboard.Text.find(u"SEQUENCE"), std::u16string::npos);
}

// The DER checks left for when the window is idle run from its message loop by themselves.
TEST_F(ViewerWindow, IdleWorkRunsFromTheMessageLoop) {
  for (int i = 0; i < 200 && Probe(*Form).HasIdleWork(); ++i) {
    Sleep(10);
    Pump();
  }
  EXPECT_FALSE(Probe(*Form).HasIdleWork());
  EXPECT_EQ(Probe(*Form).MainStatusBar()[5].Text, u"DER");
}

TEST_F(ViewerWindow, LayoutPlacesEveryViewWhereTheCoreSays) {
  const viewer::TWindowLayout& layout = Probe(*Form).Layout();
  struct TRow {
    viewer::TView View;
    viewer::TRect Rect;
  } rows[] = {{viewer::TView::vwTree, layout.Tree},
              {viewer::TView::vwHex1, layout.Hex1},
              {viewer::TView::vwHex2, layout.Hex2},
              {viewer::TView::vwMainStatus, layout.MainStatus},
              {viewer::TView::vwHexStatus, layout.HexStatus}};
  EXPECT_EQ(layout.Tree.Bottom, layout.MainStatus.Top);
  for (const TRow& row : rows) {
    SCOPED_TRACE(static_cast<int>(row.View));
    HWND view = Window->ViewWindow(row.View);
    RECT r;
    GetWindowRect(view, &r);
    MapWindowPoints(HWND_DESKTOP, reinterpret_cast<HWND>(Window->Handle()), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ((viewer::TRect{r.left, r.top, r.right, r.bottom}), row.Rect);
    EXPECT_EQ(IsWindowVisible(view) != 0, !row.Rect.IsEmpty());
  }
  // H hides the hex panel; the tree takes its place.
  SendMessageW(Tree(), WM_KEYDOWN, 'H', 0);
  EXPECT_FALSE(IsWindowVisible(Window->ViewWindow(viewer::TView::vwHex1)));
  RECT tree;
  GetClientRect(Tree(), &tree);
  EXPECT_EQ(tree.right, Probe(*Form).Layout().Tree.Width());
}

// Runs inside the settings dialog's modal loop: ticks "Show icons" the way a
// click does, then closes the dialog with Escape.
int DialogChildren = 0;
BOOL CALLBACK ClickShowIcons(HWND child, LPARAM) {
  ++DialogChildren;
  wchar_t caption[64] = {};
  GetWindowTextW(child, caption, 64);
  if (std::wcsncmp(caption, L"Show icons", 10) == 0) SendMessageW(child, BM_CLICK, 0, 0);
  return TRUE;
}
void CALLBACK ActInDialog(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  HWND dialog = FindWindowW(DialogClassName, nullptr);
  if (dialog == nullptr) return;
  EnumChildWindows(dialog, ClickShowIcons, 0);
  PostMessageW(dialog, WM_KEYDOWN, VK_ESCAPE, 1);
}

TEST_F(ViewerWindow, SettingsDialogChangesTheLiveSettingsAndClosesOnEscape) {
  bool iconsBefore = Probe(*Form).Settings().ShowIcons;
  DialogChildren = 0;
  SetTimer(nullptr, 0, 200, ActInDialog);
  SendMessageW(reinterpret_cast<HWND>(Window->Handle()), WM_COMMAND, 114, 0);  // returns once it has closed
  EXPECT_GT(DialogChildren, 50);
  EXPECT_EQ(Probe(*Form).Settings().ShowIcons, !iconsBefore);
  EXPECT_EQ(FindWindowW(DialogClassName, nullptr), nullptr);
  EXPECT_TRUE(IsWindowEnabled(Parent));
}

}  // namespace
}  // namespace frontend::win32
