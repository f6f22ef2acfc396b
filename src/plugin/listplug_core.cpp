// The exported functions' logic, the order of work when a viewer is created,
// and the library's start-up and unload.
#include "plugin/listplug_core.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "asn/asn.h"
#include "plugin/fence.h"
#include "settings/lang.h"
#include "settings/store.h"

namespace plugin {

TListPlugin::TListPlugin(platform::TPlatform& platform, IWindowFactory& windows)
    : FPlatform(platform), FWindows(windows) {
  // A missing "oid.txt" only means OIDs go without descriptions.
  FOIDDictionary.LoadFolder(platform.System.ModuleFolder());
  settings::InitIniFileNames(platform.System);
  settings::InitLanguages();
}

TListPlugin::~TListPlugin() {
  FViewers.Clear();
  settings::FreeLanguages();
  settings::FreeIniFileNames();
}

void TListPlugin::ListGetDetectString(char* detectString, int maxLen) noexcept {
  if (detectString == nullptr || maxLen < 1) return;
  std::size_t count = std::min(static_cast<std::size_t>(maxLen - 1), sizeof DetectString - 1);
  std::memcpy(detectString, DetectString, count);
  detectString[count] = '\0';
}

void TListPlugin::ListSetDefaultParams(const void* params) noexcept {
  Fence([&] { settings::SetTCIniFileNameFromParams(params); });
}

THandle TListPlugin::ListLoad(THandle listerWin, const std::string& fileName) noexcept {
  return Fence<THandle>(0, [&]() -> THandle {
    std::optional<std::u16string> wideName = FPlatform.System.CodePageToUtf16(fileName, 0);
    if (!wideName) return 0;
    return CreateViewer(listerWin, *wideName);
  });
}

THandle TListPlugin::ListLoadW(THandle listerWin, const std::u16string& fileName) noexcept {
  return Fence<THandle>(0, [&] { return CreateViewer(listerWin, fileName); });
}

THandle TListPlugin::CreateViewer(THandle listerWin, const std::u16string& fileName) {
  auto form = std::make_unique<viewer::TMainForm>(FPlatform, fileName);
  form->OIDDictionary = &FOIDDictionary;
  std::unique_ptr<IViewerWindow> window = FWindows.NewWindow(*form);
  // Until the viewer owns the window, a failed Create is cleaned up here.
  try {
    window->Create(listerWin);
  } catch (...) {
    window->Destroy();
    throw;
  }
  TViewer& viewer = FViewers.Add(std::make_unique<TViewer>(std::move(form), std::move(window)));
  try {
    if (!viewer.Form().FormCreate()) {
      // The file is not ours to show: a result, not a failure.
      FViewers.Remove(&viewer);
      return 0;
    }
    // A window that was built but could not be shown is destroyed as well,
    // rather than left behind without a handle the host knows.
    viewer.Window().Show();
    viewer.Form().FormShow();
    THandle handle = viewer.Window().Handle();
    if (handle == 0) throw std::runtime_error("window without handle");
    return handle;
  } catch (...) {
    // No close handler: a viewer that never opened saves no settings.
    FViewers.Remove(&viewer);
    throw;
  }
}

viewer::TMainForm* TListPlugin::FindForm(THandle handle) const {
  TViewer* viewer = FViewers.Find(handle);
  return viewer ? &viewer->Form() : nullptr;
}

int TListPlugin::ListSearchTextW(THandle listWin, const std::u16string& searchString,
                                 int searchParameter) noexcept {
  viewer::TMainForm* form = FindForm(listWin);
  if (form == nullptr) return ListOk;
  bool backwards = (searchParameter & ListSearchBackwards) != 0;
  return Fence(ListError, [&] { return form->Find(searchString, backwards) ? ListOk : ListError; });
}

int TListPlugin::ListSendCommand(THandle, int, int) noexcept { return ListOk; }

void TListPlugin::ListCloseWindow(THandle listWin) noexcept {
  std::unique_ptr<TViewer> viewer = FViewers.Remove(FViewers.Find(listWin));
  if (!viewer) return;
  // Whatever the close handler throws, the viewer is destroyed on the way out.
  Fence([&] { viewer->Form().FormClose(); });
}

}  // namespace plugin
