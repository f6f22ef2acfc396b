// Bramlet.wlx on Linux: the seven exports over the core's TListPlugin, with
// viewer windows made of TViewerWidget. The host (a Qt program) owns the
// QApplication; the module only adds widgets to it. It is never unloaded under
// Qt, so the process-wide state is made on the first call and kept.
#include <QApplication>
#include <QPointer>
#include <QWidget>

#include <memory>
#include <string>

#include "frontend/qt/qt_platform.h"
#include "frontend/qt/viewer_widget.h"
#include "platform/fence.h"
#include "plugin/listplug_core.h"
#include "plugin/wlx_abi.h"

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
    FWidget = new frontend::qt::TViewerWidget(FForm.Controller(), reinterpret_cast<QWidget*>(parent));
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

struct TModuleState {
  frontend::qt::TQtPlatform Qt;
  TQtWindowFactory Windows;
  plugin::TListPlugin Plugin{Qt.Platform(), Windows, plugin::TEightBitText::etUtf8};
};

// Made on the first call that needs it and kept for the life of the process;
// null when there is no QApplication to put widgets into, or making it failed
// (then the next call tries again).
TModuleState* State() noexcept {
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) return nullptr;
  static TModuleState* state = nullptr;
  if (state == nullptr) {
    state = platform::Fence<TModuleState*>(nullptr, [] { return new TModuleState; });
  }
  return state;
}

std::u16string WideText(const wlx::WCHAR* text) {
  std::u16string result;
  if (text != nullptr)
    for (; *text != 0; ++text) result.push_back(static_cast<char16_t>(*text));
  return result;
}

}  // namespace

BRAMLET_EXPORT void ListGetDetectString(char* detectString, int maxLen) {
  plugin::TListPlugin::ListGetDetectString(detectString, maxLen);
}

// Also makes the process-wide state first: making it later would reset the
// host's INI folder taken from params.
BRAMLET_EXPORT void ListSetDefaultParams(wlx::TListDefaultParamStruct* params) {
  if (TModuleState* state = State()) state->Plugin.ListSetDefaultParams(params);
}

BRAMLET_EXPORT wlx::HWND ListLoad(wlx::HWND parentWin, char* fileToLoad, int) {
  TModuleState* state = State();
  if (state == nullptr || fileToLoad == nullptr) return nullptr;
  return reinterpret_cast<wlx::HWND>(state->Plugin.ListLoad(reinterpret_cast<THandle>(parentWin), fileToLoad));
}

BRAMLET_EXPORT wlx::HWND ListLoadW(wlx::HWND parentWin, wlx::WCHAR* fileToLoad, int) {
  TModuleState* state = State();
  if (state == nullptr || fileToLoad == nullptr) return nullptr;
  std::u16string name = platform::Fence<std::u16string>({}, [&] { return WideText(fileToLoad); });
  if (name.empty()) return nullptr;
  return reinterpret_cast<wlx::HWND>(state->Plugin.ListLoadW(reinterpret_cast<THandle>(parentWin), name));
}

BRAMLET_EXPORT int ListSearchTextW(wlx::HWND listWin, wlx::WCHAR* searchString, int searchParameter) {
  TModuleState* state = State();
  if (state == nullptr) return plugin::ListError;
  return platform::Fence(plugin::ListError, [&] {
    return state->Plugin.ListSearchTextW(reinterpret_cast<THandle>(listWin), WideText(searchString), searchParameter);
  });
}

BRAMLET_EXPORT int ListSendCommand(wlx::HWND listWin, int command, int parameter) {
  return plugin::TListPlugin::ListSendCommand(reinterpret_cast<THandle>(listWin), command, parameter);
}

BRAMLET_EXPORT void ListCloseWindow(wlx::HWND listWin) {
  if (TModuleState* state = State()) state->Plugin.ListCloseWindow(reinterpret_cast<THandle>(listWin));
}
