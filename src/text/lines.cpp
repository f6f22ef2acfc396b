// Byte-order marks, UTF-16 octets, name=value lines and trimming.
#include "text/lines.h"

namespace text {

namespace {

std::span<const std::uint8_t> Octets(std::string_view bytes) {
  return {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()};
}

bool StartsWith(std::span<const std::uint8_t> bytes, std::initializer_list<std::uint8_t> mark) {
  if (bytes.size() < mark.size()) return false;
  std::size_t i = 0;
  for (std::uint8_t b : mark)
    if (bytes[i++] != b) return false;
  return true;
}

}  // namespace

TByteOrderMark DetectByteOrderMark(std::span<const std::uint8_t> bytes) {
  if (StartsWith(bytes, {0xEF, 0xBB, 0xBF})) return TByteOrderMark::bomUtf8;
  if (StartsWith(bytes, {0xFF, 0xFE})) return TByteOrderMark::bomUtf16Le;
  if (StartsWith(bytes, {0xFE, 0xFF})) return TByteOrderMark::bomUtf16Be;
  return TByteOrderMark::bomNone;
}

TByteOrderMark DetectByteOrderMark(std::string_view bytes) { return DetectByteOrderMark(Octets(bytes)); }

std::size_t ByteOrderMarkLength(TByteOrderMark mark) {
  switch (mark) {
    case TByteOrderMark::bomNone:
      return 0;
    case TByteOrderMark::bomUtf8:
      return 3;
    case TByteOrderMark::bomUtf16Le:
    case TByteOrderMark::bomUtf16Be:
      return 2;
  }
  return 0;
}

std::u16string Utf16BytesToUtf16(std::span<const std::uint8_t> bytes, bool bigEndian) {
  std::u16string out;
  out.reserve(bytes.size() / 2);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const std::uint8_t first = bytes[i];
    const std::uint8_t second = bytes[i + 1];
    out.push_back(static_cast<char16_t>(bigEndian ? first << 8 | second : second << 8 | first));
  }
  return out;
}

std::u16string Utf16BytesToUtf16(std::string_view bytes, bool bigEndian) {
  return Utf16BytesToUtf16(Octets(bytes), bigEndian);
}

std::optional<TNameValue> SplitNameValue(std::u16string_view line) {
  const std::size_t equals = line.find(u'=');
  if (equals == std::u16string_view::npos) return std::nullopt;
  return TNameValue{line.substr(0, equals), line.substr(equals + 1)};
}

std::u16string_view TrimControls(std::u16string_view text) {
  while (!text.empty() && text.front() <= u' ') text.remove_prefix(1);
  while (!text.empty() && text.back() <= u' ') text.remove_suffix(1);
  return text;
}

std::u16string_view TrimBlanks(std::u16string_view text) {
  auto isBlank = [](char16_t c) { return c == u' ' || c == u'\t'; };
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace text
