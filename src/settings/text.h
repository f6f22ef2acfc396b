// The text helpers the INI store and the language tables use, from src/text:
// UTF-8 at the file edges, UTF-16 inside, trimming of names and values.
#pragma once

#include "text/lines.h"
#include "text/utf.h"

namespace settings {

// UTF-8 in and out: ill-formed input and unpaired surrogates become U+FFFD.
using text::Utf16ToUtf8;
using text::Utf8ToUtf16;

using text::TrimBlanks;
using text::TrimControls;
using text::Utf16BytesToUtf16;

}  // namespace settings
