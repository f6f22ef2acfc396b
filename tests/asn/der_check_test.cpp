// The DER checks over a parsed element tree: each rule broken in crafted hex,
// and sound encodings that must pass.
#include "asn/der_check.h"

#include <gtest/gtest.h>

#include "test_util.h"

namespace asn::test {
namespace {

// An element tree built from the parser's events, as the viewer's document is.
class TParsedTree final : public IElementTree {
 public:
  explicit TParsedTree(const std::vector<std::uint8_t>& bytes) {
    TASNParser parser;
    std::vector<std::uint32_t> open{NoElement};
    auto add = [&](const TASNTag& tag) {
      const auto index = static_cast<std::uint32_t>(FHeaders.size());
      FHeaders.push_back(tag);  // the header part of the record
      FParents.push_back(open.back());
      FChildren.emplace_back();
      (open.back() == NoElement ? FTop : FChildren[open.back()]).push_back(index);
      return index;
    };
    parser.OnNewConstructed = [&](const TASNTag& tag) { open.push_back(add(tag)); };
    parser.OnNewPrimitive = [&](const TASNTag& tag) { add(tag); };
    parser.OnEndConstructed = [&] { open.pop_back(); };
    try {
      parser.Parse(bytes);
    } catch (const EParserException& e) {
      FatalOffsets.push_back(e.Offset);
    }
  }
  std::uint32_t ElementCount() const override { return static_cast<std::uint32_t>(FHeaders.size()); }
  TElementHeader Header(std::uint32_t e) const override { return FHeaders[e]; }
  std::uint32_t Parent(std::uint32_t e) const override { return FParents[e]; }
  std::uint32_t ChildCount(std::uint32_t e) const override {
    return static_cast<std::uint32_t>((e == NoElement ? FTop : FChildren[e]).size());
  }
  std::uint32_t Child(std::uint32_t e, std::uint32_t i) const override {
    return (e == NoElement ? FTop : FChildren[e])[i];
  }
  std::vector<std::int32_t> FatalOffsets;

