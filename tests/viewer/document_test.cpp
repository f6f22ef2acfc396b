// The decoding driver: rows, attribute rows, error rows, byte roles, and the
// document's shape for deep and wide inputs.
#include <gtest/gtest.h>

#include "platform/fake/fake_platform.h"
#include "settings/lang.h"
#include "viewer_test_util.h"

namespace viewer {
namespace {

using test::Dump;
using test::HexBytes;
using test::Shared;

std::string CellString(const TMainForm& form) {
  std::string out;
  for (std::size_t i = 0; i < Probe(form).Bytes()->size(); ++i) out.push_back(static_cast<char>('0' + Probe(form).ByteRole(i)));
  return out;
}

class DocumentTest : public ::testing::Test {
 protected:
  void Decode(std::string_view hex) {
    Probe(Form).RunCaptured([&] { Probe(Form).ParseASN(Shared(HexBytes(hex))); });
  }
  platform::fake::TFakePlatform Fake;
  TMainForm Form{Fake.Platform};
};

struct TDecodeCase {
  const char* Label;
  const char* Hex;
  const char* Rows;
  std::int32_t Tags;
  const char* Cells;  // byte roles: 0 data, 1 identifier, 2 length, 3 unused bits
};

TEST_F(DocumentTest, BuildsRowsAndMarksBytes) {
  const TDecodeCase cases[] = {
      {"empty buffer", "", "", 0, ""},
      {"sequence of one integer", "30 03 02 01 05",
       "SEQUENCE\n  Offset: 0\n  Header length: 2\n  Length: 3\n  INTEGER: 5\n"
       "    Offset: 2\n    Header length: 2\n    Length: 1\n",
       2, "12120"},
      {"bit string with unused bits", "03 02 07 80",
       "BIT STRING: 1\n  Offset: 0\n  Header length: 2\n  Length: 2\n  Unused bits: 7\n", 1, "1230"},
      {"bit string of the count alone", "03 01 00",
       "BIT STRING\n  Offset: 0\n  Header length: 2\n  Length: 1\n  Unused bits: 0\n", 1, "123"},
      {"empty bit string has no unused-bits row", "03 00",
       "BIT STRING\n  Offset: 0\n  Header length: 2\n  Length: 0\n", 1, "12"},
      {"encapsulating bit string", "03 04 00 02 01 07",
       "BIT STRING\n  Offset: 0\n  Header length: 2\n  Length: 4\n  Unused bits: 0\n  INTEGER: 7\n"
       "    Offset: 3\n    Header length: 2\n    Length: 1\n",
       2, "123120"},
      {"constructed bit string marks only its inner count", "23 04 03 02 07 80",
       "BIT STRING\n  Offset: 0\n  Header length: 2\n  Length: 4\n  BIT STRING: 1\n"
       "    Offset: 2\n    Header length: 2\n    Length: 2\n    Unused bits: 7\n",
       2, "121230"},
      {"integer of five octets has a bit length", "02 05 01 00 00 00 00",
       "INTEGER: 4294967296\n  Offset: 0\n  Header length: 2\n  Length: 5\n  Bit length: 33\n", 1, "1200000"},
      {"integer of four octets has none", "02 04 01 00 00 00",
       "INTEGER: 16777216\n  Offset: 0\n  Header length: 2\n  Length: 4\n", 1, "120000"},
      {"context-specific [2] is no integer", "82 05 01 00 00 00 00",
       "Context-specific[2]: 01 00 00 00 00\n  Offset: 0\n  Header length: 2\n  Length: 5\n", 1, "1200000"},
      {"value failure adds an error row after the attributes", "01 02 FF FF",
       "BOOLEAN: FF FF\n  Offset: 0\n  Header length: 2\n  Length: 2\n  Error: Incorrect length\n", 1, "1200"},
      {"header failure inside a sequence", "30 03 02 05 00",
       "SEQUENCE\n  Offset: 0\n  Header length: 2\n  Length: 3\n"
       "Fatal error: Incorrect data length for tag at offset 2\n",
       1, "12000"},
      {"open levels keep their children", "30 07 30 05 05 00 02 05 00",
       "SEQUENCE\n  Offset: 0\n  Header length: 2\n  Length: 7\n  SEQUENCE\n    Offset: 2\n"
       "    Header length: 2\n    Length: 5\n    NULL\n      Offset: 4\n      Header length: 2\n      Length: 0\n"
       "Fatal error: Incorrect data length for tag at offset 6\n",
       3, "121212000"},
      {"failure after two top-level elements", "05 00 05 00 02",
       "NULL\n  Offset: 0\n  Header length: 2\n  Length: 0\nNULL\n  Offset: 2\n  Header length: 2\n  Length: 0\n"
       "Fatal error: No tag length found for tag at offset 4\n",
       2, "12120"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    Decode(c.Hex);
    EXPECT_EQ(Dump(Probe(Form).Root()), c.Rows);
    EXPECT_EQ(Probe(Form).TagsCount(), c.Tags);
    EXPECT_EQ(CellString(Form), c.Cells);
    EXPECT_EQ(Probe(Form).Bytes()->size(), HexBytes(c.Hex).size());
  }
}

TEST_F(DocumentTest, FatalErrorRowCoversTheFailingByte) {
  Decode("30 03 02 05 00");
  TTag fatal = Probe(Form).Root().Childs(1);
  ASSERT_EQ(fatal.TagType(), ttError);
  asn::TASNTag record = fatal.ASNTag();
  EXPECT_EQ(record.Offset, 2);
  EXPECT_EQ(record.FullLength(), 1);
  EXPECT_EQ(Probe(Form).Root().GetTagChildsCount(), 1);
  EXPECT_EQ(fatal.Parent(), Probe(Form).Root());
}

TEST_F(DocumentTest, FailureWithoutOffsetGivesItsMessageAlone) {
  Probe(Form).RunCaptured([] { throw std::runtime_error("handler broke"); });
  EXPECT_EQ(Dump(Probe(Form).Root()), "Fatal error: handler broke\n");
  EXPECT_EQ(Probe(Form).Root().Childs(0).ASNTag().Offset, -1);
}

TEST_F(DocumentTest, MemoryRunningOutMidWalkLeavesOnlyItsMessage) {
  // Elements are already in when the allocation fails: none of them may stay.
  Probe(Form).RunCaptured([&] {
    Probe(Form).ParseASN(Shared(HexBytes("30 03 02 01 05 05 00")));
    throw std::bad_alloc();
  });
  EXPECT_EQ(Dump(Probe(Form).Root()), "Fatal error: Not enough memory to show this file\n");
  EXPECT_EQ(Probe(Form).TagsCount(), 0);
  EXPECT_EQ(Probe(Form).Root().GetTagChildsCount(), 0);
  EXPECT_TRUE(Probe(Form).Bytes()->empty());
}

TEST_F(DocumentTest, MemoryRunningOutIsSaidInTheLanguageInEffect) {
  // The window hands the document the language tables, read when the row is made.
  Fake.System.Folder = std::string(BRAMLET_SOURCE_DIR) + "/data/lang/";
  const struct {
    const char16_t* Language;
    const char* Rows;
  } cases[] = {
      {u"german.lng", "Fatal error: Nicht genug Speicher, um diese Datei anzuzeigen\n"},
      {u"", "Fatal error: Not enough memory to show this file\n"},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(settings::LoadLanguage(Fake.Platform, c.Language, /*force=*/true));
    Probe(Form).RunCaptured([] { throw std::bad_alloc(); });
    EXPECT_EQ(Dump(Probe(Form).Root()), c.Rows);
  }
  settings::FreeLanguages();
}

TEST_F(DocumentTest, ElementErrorRowCoversNoByte) {
  Decode("01 02 FF FF");
  TTag error = Probe(Form).Root().Childs(0).Childs(3);
  ASSERT_EQ(error.TagType(), ttError);
  EXPECT_EQ(error.ASNTag().Offset, -1);
  EXPECT_EQ(error.ASNTag().TagLength, 1);
  EXPECT_FALSE(error.HasChildren(true));
  EXPECT_TRUE(Probe(Form).Root().Childs(0).HasChildren(false));
}

TEST_F(DocumentTest, SecondDecodingLeavesNothingOfTheFirst) {
  Decode("30 03 02 05 00");
  Probe(Form).SetHexSel({0, 4});
  Decode("05 00");
  EXPECT_EQ(Dump(Probe(Form).Root()), "NULL\n  Offset: 0\n  Header length: 2\n  Length: 0\n");
  EXPECT_EQ(Probe(Form).TagsCount(), 1);
  EXPECT_EQ(CellString(Form), "12");
  EXPECT_EQ(Probe(Form).HexSel(), THexSelection{});
}

TEST_F(DocumentTest, ElementRecordsComeBackWhole) {
  Decode("30 80 1F 81 00 00 00 00");
  TTag sequence = Probe(Form).Root().Childs(0);
  asn::TASNTag outer = sequence.ASNTag();
  EXPECT_TRUE(outer.Constructed);
  EXPECT_EQ(outer.LengthLength, 1);
  EXPECT_EQ(outer.Length, 6);
  TTag high = sequence.TagChild(0);
  asn::TASNTag inner = high.ASNTag();
  EXPECT_EQ(inner.Tag, u"128");
  EXPECT_EQ(inner.TagLength, 3);
  EXPECT_EQ(inner.Offset, 2);
  EXPECT_EQ(sequence.TagChild(1).Name(), u"EOC");
  // Attribute rows carry a cleared record.
  EXPECT_EQ(sequence.Childs(0).ASNTag().Offset, 0);
  EXPECT_TRUE(sequence.Childs(0).ASNTag().Tag.empty());
}

// The analyses beside the tree (names, DER checks) read the document through
// asn::IElementTree: the top level, links both ways, and header facts that
// agree with the rows, encapsulated contents included.
TEST_F(DocumentTest, ElementTreeViewAgreesWithTheRows) {
  Decode("30 07 04 03 02 01 05 05 00 9F 81 00 00");
  const asn::IElementTree& tree = Probe(Form).Document().Elements();
  ASSERT_EQ(tree.ElementCount(), 5u);
  ASSERT_EQ(tree.ChildCount(asn::NoElement), 2u);
  std::uint32_t sequence = tree.Child(asn::NoElement, 0);
  ASSERT_EQ(tree.ChildCount(sequence), 2u);
  std::uint32_t octets = tree.Child(sequence, 0);
  std::uint32_t integer = tree.Child(octets, 0);
  EXPECT_EQ(tree.Parent(integer), octets);
  EXPECT_EQ(tree.Parent(sequence), asn::NoElement);
  EXPECT_TRUE(tree.Header(octets).Encapsulates);
  EXPECT_EQ(tree.Header(integer).Offset, 4);
  EXPECT_EQ(tree.Header(integer).UniversalTag(), asn::utInteger);
  asn::TElementHeader high = tree.Header(tree.Child(asn::NoElement, 1));
  EXPECT_EQ(high.TagClass, asn::ASN1ContextSpecific);
  EXPECT_EQ(high.TagNumber, 128u);
  EXPECT_EQ(high.TagLength, 3);
  EXPECT_EQ(high.FullLength(), 4);
  EXPECT_EQ(high.UniversalTag(), asn::utNone);
}

TEST_F(DocumentTest, TagNumbersBeyondThirtyTwoBitsKeepTheirDigits) {
  // Tag number 2^35 in the high form: 1F 81 80 80 80 80 00, then an empty length.
  Decode("9F 81 80 80 80 80 00 00");
  TTag tag = Probe(Form).Root().Childs(0);
  EXPECT_EQ(tag.ASNTag().Tag, u"34359738368");
  EXPECT_EQ(tag.Name(), u"Context-specific[34359738368]");
  EXPECT_EQ(tag.UniversalTag(), 255);
}

TEST_F(DocumentTest, IdentifiersOfHundredsOfOctetsKeepTheirLength) {
  // A private tag whose number takes 299 octets, so 300 identifier octets in all.
  std::string hex = "DF";
  for (int i = 0; i < 298; ++i) hex += "81";
  hex += "01 01 AA";
  Decode(hex);
  TTag tag = Probe(Form).Root().Childs(0);
  EXPECT_EQ(tag.ASNTag().TagLength, 300);
  EXPECT_EQ(tag.FullLength(), 302);
  EXPECT_EQ(tag.Childs(1).Text(), u"301");
  EXPECT_EQ(tag.ASNTag().TagClass, asn::ASN1Private);
  EXPECT_EQ(tag.Text(), u"AA");
  EXPECT_EQ(CellString(Form), std::string(300, '1') + "20");
}

TEST_F(DocumentTest, ByteRolesHoldAcrossBlocksInAnyOrder) {
  // 1000 data octets, then a 300-octet identifier straddling offset 1024, a
  // BIT STRING's unused-bits octet and far headers at the end of the buffer.
  std::string hex = "04 82 03 E8";
  for (int i = 0; i < 1000; ++i) hex += " 00";
  hex += " DF";
  for (int i = 0; i < 298; ++i) hex += " 81";
  hex += " 01 01 AA 03 02 00 FF";
  for (int i = 0; i < 3; ++i) {
    hex += " 04 82 01 00";
    for (int k = 0; k < 256; ++k) hex += " 11";
  }
  Decode(hex);
  std::string expected = "1222" + std::string(1000, '0') + std::string(300, '1') + "20" + "1230";
  for (int i = 0; i < 3; ++i) expected += "1222" + std::string(256, '0');
  EXPECT_EQ(CellString(Form), expected);
  // Backwards, so that every block is worked out again from its far end.
  Decode(hex);
  for (std::size_t i = expected.size(); i-- > 0;)
    ASSERT_EQ(static_cast<char>('0' + Probe(Form).ByteRole(i)), expected[i]) << "offset " << i;
}

TEST_F(DocumentTest, OidDescriptionJoinsTheValue) {
  // UTF-8 with its mark, so that one description needs more than Latin-1.
  std::string dictionary = "\xEF\xBB\xBF" "1.2.3=Test & <description>\n1.2.5=\xD0\x98\xD0\xBC\xD1\x8F\n";
  asn::TOIDDictionary oids;
  oids.LoadBytes(std::span(reinterpret_cast<const std::uint8_t*>(dictionary.data()), dictionary.size()));
  Probe(Form).Document().OIDDictionary = &oids;
  Decode("06 02 2A 03 06 02 2A 04 06 02 2A 05");
  Probe(Form).Document().OIDDictionary = nullptr;
  EXPECT_EQ(Probe(Form).Root().Childs(0).Text(), u"1.2.3 - Test & <description>");
  EXPECT_EQ(Probe(Form).Root().Childs(1).Text(), u"1.2.4");
  EXPECT_EQ(Probe(Form).Root().Childs(2).Text(), u"1.2.5 - \u0418\u043C\u044F");
  EXPECT_EQ(Probe(Form).Root().Childs(2).ASNTag().OIDDescr, u"\u0418\u043C\u044F");
  EXPECT_EQ(Probe(Form).Root().Childs(2).ASNTag().Value, u"1.2.5");
}

TEST_F(DocumentTest, RowsKnowTheirParentsAndKeys) {
  auto der = test::ReadAll(test::SamplesDir() / "cert.der");
  Decode("");
  Probe(Form).RunCaptured([&] { Probe(Form).ParseASN(Shared(std::vector<std::uint8_t>(der.begin(), der.end()))); });
  ASSERT_GT(Probe(Form).TagsCount(), 50);
  std::int32_t elements = 0;
  std::vector<TTag> stack{Probe(Form).Root()};
  while (!stack.empty()) {
    TTag tag = stack.back();
    stack.pop_back();
    ASSERT_EQ(Probe(Form).Document().Elements().TagByKey(tag.Key()), tag);
    std::int32_t nonElements = 0;
    for (std::int32_t i = 0; i < tag.ChildsCount(); ++i) {
      TTag child = tag.Childs(i);
      ASSERT_EQ(child.Parent(), tag);
      if (child.TagType() != ttNode) {
        ++nonElements;
        continue;
      }
      ++elements;
      ASSERT_LE(tag.Offset(), child.Offset());
      stack.push_back(child);
    }
    ASSERT_EQ(tag.ChildsCount() - nonElements, tag.GetTagChildsCount());
  }
  EXPECT_EQ(elements, Probe(Form).TagsCount());
}

// 1,000,000 SEQUENCEs nested around a NULL.
std::vector<std::uint8_t> DeepNesting(std::size_t depth) {
  std::vector<std::size_t> lengths{2};
  auto lengthOctets = [](std::size_t n) { return n < 0x80 ? 1 : n < 0x100 ? 2 : n < 0x10000 ? 3 : 4; };
  for (std::size_t i = 0; i < depth; ++i) lengths.push_back(lengths.back() + 1 + lengthOctets(lengths.back()));
  std::vector<std::uint8_t> out;
  out.reserve(lengths.back());
  for (std::size_t i = depth; i-- > 0;) {
    std::size_t n = lengths[i];
    out.push_back(0x30);
    int octets = lengthOctets(n);
    if (octets > 1) out.push_back(static_cast<std::uint8_t>(0x80 + octets - 1));
    for (int k = octets > 1 ? octets - 2 : 0; k >= 0; --k) out.push_back(static_cast<std::uint8_t>(n >> (8 * k)));
  }
  out.push_back(0x05);
  out.push_back(0x00);
  return out;
}

class TLevelRecorder : public IXmlLineSink {
 public:
  void AddLine(std::int32_t level, std::u16string_view text) override {
    if (Lines++ < 3) First.append(text).append(u"|");
    MaxLevel = std::max(MaxLevel, level);
    // Every line is one level off its predecessor or on the same level.
    if (std::abs(level - LastLevel) > 1) ++Jumps;
    LastLevel = level;
  }
  std::size_t Lines = 0;
  std::int32_t MaxLevel = 0;
  std::int32_t LastLevel = 0;
  int Jumps = 0;
  std::u16string First;
};

TEST_F(DocumentTest, MillionLevelsBuildExportAndFree) {
  constexpr std::size_t depth = 1'000'000;
  {
    TMainForm deep(Fake.Platform);
    Probe(deep).RunCaptured([&] { Probe(deep).ParseASN(Shared(DeepNesting(depth))); });
    ASSERT_EQ(Probe(deep).TagsCount(), static_cast<std::int32_t>(depth + 1));
    ASSERT_EQ(Probe(deep).Root().ChildsCount(), 1);
    // The innermost NULL is the last element; its parents lead back to the root.
    TTag tag = Probe(deep).Document().Elements().Element(depth);
    EXPECT_EQ(tag.Name(), u"NULL");
    std::size_t parents = 0;
    while (tag.Parent().IsValid()) {
      tag = tag.Parent();
      ++parents;
    }
    EXPECT_EQ(parents, depth + 1);
    EXPECT_EQ(tag, Probe(deep).Root());

    TLevelRecorder lines;
    Probe(deep).WriteTag(Probe(deep).Root(), lines, 0);
    EXPECT_EQ(lines.Lines, 2 * (depth + 2));
    EXPECT_EQ(lines.MaxLevel, static_cast<std::int32_t>(depth + 1));
    EXPECT_EQ(lines.Jumps, 0);
    EXPECT_EQ(lines.LastLevel, 0);
    std::string size = std::to_string(Probe(deep).Bytes()->size());
    EXPECT_TRUE(lines.First.starts_with(u"<Root Size=\"" + std::u16string(size.begin(), size.end()) +
                                        u"\">|<SEQUENCE TagClass"));
    deep.ClearTree();
    EXPECT_EQ(Probe(deep).Root().ChildsCount(), 0);
    Probe(deep).RunCaptured([&] { Probe(deep).ParseASN(Shared(DeepNesting(depth))); });
  }  // destroyed with the whole document in place
}

struct TExpansionCase {
  const char* Label;
  int Outer;     // SEQUENCEs at the top level, each holding Inner NULLs
  int Inner;
  int TopNulls;  // NULLs after them at the top level
  TTreeExpansion Expected;
};

std::vector<std::uint8_t> WideDocument(const TExpansionCase& c) {
  std::vector<std::uint8_t> out;
  for (int s = 0; s < c.Outer; ++s) {
    std::size_t length = static_cast<std::size_t>(c.Inner) * 2;
    out.insert(out.end(), {0x30, 0x83, static_cast<std::uint8_t>(length >> 16), static_cast<std::uint8_t>(length >> 8),
                           static_cast<std::uint8_t>(length)});
    for (int i = 0; i < c.Inner; ++i) out.insert(out.end(), {0x05, 0x00});
  }
  for (int i = 0; i < c.TopNulls; ++i) out.insert(out.end(), {0x05, 0x00});
  return out;
}

TEST_F(DocumentTest, ExpansionDependsOnSizeAndTopLevel) {
  const TExpansionCase cases[] = {
      {"9999 elements open fully", 0, 0, 9999, TTreeExpansion::teAll},
      {"10000 under one top-level row open it alone", 1, 9999, 0, TTreeExpansion::teFirstRow},
      {"10000 in two top-level rows stay closed", 1, 9998, 1, TTreeExpansion::teNone},
      {"9999 in two top-level rows open fully", 1, 9997, 1, TTreeExpansion::teAll},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    Probe(Form).RunCaptured([&] { Probe(Form).ParseASN(Shared(WideDocument(c))); });
    EXPECT_EQ(Probe(Form).TreeExpansion(), c.Expected);
  }
}

}  // namespace
}  // namespace viewer
