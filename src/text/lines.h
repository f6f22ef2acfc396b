// Reading the small text files of the program (the OID dictionary, language
// files, the INI file): byte-order marks, UTF-16 octets, lines and name=value
// pairs. Standard library only.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace text {

enum class TByteOrderMark : std::uint8_t { bomNone, bomUtf8, bomUtf16Le, bomUtf16Be };

// The byte-order mark the octets start with.
TByteOrderMark DetectByteOrderMark(std::span<const std::uint8_t> bytes);
TByteOrderMark DetectByteOrderMark(std::string_view bytes);
// Octets the mark takes: 3 for UTF-8, 2 for UTF-16, 0 for none.
std::size_t ByteOrderMarkLength(TByteOrderMark mark);

// UTF-16 code units from octets in either byte order; an odd last octet is dropped.
std::u16string Utf16BytesToUtf16(std::span<const std::uint8_t> bytes, bool bigEndian);
std::u16string Utf16BytesToUtf16(std::string_view bytes, bool bigEndian);

// Calls visit(line) for every line of text, in order; a line ends at CR LF, LF
// or CR, and a break at the very end opens no further line.
template <typename Visit>
void ForEachLine(std::u16string_view text, Visit&& visit) {
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of(u"\r\n", start);
    if (end == std::u16string_view::npos) end = text.size();
    visit(text.substr(start, end - start));
    if (end + 1 < text.size() && text[end] == u'\r' && text[end + 1] == u'\n') ++end;
    start = end + 1;
  }
}

// A line split at its first "=", neither side trimmed.
struct TNameValue {
  std::u16string_view Name;
  std::u16string_view Value;
};
// Empty optional for a line without "=".
std::optional<TNameValue> SplitNameValue(std::u16string_view line);

// The text without blanks and control characters (everything up to U+0020) at both ends.
std::u16string_view TrimControls(std::u16string_view text);
// The text without spaces and tabs at both ends.
std::u16string_view TrimBlanks(std::u16string_view text);

}  // namespace text