 private:
  std::vector<TElementHeader> FHeaders;
  std::vector<std::uint32_t> FParents;
  std::vector<std::vector<std::uint32_t>> FChildren;
  std::vector<std::uint32_t> FTop;
};

// "rule@offset+length" per finding, joined by blanks.
std::string Findings(const std::string& hex, bool rawFile = true, const IDerTyping* typing = nullptr) {
  const std::vector<std::uint8_t> bytes = Hex(hex);
  TParsedTree tree(bytes);
  TDerOptions options;
  options.RawFile = rawFile;
  options.FatalOffsets = tree.FatalOffsets;
  options.Typing = typing;
  std::string out;
  for (const TDerFinding& f : CheckDer(tree, bytes, options)) {
    if (!out.empty()) out += ' ';
    out += std::string(DerRuleId(f.Rule())) + "@" + std::to_string(f.Offset) + "+" + std::to_string(f.Length);
  }
  return out;
}

TEST(DerCheck, EachRuleFindsItsFaultAndSoundEncodingsPass) {
  struct Row {
    const char* Label;
    const char* Hex;
    const char* Expected;
  };
  const Row rows[] = {
      {"sound SEQUENCE", "30 06 02 01 05 01 01 FF", ""},
      {"long length 128 is minimal", "04 81 80" "00000000000000000000000000000000" "00000000000000000000000000000000"
       "00000000000000000000000000000000" "00000000000000000000000000000000" "00000000000000000000000000000000"
       "00000000000000000000000000000000" "00000000000000000000000000000000" "00000000000000000000000000000000", ""},
      {"long form for a short length", "30 81 03 02 01 05", "length-not-minimal@1+2"},
      {"leading zero length octet", "04 82 00 01 AA", "length-not-minimal@1+3"},
      {"indefinite length and its end", "30 80 02 01 05 00 00", "indefinite-length@1+1"},
      {"streamed OCTET STRING: its length says it", "24 80 04 01 AA 00 00", "indefinite-length@1+1"},
      {"constructed OCTET STRING", "24 03 04 01 AA", "constructed-string@0+1"},
      {"constructed PrintableString", "33 03 13 01 41", "constructed-string@0+1"},
      {"high form for tag 16", "3F 10 00", "tag-not-minimal@0+2"},
      {"leading 80 in a tag number", "9F 80 40 00", "tag-not-minimal@0+3"},
      {"tag 31 in high form is minimal", "9F 1F 00", ""},
      {"BOOLEAN 01", "01 01 01", "boolean-not-canonical@2+1"},
      {"BOOLEAN of two octets", "01 02 FF FF", "boolean-not-canonical@2+2"},
      {"INTEGER leading 00", "02 02 00 7F", "integer-not-minimal@2+1"},
      {"INTEGER leading FF", "02 02 FF 80", "integer-not-minimal@2+1"},
      {"INTEGER 00 80 is minimal", "02 02 00 80", ""},
      {"empty INTEGER", "02 00", "integer-not-minimal@2+0"},
      {"ENUMERATED leading 00", "0A 02 00 01", "integer-not-minimal@2+1"},
      {"unused bits not zero", "03 02 07 81", "bitstring-padding@3+1"},
      {"unused bits zero", "03 02 07 80", ""},
      {"eight unused bits", "03 02 08 00", "bitstring-padding@2+1"},
      {"unused bits with no content", "03 01 03", "bitstring-padding@2+1"},
      {"SET OF out of order", "31 06 02 01 07 02 01 05", "set-not-sorted@5+3"},
      {"SET OF equal members", "31 06 02 01 05 02 01 05", ""},
      {"SET OF shorter first", "31 07 04 01 05 04 02 05 01", ""},
      {"SET in tag order, encodings not", "31 05 A1 00 82 01 00", ""},
      {"SET in encoding order, tags not", "31 05 82 01 00 A1 00", ""},
      {"SET in neither order", "31 06 82 01 00 81 01 00", "set-not-sorted@5+3"},
      {"indefinite SET OF sorted", "31 80 02 01 05 02 01 07 00 00", "indefinite-length@1+1"},
      {"UTCTime sound", "17 0D 3236313230393131303930305A", ""},
      {"UTCTime without seconds", "17 0B 323631323039313130395A", "time-not-der@2+11"},
      {"UTCTime with an offset", "17 11 3236313230393131303930302B30313030", "time-not-der@2+17"},
      {"GeneralizedTime fraction trailing zero", "18 12 32303236313230393131303930302E35305A",
       "time-not-der@18+1"},
      {"GeneralizedTime empty fraction", "18 10 32303236313230393131303930302E5A", "time-not-der@16+1"},
      {"GeneralizedTime comma", "18 11 32303236313230393131303930302C355A", "time-not-der@16+1"},
      {"GeneralizedTime sound fraction", "18 11 32303236313230393131303930302E355A", ""},
      {"OID leading 80", "06 04 2A 80 86 48", "oid-not-minimal@3+1"},
      {"OID sound", "06 03 2A 86 48", ""},
      {"empty OID", "06 00", "oid-empty@2+0"},
      {"NULL with contents", "05 01 00", "null-not-empty@2+1"},
      {"UTCTime month 13", "17 0D 3236313330393131303930305A", "time-not-instant@2+12"},
      {"UTCTime 30 February", "17 0D 3236303233303131303930305A", "time-not-instant@2+12"},
      {"UTCTime 29 February 2024", "17 0D 3234303232393131303930305A", ""},
      {"GeneralizedTime 29 February 2100", "18 0F 32313030303232393131303930305A", "time-not-instant@2+14"},
      {"GeneralizedTime hour 24", "18 0F 32303236313230393234303930305A", "time-not-instant@2+14"},
      {"GeneralizedTime leap second", "18 0F 32303136313233313233353936305A", ""},
      {"PrintableString with @", "13 03 61 40 62", "string-charset@3+1"},
      {"NumericString with a letter", "12 02 31 41", "string-charset@3+1"},
      {"IA5String above 7F", "16 02 41 C9", "string-charset@3+1"},
      {"VisibleString control", "1A 02 41 0A", "string-charset@3+1"},
      {"UTF8String overlong", "0C 02 C0 80", "string-charset@2+1"},
      {"UTF8String surrogate", "0C 03 ED A0 80", "string-charset@2+1"},
      {"UTF8String above U+10FFFF", "0C 05 41 F4 90 80 80", "string-charset@3+1"},
      {"UTF8String cut short", "0C 03 41 E2 82", "string-charset@3+1"},
      {"UTF8String sound", "0C 04 F0 9F 98 80", ""},
      {"BMPString odd", "1E 03 00 41 00", "string-charset@4+1"},
      {"BMPString surrogate", "1E 02 D8 00", "string-charset@2+2"},
      {"UniversalString above 10FFFF", "1C 04 00 11 00 00", "string-charset@2+4"},
      {"trailing element", "05 00 05 00", "trailing-data@2+2"},
      {"trailing garbage after a fatal error", "05 00 30 05", ""},
      {"nested faults in document order", "30 09 30 81 03 02 01 05 01 01 01", "length-not-minimal@3+2 boolean-not-canonical@10+1"},
      {"encapsulated contents are checked", "04 05 30 03 01 01 01", "boolean-not-canonical@6+1"},
      {"encapsulating BIT STRING keeps its padding check", "03 04 01 02 01 05", "bitstring-padding@5+1"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Label);
    EXPECT_EQ(Findings(row.Hex), row.Expected);
  }
}

// What a schema says of the first element decides the rules applied to it:
// the type under an IMPLICIT tag, a SET or SET OF under any tag, octets that
// hold no DER.
TEST(DerCheck, TheTypingDecidesTheRulesOfAnElement) {
  struct TFirstTyped final : IDerTyping {
    std::uint8_t Universal = utNone;
    bool Opaque = false;
    TSetKind Kind = TSetKind::skNone;
    std::uint8_t ImplicitUniversal(std::uint32_t e) const override { return e == 0 ? Universal : std::uint8_t{utNone}; }
    bool IsOpaque(std::uint32_t e) const override { return e == 0 && Opaque; }
    TSetKind SetKind(std::uint32_t e) const override { return e == 0 ? Kind : TSetKind::skNone; }
  };
  using K = IDerTyping::TSetKind;
  struct Row {
    const char* Label;
    const char* Hex;
    std::uint8_t Universal;
    bool Opaque;
    K Kind;
    const char* Expected;
  };
  const Row rows[] = {
      {"[1] IMPLICIT BOOLEAN 01", "81 01 01", utBoolean, false, K::skNone, "boolean-not-canonical@2+1"},
      {"[1] untyped", "81 01 01", utNone, false, K::skNone, ""},
      {"[2] IMPLICIT INTEGER 00 3F", "82 02 00 3F", utInteger, false, K::skNone, "integer-not-minimal@2+1"},
      {"[0] IMPLICIT GeneralizedTime .0Z", "80 11 32303236303130313030303030332E305A", utGeneralizedTime, false,
       K::skNone, "time-not-der@17+1"},
      {"[0] IMPLICIT SET OF out of order", "A0 06 02 01 07 02 01 05", utNone, false, K::skSetOf, "set-not-sorted@5+3"},
      {"SET OF with distinct tags in tag order", "31 05 A1 00 82 01 00", utNone, false, K::skSetOf,
       "set-not-sorted@4+3"},
      {"SET in tag order, encodings not", "31 05 A1 00 82 01 00", utNone, false, K::skSet, ""},
      {"SET in encoding order, tags not", "31 05 82 01 00 A1 00", utNone, false, K::skSet, "set-not-sorted@5+2"},
      {"opaque OCTET STRING holding a fault", "04 05 30 03 01 01 01", utNone, true, K::skNone, ""},
      {"the same, not opaque", "04 05 30 03 01 01 01", utNone, false, K::skNone, "boolean-not-canonical@6+1"},
      {"opaque, the element itself still checked", "04 81 05 30 03 01 01 01", utNone, true, K::skNone,
       "length-not-minimal@1+2"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Label);
    TFirstTyped typing;
    typing.Universal = row.Universal;
    typing.Opaque = row.Opaque;
    typing.Kind = row.Kind;
    EXPECT_EQ(Findings(row.Hex, true, &typing), row.Expected);
  }
}

// Each armoured block is a unit of its own: octets after its element are
// trailing data, a second block is not.
TEST(DerCheck, TrailingDataIsFoundInEachBlock) {
  const std::vector<std::uint8_t> bytes = Hex("05 00 05 00 05 00 30 00");
  TParsedTree tree(bytes);
  const std::int32_t blocks[] = {0, 2, 6};
  TDerOptions options;
  options.BlockStarts = blocks;
  const std::vector<TDerFinding> findings = CheckDer(tree, bytes, options);
  ASSERT_EQ(findings.size(), 1u);
  EXPECT_EQ(findings[0].Rule(), TDerRule::drTrailingData);
  EXPECT_EQ(findings[0].Offset, 4);
  EXPECT_EQ(findings[0].Length, 2);
}

TEST(DerCheck, TrailingDataOnlyInRawFiles) {
  EXPECT_EQ(Findings("05 00 05 00", /*rawFile=*/false), "");
}

TEST(DerCheck, ExtraChecksPlugInAndFindingsStayInDocumentOrder) {
  struct TFlagSecond final : IDerCheck {
    void Run(const IElementTree& tree, std::span<const std::uint8_t>, std::vector<TDerFinding>& f) const override {
      f.push_back({1, TDerText::dtDefaultEncoded, tree.Header(1).Offset, 3});
    }
  };
  const std::vector<std::uint8_t> bytes = Hex("30 07 01 01 00 02 81 01 05");
  TParsedTree tree(bytes);
  const TFlagSecond extra;
  const IDerCheck* extras[] = {&extra};
  TDerOptions options;
  options.Extra = extras;
  const std::vector<TDerFinding> findings = CheckDer(tree, bytes, options);
  ASSERT_EQ(findings.size(), 2u);
  EXPECT_EQ(findings[0].Rule(), TDerRule::drDefaultEncoded);
  EXPECT_EQ(findings[1].Text, TDerText::dtLengthNotMinimal);
  EXPECT_EQ(findings[1].Numbers, (std::array<std::uint32_t, 4>{1, 2, 0, 0}));
}

TEST(DerCheck, DeepNestingNeedsNoNativeStack) {
  constexpr int Depth = 100000;
  std::vector<std::uint8_t> bytes;
  for (int i = 0; i < Depth; ++i) bytes.insert(bytes.end(), {0x30, 0x80});
  bytes.insert(bytes.end(), {0x05, 0x00});
  for (int i = 0; i < Depth; ++i) bytes.insert(bytes.end(), {0x00, 0x00});
  TParsedTree tree(bytes);
  const TDerSummary summary = SummariseDer(CheckDer(tree, bytes));
  EXPECT_EQ(summary.Of(TDerRule::drIndefiniteLength), static_cast<std::uint32_t>(Depth));
  EXPECT_EQ(summary.Total, static_cast<std::uint32_t>(Depth));
}

}  // namespace
}  // namespace asn::test
