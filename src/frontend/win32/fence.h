// The one fence between Win32's message loop and the core: the plug-in lives in
// the host's process, so nothing thrown may leave a window or dialog procedure.
#pragma once

#include <functional>

#include "platform/platform.h"

namespace frontend::win32 {

// Runs body; anything it throws is caught. With dialogs, the failure's text is
// shown in a message box (itself fenced: a failing box is dropped); without,
// it is dropped, as for painting, where a box would only bring the next paint.
// Returns false when body threw.
bool Fence(const std::function<void()>& body, platform::IDialogs* dialogs) noexcept;

}  // namespace frontend::win32
