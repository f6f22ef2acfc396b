// Bramlet.wlx on Linux: the seven exports over the core's TListPlugin, with
// viewer windows made of TViewerWidget. The host (a Qt program) owns the
// QApplication; the module only adds widgets to it. It is never unloaded under
// Qt, so the process-wide state is made on the first call and kept.
#include <QApplication>
#include <QPointer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "frontend/qt/qt_platform.h"
#include "frontend/qt/viewer_widget.h"
#include "plugin/fence.h"
#include "plugin/listplug_core.h"
#include "plugin/wlx_abi.h"
#include "text/utf.h"

#define BRAMLET_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

using plugin::THandle;

// One viewer's window: the viewer widget as a child of the host's widget. The
// host may destroy its widget, and ours with it, before it closes the viewer,
// so the widget is watched and its handle kept.
class TQtWindow : public plugin::IViewerWindow {
 public:
  explicit TQtWindow(viewer::TMainForm& form) : FForm(form) {}
  void Create(THandle parent) override {
    FWidget = new frontend::qt::TViewerWidget(FForm, reinterpret_cast<QWidget*>(parent));
    FHandle = reinterpret_cast<THandle>(FWidget.data());
  }
  void Show() override {
    FWidget->show();
    FWidget->setFocus(Qt::OtherFocusReason);
  }
  THandle Handle() const override { return FHandle; }
  void Destroy() noexcept override { delete FWidget.data(); }

 private:
  viewer::TMainForm& FForm;
  QPointer<frontend::qt::TViewerWidget> FWidget;
  THandle FHandle = 0;
};

class TQtWindowFactory : public plugin::IWindowFactory {
 public:
  std::unique_ptr<plugin::IViewerWindow> NewWindow(viewer::TMainForm& form) override {
    return std::make_unique<TQtWindow>(form);
  }
};

// A test aid, off unless BRAMLET_TRACE names a file: one line per export call,
// appended there, so a test can see what a host did with the module.
void Trace(const std::string& line) noexcept {
  const char* path = std::getenv("BRAMLET_TRACE");
  if (path == nullptr || *path == '\0') return;
  if (std::FILE* file = std::fopen(path, "a")) {
    std::fprintf(file, "%s\n", line.c_str());
    std::fclose(file);
  }
}

struct TModuleState {
  frontend::qt::TQtPlatform Qt;
  TQtWindowFactory Windows;
  plugin::TListPlugin Plugin{Qt.Platform(), Windows};
};

// Made on the first call that needs it and kept for the life of the process;
// null when there is no QApplication to put widgets into, or making it failed
// (then the next call tries again).
TModuleState* State() noexcept {
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) return nullptr;
  static TModuleState* state = nullptr;
  if (state == nullptr) {
    state = plugin::Fence<TModuleState*>(nullptr, [] { return new TModuleState; });
    if (state) plugin::Fence([] { Trace("module " + state->Qt.Platform().System.ModuleFolder()); });
  }
  return state;
}

std::u16string WideText(const wlx::WCHAR* text) {
  std::u16string result;
  if (text != nullptr)
    for (; *text != 0; ++text) result.push_back(static_cast<char16_t>(*text));
  return result;
}

// The focused row of the viewer's structure tree, as "name value @offset", for
// the trace.
std::string FocusedRow(TModuleState& state, THandle handle) {
  viewer::TMainForm* form = state.Plugin.FindForm(handle);
  if (form == nullptr) return {};
  viewer::TNodeId node = form->TreeVT.FocusedNode();
  if (node == viewer::NoNode) return {};
  return text::Utf16ToUtf8(form->TreeVTGetText(form->TreeVT, node, 0, viewer::TTextType::ttNormal) + u" " +
                           form->TreeVTGetText(form->TreeVT, node, 0, viewer::TTextType::ttStatic)) +
         " @" + std::to_string(form->GetTag(node).Offset());
}

wlx::HWND Load(wlx::HWND parentWin, const std::u16string& fileName, const char* exportName) noexcept {
  TModuleState* state = State();
  THandle handle = state ? state->Plugin.ListLoadW(reinterpret_cast<THandle>(parentWin), fileName) : 0;
  plugin::Fence([&] {
    Trace(std::string(exportName) + " " + text::Utf16ToUtf8(fileName) + " -> " + (handle ? "window" : "0"));
  });
  return reinterpret_cast<wlx::HWND>(handle);
}

}  // namespace

BRAMLET_EXPORT void ListGetDetectString(char* detectString, int maxLen) {
  plugin::TListPlugin::ListGetDetectString(detectString, maxLen);
}

// Also makes the process-wide state first: making it later would reset the
// host's INI folder taken from params.
BRAMLET_EXPORT void ListSetDefaultParams(wlx::TListDefaultParamStruct* params) {
  if (State() == nullptr) return;
  plugin::TListPlugin::ListSetDefaultParams(params);
  plugin::Fence([&] { Trace(std::string("ListSetDefaultParams ") + (params ? "record" : "null")); });
}

// The 8-bit name is UTF-8 on Linux, whatever the locale says.
BRAMLET_EXPORT wlx::HWND ListLoad(wlx::HWND parentWin, char* fileToLoad, int) {
  if (fileToLoad == nullptr) return nullptr;
  std::u16string name = plugin::Fence<std::u16string>({}, [&] { return text::Utf8ToUtf16(fileToLoad); });
  return name.empty() ? nullptr : Load(parentWin, name, "ListLoad");
}

BRAMLET_EXPORT wlx::HWND ListLoadW(wlx::HWND parentWin, wlx::WCHAR* fileToLoad, int) {
  if (fileToLoad == nullptr) return nullptr;
  std::u16string name = plugin::Fence<std::u16string>({}, [&] { return WideText(fileToLoad); });
  return name.empty() ? nullptr : Load(parentWin, name, "ListLoadW");
}

BRAMLET_EXPORT int ListSearchTextW(wlx::HWND listWin, wlx::WCHAR* searchString, int searchParameter) {
  TModuleState* state = State();
  if (state == nullptr) return plugin::ListError;
  THandle handle = reinterpret_cast<THandle>(listWin);
  return plugin::Fence(plugin::ListError, [&] {
    std::u16string text = WideText(searchString);
    int result = state->Plugin.ListSearchTextW(handle, text, searchParameter);
    Trace("ListSearchTextW " + text::Utf16ToUtf8(text) + " " + std::to_string(searchParameter) + " -> " +
          std::to_string(result) + " focus=" + FocusedRow(*state, handle));
    return result;
  });
}

BRAMLET_EXPORT int ListSendCommand(wlx::HWND listWin, int command, int parameter) {
  return plugin::TListPlugin::ListSendCommand(reinterpret_cast<THandle>(listWin), command, parameter);
}

BRAMLET_EXPORT void ListCloseWindow(wlx::HWND listWin) {
  TModuleState* state = State();
  if (state == nullptr) return;
  THandle handle = reinterpret_cast<THandle>(listWin);
  bool known = state->Plugin.FindForm(handle) != nullptr;
  state->Plugin.ListCloseWindow(handle);
  plugin::Fence([&] { Trace(std::string("ListCloseWindow -> ") + (known ? "closed" : "unknown")); });
}
