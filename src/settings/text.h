// Small text helpers shared by the INI store and the language tables: UTF-8 at
// the file edges, UTF-16 inside, ASCII case folding for names.
#pragma once

#include <string>
#include <string_view>

namespace settings {

// Decodes UTF-8; every byte that does not start a well-formed sequence (overlong,
// surrogate, above U+10FFFF, truncated) becomes U+FFFD.
std::u16string Utf8ToUtf16(std::string_view bytes);

// Encodes UTF-16 as UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

// Decodes UTF-16 from bytes in either byte order; an odd trailing byte is dropped.
std::u16string Utf16BytesToUtf16(std::string_view bytes, bool bigEndian);

// Compares two names with ASCII letters folded to one case.
bool SameName(std::u16string_view a, std::u16string_view b);

// The text without blanks and control characters (everything up to U+0020) at both ends.
std::u16string_view TrimControls(std::u16string_view text);

// The text without spaces and tabs at both ends.
std::u16string_view TrimBlanks(std::u16string_view text);

}  // namespace settings
