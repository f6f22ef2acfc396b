// Renderers of BOOLEAN, INTEGER, BIT STRING, OCTET STRING, OBJECT IDENTIFIER
// and the character strings.
#include "asn/render.h"

#include <array>
#include <limits>

#include "asn/asn.h"
#include "asn/longar.h"
#include "asn/utf.h"

namespace asn {

namespace {

// Eight characters "0"/"1" for every octet, most significant bit first.
struct BitTable {
  std::array<std::array<char16_t, 8>, 256> Bits;
  constexpr BitTable() : Bits() {
    for (std::size_t b = 0; b < 256; ++b)
      for (std::size_t k = 0; k < 8; ++k) Bits[b][k] = (b >> (7 - k)) & 1 ? u'1' : u'0';
  }
};
constexpr BitTable Bits;

// A subidentifier of up to 8 octets (56 bits) fits 64 bits; longer ones go
// through TBigNum.
void AppendArc(std::u16string& out, Bytes arc, bool first) {
  if (arc.size() <= 8) {
    std::uint64_t v = 0;
    for (std::uint8_t b : arc) v = (v << 7) | (b & 0x7F);
    if (first) {
      std::uint64_t root = v < 40 ? 0 : v < 80 ? 1 : 2;
      AppendDecimal(out, root);
      out.push_back(u'.');
      v -= root * 40;
    }
    AppendDecimal(out, v);
    return;
  }
  TBigNum num;
  for (std::uint8_t b : arc) num.MultAdd(128, b & 0x7F);
  if (first) {
    // At least 9 octets without leading 0x80 means at least 2^56; with them
    // the value may still be small.
    std::int64_t small;
    std::int64_t root = 2;
    if (num.ToInt(small) && small < 80) root = small < 40 ? 0 : 1;
    out.push_back(static_cast<char16_t>(u'0' + root));
    out.push_back(u'.');
    num.Sub(root * 40);
  }
  std::string digits = num.ToString();
  out.append(digits.begin(), digits.end());
}

}  // namespace

void RenderBoolean(std::u16string& out, Bytes s) {
  if (s.size() != 1) throw EParserException("Incorrect length", -1);
  out.append(s[0] != 0 ? u"True" : u"False");
}

void RenderInteger(std::u16string& out, Bytes s, std::int32_t& bitLength, std::uint8_t scale) {
  const std::size_t n = s.size();
  if (n == 0) return;
  const bool negative = s[0] >= 0x80;
  if (n > 4) {
    const std::uint8_t extension = negative ? 0xFF : 0x00;
    std::size_t i = 0;
    while (i < n && s[i] == extension) ++i;
    if (i < n) {
      std::int64_t bits = static_cast<std::int64_t>(n - i) * 8;
      for (int bit = 7; bit >= 0; --bit) {
        if (((s[i] >> bit) & 1) != (negative ? 1 : 0)) break;
        --bits;
      }
      // Only an INTEGER of over 256 MiB could count more bits than fit.
      bitLength = static_cast<std::int32_t>(std::min<std::int64_t>(bits, std::numeric_limits<std::int32_t>::max()));
    }
  }
  if (n <= 7) {
    // The complement of up to 56 bits, times a scale below 256, plus one,
    // stays inside 64 bits.
    std::uint64_t magnitude = 0;
    for (std::uint8_t b : s) magnitude = (magnitude << 8) | static_cast<std::uint8_t>(negative ? ~b : b);
    if (scale != 0) magnitude *= scale;
    if (negative) {
      ++magnitude;
      out.push_back(u'-');
    }
    AppendDecimal(out, magnitude);
    return;
  }
  if (n == 8 && scale == 0) {
    std::uint64_t magnitude = 0;
    for (std::uint8_t b : s) magnitude = (magnitude << 8) | static_cast<std::uint8_t>(negative ? ~b : b);
    if (negative) {
      out.push_back(u'-');
      // The complement is at most 2^63 - 1, so adding one cannot wrap.
      ++magnitude;
    }
    AppendDecimal(out, magnitude);
    return;
  }
  if (negative) out.push_back(u'-');
  AppendBigDecimal(out, s, negative, scale, negative);
}

void RenderUnsigned(std::u16string& out, Bytes s, std::uint8_t scale) {
  if (s.size() <= 7) {
    std::uint64_t v = 0;
    for (std::uint8_t b : s) v = (v << 8) | b;
    AppendDecimal(out, scale != 0 ? v * scale : v);
    return;
  }
  AppendBigDecimal(out, s, /*complement=*/false, scale, /*addOne=*/false);
}

void RenderBitString(std::u16string& out, Bytes s, std::uint8_t& unusedBits, bool addSpace) {
  if (s.empty()) return;
  unusedBits = s[0];
  if (unusedBits > 7) throw EParserException("Invalid number of unused bits", -1);
  if (s.size() == 1) return;
  const std::size_t full = s.size() - 2;  // octets rendered with all 8 bits
  out.reserve(out.size() + full * (addSpace ? 9 : 8) + 8);
  for (std::size_t i = 1; i <= full; ++i) {
    out.append(Bits.Bits[s[i]].data(), 8);
    if (addSpace) out.push_back(u' ');
  }
  out.append(Bits.Bits[s.back()].data(), 8 - unusedBits);
}

void RenderOID(std::u16string& out, Bytes s, std::u16string& oidDescr, bool relative,
               const TOIDDictionary* dictionary) {
  oidDescr.clear();
  const std::size_t start = out.size();
  std::size_t arcStart = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] & 0x80) continue;
    const bool first = out.size() == start;
    if (!first) out.push_back(u'.');
    AppendArc(out, s.subspan(arcStart, i + 1 - arcStart), first && !relative);
    arcStart = i + 1;
  }
  if (relative || dictionary == nullptr || out.size() == start) return;
  oidDescr = dictionary->Lookup(start == 0 ? out : out.substr(start));
}

