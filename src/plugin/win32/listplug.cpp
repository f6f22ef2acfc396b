// The seven exported host functions of the Windows module, stdcall, exported
// under their undecorated names by Bramlet.def only, forwarding
// to the shared TListPlugin over the Win32 platform and viewer windows.
#include "frontend/win32/viewer_window.h"
#include "frontend/win32/win32_api.h"
#include "frontend/win32/win32_services.h"
#include "frontend/win32/win32_system.h"
#include "platform/fence.h"
#include "plugin/listplug_core.h"
#include "plugin/wlx_abi.h"

namespace {

using namespace frontend::win32;

void* CurrentViewer() { return CurrentViewerWindow(); }

// One viewer's window: the viewer window as a child of the host's window.
class TWin32Window : public plugin::IViewerWindow {
 public:
  explicit TWin32Window(viewer::TMainForm& form) : FWindow(form.Controller()) {}
  void Create(plugin::THandle parent) override { FWindow.Create(reinterpret_cast<HWND>(parent)); }
  void Show() override { FWindow.Show(); }
  plugin::THandle Handle() const override { return reinterpret_cast<plugin::THandle>(FWindow.Handle()); }
  void Destroy() noexcept override { FWindow.Destroy(); }

 private:
  TViewerWindow FWindow;
};

class TWin32WindowFactory : public plugin::IWindowFactory {
 public:
  std::unique_ptr<plugin::IViewerWindow> NewWindow(viewer::TMainForm& form) override {
    return std::make_unique<TWin32Window>(form);
  }
};

// Everything the module keeps from its first call to its unload.
struct TModuleState {
  TWin32Clipboard Clipboard{CurrentViewer};
  TWin32Dialogs Dialogs{CurrentViewer};
  TWin32WindowHost Host{CurrentViewer};
  TWin32Display Display;
  TWin32System System{ThisModule()};
  platform::TPlatform Platform{Clipboard, Dialogs, Host, Display, System};
  TWin32WindowFactory Windows;
  plugin::TListPlugin Plugin{Platform, Windows, plugin::TEightBitText::etSystemCodePage};
};

TModuleState* State = nullptr;

// Made at the first call that needs it rather than in DllMain, where the
// loader lock forbids most of what start-up does.
plugin::TListPlugin& Plugin() {
  if (State == nullptr) State = new TModuleState;
  return State->Plugin;
}

plugin::THandle Handle(HWND window) { return reinterpret_cast<plugin::THandle>(window); }

std::u16string FromWideZ(const wchar_t* text) { return text ? FromWide(text) : std::u16string(); }

}  // namespace

extern "C" {

void WINAPI ListGetDetectString(char* detectString, int maxLen) {
  plugin::TListPlugin::ListGetDetectString(detectString, maxLen);
}

void WINAPI ListSetDefaultParams(wlx::TListDefaultParamStruct* params) {
  // Start-up first: it clears the host's INI name, so it must not come later.
  platform::Fence([&] { Plugin().ListSetDefaultParams(params); });
}

HWND WINAPI ListLoad(HWND parentWin, char* fileToLoad, int) {
  return platform::Fence<HWND>(nullptr, [&] {
    return reinterpret_cast<HWND>(Plugin().ListLoad(Handle(parentWin), fileToLoad ? fileToLoad : ""));
  });
}

HWND WINAPI ListLoadW(HWND parentWin, wchar_t* fileToLoad, int) {
  return platform::Fence<HWND>(nullptr, [&] {
    return reinterpret_cast<HWND>(Plugin().ListLoadW(Handle(parentWin), FromWideZ(fileToLoad)));
  });
}

int WINAPI ListSearchTextW(HWND listWin, wchar_t* searchString, int searchParameter) {
  return platform::Fence(plugin::ListError, [&] {
    return Plugin().ListSearchTextW(Handle(listWin), FromWideZ(searchString), searchParameter);
  });
}

int WINAPI ListSendCommand(HWND listWin, int command, int parameter) {
  return plugin::TListPlugin::ListSendCommand(Handle(listWin), command, parameter);
}

void WINAPI ListCloseWindow(HWND listWin) {
  platform::Fence([&] { Plugin().ListCloseWindow(Handle(listWin)); });
}

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
  // At FreeLibrary (not at process exit, when other threads are gone and the
  // windows with them) open viewers are destroyed and the start-up undone.
  if (reason == DLL_PROCESS_DETACH && reserved == nullptr && State != nullptr) {
    platform::Fence([] { delete State; });
    State = nullptr;
  }
  return TRUE;
}

}  // extern "C"
