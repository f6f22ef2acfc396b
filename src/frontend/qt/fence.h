// The one fence between Qt's event loop and the core: the plug-in lives in the
// host's process, so nothing thrown may leave an event handler, slot or callback.
#pragma once

#include <functional>

class QWidget;

namespace frontend::qt {

// How a failure caught at the fence reaches the user.
enum class TFailureReport { frMessageBox, frDrop };

// Runs body; anything it throws is caught. frMessageBox shows the failure's
// text over parent (itself fenced: a failing box is dropped). Returns false
// when body threw.
bool Fence(const std::function<void()>& body, TFailureReport report, QWidget* parent) noexcept;

}  // namespace frontend::qt
