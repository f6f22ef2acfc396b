// The open viewer windows of the module, in creation order, so that a window
// handle from the host leads back to its viewer.
#pragma once

#include <memory>
#include <vector>

#include "plugin/viewer_window.h"
#include "viewer/main.h"

namespace plugin {

// One viewer: its model and the window that shows it. Destroying it destroys
// the document first, then the window, and saves nothing.
class TViewer {
 public:
  TViewer(std::unique_ptr<viewer::TMainForm> form, std::unique_ptr<IViewerWindow> window);
  ~TViewer();
  TViewer(const TViewer&) = delete;
  TViewer& operator=(const TViewer&) = delete;

  viewer::TMainForm& Form() { return *FForm; }
  IViewerWindow& Window() { return *FWindow; }

 private:
  std::unique_ptr<viewer::TMainForm> FForm;
  std::unique_ptr<IViewerWindow> FWindow;
};

class TViewerRegistry {
 public:
  TViewerRegistry() = default;
  TViewerRegistry(const TViewerRegistry&) = delete;
  TViewerRegistry& operator=(const TViewerRegistry&) = delete;
  ~TViewerRegistry() { Clear(); }

  TViewer& Add(std::unique_ptr<TViewer> viewer);
  // The first viewer whose window has this handle; null for none (and for 0).
  TViewer* Find(THandle handle) const;
  // Takes viewer out; the caller now owns it. Null when it is not registered.
  std::unique_ptr<TViewer> Remove(const TViewer* viewer);
  // Destroys every viewer still registered, oldest first.
  void Clear() noexcept;
  std::size_t Count() const { return FViewers.size(); }

 private:
  std::vector<std::unique_ptr<TViewer>> FViewers;
};

}  // namespace plugin
