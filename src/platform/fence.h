// The one error fence: every exported function and every entry from a
// toolkit's event loop into the core stands behind it, so nothing thrown
// inside reaches the host. Header-light, below the front-ends and the plug-in,
// which both use it.
#pragma once

#include <exception>
#include <functional>
#include <string>
#include <utility>

#include "platform/platform.h"

namespace platform {

// Runs body and returns what it returns; any exception gives failure instead.
template <typename TResult, typename TBody>
TResult Fence(TResult failure, TBody&& body) noexcept {
  try {
    return std::forward<TBody>(body)();
  } catch (...) {
    return failure;
  }
}

// The same for a body without a result.
template <typename TBody>
void Fence(TBody&& body) noexcept {
  try {
    std::forward<TBody>(body)();
  } catch (...) {
  }
}

// What the user reads about a failure: the exception's message (UTF-8 turned
// into UTF-16), or a fixed text for anything that is no std::exception.
std::u16string FailureText(const std::exception_ptr& failure);

// Runs body, an entry from a toolkit into the core. With dialogs, a failure's
// text is shown in an error box captioned "Bramlet" (itself fenced: a failing
// box is dropped); without, it is dropped, as for painting, where a box would
// only bring the next paint. False when body threw.
bool ReportingFence(const std::function<void()>& body, IDialogs* dialogs) noexcept;

}  // namespace platform
