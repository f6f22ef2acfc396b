// The fence around every entry from Win32 into the core.
#include "frontend/win32/fence.h"

#include <exception>

#include "text/utf.h"

namespace frontend::win32 {

namespace {

std::u16string FailureText(std::exception_ptr failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const std::exception& e) {
    return text::Utf8ToUtf16(e.what());
  } catch (...) {
    return u"Unexpected error";
  }
}

}  // namespace

bool Fence(const std::function<void()>& body, platform::IDialogs* dialogs) noexcept {
  try {
    body();
    return true;
  } catch (...) {
    if (dialogs == nullptr) return false;
    try {
      dialogs->MessageBox(FailureText(std::current_exception()), u"Bramlet", platform::TMessageBoxKind::mbError);
    } catch (...) {
    }
    return false;
  }
}

}  // namespace frontend::win32
