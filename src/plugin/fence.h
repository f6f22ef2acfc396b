// The error fence every exported function stands behind: nothing thrown inside
// reaches the host, which gets the function's failure value instead.
#pragma once

#include <utility>

namespace plugin {

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

}  // namespace plugin
