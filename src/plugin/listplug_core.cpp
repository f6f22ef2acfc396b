// The exported functions' logic, the order of work when a viewer is created,
// and the library's start-up and unload.
#include "plugin/listplug_core.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "asn/asn.h"
#include "platform/fence.h"
#include "settings/lang.h"
#include "settings/store.h"
#include "text/utf.h"

namespace plugin {

using platform::Fence;

TListPlugin::TListPlugin(platform::TPlatform& platform, IWindowFactory& windows, TEightBitText eightBitText)
    : FPlatform(platform), FWindows(windows), FEightBitText(eightBitText) {
  const std::string moduleFolder = platform.System.ModuleFolder();
  // A missing "oid.txt" only means OIDs go without descriptions.
  FOIDDictionary.LoadFolder(moduleFolder);
  settings::InitIniFileNames(platform.System);
  settings::InitLanguages();
  Fence([&] { Trace("module " + moduleFolder); });
}

void TListPlugin::Trace(const std::string& line) noexcept {
  const char* path = std::getenv("BRAMLET_TRACE");
  if (path == nullptr || *path == '\0') return;
  if (std::FILE* file = std::fopen(path, "a")) {
    std::fprintf(file, "%s\n", line.c_str());
    std::fclose(file);
  }
}

std::optional<std::u16string> TListPlugin::EightBitToUtf16(const std::string& text) const {
  switch (FEightBitText) {
    case TEightBitText::etUtf8: return text::Utf8ToUtf16(text);
    case TEightBitText::etSystemCodePage: return FPlatform.System.CodePageToUtf16(text, 0);
  }
  return std::nullopt;
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

void TListPlugin::ListSetDefaultParams(const wlx::TListDefaultParamStruct* params) noexcept {
  Fence([&] {
    Trace(std::string("ListSetDefaultParams ") + (params ? "record" : "null"));
    if (params == nullptr) return;
    // The settings keep paths in UTF-8: a name in the host's code page, with
    // a folder such as "Jörg", would otherwise name no folder at all.
    std::optional<std::u16string> name = EightBitToUtf16(wlx::HostIniName(*params));
    if (name) settings::SetTCIniFileName(text::Utf16ToUtf8(*name));
  });
}

THandle TListPlugin::ListLoad(THandle listerWin, const std::string& fileName) noexcept {
  std::optional<std::u16string> wideName = Fence<std::optional<std::u16string>>(
      std::nullopt, [&] { return EightBitToUtf16(fileName); });
  if (!wideName || wideName->empty()) return 0;
  return Load(listerWin, *wideName, "ListLoad");
}

THandle TListPlugin::ListLoadW(THandle listerWin, const std::u16string& fileName) noexcept {
  return Load(listerWin, fileName, "ListLoadW");
}

THandle TListPlugin::Load(THandle listerWin, const std::u16string& fileName, const char* exportName) {
  THandle handle = Fence<THandle>(0, [&] { return CreateViewer(listerWin, fileName); });
  Fence([&] {
    Trace(std::string(exportName) + " " + text::Utf16ToUtf8(fileName) + " -> " + (handle ? "window" : "0"));
  });
  return handle;
}

THandle TListPlugin::CreateViewer(THandle listerWin, const std::u16string& fileName) {
  auto form = std::make_unique<viewer::TMainForm>(FPlatform, fileName);
  form->UseOIDDictionary(&FOIDDictionary);
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
  int result = Fence(ListError, [&] { return form->Find(searchString, backwards) ? ListOk : ListError; });
  Fence([&] {
    Trace("ListSearchTextW " + text::Utf16ToUtf8(searchString) + " " + std::to_string(searchParameter) + " -> " +
          std::to_string(result) + " focus=" + FocusedRow(listWin));
  });
  return result;
}

std::string TListPlugin::FocusedRow(THandle handle) const {
  viewer::TMainForm* form = FindForm(handle);
  if (form == nullptr) return {};
  const auto row = form->Controller().FocusedRow();
  if (!row) return {};
  return text::Utf16ToUtf8(row->Text) + " @" + std::to_string(row->Offset);
}

int TListPlugin::ListSendCommand(THandle, int, int) noexcept { return ListOk; }

void TListPlugin::ListCloseWindow(THandle listWin) noexcept {
  std::unique_ptr<TViewer> viewer = FViewers.Remove(FViewers.Find(listWin));
  Fence([&] { Trace(std::string("ListCloseWindow -> ") + (viewer ? "closed" : "unknown")); });
  if (!viewer) return;
  // Whatever the close handler throws, the viewer is destroyed on the way out.
  Fence([&] { viewer->Form().FormClose(); });
}

}  // namespace plugin
