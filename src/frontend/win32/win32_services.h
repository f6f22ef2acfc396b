// The clipboard, dialogs, window-host and display services over user32, gdi32
// and comdlg32. Each takes the window it belongs to through a callback, as the
// viewer's window exists only after the services are made.
#pragma once

#include <array>
#include <functional>
#include <memory>

#include "platform/platform.h"

namespace frontend::win32 {

// Answers the window a service acts for (an HWND); null while there is none.
using TWindowGetter = std::function<void*()>;

class TWin32Clipboard : public platform::IClipboard {
 public:
  explicit TWin32Clipboard(TWindowGetter owner = {}) : FOwner(std::move(owner)) {}
  std::u16string GetText() override;
  bool SetText(const std::u16string& text) override;

 private:
  TWindowGetter FOwner;
};

class TWin32Dialogs : public platform::IDialogs {
 public:
  explicit TWin32Dialogs(TWindowGetter owner = {}) : FOwner(std::move(owner)) {}
  platform::TMessageBoxResult MessageBox(const std::u16string& text, const std::u16string& caption,
                               platform::TMessageBoxKind kind) override;
  std::optional<std::u16string> OpenFileDialog(const std::u16string& filter, const std::u16string& title) override;
  std::optional<std::u16string> SaveFileDialog(const std::u16string& filter, const std::u16string& proposedName,
                                               int* filterIndex) override;
  // The custom-colour slots beyond the 16 the chooser has are left out.
  std::optional<platform::TColor> ChooseColor(platform::TColor initial, std::span<const platform::TColor> customColors,
                                    bool fullyOpen) override;

 private:
  TWindowGetter FOwner;
};

class TWin32WindowHost : public platform::IWindowHost {
 public:
  // viewer: the viewer's own window; its parent is the host's.
  explicit TWin32WindowHost(TWindowGetter viewer) : FViewer(std::move(viewer)) {}
  void Beep() override;
  void SetBusyCursor(bool busy) override;
  void PostKeyToParent(const platform::TKeyEvent& key) override;
  void ActivateParent() override;

 private:
  TWindowGetter FViewer;
  void* FSavedCursor = nullptr;
  int FBusyDepth = 0;
};

// Measures on a memory DC of the screen with the module's font cache (gdi_font.h),
// the fonts the canvases draw with.
class TWin32Display : public platform::IDisplay {
 public:
  TWin32Display();
  ~TWin32Display() override;
  TWin32Display(const TWin32Display&) = delete;
  TWin32Display& operator=(const TWin32Display&) = delete;

  platform::TColor GetSysColor(int index) override;
  // Each family once, in the order the system enumerates them.
  std::vector<std::u16string> FontFamilies(bool fixedPitchOnly) override;
  int TextWidth(const std::u16string& text, const std::u16string& fontName, int fontSize) override;
  int BoldTextWidth(const std::u16string& text, const std::u16string& fontName, int fontSize) override;
  int TextHeight(const std::u16string& fontName, int fontSize) override;
  std::u16string UsedFontFamily(const std::u16string& fontName) override;
  int VerticalScrollBarWidth() override;
  int PixelScalePercent() override;

 private:
  void* FDC;
};

// The "Name (*.x)|*.x|..." filter as the file dialog wants it: NUL-separated,
// ending in two NULs.
std::u16string FileDialogFilter(const std::u16string& filter);

}  // namespace frontend::win32
