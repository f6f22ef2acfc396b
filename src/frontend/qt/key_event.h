// A Qt key event as the key the core acts on.
#pragma once

#include <optional>

#include "platform/keys.h"

class QKeyEvent;

namespace frontend::qt {

// Empty for keys the core has no code for (a lone modifier, for one).
std::optional<platform::TKeyEvent> CoreKey(const QKeyEvent& event);

}  // namespace frontend::qt
