// Offsets typed by the user, in the Go to offset dialog and on bramlet-dump's
// command line: one reading, one limit.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace text {

// The largest offset there is: offsets into a document are 32-bit signed.
inline constexpr std::int32_t MaxOffset = 0x7FFFFFFF;

// An offset in decimal, or in hexadecimal after "0x", "0X" or "$" (digits in
// either case). Nothing for text without digits, any other character (blanks
// and signs included), or a value above MaxOffset.
std::optional<std::int32_t> ParseOffset(std::u16string_view text);

}  // namespace text
