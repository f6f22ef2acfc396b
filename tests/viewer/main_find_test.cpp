// Find: the walk from the focused row, what matches (names, texts, bytes as
// hexadecimal digits, without regard to case) and what a hit changes.
#include <clocale>
#include <string>
#include <vector>

#include "views_test_util.h"

namespace viewer::test {
namespace {

class FindTest : public ViewsTest {
 protected:
  // The names of the rows successive Finds focus, until one fails.
  std::vector<std::string> Hits(const std::u16string& text, bool backwards) {
    std::vector<std::string> hits;
    for (int i = 0; i < 20 && Form.Find(text, backwards); ++i)
      hits.push_back(settings::Utf16ToUtf8(RowLine(Probe(Form).GetTag(Probe(Form).TreeVT().FocusedNode()))));
    return hits;
  }
  TNodeId RowOf(const std::u16string& name, int n = 0) {
    for (TNodeId row = Probe(Form).TreeVT().GetFirst(); row != NoNode; row = Probe(Form).TreeVT().GetNext(row))
      if (Probe(Form).GetTag(row).Name() == name && n-- == 0) return row;
    return NoNode;
  }
};

TEST_F(FindTest, SuccessiveFindsFromNoFocus) {
  using TList = std::vector<std::string>;
  struct {
    std::string Name;
    std::string_view Hex;
    bool ShowAttributes;
    std::u16string Text;
    bool Backwards;
    TList Expected;
  } cases[] = {
      // The bytes of a constructed element hold its children's, so it matches first.
      {"octets", "30 03 02 01 05", true, u"0201", false, {"SEQUENCE", "INTEGER: 5"}},
      {"octets with blanks", "30 03 02 01 05", true, u"02 01", false, {"SEQUENCE", "INTEGER: 5"}},
      {"mid-octet digits", "30 03 02 01 05", true, u"10", false, {"SEQUENCE", "INTEGER: 5"}},
      {"lower-case hex digits", "04 01 AB", false, u"ab", false, {"OCTET STRING: AB"}},
      {"case ignored", "30 06 02 01 05 02 01 07", false, u"integer", false, {"INTEGER: 5", "INTEGER: 7"}},
      {"backwards", "30 06 02 01 05 02 01 07", false, u"Integer", true, {"INTEGER: 7", "INTEGER: 5"}},
      {"texts", "30 03 02 01 05", true, u"Header length", false, {"Header length: 2", "Header length: 2"}},
      {"hidden attribute rows", "30 03 02 01 05", false, u"Header length", false, {}},
      {"empty text", "30 03 02 01 05", true, u"", false, {}},
      {"blanks only", "30 03 02 01 05", true, u"   ", false, {}},
      {"nowhere", "30 03 02 01 05", true, u"no such thing", false, {}},
      {"non-ASCII case", "0C 05 63 61 66 C3 A9", true, u"CAFÉ", false, {"UTF8String: café"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    Probe(Form).Settings().ShowAttributes = c.ShowAttributes;
    ShowHex(c.Hex);
    Focus(NoNode);
    TList hits = Hits(c.Text, c.Backwards);
    EXPECT_EQ(hits, c.Expected);
  }
}

TEST_F(FindTest, HexadecimalDigitsMatchAfterPartialMatchesAndAcrossElements) {
  using TList = std::vector<std::string>;
  struct {
    std::string Name;
    std::string_view Hex;
    bool SpaceInHex;
    std::u16string Text;
    bool Backwards;
    TList Expected;
  } cases[] = {
      {"after a partial match", "02 03 00 00 01", true, u"0001", false, {"INTEGER: 1"}},
      {"after a repeated prefix", "04 03 AB AB AC", false, u"ABAC", false, {"OCTET STRING: ABABAC"}},
      // A blank alone is no hexadecimal digit: only the value's text can hold it.
      {"a blank of a spaced value", "80 02 AB CD", true, u" ", false, {"Context-specific[0]: AB CD"}},
      {"no blank in an unspaced value", "80 02 AB CD", false, u" ", false, {}},
      // Only the SEQUENCE holds both OCTET STRINGs' octets.
      {"across two elements", "30 06 04 01 AB 04 01 CD", true, u"AB04", false, {"SEQUENCE"}},
      {"across two elements, backwards", "30 06 04 01 AB 04 01 CD", true, u"AB04", true, {"SEQUENCE"}},
      {"backwards past elements without it", "30 09 04 01 AB 04 01 CD 04 01 EF", true, u"01AB", true,
       {"OCTET STRING: AB", "SEQUENCE"}},
      {"backwards, one octet further each time", "30 09 04 01 AB 04 01 CD 04 01 EF", true, u"01", true,
       {"OCTET STRING: EF", "OCTET STRING: CD", "OCTET STRING: AB", "SEQUENCE"}},
      {"mid-octet digits, backwards", "30 03 02 01 05", true, u"10", true, {"INTEGER: 5", "SEQUENCE"}},
      {"a top-level error row, backwards", "02 01 05 02 85 01", true, u"02", true,
       {"Fatal error: Incorrect data length for tag at offset 3", "INTEGER: 5"}},
  };
  Probe(Form).Settings().ShowAttributes = false;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    Probe(Form).Settings().SpaceInHex = c.SpaceInHex;
    ShowHex(c.Hex);
    Focus(NoNode);
    EXPECT_EQ(Hits(c.Text, c.Backwards), c.Expected);
  }
}

TEST_F(FindTest, CaseIsFoldedAlikeInEveryLocale) {
  const std::string before = std::setlocale(LC_ALL, nullptr);
  struct {
    std::string_view Hex;
    std::u16string Text;
  } cases[] = {
      {"0C 02 C4 81", u"\u0100"},  // a with macron, found as A with macron
      {"0C 03 C4 B1 78", u"IX"},    // dotless i
      {"0C 02 CF 82", u"\u03A3"},  // final sigma
      {"0C 03 E1 BE B3", u"\u1FBC"},
  };
  // The Turkish locale only where it is installed.
  for (const char* locale : {"C", "C.UTF-8", "tr_TR.UTF-8"}) {
    if (std::setlocale(LC_ALL, locale) == nullptr) continue;
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(locale) + ": " + std::string(c.Hex));
      ShowHex(c.Hex);
      Focus(NoNode);
      EXPECT_TRUE(Form.Find(c.Text, false));
    }
  }
  std::setlocale(LC_ALL, before.c_str());
}

TEST_F(FindTest, AHitIsFocusedSelectedAndShownInsideCollapsedBranches) {
  Probe(Form).Settings().ShowAttributes = false;
  ShowHex("30 08 30 06 02 01 05 02 01 07");
  Probe(Form).TreeVT().FullCollapse();
  Focus(NoNode);
  ASSERT_TRUE(Form.Find(u"07", false));
  TNodeId hit = Probe(Form).TreeVT().FocusedNode();
  // The outer SEQUENCE is the first whose bytes hold 07.
  EXPECT_EQ(hit, RowOf(u"SEQUENCE"));
  ASSERT_TRUE(Form.Find(u"07", false));
  ASSERT_TRUE(Form.Find(u"07", false));
  hit = Probe(Form).TreeVT().FocusedNode();
  EXPECT_EQ(settings::Utf16ToUtf8(RowLine(Probe(Form).GetTag(hit))), "INTEGER: 7");
  EXPECT_TRUE(Probe(Form).TreeVT().IsSelected(hit));
  EXPECT_TRUE(Probe(Form).TreeVT().IsFullyVisible(hit));
  EXPECT_EQ(Probe(Form).HexSel(), (THexSelection{7, 9}));
}

TEST_F(FindTest, BackwardsFromNoFocusStartsAtTheLastShownRow) {
  Probe(Form).Settings().ShowAttributes = false;
  // INTEGER 7, then a SEQUENCE holding INTEGER 5; collapsed, the SEQUENCE is
  // the last shown row and what lies inside it comes after it.
  ShowHex("02 01 07 30 03 02 01 05");
  Probe(Form).TreeVT().FullCollapse();
  Focus(NoNode);
  ASSERT_TRUE(Form.Find(u"integer", true));
  EXPECT_EQ(settings::Utf16ToUtf8(RowLine(Probe(Form).GetTag(Probe(Form).TreeVT().FocusedNode()))), "INTEGER: 7");
  EXPECT_FALSE(Form.Find(u"integer", true));
}

TEST_F(FindTest, NoMatchChangesNothing) {
  ShowHex("30 06 02 01 05 02 01 07");
  TNodeId focused = RowOf(u"INTEGER");
  Focus(focused);
  Probe(Form).TreeVT().SetSelected(focused, true);
  Probe(Form).TreeVT().SetOffsetY(0);
  THexSelection sel = Probe(Form).HexSel();
  EXPECT_FALSE(Form.Find(u"SEQUENCE", false));  // behind the focus; no wrap-around
  EXPECT_EQ(Probe(Form).TreeVT().FocusedNode(), focused);
  EXPECT_TRUE(Probe(Form).TreeVT().IsSelected(focused));
  EXPECT_EQ(Probe(Form).TreeVT().OffsetY(), 0);
  EXPECT_EQ(Probe(Form).HexSel(), sel);
}

TEST_F(FindTest, DeepNestingIsWalkedWithoutRecursion) {
  // 100,000 nested SEQUENCEs in indefinite form, with an INTEGER at the bottom.
  const int depth = 100000;
  std::vector<std::uint8_t> bytes;
  for (int i = 0; i < depth; ++i) bytes.insert(bytes.end(), {0x30, 0x80});
  bytes.insert(bytes.end(), {0x02, 0x01, 0x2A});
  for (int i = 0; i < depth; ++i) bytes.insert(bytes.end(), {0x00, 0x00});
  Probe(Form).Settings().ShowAttributes = false;
  Show(bytes);
  Focus(NoNode);
  ASSERT_TRUE(Form.Find(u"integer", false));
  EXPECT_EQ(Probe(Form).TreeVT().Level(Probe(Form).TreeVT().FocusedNode()), static_cast<std::uint32_t>(depth));
  ASSERT_TRUE(Form.Find(u"sequence", true));
  EXPECT_EQ(Probe(Form).TreeVT().Level(Probe(Form).TreeVT().FocusedNode()), static_cast<std::uint32_t>(depth - 1));
}

TEST_F(FindTest, ATopLevelErrorRowMatchesItsOneOctet) {
  Probe(Form).Settings().ShowAttributes = false;
  ShowHex("02 01 05 02 85 01");  // the second header is bad: "Fatal error" at offset 3
  Focus(NoNode);
  ASSERT_TRUE(Form.Find(u"02", false));
  EXPECT_EQ(Probe(Form).GetTag(Probe(Form).TreeVT().FocusedNode()).TagType(), ttNode);
  ASSERT_TRUE(Form.Find(u"02", false));
  TTag error = Probe(Form).GetTag(Probe(Form).TreeVT().FocusedNode());
  EXPECT_EQ(error.TagType(), ttError);
  EXPECT_EQ(error.Offset(), 3);
  EXPECT_FALSE(Form.Find(u"0285", false));
}

TEST_F(FindTest, NothingIsFoundBeforeTheTreeHoldsTheDocument) {
  Probe(Form).RunCaptured([&] { Probe(Form).ParseASN(Shared(HexBytes("02 01 05"))); });
  EXPECT_FALSE(Form.Find(u"INTEGER", false));
  EXPECT_FALSE(Form.Find(u"INTEGER", true));
  EXPECT_EQ(Probe(Form).TreeVT().FocusedNode(), NoNode);
}

TEST_F(FindTest, LongTextsAreFoldedToo) {
  // A UTF8String of 70 x and "End", longer than the texts compared in place.
  std::vector<std::uint8_t> bytes{0x0C, 73};
  bytes.insert(bytes.end(), 70, 'x');
  bytes.insert(bytes.end(), {'E', 'n', 'd'});
  Show(bytes);
  Focus(NoNode);
  EXPECT_TRUE(Form.Find(u"XEND", false));
  Focus(NoNode);
  EXPECT_FALSE(Form.Find(u"XXEN D", false));
}

}  // namespace
}  // namespace viewer::test
