// Conversions between the UTF-16 display text and UTF-8 or Latin-1, shared by
// every layer. Standard library only.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace text {

// Appends UTF-8 octets as UTF-16; every maximal ill-formed subsequence
// (overlong forms, surrogates, values above U+10FFFF, truncations) becomes
// one U+FFFD.
void AppendUtf8(std::u16string& out, std::span<const std::uint8_t> s);
// Appends each octet as the character of the same number (Latin-1).
void AppendLatin1(std::u16string& out, std::span<const std::uint8_t> s);

std::u16string Utf8ToUtf16(std::string_view s);
// UTF-8 for files and the console; an unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view s);

}  // namespace text
