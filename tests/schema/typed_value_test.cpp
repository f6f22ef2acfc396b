// Typed values over crafted contents, with the type nodes the compiled schemas
// give the fields. The formats chosen:
// - a string, time, BOOLEAN, INTEGER or OBJECT IDENTIFIER under an IMPLICIT tag
//   reads as its universal type does under its own tag (the OID with " - " and
//   its description);
// - iPAddress: IPv4 dotted, IPv6 in RFC 5952 form (lower case, longest zero
//   run as "::", IPv4-mapped as ::ffff:a.b.c.d); with a mask (name
//   constraints) "address/prefix" when the mask is contiguous, else
//   "address/mask";
// - named bits: the set bits' names ("bit N" unnamed), then the digits:
//   "digitalSignature, keyCertSign (100001)", "none" when no bit is set;
// - named numbers: "keyCompromise (1)"; a number the type does not name keeps
//   its plain text;
// - serial numbers: colon-separated hexadecimal octets, then the decimal
//   number: "10:01 (4097)";
// - octets that hold no DER: hexadecimal, a BIT STRING's without its
//   unused-bits octet; named bits read by their names even so;
// - a UTCTime with YY from 50 to 69 reads as 19YY (X.509's rule; the walk's
//   reads it as 20YY), any other as its tag reads it;
// - contents the type does not allow keep the text their tag gives (bytes).
#include "schema/typed_value.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "../asn/test_util.h"
#include "schema/schema_tables.h"

