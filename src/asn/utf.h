// The text conversions the decoder and its callers use.
#pragma once

#include "text/utf.h"

namespace asn {

using text::AppendLatin1;
using text::AppendUtf8;
using text::Utf16ToUtf8;
using text::Utf8ToUtf16;

}  // namespace asn
