// Conversions between the UTF-16 display text and UTF-8 or Latin-1, shared by
// every layer. Standard library only.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace text {

enum class TUtf8Status : std::uint8_t {
  usWellFormed,
  usIllFormed,  // a bad lead octet, an overlong form, a surrogate, above U+10FFFF
  usTruncated,  // a sound start that the octets given end inside
};

// The UTF-8 sequence (RFC 3629) at the start of s, which is not empty. Length
// is the sequence's octets when well-formed, else the maximal ill-formed
// subsequence (at least 1); CodePoint is set only when well-formed.
struct TUtf8Sequence {
  TUtf8Status Status;
  std::size_t Length;
  std::uint32_t CodePoint;
};
TUtf8Sequence ReadUtf8Sequence(std::span<const std::uint8_t> s);

// Appends code point cp (at most U+10FFFF) as UTF-16: one unit, or a
// surrogate pair above U+FFFF.
void AppendCodePoint(std::u16string& out, std::uint32_t cp);
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
