// The seven exported host functions of the Windows module, stdcall, exported
// under their undecorated names by Bramlet.def only, forwarding
// to the shared TListPlugin over the Win32 platform and viewer windows.
#include "plugin/listplug_core.h"
#include "frontend/win32/viewer_window.h"
#include "frontend/win32/win32_services.h"
#include "frontend/win32/win32_system.h"
#include "plugin/fence.h"
#include "frontend/win32/win32_api.h"
#include "settings/store.h"
#include "text/utf.h"

namespace {

using namespace frontend::win32;

void* CurrentViewer() { return CurrentViewerWindow(); }

// One viewer's window: the viewer window as a child of the host's window.
class TWin32Window : public plugin::IViewerWindow {
 public:
  explicit TWin32Window(viewer::TMainForm& form) : FWindow(form) {}
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
  plugin::TListPlugin Plugin{Platform, Windows};
};

TModuleState* State = nullptr;

// The host's INI name: at most this many characters, up to the first NUL.
constexpr std::size_t HostIniNameMaxLength = 255;

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

// The host's parameter record; only DefaultIniName is read.
struct ListDefaultParamStruct {
  int size;
  DWORD PluginInterfaceVersionLow;
  DWORD PluginInterfaceVersionHi;
  char DefaultIniName[MAX_PATH];
};

void WINAPI ListGetDetectString(char* detectString, int maxLen) {
  plugin::TListPlugin::ListGetDetectString(detectString, maxLen);
}

void WINAPI ListSetDefaultParams(ListDefaultParamStruct* params) {
  // The host writes its INI name in the system's ANSI code page, while the
  // settings store keeps paths in UTF-8: convert here, or a folder such as
  // "C:\Users\J\xf6rg" would name no folder at all.
  plugin::Fence([&] {
    if (params == nullptr) return;
    // Start-up first: it clears the host's INI name, so it must not come later.
    Plugin();
    const char* name = params->DefaultIniName;
    std::size_t length = 0;
    while (length < HostIniNameMaxLength && name[length] != '\0') ++length;
    std::optional<std::u16string> wide = State->System.CodePageToUtf16(std::string(name, length), 0);
    if (wide) settings::SetTCIniFileName(text::Utf16ToUtf8(*wide));
  });
}

HWND WINAPI ListLoad(HWND parentWin, char* fileToLoad, int) {
  return plugin::Fence<HWND>(nullptr, [&] {
    return reinterpret_cast<HWND>(Plugin().ListLoad(Handle(parentWin), fileToLoad ? fileToLoad : ""));
  });
}

HWND WINAPI ListLoadW(HWND parentWin, wchar_t* fileToLoad, int) {
  return plugin::Fence<HWND>(nullptr, [&] {
    return reinterpret_cast<HWND>(Plugin().ListLoadW(Handle(parentWin), FromWideZ(fileToLoad)));
  });
}

int WINAPI ListSearchTextW(HWND listWin, wchar_t* searchString, int searchParameter) {
  return plugin::Fence(plugin::ListError, [&] {
    return Plugin().ListSearchTextW(Handle(listWin), FromWideZ(searchString), searchParameter);
  });
}

int WINAPI ListSendCommand(HWND listWin, int command, int parameter) {
  return plugin::TListPlugin::ListSendCommand(Handle(listWin), command, parameter);
}

void WINAPI ListCloseWindow(HWND listWin) {
  plugin::Fence([&] { Plugin().ListCloseWindow(Handle(listWin)); });
}

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
  // At FreeLibrary (not at process exit, when other threads are gone and the
  // windows with them) open viewers are destroyed and the start-up undone.
  if (reason == DLL_PROCESS_DETACH && reserved == nullptr && State != nullptr) {
    plugin::Fence([] { delete State; });
    State = nullptr;
  }
  return TRUE;
}

}  // extern "C"
