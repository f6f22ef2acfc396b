// Qt key events through the core's key mapping.
#include "platform/qt/key_event.h"

#include <QKeyEvent>

#include "viewer/qt_keys.h"

namespace platform::qt {

std::optional<TKeyEvent> CoreKey(const QKeyEvent& event) {
  return viewer::KeyFromQt(event.key(), static_cast<unsigned>(event.modifiers()));
}

}  // namespace platform::qt
