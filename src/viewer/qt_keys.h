// Qt's key codes and modifier bits turned into the virtual keys the core uses,
// so the Qt front-end forwards keys without a key rule of its own. Qt's codes
// are fixed numbers; this file needs no Qt header.
#pragma once

#include <optional>

#include "platform/keys.h"

namespace viewer {

// The key event for Qt's key (QKeyEvent::key()) and modifiers
// (QKeyEvent::modifiers()); none for keys the core has no code for (modifier
// keys alone, media keys, most punctuation). Keypad digits and operators become
// the keypad's own codes, keypad Enter becomes Return, Backtab becomes Shift+Tab.
std::optional<platform::TKeyEvent> KeyFromQt(int qtKey, unsigned qtModifiers);

}  // namespace viewer
