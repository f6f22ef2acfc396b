// The viewer's dialogs on Win32: a modal window built in code with one native
// control per entry of the controller's control table, at its Bounds. The window shows what the table holds and reports each user action
// back by the control's name; the controller decides everything.
#pragma once

#include "platform/platform.h"
#include "settings/dialog_controller.h"

namespace frontend::win32 {

// Runs the dialog modally over owner (an HWND, disabled meanwhile) with its
// client area at bounds; returns once the controller asks to close or the
// window's close box is used. Failures inside are reported through dialogs.
void RunDialog(settings::TDialogController& controller, void* owner, const settings::TScreenRect& bounds,
               platform::IDialogs& dialogs);

// The class name of the dialogs' windows, for tests and test hosts.
inline constexpr wchar_t DialogClassName[] = L"BramletDialog";

}  // namespace frontend::win32
