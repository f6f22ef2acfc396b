// A Qt key event as the key the core acts on.
#pragma once

#include <optional>

#include "platform/keys.h"

class QKeyEvent;

namespace platform::qt {

// Empty for keys the core has no code for (a lone modifier, for one).
std::optional<TKeyEvent> CoreKey(const QKeyEvent& event);

}  // namespace platform::qt
