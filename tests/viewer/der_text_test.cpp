// DER findings in words: every text of the checks with its numbers, field
// names and labels filled in, in the built-in English and in a translation.
#include "document/der_text.h"

#include <set>

#include "document/document.h"
#include "platform/fake/fake_platform.h"
#include "settings/lang.h"
#include "text/base64.h"
#include "viewer_test_util.h"

namespace viewer {
namespace {

using test::HexBytes;

// The findings of bytes as "rule: explanation", one per line.
std::string Worded(std::vector<std::uint8_t> bytes, std::set<asn::TDerText>* seen = nullptr,
                   TTextById text = settings::EnglishTextById) {
  TDecodedDocument document(TDocumentOptions{});
  document.LoadBytes(test::Shared(std::move(bytes)));
  std::string out;
  for (const asn::TDerFinding& f : document.CheckDer()) {
    if (seen) seen->insert(f.Text);
    out += std::string(asn::DerRuleId(f.Rule())) + ": ";
    out += settings::Utf16ToUtf8(DerExplanation(document, f, text)) + "\n";
  }
  return out;
}

// The findings of a PEM file of blocks, each with its label, as Worded gives them.
std::string WordedPem(const std::vector<std::pair<std::string, std::vector<std::uint8_t>>>& blocks,
                      std::set<asn::TDerText>* seen) {
  test::TTempDir temp;
  std::string pem;
  for (const auto& [label, bytes] : blocks) pem += text::PemBlock(label, bytes);
  test::WriteAll(temp.Path / "in.pem", pem);
  TDecodedDocument document(TDocumentOptions{});
  document.SetFileName(settings::Utf8ToUtf16((temp.Path / "in.pem").string()));
  document.LoadFile();
  std::string out;
  for (const asn::TDerFinding& f : document.CheckDer()) {
    seen->insert(f.Text);
    out += std::string(asn::DerRuleId(f.Rule())) + ": ";
    out += settings::Utf16ToUtf8(DerExplanation(document, f, settings::EnglishTextById)) + "\n";
  }
  return out;
}

// cert.der with its keyUsage BIT STRING (03 02 05 A0 at offset 624) given
// other contents octets.
std::vector<std::uint8_t> CertWithKeyUsage(std::uint8_t unused, std::uint8_t bits) {
  const std::string data = test::ReadAll(test::SamplesDir() / "cert.der");
  std::vector<std::uint8_t> bytes(data.begin(), data.end());
  EXPECT_EQ(test::HexBytes("03 02 05 A0"), std::vector<std::uint8_t>(bytes.begin() + 624, bytes.begin() + 628));
  bytes[626] = unused;
  bytes[627] = bits;
  return bytes;
}

TEST(DerText, EveryTextReadsAsBramletDumpHasAlwaysWrittenIt) {
  struct {
    const char* Hex;
    const char* Expected;
  } const rows[] = {
      {"30 81 03 02 01 05", "length-not-minimal: length 3 written in 2 octets\n"},
      {"30 80 02 01 05 00 00", "indefinite-length: indefinite length\n"},
      {"33 03 13 01 41", "constructed-string: PrintableString in constructed form\n"},
      {"3F 10 00", "tag-not-minimal: tag number 16 written in 2 octets\n"},
      {"9F 80 40 00", "tag-not-minimal: tag number with a leading 0x80 octet\n"},
      {"01 02 FF FF", "boolean-not-canonical: BOOLEAN of 2 octets, not 1\n"},
      {"01 01 01", "boolean-not-canonical: BOOLEAN TRUE written as 01, not FF\n"},
      {"0A 00", "integer-not-minimal: ENUMERATED with no content\n"},
      {"02 02 FF 80", "integer-not-minimal: INTEGER with a redundant leading FF octet\n"},
      {"03 00", "bitstring-padding: BIT STRING without its unused-bits octet\n"},
      {"03 02 08 00", "bitstring-padding: 8 unused bits, at most 7 allowed\n"},
      {"03 01 03", "bitstring-padding: 3 unused bits in an empty BIT STRING\n"},
      {"03 02 07 81", "bitstring-padding: the 7 unused bits are not zero\n"},
      {"31 06 02 01 07 02 01 05", "set-not-sorted: SET OF member 2 sorts before the one ahead of it\n"},
      {"31 06 82 01 00 81 01 00",
       "set-not-sorted: SET members in neither tag order nor the order of their encodings\n"},
      {"17 02 30 30", "time-not-der: UTCTime not ending in Z\n"},
      {"18 02 30 30", "time-not-der: GeneralizedTime not ending in Z\n"},
      {"17 0B 323631323039313130395A", "time-not-der: UTCTime without seconds\n"},
      {"17 0D 32363132303931313039 4130 5A", "time-not-der: UTCTime not in the form YYMMDDHHMMSSZ\n"},
      {"18 0D 323032363132303931313039 5A",
       "time-not-der: GeneralizedTime without seconds or not in the form YYYYMMDDHHMMSSZ\n"},
      {"18 11 32303236313230393131303930302C355A",
       "time-not-der: GeneralizedTime fraction after a comma, not a full stop\n"},
      {"18 11 32303236313230393131303930302B355A",
       "time-not-der: GeneralizedTime not in the form YYYYMMDDHHMMSS[.fff]Z\n"},
      {"18 10 32303236313230393131303930302E5A", "time-not-der: GeneralizedTime with an empty fraction\n"},
      {"18 12 32303236313230393131303930302E35305A",
       "time-not-der: GeneralizedTime fraction with a trailing zero\n"},
      {"06 04 2A 80 86 48", "oid-not-minimal: sub-identifier with a leading 80 octet\n"},
      {"16 02 41 C9", "string-charset: octet C9 is not allowed in a IA5String\n"},
      {"0C 02 C0 80", "string-charset: malformed UTF-8 at octet C0\n"},
      {"1C 05 00 00 00 41 00", "string-charset: UniversalString of 5 octets, not a multiple of 4\n"},
      // The fault is the surrogate the string holds.
      {"1E 02 D8 3D", "string-charset: BMPString holds the surrogate U+D83D, which is not a character\n"},
      {"1C 04 00 11 00 00",
       "string-charset: UniversalString holds U+110000, above U+10FFFF, which is not a character\n"},
      {"05 00 05 00 05 00", "trailing-data: 4 octets after the first element\n"},
      {"05 01 00", "null-not-empty: NULL with 1 octet of content\n"},
      {"05 02 00 00", "null-not-empty: NULL with 2 octets of content\n"},
      {"06 00", "oid-empty: OBJECT IDENTIFIER with no content\n"},
      {"17 0D 3236313333303131303930305A",
       "time-not-instant: UTCTime that names no instant (month, day or time of day out of range)\n"},
  };
  std::set<asn::TDerText> seen;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Hex);
    EXPECT_EQ(Worded(HexBytes(row.Hex), &seen), row.Expected);
  }

