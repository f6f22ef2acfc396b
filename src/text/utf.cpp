// Conversions between the UTF-16 display text and 8-bit encodings.
#include "text/utf.h"

namespace text {

namespace {

constexpr char16_t Replacement = 0xFFFD;

void AppendUtf8Char(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

}  // namespace

void AppendCodePoint(std::u16string& out, std::uint32_t cp) {
  if (cp < 0x10000) {
    out.push_back(static_cast<char16_t>(cp));
    return;
  }
  cp -= 0x10000;
  out.push_back(static_cast<char16_t>(0xD800 | (cp >> 10)));
  out.push_back(static_cast<char16_t>(0xDC00 | (cp & 0x3FF)));
}

TUtf8Sequence ReadUtf8Sequence(std::span<const std::uint8_t> s) {
  const std::uint8_t b = s[0];
  if (b < 0x80) return {TUtf8Status::usWellFormed, 1, b};
  std::size_t more;
  std::uint32_t cp;
  // The allowed range of the second octet excludes overlong forms,
  // surrogates and values above U+10FFFF.
  std::uint8_t lo = 0x80, hi = 0xBF;
  if (b >= 0xC2 && b <= 0xDF) {
    more = 1;
    cp = b & 0x1F;
  } else if (b >= 0xE0 && b <= 0xEF) {
    more = 2;
    cp = b & 0x0F;
    if (b == 0xE0) lo = 0xA0;
    if (b == 0xED) hi = 0x9F;
  } else if (b >= 0xF0 && b <= 0xF4) {
    more = 3;
    cp = b & 0x07;
    if (b == 0xF0) lo = 0x90;
    if (b == 0xF4) hi = 0x8F;
  } else {
    return {TUtf8Status::usIllFormed, 1, 0};
  }
  for (std::size_t j = 1; j <= more; ++j) {
    if (j >= s.size()) return {TUtf8Status::usTruncated, j, 0};
    if (s[j] < lo || s[j] > hi) return {TUtf8Status::usIllFormed, j, 0};
    cp = (cp << 6) | (s[j] & 0x3F);
    lo = 0x80;
    hi = 0xBF;
  }
  return {TUtf8Status::usWellFormed, more + 1, cp};
}

void AppendUtf8(std::u16string& out, std::span<const std::uint8_t> s) {
  std::size_t i = 0;
  while (i < s.size()) {
    if (s[i] < 0x80) {
      out.push_back(s[i++]);
      continue;
    }
    const TUtf8Sequence sequence = ReadUtf8Sequence(s.subspan(i));
    if (sequence.Status == TUtf8Status::usWellFormed)
      AppendCodePoint(out, sequence.CodePoint);
    else
      out.push_back(Replacement);
    i += sequence.Length;
  }
}

void AppendLatin1(std::u16string& out, std::span<const std::uint8_t> s) {
  const std::size_t start = out.size();
  out.resize(start + s.size());
  char16_t* dst = out.data() + start;
  for (std::uint8_t b : s) *dst++ = b;
}

std::u16string Utf8ToUtf16(std::string_view s) {
  std::u16string out;
  out.reserve(s.size());
  AppendUtf8(out, {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()});
  return out;
}

std::string Utf16ToUtf8(std::u16string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    std::uint32_t c = s[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = Replacement;
    }
    AppendUtf8Char(out, c);
  }
  return out;
}

}  // namespace text