void RenderUniversalString(std::u16string& out, Bytes s) {
  if (s.size() % 4 != 0) throw EParserException("Incorrect length", -1);
  for (std::size_t i = 0; i < s.size(); i += 4) {
    std::uint32_t cp = (std::uint32_t{s[i]} << 24) | (std::uint32_t{s[i + 1]} << 16) |
                       (std::uint32_t{s[i + 2]} << 8) | s[i + 3];
    if (cp <= 0x10FFFF)
      text::AppendCodePoint(out, cp);
    else
      out.push_back(u'\uFFFD');  // no UTF-16 form exists above U+10FFFF
  }
}

void RenderBMPString(std::u16string& out, Bytes s) {
  for (std::size_t i = 0; i + 1 < s.size(); i += 2)
    out.push_back(static_cast<char16_t>((s[i] << 8) | s[i + 1]));
}

std::u16string TASNParser::DecodeBoolean(std::span<const std::uint8_t> s) const {
  return Rendered(RenderBoolean, s);
}

std::u16string TASNParser::DecodeInteger(std::span<const std::uint8_t> s, std::int32_t& bitLength,
                                         std::uint8_t scale) const {
  return Rendered(RenderInteger, s, bitLength, scale);
}

std::u16string TASNParser::DecodeBitString(std::span<const std::uint8_t> s, std::uint8_t& unusedBits) const {
  return Rendered(RenderBitString, s, unusedBits, SpaceInHex);
}

std::u16string TASNParser::DecodeOID(std::span<const std::uint8_t> s, std::u16string& oidDescr,
                                     bool relative) const {
  return Rendered(RenderOID, s, oidDescr, relative, OIDDictionary);
}

std::u16string TASNParser::DecodeUniversalString(std::span<const std::uint8_t> s) const {
  return Rendered(RenderUniversalString, s);
}

std::u16string TASNParser::DecodeUTF8String(std::span<const std::uint8_t> s) const {
  return Rendered(AppendUtf8, s);
}

std::u16string TASNParser::DecodeBMPString(std::span<const std::uint8_t> s) const {
  return Rendered(RenderBMPString, s);
}

std::u16string TASNParser::DecodeASCIIString(std::span<const std::uint8_t> s) const {
  return Rendered(AppendLatin1, s);
}

}  // namespace asn
