// The platform services on Qt 5 widgets, for the Linux plug-in and programs
// that show the viewer. The plug-in runs inside the host's process: it never
// creates the QApplication and expects one to exist.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include <QPointer>
#include <QWidget>

#include "platform/platform.h"

namespace frontend::qt {

// The standard colour chooser: initial colour, the 16 custom slots and whether
// it opens fully expanded; empty optional on cancel. Tests put their own here.
using TColorChooser =
    std::function<std::optional<platform::TColor>(platform::TColor initial, std::span<const platform::TColor> customColors, bool fullyOpen)>;

// All five services. The window services act for the viewer whose event is
// being handled (see TViewerScope), so one instance serves every viewer of the
// process.
class TQtPlatform {
 public:
  // moduleFolder with a trailing "/"; empty: the folder of the module holding this code.
  explicit TQtPlatform(std::string moduleFolder = {});
  ~TQtPlatform();
  TQtPlatform(const TQtPlatform&) = delete;
  TQtPlatform& operator=(const TQtPlatform&) = delete;

  platform::TPlatform& Platform();
  // Replaces QColorDialog; an empty function restores it.
  void SetColorChooser(TColorChooser chooser);

 private:
  struct TServices;
  std::unique_ptr<TServices> FServices;
};

// While it lives, the window services (posting keys to the host, giving
// activation back, parents of message boxes) act for viewer, the viewer's top
// widget. Scopes nest; the innermost one wins. Outside every scope they act for
// the viewer of the last scope, while that widget lives.
class TViewerScope {
 public:
  explicit TViewerScope(QWidget* viewer);
  ~TViewerScope();
  TViewerScope(const TViewerScope&) = delete;
  TViewerScope& operator=(const TViewerScope&) = delete;
  // The viewer the services act for now; null when none.
  static QWidget* Current();

 private:
  QPointer<QWidget> FPrevious;
};

}  // namespace frontend::qt
