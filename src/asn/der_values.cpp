// The DER checks on contents octets: BOOLEAN, INTEGER, BIT STRING, the times,
// OBJECT IDENTIFIER sub-identifiers and the character sets of the strings.
#include "asn/der_values.h"

#include "asn/asn.h"
#include "text/utf.h"

namespace asn {

namespace {

using Bytes = std::span<const std::uint8_t>;

TValueFault Fault(TDerText text, std::size_t offset, std::size_t length, std::array<std::uint32_t, 4> numbers = {}) {
  return {text, static_cast<std::int32_t>(offset), static_cast<std::int32_t>(length), numbers};
}

std::uint32_t Count(std::size_t n) { return static_cast<std::uint32_t>(n); }

bool IsDigit(std::uint8_t c) { return c >= '0' && c <= '9'; }

bool AllDigits(Bytes s) {
  for (std::uint8_t c : s)
    if (!IsDigit(c)) return false;
  return true;
}

// X.690 11.1.
TValueFault CheckBoolean(Bytes s) {
  if (s.size() != 1)
    return Fault(TDerText::dtBooleanLength, 0, s.size(), {Count(s.size())});
  if (s[0] == 0x00 || s[0] == 0xFF) return {};
  return Fault(TDerText::dtBooleanTrue, 0, 1, {s[0]});
}

// X.690 8.3.2: the first nine bits are never all zeros or all ones.
TValueFault CheckInteger(Bytes s, std::uint8_t u) {
  if (s.empty()) return Fault(TDerText::dtIntegerEmpty, 0, 0, {u});
  if (s.size() < 2) return {};
  if ((s[0] == 0x00 && s[1] < 0x80) || (s[0] == 0xFF && s[1] >= 0x80))
    return Fault(TDerText::dtIntegerLeadingOctet, 0, 1, {u, s[0]});
  return {};
}

// X.690 8.6.2.2, 8.6.2.3 and 11.2.1.
TValueFault CheckBitString(Bytes s) {
  if (s.empty()) return Fault(TDerText::dtBitStringEmpty, 0, 0);
  const std::uint8_t unused = s[0];
  if (unused == 0) return {};
  if (unused > 7) return Fault(TDerText::dtUnusedBitsAbove7, 0, 1, {unused});
  if (s.size() == 1) return Fault(TDerText::dtUnusedBitsWithoutContent, 0, 1, {unused});
  const std::uint8_t mask = static_cast<std::uint8_t>((1u << unused) - 1);
  if ((s.back() & mask) == 0) return {};
  return Fault(TDerText::dtUnusedBitsNotZero, s.size() - 1, 1, {unused});
}

unsigned TwoDigits(Bytes s, std::size_t at) { return (s[at] - '0') * 10u + (s[at + 1] - '0'); }

// Whether year, month, day and the time of day from digits s (MMDDHHMMSS)
// name an instant; a leap second (60) is let through.
bool IsInstant(unsigned year, Bytes s) {
  static constexpr unsigned Days[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const unsigned month = TwoDigits(s, 0);
  const unsigned day = TwoDigits(s, 2);
  if (month < 1 || month > 12 || day < 1 || day > Days[month - 1]) return false;
  const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
  if (month == 2 && day == 29 && !leap) return false;
  return TwoDigits(s, 4) < 24 && TwoDigits(s, 6) < 60 && TwoDigits(s, 8) <= 60;
}

// X.690 11.8: YYMMDDHHMMSSZ; the two-digit years stand for 1950 to 2049, so
// every fourth one is a leap year.
TValueFault CheckUtcTime(Bytes s) {
  if (s.empty() || s.back() != 'Z')
    return Fault(TDerText::dtTimeWithoutZ, 0, s.size(), {utUtcTime});
  if (s.size() == 11 && AllDigits(s.first(10))) return Fault(TDerText::dtUtcTimeWithoutSeconds, 0, s.size());
  if (s.size() != 13 || !AllDigits(s.first(12))) return Fault(TDerText::dtUtcTimeForm, 0, s.size());
  if (!IsInstant(2000 + TwoDigits(s, 0), s.subspan(2))) return Fault(TDerText::dtTimeNotInstant, 0, 12, {utUtcTime});
  return {};
}

// X.690 11.7: YYYYMMDDHHMMSS, then a fraction without trailing zeros after a
// full stop, then Z.
TValueFault CheckGeneralizedTime(Bytes s) {
  if (s.empty() || s.back() != 'Z')
    return Fault(TDerText::dtTimeWithoutZ, 0, s.size(), {utGeneralizedTime});
  if (s.size() < 15 || !AllDigits(s.first(14))) return Fault(TDerText::dtGeneralizedTimeWithoutSeconds, 0, s.size());
  if (!IsInstant(TwoDigits(s, 0) * 100 + TwoDigits(s, 2), s.subspan(4)))
    return Fault(TDerText::dtTimeNotInstant, 0, 14, {utGeneralizedTime});
  if (s.size() == 15) return {};
  const std::uint8_t mark = s[14];
  if (mark == ',') return Fault(TDerText::dtGeneralizedTimeComma, 14, 1);
  const Bytes fraction = s.subspan(15, s.size() - 16);
  if (mark != '.' || !AllDigits(fraction)) return Fault(TDerText::dtGeneralizedTimeForm, 0, s.size());
  if (fraction.empty()) return Fault(TDerText::dtGeneralizedTimeEmptyFraction, 14, 1);
  if (fraction.back() == '0') return Fault(TDerText::dtGeneralizedTimeTrailingZero, s.size() - 2, 1);
  return {};
}

// X.690 8.19.2: at least one sub-identifier, each starting with a non-0x80
// octet.
TValueFault CheckOid(Bytes s, std::uint8_t u) {
  if (s.empty()) return Fault(TDerText::dtOidEmpty, 0, 0, {u});
  bool atStart = true;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (atStart && s[i] == 0x80)
      return Fault(TDerText::dtOidLeading80, i, 1);
    atStart = (s[i] & 0x80) == 0;
  }
  return {};
}

bool IsPrintable(std::uint8_t c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || IsDigit(c)) return true;
  switch (c) {
    case ' ': case '\'': case '(': case ')': case '+': case ',': case '-': case '.': case '/': case ':':
    case '=': case '?':
      return true;
    default:
      return false;
  }
}

bool InCharset(std::uint8_t u, std::uint8_t c) {
  switch (u) {
    case utNumericString:
      return IsDigit(c) || c == ' ';
    case utPrintableString:
      return IsPrintable(c);
    case utIA5String:
      return c < 0x80;
    case utVisibleString:
      return c >= 0x20 && c < 0x7F;
    default:
      return true;
  }
}

TValueFault CheckCharset(Bytes s, std::uint8_t u) {
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (InCharset(u, s[i])) continue;
    return Fault(TDerText::dtCharsetOctet, i, 1, {s[i], u});
  }
  return {};
}

