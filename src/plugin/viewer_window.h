// The window a viewer lives in, as the front-end builds it. The core drives it
// through this interface, so the order of work is the same on every toolkit.
#pragma once

#include <cstdint>
#include <memory>

namespace viewer {
class TMainForm;
}

namespace plugin {

// A native window handle as the host passes it; 0 is no window.
using THandle = std::uintptr_t;

class IViewerWindow {
 public:
  virtual ~IViewerWindow() = default;
  // Creates the borderless child window of parent, with key preview on so the
  // viewer sees every key before its controls. Throws on failure.
  virtual void Create(THandle parent) = 0;
  // Makes the window visible and gives the structure tree the keyboard focus.
  // Throws on failure.
  virtual void Show() = 0;
  // The handle Create made; 0 before that.
  virtual THandle Handle() const = 0;
  // Destroys the window and its controls; safe after a failed or missing Create.
  virtual void Destroy() noexcept = 0;
};

// Makes the window for one viewer; the window shows form's trees and bars.
class IWindowFactory {
 public:
  virtual ~IWindowFactory() = default;
  virtual std::unique_ptr<IViewerWindow> NewWindow(viewer::TMainForm& form) = 0;
};

}  // namespace plugin
