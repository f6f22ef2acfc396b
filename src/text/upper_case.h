// Upper case of UTF-16 code units by Unicode's simple mapping, built into the
// program, so that it is the same in every process whatever its locale.
#pragma once

namespace text {

// The upper-case letter of c beyond ASCII, or c itself.
char16_t UpperCaseBeyondAscii(char16_t c);

// The upper-case letter of c: a letter for a letter (the German sharp s stays).
// c itself where it has none, for surrogates, and where the upper-case letter
// lies outside the Basic Multilingual Plane.
inline char16_t UpperCase(char16_t c) {
  if (c >= 0x80) return UpperCaseBeyondAscii(c);
  return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 0x20) : c;
}

}  // namespace text
