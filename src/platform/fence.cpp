// The fence's report of a failure.
#include "platform/fence.h"

#include "text/utf.h"

namespace platform {

std::u16string FailureText(const std::exception_ptr& failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const std::exception& e) {
    return text::Utf8ToUtf16(e.what());
  } catch (...) {
    return u"Unexpected error";
  }
}

bool ReportingFence(const std::function<void()>& body, IDialogs* dialogs) noexcept {
  try {
    body();
    return true;
  } catch (...) {
    if (dialogs == nullptr) return false;
    Fence([&] {
      dialogs->MessageBox(FailureText(std::current_exception()), u"Bramlet", platform::TMessageBoxKind::mbError);
    });
    return false;
  }
}

}  // namespace platform
