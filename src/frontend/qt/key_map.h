// Qt's key codes and modifier bits turned into the virtual keys the core uses,
// and back for the keys passed on to the host, so the Qt front-end forwards
// keys without a key rule of its own. Qt's codes are fixed numbers; this file
// needs no Qt header, so its test runs without Qt.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/keys.h"

namespace frontend::qt {

// The key event for Qt's key (QKeyEvent::key()) and modifiers
// (QKeyEvent::modifiers()); none for keys the core has no code for (modifier
// keys alone, media keys, most punctuation). Keypad digits and operators become
// the keypad's own codes, keypad Enter becomes Return, Backtab becomes Shift+Tab.
std::optional<platform::TKeyEvent> KeyFromQt(int qtKey, unsigned qtModifiers);

// The Qt key (Qt::Key) for a virtual key, off the keypad; 0 for keys without
// one. KeyFromQt(QtKeyFromKey(k), 0) gives k back for every key KeyFromQt
// yields off the keypad.
int QtKeyFromKey(std::uint16_t virtualKey);

}  // namespace frontend::qt
