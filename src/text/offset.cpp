// Reading offsets in decimal or hexadecimal.
#include "text/offset.h"

#include "text/ascii.h"

namespace text {

std::optional<std::int32_t> ParseOffset(std::u16string_view text) {
  int base = 10;
  if (text.starts_with(u"$")) {
    base = 16;
    text.remove_prefix(1);
  } else if (text.starts_with(u"0x") || text.starts_with(u"0X")) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) return std::nullopt;
  std::int64_t value = 0;
  for (char16_t c : text) {
    const int digit = HexDigitValue(c);
    if (digit < 0 || digit >= base) return std::nullopt;
    value = value * base + digit;
    if (value > MaxOffset) return std::nullopt;
  }
  return static_cast<std::int32_t>(value);
}

}  // namespace text
