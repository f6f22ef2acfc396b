// The element record's derived facts and the names of tags and tag classes.
#include "asn/asn.h"

#include "asn/render.h"
#include "text/ascii.h"

namespace asn {

namespace {

// Names of the universal tag numbers 0 to 30; an empty entry has no name.
constexpr const char16_t* UniversalNames[31] = {
    u"EOC",          u"BOOLEAN",         u"INTEGER",          u"BIT STRING",
    u"OCTET STRING", u"NULL",            u"OBJECT IDENTIFIER", u"ObjectDescriptor",
    u"EXTERNAL",     u"REAL",            u"ENUMERATED",       u"EMBEDDED PDV",
    u"UTF8String",   u"RELATIVE-OID",    nullptr,             nullptr,
    u"SEQUENCE",     u"SET",             u"NumericString",    u"PrintableString",
    u"T61String",    u"VideotexString",  u"IA5String",        u"UTCTime",
    u"GeneralizedTime", u"GraphicString", u"VisibleString",   u"GeneralString",
    u"UniversalString", u"CHARACTER STRING", u"BMPString",
};

}  // namespace

std::u16string TASNTag::GetTagClassName() const {
  switch (TagClass) {
    case ASN1Universal:
      return u"UNIVERSAL";
    case ASN1Application:
      return u"APPLICATION";
    case ASN1ContextSpecific:
      return u"Context-specific";
    case ASN1Private:
      return u"PRIVATE";
  }
  return u"Unknown";
}

std::u16string TASNTag::GetTagName() const {
  if (TagClass != ASN1Universal) return GetTagClassName() + u"[" + Tag + u"]";
  std::uint8_t number = UniversalTag();
  if (number > 30 || UniversalNames[number] == nullptr) return u"Unknown";
  return UniversalNames[number];
}

void TASNTag::Clear() {
  TagClass = ASN1Universal;
  Tag.clear();
  TagNumber = 0;
  TagNumberFits = true;
  Constructed = false;
  Encapsulates = false;
  Offset = 0;
  TagLength = 0;
  LengthLength = 0;
  Length = 0;
  UnusedBits = 0;
  BitLength = 0;
  Value.clear();
  OIDDescr.clear();
  IsHex = false;
  Error.clear();
}

std::u16string HexString(std::span<const std::uint8_t> s, bool addSpace) {
  std::u16string out;
  text::AppendHexOctets(out, s, addSpace ? u' ' : u'\0');
  return out;
}

void CheckInputSize(std::size_t size) {
  if (size <= MaxInputSize) return;
  throw EParserException("Input of " + std::to_string(size) + " bytes is too large: at most " +
                             std::to_string(MaxInputSize) + " are supported",
                         0);
}

}  // namespace asn
