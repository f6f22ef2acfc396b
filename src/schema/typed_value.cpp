// Typed values: the schema node says how an element's octets read; the
// renderers of the walk turn them into text wherever a universal type is meant.
#include "schema/typed_value.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cassert>

#include "asn/der_values.h"
#include "asn/element_tree.h"
#include "asn/render.h"
#include "schema/schema_tables.h"
#include "text/ascii.h"

namespace schema {

namespace {

using Bytes = std::span<const std::uint8_t>;

// A BIT STRING with named bits longer than this (after its unused-bits octet)
// keeps its digits: no schema names that many bits, and a list of every set
// bit of a long string would say less than the digits.
constexpr std::size_t MaxNamedBitOctets = 16;

constexpr char16_t LowerHex[] = u"0123456789abcdef";

void AppendName(std::u16string& out, std::uint32_t offset) {
  for (const char* c = tables::Strings + offset; *c != '\0'; ++c) out.push_back(static_cast<char16_t>(*c));
}

// The named number or bit of type whose value is number, or nullptr.
const tables::TNamedValue* NamedValue(const tables::TTypeNode& type, std::int64_t number) {
  const tables::TNamedValue* first = tables::NamedValues + type.Values;
  const tables::TNamedValue* last = first + type.ValueCount;
  const auto* it = std::lower_bound(first, last, number,
                                    [](const tables::TNamedValue& v, std::int64_t n) { return v.Value < n; });
  return it != last && it->Value == number ? it : nullptr;
}

// A two's complement INTEGER of up to 8 octets; false for longer or empty contents.
bool SmallInteger(Bytes s, std::int64_t& number) {
  if (s.empty() || s.size() > 8) return false;
  std::uint64_t v = s[0] >= 0x80 ? ~std::uint64_t{0} : 0;
  for (std::uint8_t b : s) v = (v << 8) | b;
  number = static_cast<std::int64_t>(v);
  return true;
}

void AppendIpv4(std::u16string& out, Bytes a) {
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (i != 0) out.push_back(u'.');
    text::AppendDecimal(out, a[i]);
  }
}

// RFC 5952: lower-case groups without leading zeros, the longest run of two or
// more zero groups (the first of equal runs) as "::", and an IPv4-mapped
// address with its IPv4 part in dotted decimal.
void AppendIpv6(std::u16string& out, Bytes a) {
  std::array<std::uint16_t, 8> groups;
  for (std::size_t i = 0; i < 8; ++i) groups[i] = static_cast<std::uint16_t>(a[2 * i] << 8 | a[2 * i + 1]);
  if (std::all_of(groups.begin(), groups.begin() + 5, [](std::uint16_t g) { return g == 0; }) && groups[5] == 0xFFFF) {
    out.append(u"::ffff:");
    AppendIpv4(out, a.subspan(12));
    return;
  }
  std::size_t runStart = 8, runLength = 0;
  for (std::size_t i = 0; i < 8;) {
    if (groups[i] != 0) {
      ++i;
      continue;
    }
    std::size_t end = i;
    while (end < 8 && groups[end] == 0) ++end;
    if (end - i > runLength && end - i >= 2) runStart = i, runLength = end - i;
    i = end;
  }
  for (std::size_t i = 0; i < 8; ++i) {
    if (i == runStart) {
      out.append(u"::");
      i += runLength - 1;
      continue;
    }
    if (i != 0 && i != runStart + runLength) out.push_back(u':');
    bool digits = false;
    for (int shift = 12; shift >= 0; shift -= 4) {
      const unsigned nibble = (groups[i] >> shift) & 0xF;
      if (nibble == 0 && !digits && shift != 0) continue;
      digits = true;
      out.push_back(LowerHex[nibble]);
    }
  }
}

void AppendAddress(std::u16string& out, Bytes a) {
  if (a.size() == 4) AppendIpv4(out, a);
  else AppendIpv6(out, a);
}

// The number of leading one bits of a mask that has only zeros after them; -1
// for any other mask.
int PrefixLength(Bytes mask) {
  int ones = 0;
  std::size_t i = 0;
  for (; i < mask.size() && mask[i] == 0xFF; ++i) ones += 8;
  if (i == mask.size()) return ones;
  const std::uint8_t partial = mask[i];
  const int bits = std::countl_one(partial);
  if (static_cast<std::uint8_t>(partial << bits) != 0) return -1;
  for (std::size_t k = i + 1; k < mask.size(); ++k)
    if (mask[k] != 0) return -1;
  return ones + bits;
}

// An iPAddress: 4 or 16 octets of address, or in name constraints 8 or 32 of
// address and mask, shown with its prefix length when the mask is contiguous.
bool RenderIpAddress(TTypedValue& value, Bytes s) {
  switch (s.size()) {
    case 4:
    case 16:
      AppendAddress(value.Value, s);
      return true;
    case 8:
    case 32: {
      const Bytes address = s.first(s.size() / 2);
      const Bytes mask = s.last(s.size() / 2);
      AppendAddress(value.Value, address);
      value.Value.push_back(u'/');
      const int prefix = PrefixLength(mask);
      if (prefix >= 0) text::AppendDecimal(value.Value, static_cast<std::uint64_t>(prefix));
      else AppendAddress(value.Value, mask);
      return true;
    }
    default:
      return false;
  }
}

// A serial number: its octets in hexadecimal as certificates are usually
// quoted ("10:01"), then the number in decimal.
bool RenderIdentifier(TTypedValue& value, Bytes s) {
  if (s.empty()) return false;
  text::AppendHexOctets(value.Value, s, u':');
  value.Value.append(u" (");
  std::int32_t bitLength = 0;
  asn::RenderInteger(value.Value, s, bitLength, 0);
  value.Value.push_back(u')');
  value.Shortens = true;
  return true;
}

bool RenderNamedNumber(TTypedValue& value, const tables::TTypeNode& type, Bytes s) {
  std::int64_t number = 0;
  if (!SmallInteger(s, number)) return false;
  const tables::TNamedValue* named = NamedValue(type, number);
  if (named == nullptr) return false;
  AppendName(value.Value, named->Name);
  value.Value.append(u" (");
  if (number < 0) value.Value.push_back(u'-');
  text::AppendDecimal(value.Value, number < 0 ? 0 - static_cast<std::uint64_t>(number) : static_cast<std::uint64_t>(number));
  value.Value.push_back(u')');
  return true;
}

// The names of the set bits, "bit 9" for one the type does not name, "none"
// when no bit is set; then the digits as the BIT STRING shows them.
bool RenderNamedBits(TTypedValue& value, const tables::TTypeNode& type, Bytes s, bool spaceInHex) {
  if (s.empty() || s[0] > 7 || s.size() - 1 > MaxNamedBitOctets) return false;
  const std::size_t bits = s.size() == 1 ? 0 : (s.size() - 1) * 8 - s[0];
  std::u16string& out = value.Value;
  for (std::size_t bit = 0; bit < bits; ++bit) {
    if (((s[1 + bit / 8] >> (7 - bit % 8)) & 1) == 0) continue;
    if (!out.empty()) out.append(u", ");
    if (const tables::TNamedValue* named = NamedValue(type, static_cast<std::int64_t>(bit))) {
      AppendName(out, named->Name);
    } else {
      out.append(u"bit ");
      text::AppendDecimal(out, bit);
    }
  }
  if (out.empty()) out.append(u"none");
  std::u16string digits;
  std::uint8_t unusedBits = 0;
  asn::RenderBitString(digits, s, unusedBits, spaceInHex);
  if (!digits.empty()) out.append(u" (").append(digits).push_back(u')');
  return true;
}

// Octets that hold no DER: a BIT STRING's without its unused-bits octet.
void RenderOctets(TTypedValue& value, Bytes s, bool bitString, bool spaceInHex) {
  if (bitString && !s.empty() && s[0] <= 7) s = s.subspan(1);
  text::AppendHexOctets(value.Value, s, spaceInHex ? u' ' : u'\0');
  value.IsHex = true;
  value.Shortens = true;
}

// The contents rendered as the universal type u that an IMPLICIT tag hides,
// as the walk renders that type; false where the walk would show the octets
// (a value it rejects, or a type it shows in hexadecimal anyway) and for
// characters the string type does not allow.
bool RenderAsUniversal(TTypedValue& value, std::uint8_t u, Bytes s, bool spaceInHex, const asn::TOIDDictionary* oids) {
  if (asn::IsCharacterString(u)) {
    const asn::TValueFault fault = asn::CheckValue(u, s);
    if (fault.Text && asn::DerTextInfo(*fault.Text).Rule == asn::TDerRule::drStringCharset) return false;
  }
  asn::TASNTag tag;
  tag.TagNumber = u;
  tag.Value.swap(value.Value);
  asn::RenderContents(tag, s, spaceInHex, oids);
  tag.Value.swap(value.Value);
  if (!tag.Error.empty() || (tag.IsHex && u != asn::utBitString)) return false;
  value.Description = std::move(tag.OIDDescr);
  value.IsHex = tag.IsHex;
  value.Shortens = tag.IsHex || u == asn::utInteger || u == asn::utEnumerated;
  return true;
}

// RFC 5280 4.1.2.5.1: a UTCTime's YY of 50 or more is 19YY. The walk, which
// knows no type, reads YY below 70 as 20YY, so only 50 to 69 read otherwise.
// Every UTCTime the modules declare (Time, CMS's SigningTime, the trust
// lists' ChoiceOfTime) follows that rule.
bool YearReadsOtherwise(Bytes s) { return s.size() >= 2 && (s[0] == '5' || s[0] == '6'); }

bool RenderUtcTimeFrom1950(TTypedValue& value, Bytes s, bool spaceInHex, const asn::TOIDDictionary* oids) {
  if (!RenderAsUniversal(value, asn::utUtcTime, s, spaceInHex, oids)) return false;
  assert(value.Value.compare(0, 2, u"20") == 0 && "the walk reads YY below 70 as 20YY");
  value.Value.replace(0, 2, u"19");
  return true;
}

}  // namespace