namespace {

using schema::tables::TTypeNode;

std::string_view Str(std::uint32_t offset) { return schema::tables::Strings + offset; }

const TTypeNode* Unwrapped(std::uint32_t type) {
  const TTypeNode* node = &schema::tables::Types[type];
  return node->Kind == schema::kExplicit ? &schema::tables::Types[node->First] : node;
}

// The first type node with this name, or the type of field in it.
const TTypeNode* TypeOf(std::string_view typeName, std::string_view field = {}) {
  for (std::uint32_t t = 0; t < schema::tables::TypeCount; ++t) {
    const TTypeNode& n = schema::tables::Types[t];
    if (Str(n.Name) != typeName) continue;
    if (field.empty()) return &n;
    if (n.Kind != schema::kSequence && n.Kind != schema::kSet && n.Kind != schema::kChoice) continue;
    for (std::uint32_t f = n.First; f < n.First + n.Count; ++f)
      if (Str(schema::tables::Fields[f].Name) == field) return Unwrapped(schema::tables::Fields[f].Type);
  }
  return nullptr;
}

asn::TElementHeader Header(asn::TASN1TagClasses tagClass, std::uint32_t number, bool encapsulates = false) {
  asn::TElementHeader h;
  h.TagClass = tagClass;
  h.TagNumber = number;
  h.Encapsulates = encapsulates;
  return h;
}

constexpr auto Ctx = asn::ASN1ContextSpecific;
constexpr auto Univ = asn::ASN1Universal;

TEST(TypedValue, ReadsTheContentsAsTheirTypeSays) {
  asn::TOIDDictionary oids;
  const std::string entry = "1.2.840.113549.1.1.1=RSA encryption\n";
  oids.LoadBytes(std::span(reinterpret_cast<const std::uint8_t*>(entry.data()), entry.size()));
  const std::string longSerial = "7A 3B 00 11 22 33 44 55 66 77 88 99 AA BB CC DD EE FF 01 02";
  struct {
    const char* Label;
    const char* Type;
    const char* Field;
    bool Opaque;
    asn::TElementHeader Header;
    std::string Contents;
    const char* Expected;  // nullptr: the tag's own text stands
    char Form;             // t text, n number (cut when long), h hexadecimal
  } cases[] = {
      {"dNSName", "GeneralName", "dNSName", false, Header(Ctx, 2), "77 77 77 2E 65 78 2E 74 65 73 74", "www.ex.test", 't'},
      {"dNSName with E9 keeps its bytes", "GeneralName", "dNSName", false, Header(Ctx, 2), "63 61 66 E9 2E 74 65 73 74",
       nullptr, 0},
      {"URI", "GeneralName", "uniformResourceIdentifier", false, Header(Ctx, 6),
       "68 74 74 70 3A 2F 2F 63 72 6C 2E 65 78 61 6D 70 6C 65 2F", "http://crl.example/", 't'},
      {"registeredID with its description", "GeneralName", "registeredID", false, Header(Ctx, 8),
       "2A 86 48 86 F7 0D 01 01 01", "1.2.840.113549.1.1.1 - RSA encryption", 't'},
      {"IPv4", "GeneralName", "iPAddress", false, Header(Ctx, 7), "C0 00 02 0A", "192.0.2.10", 't'},
      {"IPv6, longest zero run", "GeneralName", "iPAddress", false, Header(Ctx, 7),
       "20 01 0D B8 00 00 00 00 00 00 00 00 00 00 00 01", "2001:db8::1", 't'},
      {"IPv6, first of equal runs, one zero group kept", "GeneralName", "iPAddress", false, Header(Ctx, 7),
       "20 01 0D B8 00 00 00 00 00 01 00 00 00 00 0A BC", "2001:db8::1:0:0:abc", 't'},
      {"IPv6, a single zero group is not compressed", "GeneralName", "iPAddress", false, Header(Ctx, 7),
       "20 01 0D B8 00 00 00 01 00 01 00 01 00 01 00 01", "2001:db8:0:1:1:1:1:1", 't'},
      {"IPv6 unspecified", "GeneralName", "iPAddress", false, Header(Ctx, 7), "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00",
       "::", 't'},
      {"IPv4-mapped IPv6", "GeneralName", "iPAddress", false, Header(Ctx, 7),
       "00 00 00 00 00 00 00 00 00 00 FF FF C0 00 02 01", "::ffff:192.0.2.1", 't'},
      {"IPv4 with a contiguous mask", "GeneralName", "iPAddress", false, Header(Ctx, 7), "C0 00 02 00 FF FF FF 00",
       "192.0.2.0/24", 't'},
      {"IPv4 with a mask that is not contiguous", "GeneralName", "iPAddress", false, Header(Ctx, 7),
       "0A 00 00 00 FF 00 FF 00", "10.0.0.0/255.0.255.0", 't'},
      {"IPv6 with a mask", "GeneralName", "iPAddress", false, Header(Ctx, 7),
       "20 01 0D B8 00 00 00 00 00 00 00 00 00 00 00 00 FF FF FF FF 00 00 00 00 00 00 00 00 00 00 00 00",
       "2001:db8::/32", 't'},
      {"iPAddress of 5 octets keeps its bytes", "GeneralName", "iPAddress", false, Header(Ctx, 7), "C0 00 02 0A 01",
       nullptr, 0},
      {"named bits", "KeyUsage", "", false, Header(Univ, 3), "02 84", "digitalSignature, keyCertSign (100001)", 't'},
      {"no bit set", "KeyUsage", "", false, Header(Univ, 3), "00", "none", 't'},
      {"no bit set, one bit long", "KeyUsage", "", false, Header(Univ, 3), "07 00", "none (0)", 't'},
      {"a bit the type does not name", "KeyUsage", "", false, Header(Univ, 3), "06 80 40",
       "digitalSignature, bit 9 (10000000 01)", 't'},
      {"too many unused bits", "KeyUsage", "", false, Header(Univ, 3), "08 80", nullptr, 0},
      {"named bits that the walk decoded as an OID", "KeyUsage", "", true, Header(Univ, 3, true), "07 06 00",
       "keyCertSign, cRLSign (00000110 0)", 't'},
      {"named bits under an IMPLICIT tag", "IssuingDistributionPoint", "onlySomeReasons", false, Header(Ctx, 3),
       "06 40", "keyCompromise (01)", 't'},
      {"named number", "CRLReason", "", false, Header(Univ, 10), "01", "keyCompromise (1)", 't'},
      {"number the type does not name", "CRLReason", "", false, Header(Univ, 10), "07", nullptr, 0},
      {"version", "TBSCertificate", "version", false, Header(Univ, 2), "02", "v3 (2)", 't'},
      {"status", "OCSPResponse", "responseStatus", false, Header(Univ, 10), "00", "successful (0)", 't'},
      {"serial number", "TBSCertificate", "serialNumber", false, Header(Univ, 2), "10 01", "10:01 (4097)", 'n'},
      {"negative serial number", "TBSCertificate", "serialNumber", false, Header(Univ, 2), "FF", "FF (-1)", 'n'},
      {"20-octet serial number", "TBSCertificate", "serialNumber", false, Header(Univ, 2), longSerial,
       "7A:3B:00:11:22:33:44:55:66:77:88:99:AA:BB:CC:DD:EE:FF:01:02 "
       "(697812623837481911344179295511457728942028292354)", 'n'},
      {"serial under an IMPLICIT tag", "AuthorityKeyIdentifier", "authorityCertSerialNumber", false, Header(Ctx, 2),
       "10 01", "10:01 (4097)", 'n'},
      {"IMPLICIT BOOLEAN", "IssuingDistributionPoint", "onlyContainsUserCerts", false, Header(Ctx, 1), "FF", "True", 't'},
      {"IMPLICIT BOOLEAN of two octets keeps its bytes", "IssuingDistributionPoint", "onlyContainsUserCerts", false,
       Header(Ctx, 1), "FF FF", nullptr, 0},
      {"IMPLICIT INTEGER", "PolicyConstraints", "requireExplicitPolicy", false, Header(Ctx, 0), "03", "3", 'n'},
      {"IMPLICIT GeneralizedTime", "PrivateKeyUsagePeriod", "notBefore", false, Header(Ctx, 0),
       "32 30 32 33 30 31 31 35 31 32 33 30 34 35 5A", "2023-01-15 12:30:45 UTC", 't'},
      {"UTCTime from 1950", "Time", "utcTime", false, Header(Univ, 23), "35 30 30 31 30 31 31 32 30 31 30 30 5A",
       "1950-01-01 12:01:00 UTC", 't'},
      {"UTCTime of 1969", "Time", "utcTime", false, Header(Univ, 23), "36 39 30 31 30 31 30 30 30 30 30 30 5A",
       "1969-01-01 00:00:00 UTC", 't'},
      {"UTCTime of 1960 with an offset", "Time", "utcTime", false, Header(Univ, 23),
       "36 30 30 31 30 31 31 32 30 30 30 30 2B 30 31 30 30", "1960-01-01 12:00:00 UTC+01:00", 't'},
      {"UTCTime of 2049 reads as its tag reads it", "Time", "utcTime", false, Header(Univ, 23),
       "34 39 31 32 33 31 32 33 35 39 35 39 5A", nullptr, 0},
      {"UTCTime of 1970 reads as its tag reads it", "Time", "utcTime", false, Header(Univ, 23),
       "37 30 30 31 30 31 30 30 30 30 30 30 5A", nullptr, 0},
      {"UTCTime too short keeps its bytes", "Time", "utcTime", false, Header(Univ, 23), "35 30 30 31 30 31 5A", nullptr,
       0},
      {"a signature is hexadecimal, not bits", "Certificate", "signature", true, Header(Univ, 3), "00 DE AD BE EF",
       "DE AD BE EF", 'h'},
      {"opaque octets that decoded as BER", "AuthorityKeyIdentifier", "keyIdentifier", true, Header(Univ, 4, true),
       "04 03 01 02 03", "04 03 01 02 03", 'h'},
      {"opaque octets in hexadecimal already", "AuthorityKeyIdentifier", "keyIdentifier", true, Header(Ctx, 0),
       "01 02 03", nullptr, 0},
      {"a universal string says what its tag says", "DirectoryString", "printableString", false, Header(Univ, 19),
       "41 42", nullptr, 0},
      {"an unflagged INTEGER says what its tag says", "PolicyConstraints", "requireExplicitPolicy", false,
       Header(Univ, 2), "03", nullptr, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    const TTypeNode* type = TypeOf(c.Type, c.Field);
    ASSERT_NE(type, nullptr) << c.Type << "." << c.Field;
    const std::vector<std::uint8_t> contents = asn::test::Hex(c.Contents);
    schema::TTypedValue value;
    const bool typed = schema::RenderTypedValue(value, *type, c.Opaque, c.Header, contents, /*spaceInHex=*/true, &oids);
    ASSERT_EQ(typed, c.Expected != nullptr) << asn::test::U8(value.Value);
    if (!typed) continue;
    std::u16string shown = value.Value;
    if (!value.Description.empty()) shown += u" - " + value.Description;
    EXPECT_EQ(asn::test::U8(shown), c.Expected);
    EXPECT_EQ(value.IsHex, c.Form == 'h');
    EXPECT_EQ(value.Shortens, c.Form != 't');
    // A search rules out a value whose text leaves the type's alphabet.
    const std::u16string_view alphabet = schema::TypedAlphabet(*type, c.Opaque);
    if (!alphabet.empty()) {
      EXPECT_EQ(value.Value.find_first_not_of(alphabet), std::u16string::npos) << asn::test::U8(value.Value);
    }
  }
}

}  // namespace
