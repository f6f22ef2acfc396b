// The DER checks on contents octets: BOOLEAN, INTEGER, BIT STRING, the times,
// OBJECT IDENTIFIER sub-identifiers and the character sets of the strings.
#include "asn/der_values.h"

#include <cstdio>

#include "asn/asn.h"

namespace asn {

namespace {

using Bytes = std::span<const std::uint8_t>;

TValueFault Fault(TDerRule rule, std::size_t offset, std::size_t length, std::string explanation) {
  return {rule, static_cast<std::int32_t>(offset), static_cast<std::int32_t>(length), std::move(explanation)};
}

std::string HexOctet(std::uint8_t octet) {
  char text[8];
  std::snprintf(text, sizeof text, "%02X", octet);
  return text;
}

bool IsDigit(std::uint8_t c) { return c >= '0' && c <= '9'; }

bool AllDigits(Bytes s) {
  for (std::uint8_t c : s)
    if (!IsDigit(c)) return false;
  return true;
}

// X.690 11.1.
TValueFault CheckBoolean(Bytes s) {
  if (s.size() != 1)
    return Fault(TDerRule::drBooleanNotCanonical, 0, s.size(),
                 "DER: BOOLEAN of " + std::to_string(s.size()) + " octets, not 1");
  if (s[0] == 0x00 || s[0] == 0xFF) return {};
  return Fault(TDerRule::drBooleanNotCanonical, 0, 1, "DER: BOOLEAN TRUE written as " + HexOctet(s[0]) + ", not FF");
}

// X.690 8.3.2: the first nine bits are never all zeros or all ones.
TValueFault CheckInteger(Bytes s, const char* name) {
  if (s.empty()) return Fault(TDerRule::drIntegerNotMinimal, 0, 0, std::string("DER: ") + name + " with no content");
  if (s.size() < 2) return {};
  if ((s[0] == 0x00 && s[1] < 0x80) || (s[0] == 0xFF && s[1] >= 0x80))
    return Fault(TDerRule::drIntegerNotMinimal, 0, 1,
                 std::string("DER: ") + name + " with a redundant leading " + HexOctet(s[0]) + " octet");
  return {};
}

// X.690 8.6.2.2, 8.6.2.3 and 11.2.1.
TValueFault CheckBitString(Bytes s) {
  if (s.empty()) return Fault(TDerRule::drBitstringPadding, 0, 0, "DER: BIT STRING without its unused-bits octet");
  const std::uint8_t unused = s[0];
  if (unused == 0) return {};
  const std::string count = std::to_string(unused);
  if (unused > 7) return Fault(TDerRule::drBitstringPadding, 0, 1, "DER: " + count + " unused bits, at most 7 allowed");
  if (s.size() == 1)
    return Fault(TDerRule::drBitstringPadding, 0, 1, "DER: " + count + " unused bits in an empty BIT STRING");
  const std::uint8_t mask = static_cast<std::uint8_t>((1u << unused) - 1);
  if ((s.back() & mask) == 0) return {};
  return Fault(TDerRule::drBitstringPadding, s.size() - 1, 1, "DER: the " + count + " unused bits are not zero");
}

// X.690 11.8: YYMMDDHHMMSSZ.
TValueFault CheckUtcTime(Bytes s) {
  if (s.empty() || s.back() != 'Z')
    return Fault(TDerRule::drTimeNotDer, 0, s.size(), "DER: UTCTime not ending in Z");
  if (s.size() == 11 && AllDigits(s.first(10)))
    return Fault(TDerRule::drTimeNotDer, 0, s.size(), "DER: UTCTime without seconds");
  if (s.size() != 13 || !AllDigits(s.first(12)))
    return Fault(TDerRule::drTimeNotDer, 0, s.size(), "DER: UTCTime not in the form YYMMDDHHMMSSZ");
  return {};
}

// X.690 11.7: YYYYMMDDHHMMSS, then a fraction without trailing zeros after a
// full stop, then Z.
TValueFault CheckGeneralizedTime(Bytes s) {
  if (s.empty() || s.back() != 'Z')
    return Fault(TDerRule::drTimeNotDer, 0, s.size(), "DER: GeneralizedTime not ending in Z");
  if (s.size() < 15 || !AllDigits(s.first(14)))
    return Fault(TDerRule::drTimeNotDer, 0, s.size(), "DER: GeneralizedTime without seconds or not in the form YYYYMMDDHHMMSSZ");
  if (s.size() == 15) return {};
  const std::uint8_t mark = s[14];
  if (mark == ',') return Fault(TDerRule::drTimeNotDer, 14, 1, "DER: GeneralizedTime fraction after a comma, not a full stop");
  const Bytes fraction = s.subspan(15, s.size() - 16);
  if (mark != '.' || !AllDigits(fraction))
    return Fault(TDerRule::drTimeNotDer, 0, s.size(), "DER: GeneralizedTime not in the form YYYYMMDDHHMMSS[.fff]Z");
  if (fraction.empty()) return Fault(TDerRule::drTimeNotDer, 14, 1, "DER: GeneralizedTime with an empty fraction");
  if (fraction.back() == '0')
    return Fault(TDerRule::drTimeNotDer, s.size() - 2, 1, "DER: GeneralizedTime fraction with a trailing zero");
  return {};
}

// X.690 8.19.2: a sub-identifier starts with a non-0x80 octet.
TValueFault CheckOid(Bytes s) {
  bool atStart = true;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (atStart && s[i] == 0x80)
      return Fault(TDerRule::drOidNotMinimal, i, 1, "DER: sub-identifier with a leading 80 octet");
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

TValueFault CheckCharset(Bytes s, std::uint8_t u, const char* name) {
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (InCharset(u, s[i])) continue;
    return Fault(TDerRule::drStringCharset, i, 1, "DER: octet " + HexOctet(s[i]) + " is not allowed in a " + name);
  }
  return {};
}

// Length of the well-formed UTF-8 sequence at s[i] (RFC 3629: shortest form,
// no surrogates, at most U+10FFFF); 0 when it is malformed.
std::size_t Utf8SequenceLength(Bytes s, std::size_t i) {
  const std::uint8_t c = s[i];
  if (c < 0x80) return 1;
  std::size_t n = 0;
  std::uint8_t low = 0x80, high = 0xBF;  // range of the second octet
  if (c >= 0xC2 && c <= 0xDF) n = 2;
  else if (c == 0xE0) n = 3, low = 0xA0;
  else if (c == 0xED) n = 3, high = 0x9F;
  else if (c >= 0xE1 && c <= 0xEF) n = 3;
  else if (c == 0xF0) n = 4, low = 0x90;
  else if (c == 0xF4) n = 4, high = 0x8F;
  else if (c >= 0xF1 && c <= 0xF3) n = 4;
  else return 0;
  if (i + n > s.size()) return 0;
  if (s[i + 1] < low || s[i + 1] > high) return 0;
  for (std::size_t k = 2; k < n; ++k)
    if (s[i + k] < 0x80 || s[i + k] > 0xBF) return 0;
  return n;
}

TValueFault CheckUtf8(Bytes s) {
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t n = Utf8SequenceLength(s, i);
    if (n == 0) return Fault(TDerRule::drStringCharset, i, 1, "DER: malformed UTF-8 at octet " + HexOctet(s[i]));
    i += n;
  }
  return {};
}

bool IsSurrogate(std::uint32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

// Characters of width octets, big-endian: UCS-2 for BMPString, UCS-4 for UniversalString.
TValueFault CheckFixedWidth(Bytes s, std::size_t width, const char* name) {
  if (s.size() % width != 0)
    return Fault(TDerRule::drStringCharset, s.size() - s.size() % width, s.size() % width,
                 std::string("DER: ") + name + " of " + std::to_string(s.size()) + " octets, not a multiple of " +
                     std::to_string(width));
  for (std::size_t i = 0; i < s.size(); i += width) {
    std::uint32_t c = 0;
    for (std::size_t k = 0; k < width; ++k) c = (c << 8) | s[i + k];
    if (IsSurrogate(c) || c > 0x10FFFF)
      return Fault(TDerRule::drStringCharset, i, width, std::string("DER: ") + name + " holds no character " +
                                                          (c > 0x10FFFF ? "above U+10FFFF" : "in the surrogate range"));
  }
  return {};
}

}  // namespace

TValueFault CheckValue(std::uint8_t u, std::span<const std::uint8_t> contents) {
  switch (u) {
    case utBoolean:
      return CheckBoolean(contents);
    case utInteger:
      return CheckInteger(contents, "INTEGER");
    case utEnumerated:
      return CheckInteger(contents, "ENUMERATED");
    case utBitString:
      return CheckBitString(contents);
    case utObjectIdentifier:
    case utRelativeOid:
      return CheckOid(contents);
    case utUtcTime:
      return CheckUtcTime(contents);
    case utGeneralizedTime:
      return CheckGeneralizedTime(contents);
    case utNumericString:
      return CheckCharset(contents, u, "NumericString");
    case utPrintableString:
      return CheckCharset(contents, u, "PrintableString");
    case utIA5String:
      return CheckCharset(contents, u, "IA5String");
    case utVisibleString:
      return CheckCharset(contents, u, "VisibleString");
    case utUtf8String:
      return CheckUtf8(contents);
    case utBmpString:
      return CheckFixedWidth(contents, 2, "BMPString");
    case utUniversalString:
      return CheckFixedWidth(contents, 4, "UniversalString");
    default:
      return {};
  }
}

}  // namespace asn