bool MayReadByType(const tables::TTypeNode& type, bool opaque, bool tagged) {
  if (type.Kind != kPrimitive) return false;
  if (opaque) return true;
  if (tagged) return type.Universal != 0;
  return type.ValueCount != 0 || (type.Flags & (nfIdentifier | nfIpAddress)) != 0 || type.Universal == asn::utUtcTime;
}

std::u16string_view TypedAlphabet(const tables::TTypeNode& type, bool opaque) {
  if (type.Kind != kPrimitive) return {};
  // RenderOctets's digits and blanks; a non-encapsulating OCTET STRING's own
  // text is the same. Named bits read by their names.
  if (opaque && type.ValueCount == 0) return u"0123456789ABCDEF ";
  // RenderIdentifier's; empty contents show nothing.
  if ((type.Flags & nfIdentifier) && type.ValueCount == 0) return u"0123456789ABCDEF:() -";
  return {};
}

bool RenderTypedValue(TTypedValue& value, const tables::TTypeNode& type, bool opaque, const asn::TElementHeader& h,
                      Bytes contents, bool spaceInHex, const asn::TOIDDictionary* oids) {
  // Cleared, not replaced: a caller that keeps one value reuses its buffers.
  value.Value.clear();
  value.Description.clear();
  value.IsHex = value.Shortens = false;
  const bool tagged = h.TagClass != asn::ASN1Universal;
  if (h.Constructed || !MayReadByType(type, opaque, tagged)) return false;
  const std::uint8_t u = tagged ? type.Universal : h.UniversalTag();
  // Named bits are never structure: what the walk decoded inside them is not read.
  if (u == asn::utBitString && type.ValueCount != 0 && RenderNamedBits(value, type, contents, spaceInHex)) return true;
  if (opaque) {
    // What the walk decoded inside is not structure; plain octets read as they did.
    const bool bitString = u == asn::utBitString;
    if (!h.Encapsulates && !bitString) return false;
    RenderOctets(value, contents, bitString, spaceInHex);
    return true;
  }
  if (h.Encapsulates || u == 0 || u == asn::utNone) return false;
  switch (u) {
    case asn::utInteger:
    case asn::utEnumerated:
      if (type.ValueCount != 0 && RenderNamedNumber(value, type, contents)) return true;
      if (type.Flags & nfIdentifier) return RenderIdentifier(value, contents);
      break;
    case asn::utUtcTime:
      if (YearReadsOtherwise(contents)) return RenderUtcTimeFrom1950(value, contents, spaceInHex, oids);
      break;
    case asn::utOctetString:
      if (type.Flags & nfIpAddress) return RenderIpAddress(value, contents);
      break;
    default:
      break;
  }
  return tagged && RenderAsUniversal(value, u, contents, spaceInHex, oids);
}

}  // namespace schema