// RFC 3629: shortest form, no surrogates, at most U+10FFFF.
TValueFault CheckUtf8(Bytes s) {
  for (std::size_t i = 0; i < s.size();) {
    if (s[i] < 0x80) {
      ++i;
      continue;
    }
    const text::TUtf8Sequence sequence = text::ReadUtf8Sequence(s.subspan(i));
    if (sequence.Status != text::TUtf8Status::usWellFormed) return Fault(TDerText::dtUtf8Malformed, i, 1, {s[i]});
    i += sequence.Length;
  }
  return {};
}

bool IsSurrogate(std::uint32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

// Characters of width octets, big-endian: UCS-2 for BMPString, UCS-4 for UniversalString.
TValueFault CheckFixedWidth(Bytes s, std::size_t width, std::uint8_t u) {
  if (s.size() % width != 0)
    return Fault(TDerText::dtFixedWidthLength, s.size() - s.size() % width, s.size() % width,
                 {u, Count(s.size()), Count(width)});
  for (std::size_t i = 0; i < s.size(); i += width) {
    std::uint32_t c = 0;
    for (std::size_t k = 0; k < width; ++k) c = (c << 8) | s[i + k];
    if (IsSurrogate(c)) return Fault(TDerText::dtSurrogate, i, width, {u, c});
    if (c > 0x10FFFF) return Fault(TDerText::dtAboveUnicode, i, width, {u, c});
  }
  return {};
}

}  // namespace

TValueFault CheckValue(std::uint8_t u, std::span<const std::uint8_t> contents) {
  switch (u) {
    case utBoolean:
      return CheckBoolean(contents);
    case utInteger:
    case utEnumerated:
      return CheckInteger(contents, u);
    case utBitString:
      return CheckBitString(contents);
    case utNull:
      if (contents.empty()) return {};
      return Fault(TDerText::dtNullContents, 0, contents.size(), {Count(contents.size())});
    case utObjectIdentifier:
    case utRelativeOid:
      return CheckOid(contents, u);
    case utUtcTime:
      return CheckUtcTime(contents);
    case utGeneralizedTime:
      return CheckGeneralizedTime(contents);
    case utNumericString:
    case utPrintableString:
    case utIA5String:
    case utVisibleString:
      return CheckCharset(contents, u);
    case utUtf8String:
      return CheckUtf8(contents);
    case utBmpString:
      return CheckFixedWidth(contents, 2, u);
    case utUniversalString:
      return CheckFixedWidth(contents, 4, u);
    default:
      return {};
  }
}

}  // namespace asn
