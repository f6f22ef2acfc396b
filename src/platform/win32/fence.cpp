// The fence around every entry from Win32 into the core.
#include "platform/win32/fence.h"

#include <exception>

#include "text/utf.h"

namespace platform::win32 {

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

bool Fence(const std::function<void()>& body, IDialogs* dialogs) noexcept {
  try {
    body();
    return true;
  } catch (...) {
    if (dialogs == nullptr) return false;
    try {
      dialogs->MessageBox(FailureText(std::current_exception()), u"Bramlet", TMessageBoxKind::mbError);
    } catch (...) {
    }
    return false;
  }
}

}  // namespace platform::win32
