// Decimal text, hexadecimal digits and ASCII case folding.
#include "text/ascii.h"

namespace text {

namespace {

// "00" to "99", two characters each, for printing two digits per division.
struct TDigitPairs {
  char16_t Pairs[200];
  constexpr TDigitPairs() : Pairs() {
    for (int i = 0; i < 100; ++i) {
      Pairs[2 * i] = static_cast<char16_t>(u'0' + i / 10);
      Pairs[2 * i + 1] = static_cast<char16_t>(u'0' + i % 10);
    }
  }
};
constexpr TDigitPairs DigitPairs;

// Writes the digits of v backwards from end; returns the first one written.
char16_t* WriteDigits(char16_t* end, std::uint64_t v) {
  while (v >= 100) {
    const std::uint64_t pair = v % 100;
    v /= 100;
    end -= 2;
    end[0] = DigitPairs.Pairs[2 * pair];
    end[1] = DigitPairs.Pairs[2 * pair + 1];
  }
  if (v >= 10) {
    end -= 2;
    end[0] = DigitPairs.Pairs[2 * v];
    end[1] = DigitPairs.Pairs[2 * v + 1];
    return end;
  }
  *--end = static_cast<char16_t>(u'0' + v);
  return end;
}

}  // namespace

void AppendDecimal(std::u16string& out, std::uint64_t v) {
  if (v < 10) {
    out.push_back(static_cast<char16_t>(u'0' + v));
    return;
  }
  char16_t digits[20];
  char16_t* first = WriteDigits(digits + 20, v);
  out.append(first, digits + 20);
}

void AppendPaddedDecimal(std::u16string& out, std::uint64_t v, int width) {
  char16_t digits[20];
  char16_t* first = WriteDigits(digits + 20, v);
  while (first > digits + 20 - width) *--first = u'0';
  out.append(first, digits + 20);
}

std::u16string DecimalText(std::int64_t value) {
  std::u16string out;
  // The magnitude of the most negative value fits the unsigned type.
  std::uint64_t magnitude = static_cast<std::uint64_t>(value);
  if (value < 0) {
    out.push_back(u'-');
    magnitude = 0 - magnitude;
  }
  AppendDecimal(out, magnitude);
  return out;
}

void AppendHex(std::u16string& out, std::uint64_t v, int minDigits) {
  char16_t digits[16];
  int count = 0;
  do {
    digits[count++] = UpperHexDigit(v & 0xF);
    v >>= 4;
  } while (v != 0);
  for (int i = count; i < minDigits; ++i) out.push_back(u'0');
  while (count > 0) out.push_back(digits[--count]);
}

void AppendHexOctets(std::u16string& out, std::span<const std::uint8_t> s, char16_t separator) {
  if (s.empty()) return;
  // Sized once and written in place: values can be megabytes of octets.
  const std::size_t start = out.size();
  const std::size_t width = separator != 0 ? 3 : 2;
  out.resize(start + s.size() * width - (width - 2));
  char16_t* dst = out.data() + start;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (separator != 0 && i != 0) *dst++ = separator;
    *dst++ = UpperHexDigit(s[i] >> 4);
    *dst++ = UpperHexDigit(s[i] & 0x0F);
  }
}

std::u16string Placeholders(std::u16string_view pattern, std::span<const std::u16string> values) {
  std::u16string out;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const bool marker =
        pattern[i] == u'%' && i + 1 < pattern.size() && pattern[i + 1] >= u'0' && pattern[i + 1] <= u'9';
    const std::size_t index = marker ? static_cast<std::size_t>(pattern[i + 1] - u'0') : values.size();
    if (index >= values.size()) {
      out.push_back(pattern[i]);
      continue;
    }
    out += values[index];
    ++i;
  }
  return out;
}

int HexDigitValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  return -1;
}

std::u16string FoldedAscii(std::u16string_view name) {
  std::u16string folded(name);
  for (char16_t& c : folded) c = FoldAscii(c);
  return folded;
}

bool SameAsciiName(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  return true;
}

}  // namespace text
