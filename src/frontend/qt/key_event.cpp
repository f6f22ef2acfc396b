// Qt key events through the core's key mapping.
#include "frontend/qt/key_event.h"

#include <QKeyEvent>

#include "frontend/qt/key_map.h"

namespace frontend::qt {

std::optional<platform::TKeyEvent> CoreKey(const QKeyEvent& event) {
  return KeyFromQt(event.key(), static_cast<unsigned>(event.modifiers()));
}

}  // namespace frontend::qt