  // The rules that need the schema name the field.
  const std::string data = test::ReadAll(test::SamplesDir() / "cert.der");
  std::vector<std::uint8_t> version(data.begin(), data.end());
  version[12] = 0;  // v1, the DEFAULT, written out
  EXPECT_EQ(Worded(version, &seen), "default-encoded: version encoded with its DEFAULT value\n");
  EXPECT_EQ(Worded(CertWithKeyUsage(0, 0xA0), &seen),
            "named-bits-trailing-zero: named bit list KeyUsage ends in 5 zero bits\n");
  EXPECT_EQ(Worded(CertWithKeyUsage(0, 0xA2), &seen),
            "named-bits-trailing-zero: named bit list KeyUsage ends in 1 zero bit\n");

  // A document typed by its PEM label that departs from the type; octets
  // after a block's element, while a second block is a document of its own.
  std::vector<std::uint8_t> cert(data.begin(), data.end());
  std::vector<std::uint8_t> enumerated = cert;
  enumerated[13] = 0x0A;  // the serial number as an ENUMERATED
  std::vector<std::uint8_t> extra = cert;
  extra[590] = 0xA4;  // the extensions as [4], which the TBS does not have
  EXPECT_EQ(WordedPem({{"CERTIFICATE", enumerated}, {"CERTIFICATE", extra}}, &seen),
            "schema-mismatch: tbsCertificate: serialNumber expected (INTEGER), found ENUMERATED\n"
            "schema-mismatch: tbsCertificate: end expected, found [4]\n");
  // rsa-key.der without its prime1 (at offset 533, 132 octets): every
  // INTEGER after it moves up a place, and the coefficient is missing.
  const std::string rsaData = test::ReadAll(test::SamplesDir() / "rsa-key.der");
  std::vector<std::uint8_t> rsa(rsaData.begin(), rsaData.end());
  ASSERT_GT(rsa.size(), 665u);
  rsa.erase(rsa.begin() + 533, rsa.begin() + 665);
  const std::size_t content = rsa.size() - 4;
  rsa[2] = static_cast<std::uint8_t>(content >> 8);
  rsa[3] = static_cast<std::uint8_t>(content);
  EXPECT_EQ(WordedPem({{"RSA PRIVATE KEY", rsa}}, &seen),
            "schema-mismatch: RSAPrivateKey: coefficient expected (INTEGER), found nothing\n");
  std::vector<std::uint8_t> withNull = cert;
  withNull.insert(withNull.end(), {0x05, 0x00});
  EXPECT_EQ(WordedPem({{"CERTIFICATE", withNull}, {"CERTIFICATE", cert}}, &seen),
            "trailing-data: 2 octets after the first element\n");

  // A SET out of tag order is found only where the schema says SET, which
  // no sample holds; its text takes no numbers.
  const TDecodedDocument none(TDocumentOptions{});
  asn::TDerFinding setOrder;
  setOrder.Element = asn::NoElement;
  setOrder.Text = asn::TDerText::dtSetTagOrder;
  EXPECT_EQ(settings::Utf16ToUtf8(DerExplanation(none, setOrder, settings::EnglishTextById)),
            "SET members not in the order of their tags");
  seen.insert(setOrder.Text);

  // A new text needs a row here.
  EXPECT_EQ(seen.size(), static_cast<std::size_t>(asn::TDerText::dtTrailingData) + 1);
}

TEST(DerText, ATranslationWordsTheSameNumbers) {
  platform::fake::TFakePlatform fake;
  fake.System.Folder = std::string(BRAMLET_SOURCE_DIR) + "/data/lang/";
  ASSERT_TRUE(settings::LoadLanguage(fake.Platform, u"german.lng", /*force=*/true));
  EXPECT_EQ(Worded(HexBytes("30 81 03 02 01 05"), nullptr, settings::GetLangTextById),
            "length-not-minimal: L\u00E4nge 3 in 2 Oktetten geschrieben\n");
  EXPECT_EQ(Worded(CertWithKeyUsage(0, 0xA0), nullptr, settings::GetLangTextById),
            "named-bits-trailing-zero: benannte Bitliste KeyUsage endet auf 5 Nullbits\n");
  settings::FreeLanguages();
}

}  // namespace
}  // namespace viewer
