// Viewer registry and the teardown order of one viewer.
#include "plugin/viewer_registry.h"

#include <algorithm>

namespace plugin {

TViewer::TViewer(std::unique_ptr<viewer::TMainForm> form, std::unique_ptr<IViewerWindow> window)
    : FForm(std::move(form)), FWindow(std::move(window)) {}

TViewer::~TViewer() {
  // The document goes before the window; the form object itself lasts until the
  // window is gone, as the window's controls still point at it.
  FForm->ClearTree();
  FWindow->Destroy();
}

TViewer& TViewerRegistry::Add(std::unique_ptr<TViewer> viewer) {
  FViewers.push_back(std::move(viewer));
  return *FViewers.back();
}

TViewer* TViewerRegistry::Find(THandle handle) const {
  if (handle == 0) return nullptr;
  auto found = std::find_if(FViewers.begin(), FViewers.end(),
                            [handle](const auto& viewer) { return viewer->Window().Handle() == handle; });
  return found == FViewers.end() ? nullptr : found->get();
}

std::unique_ptr<TViewer> TViewerRegistry::Remove(const TViewer* viewer) {
  auto found = std::find_if(FViewers.begin(), FViewers.end(),
                            [viewer](const auto& entry) { return entry.get() == viewer; });
  if (found == FViewers.end()) return nullptr;
  std::unique_ptr<TViewer> taken = std::move(*found);
  FViewers.erase(found);
  return taken;
}

void TViewerRegistry::Clear() noexcept {
  // Taken out one by one, so a lookup during a teardown never meets a dying viewer.
  while (!FViewers.empty()) {
    std::unique_ptr<TViewer> first = std::move(FViewers.front());
    FViewers.erase(FViewers.begin());
  }
}

}  // namespace plugin
