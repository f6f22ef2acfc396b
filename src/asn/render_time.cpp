// Renderers of UTCTime, GeneralizedTime and REAL. Times are rearranged as
// text, never converted or validated as dates; REAL stays symbolic.
#include "asn/asn.h"
#include "asn/longar.h"
#include "asn/render.h"
#include "asn/utf.h"

namespace asn {

namespace {

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// A "-" or "+" after the date part starts a zone offset: " UTC" goes before
// it, and hh or hhmm become hh:mm.
void RewriteOffset(std::u16string& text, char16_t sign) {
  constexpr std::size_t DatePartLength = 10;
  std::size_t at = text.find(sign, DatePartLength);
  if (at == std::u16string::npos) return;
  std::u16string right = text.substr(at + 1);
  if (right.find(u'.') == std::u16string::npos) {
    if (right.size() == 2) {
      right += u":00";
    } else if (right.size() == 4) {
      right.insert(2, 1, u':');
    }
  }
  text.resize(at);
  text += u" UTC";
  text.push_back(sign);
  text += right;
}

void RewriteZone(std::u16string& text, std::size_t start) {
  std::u16string zoned = text.substr(start);
  for (std::size_t at = zoned.find(u'Z'); at != std::u16string::npos; at = zoned.find(u'Z', at + 4))
    zoned.replace(at, 1, u" UTC");
  RewriteOffset(zoned, u'-');
  RewriteOffset(zoned, u'+');
  text.resize(start);
  text += zoned;
}

}  // namespace

void RenderUTCTime(std::u16string& out, Bytes s) {
  if (s.size() != 13 && s.size() != 17) throw EParserException("Incorrect length", -1);
  std::u16string c;
  AppendLatin1(c, s);
  // Not a year: the contents are rejected like any malformed value.
  if (!IsDigit(c[0]) || !IsDigit(c[1])) throw EParserException("Decoding error", -1);
  const int year = (c[0] - u'0') * 10 + (c[1] - u'0');
  const std::size_t start = out.size();
  out += year < 70 ? u"20" : u"19";
  out += c.substr(0, 2) + u"-" + c.substr(2, 2) + u"-" + c.substr(4, 2) + u" " + c.substr(6, 2) + u":" +
         c.substr(8, 2) + u":" + c.substr(10, 2) + c.substr(12, 1);
  if (s.size() == 17) out += c.substr(13, 2) + u":" + c.substr(15, 2);
  RewriteZone(out, start);
}

void RenderGeneralizedTime(std::u16string& out, Bytes s) {
  if (s.size() < 10) throw EParserException("Incorrect length", -1);
  std::u16string c;
  AppendLatin1(c, s);
  const std::size_t start = out.size();
  out += c.substr(0, 4) + u"-" + c.substr(4, 2) + u"-" + c.substr(6, 2) + u" " + c.substr(8, 2);
  const std::size_t n = c.size();
  if (n > 10 && c[10] == u'.') {
    out += c.substr(10);
  } else if (n > 12 && c[12] == u'.') {
    out += u":" + c.substr(10, 2) + c.substr(12);
  } else if (n >= 14) {
    out += u":" + c.substr(10, 2) + u":" + c.substr(12, 2) + c.substr(14);
  } else {
    out += c.substr(10);
  }
  RewriteZone(out, start);
}

void RenderReal(std::u16string& out, Bytes s) {
  if (s.empty()) return;
  const std::uint8_t info = s[0];
  switch (info) {
    case 0x40:
      out += u"PLUS-INFINITY";
      return;
    case 0x41:
      out += u"MINUS-INFINITY";
      return;
    case 0x42:
      out += u"NOT-A-NUMBER";
      return;
    case 0x43:
      out += u"-0";
      return;
    default:
      break;
  }
  if ((info & 0xC0) == 0) {
    AppendLatin1(out, s.subspan(1));
    return;
  }
  const bool negative = info & 0x40;
  int base;
  switch (info & 0x30) {
    case 0x00:
      base = 2;
      break;
    case 0x10:
      base = 8;
      break;
    case 0x20:
      base = 16;
      break;
    default:
      throw EParserException("Incorrect base value", -1);
  }
  const int scaleExponent = (info >> 2) & 0x03;
  if (s.size() < 2) throw EParserException("Incorrect length", -1);
  std::size_t exponentStart = 1;
  std::size_t exponentLength = (info & 0x03) + 1;
  if ((info & 0x03) == 3) {
    exponentStart = 2;
    exponentLength = s[1];
  }
  // At least one mantissa octet must follow the exponent.
  if (s.size() < exponentStart + exponentLength + 1) throw EParserException("Incorrect length", -1);

  if (negative) out.push_back(u'-');
  RenderUnsigned(out, s.subspan(exponentStart + exponentLength), static_cast<std::uint8_t>(1 << scaleExponent));
  out += u"E(";
  AppendDecimal(out, static_cast<std::uint64_t>(base));
  out.push_back(u')');
  std::int32_t unusedBitLength = 0;
  RenderInteger(out, s.subspan(exponentStart, exponentLength), unusedBitLength, 0);
}

std::u16string TASNParser::DecodeUTCTime(std::span<const std::uint8_t> s) const {
  return Rendered(RenderUTCTime, s);
}

std::u16string TASNParser::DecodeGeneralizedTime(std::span<const std::uint8_t> s) const {
  return Rendered(RenderGeneralizedTime, s);
}

std::u16string TASNParser::DecodeReal(std::span<const std::uint8_t> s) const {
  return Rendered(RenderReal, s);
}

}  // namespace asn
