// Small ASCII helpers shared by every layer: decimal digits, hexadecimal digit
// values and case folding of names. Standard library only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace text {

// Appends the decimal digits of v.
void AppendDecimal(std::u16string& out, std::uint64_t v);
// Appends v as exactly width digits (at most 20), with leading zeros.
void AppendPaddedDecimal(std::u16string& out, std::uint64_t v, int width);
// The decimal text of value, with "-" in front when negative.
std::u16string DecimalText(std::int64_t value);

// 0 to 15 for 0-9, A-F and a-f; -1 for anything else.
int HexDigitValue(char16_t c);

// A to Z become a to z; every other character stays.
constexpr char16_t FoldAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }
std::u16string FoldedAscii(std::u16string_view name);
// Whether two names are equal with ASCII letters folded to one case.
bool SameAsciiName(std::u16string_view a, std::u16string_view b);

}  // namespace text
