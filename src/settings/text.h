// Small text helpers shared by the INI store and the language tables: UTF-8 at
// the file edges, UTF-16 inside, ASCII case folding for names.
#pragma once

#include <string>
#include <string_view>

#include "text/utf.h"

namespace settings {

// UTF-8 in and out: ill-formed input and unpaired surrogates become U+FFFD.
using text::Utf16ToUtf8;
using text::Utf8ToUtf16;

// Decodes UTF-16 from bytes in either byte order; an odd trailing byte is dropped.
std::u16string Utf16BytesToUtf16(std::string_view bytes, bool bigEndian);

// Compares two names with ASCII letters folded to one case.
bool SameName(std::u16string_view a, std::u16string_view b);

// The text without blanks and control characters (everything up to U+0020) at both ends.
std::u16string_view TrimControls(std::u16string_view text);

// The text without spaces and tabs at both ends.
std::u16string_view TrimBlanks(std::u16string_view text);

}  // namespace settings
