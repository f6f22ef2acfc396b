// Small ASCII helpers shared by every layer: decimal and hexadecimal digits,
// case folding of names, and filling in a text's %0 placeholders. Standard
// library only.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace text {

// Appends the decimal digits of v.
void AppendDecimal(std::u16string& out, std::uint64_t v);
// Appends v as exactly width digits (at most 20), with leading zeros.
void AppendPaddedDecimal(std::u16string& out, std::uint64_t v, int width);
// The decimal text of value, with "-" in front when negative.
std::u16string DecimalText(std::int64_t value);

// The upper-case hexadecimal digit of v, 0 to 15.
constexpr char16_t UpperHexDigit(unsigned v) { return u"0123456789ABCDEF"[v]; }
// Appends v in upper-case hexadecimal, with leading zeros up to minDigits.
void AppendHex(std::u16string& out, std::uint64_t v, int minDigits);
// Appends each octet of s as two upper-case hexadecimal digits, with separator
// between two octets unless it is 0: "30 03", "30:03" or "3003".
void AppendHexOctets(std::u16string& out, std::span<const std::uint8_t> s, char16_t separator = 0);

// 0 to 15 for 0-9, A-F and a-f; -1 for anything else.
int HexDigitValue(char16_t c);

// A to Z become a to z; every other character stays.
constexpr char16_t FoldAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }
std::u16string FoldedAscii(std::u16string_view name);
// Whether two names are equal with ASCII letters folded to one case.
bool SameAsciiName(std::u16string_view a, std::u16string_view b);

// pattern with each "%" and digit i replaced by values[i], in one pass, so a
// value that holds "%1" stays as it is; a digit without a value stays too.
std::u16string Placeholders(std::u16string_view pattern, std::span<const std::u16string> values);

}  // namespace text
