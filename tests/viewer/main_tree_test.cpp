// The structure tree over real and crafted documents: captions, values,
// shortening, icons, run styles, the focused row's shade and the hex scroll.
#include <gtest/gtest.h>

#include "views_test_util.h"

namespace viewer {
namespace {

using settings::RGB;

class TreeViewTest : public test::ViewsTest {
 protected:
  std::optional<TIcon> Image(TNodeId node, TImageKind kind = TImageKind::ikNormal) {
    return Probe(Form).TreeVTGetImageIndex(Probe(Form).TreeVT(), node, kind, -1);
  }
  TTextStyle Style(TNodeId node, TTextType type) { return Probe(Form).TreeVTPaintText(Probe(Form).TreeVT(), node, -1, type); }
};

TEST_F(TreeViewTest, ACertificateShowsItsRows) {
  ShowSample("cert.der");
  struct {
    int Row;
    const char* Caption;
    const char* Value;
    TIcon Image;
  } rows[] = {
      {0, "SEQUENCE", "", TIcon::icSequence},
      {1, "Offset:", "0", TIcon::icAttribute},
      {2, "Header length:", "4", TIcon::icAttribute},
      {3, "Length:", "1386", TIcon::icAttribute},
      {4, "SEQUENCE", "", TIcon::icSequence},
      {8, "Context-specific[0]", "", TIcon::icContextFolder},
      {12, "INTEGER", "v3 (2)", TIcon::icInteger},  // with field names, the version by its name
      {20, "SEQUENCE", "", TIcon::icSequence},
      {24, "OBJECT IDENTIFIER", "", TIcon::icObjectId},
      {28, "NULL", "", TIcon::icNull},
      {36, "SET", "", TIcon::icSet},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.Row);
    TNodeId node = Row(r.Row);
    EXPECT_EQ(Caption(node), r.Caption);
    if (std::string(r.Caption) != "OBJECT IDENTIFIER") {
      EXPECT_EQ(Value(node), r.Value);
    }
    EXPECT_EQ(Image(node), r.Image);
  }
  EXPECT_EQ(Value(Row(24)).substr(0, 20), "1.2.840.113549.1.1.1") << "sha256WithRSAEncryption's OID";
}

TEST_F(TreeViewTest, FocusingTheThirdRowOfACertificate) {
  ShowSample("cert.der");
  TNodeId third = Row(2);
  Focus(third);
  EXPECT_EQ(Caption(third), "Header length:");
  EXPECT_EQ(Caption(Row(0)), "SEQUENCE") << "only the focused row counts its children";
  EXPECT_TRUE(Probe(Form).TreeVT().IsSelected(third));
  EXPECT_EQ(Probe(Form).HexSel(), (THexSelection{0, 1389})) << "an attribute row selects its element";
  Focus(Row(0));
  EXPECT_EQ(Caption(Row(0)), "SEQUENCE(3)");
  // The focused row's caption contrasts with the focus colour; its value keeps its own.
  TTextStyle caption = Style(Row(0), TTextType::ttNormal);
  EXPECT_EQ(caption, (TTextStyle{true, RGB(255, 255, 255)}));
  EXPECT_EQ(Probe(Form).TreeVTBeforeCellPaint(Probe(Form).TreeVT(), Row(0), -1).Fill, RGB(240, 240, 240));
  EXPECT_FALSE(Probe(Form).TreeVTBeforeCellPaint(Probe(Form).TreeVT(), Row(1), -1).Fill);
}

TEST_F(TreeViewTest, CaptionsCountElementChildrenOfTheFocusedRowOnly) {
  struct {
    const char* Label;
    const char* Hex;
    bool Focused;
    const char* Caption;
  } cases[] = {
      {"three elements, focused", "30 09 02 01 01 02 01 02 02 01 03", true, "SEQUENCE(3)"},
      {"three elements, not focused", "30 09 02 01 01 02 01 02 02 01 03", false, "SEQUENCE"},
      {"one element", "30 03 02 01 01", true, "SEQUENCE"},
      {"no element", "30 00", true, "SEQUENCE"},
      {"an error row is not counted", "30 07 01 02 FF FF 02 01 05", true, "SEQUENCE(2)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    ShowHex(c.Hex);
    if (c.Focused) Focus(Row(0));
    EXPECT_EQ(Caption(Row(0)), c.Caption);
  }
}

TEST_F(TreeViewTest, NonElementRowsGetAColon) {
  ShowHex("01 02 FF FF");  // a BOOLEAN whose value fails
  EXPECT_EQ(Caption(Row(0)), "BOOLEAN");
  EXPECT_EQ(Caption(Row(4)), "Error:");
  EXPECT_EQ(Value(Row(4)), "Incorrect length");
  EXPECT_EQ(Image(Row(4)), TIcon::icError);
  ShowHex("30 03 02 05 00");
  TNodeId fatal = Probe(Form).TreeVT().Child(NoNode, 1);
  EXPECT_EQ(Caption(fatal), "Fatal error:");
  EXPECT_EQ(Value(fatal), "Incorrect data length for tag at offset 2");
}

std::string OctetString(int octets) {
  const char* digits = "0123456789ABCDEF";
  std::string hex = {'0', '4', ' ', digits[octets >> 4], digits[octets & 15]};
  for (int i = 0; i < octets; ++i) hex += " 41";
  return hex;
}

std::string Repeat(const std::string& part, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += part;
  return out;
}

TEST_F(TreeViewTest, LongHexAndIntegerValuesAreShortened) {
  // 21 octets with blanks are 62 characters, 22 are 65; without blanks 31
  // octets are 62 and 32 are 64.
  std::string spaced21 = "41" + Repeat(" 41", 20);
  struct {
    const char* Label;
    std::string Hex;
    bool SpaceInHex;
    std::size_t TextLength;  // of the stored value, checked first
    std::string Shown;
  } cases[] = {
      {"62 characters with blanks: whole", OctetString(21), true, 62, spaced21},
      {"65 characters: cut at 63, the blank dropped", OctetString(22), true, 65, spaced21 + "..."},
      {"62 without blanks: whole", OctetString(31), false, 62, Repeat("41", 31)},
      {"64 without blanks: cut at 62", OctetString(32), false, 64, Repeat("41", 31) + "..."},
      {"a text value is never cut", "0C 46" + Repeat(" 41", 70), false, 70, std::string(70, 'A')},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    Probe(Form).Settings().SpaceInHex = c.SpaceInHex;
    ShowHex(c.Hex);
    TTag tag = Probe(Form).GetTag(Row(0));
    ASSERT_EQ(tag.Text().size(), c.TextLength);
    EXPECT_EQ(Value(Row(0)), c.Shown);
    EXPECT_EQ(tag.Text().size(), c.TextLength) << "the stored text stays whole";
  }
  // 2^208 has 63 decimal digits: whole at 63, cut at 62.
  Probe(Form).Settings().SpaceInHex = true;
  ShowHex("02 1B 01" + Repeat(" 00", 26));
  std::string digits = Value(Row(0));
  ASSERT_EQ(digits.size(), 63u) << digits;
  Probe(Form).Settings().SpaceInHex = false;
  EXPECT_EQ(Value(Row(0)), digits.substr(0, 62) + "...");
}

TEST_F(TreeViewTest, IconsFollowTheElementKind) {
  struct {
    const char* Label;
    const char* Hex;
    std::optional<TIcon> Image;
  } cases[] = {
      {"end-of-contents", "00 00", TIcon::icEndOfContents},
      {"BOOLEAN", "01 01 FF", TIcon::icBoolean},
      {"INTEGER", "02 01 05", TIcon::icInteger},
      {"BIT STRING", "03 02 07 80", TIcon::icBitString},
      {"OCTET STRING", "04 01 41", TIcon::icOctetString},
      {"NULL", "05 00", TIcon::icNull},
      {"OID", "06 03 2A 03 04", TIcon::icObjectId},
      {"RELATIVE-OID", "0D 01 05", TIcon::icObjectId},
      {"REAL", "09 00", TIcon::icReal},
      {"ENUMERATED takes the plain tile", "0A 01 01", TIcon::icPrimitive},
      {"UTF8String", "0C 01 41", TIcon::icString},
      {"PrintableString", "13 01 41", TIcon::icString},
      {"UTCTime", "17 0D 39 39 31 32 33 31 32 33 35 39 35 39 5A", TIcon::icTime},
      {"BMPString", "1E 02 00 41", TIcon::icString},
      {"tag 31 and above", "1F 1F 00", TIcon::icPrimitive},
      {"SEQUENCE", "30 00", TIcon::icSequence},
      {"SET", "31 00", TIcon::icSet},
      {"other constructed universal", "28 00", TIcon::icConstructed},
      {"context-specific constructed", "A0 00", TIcon::icContextFolder},
      {"context-specific primitive", "80 01 00", TIcon::icPrimitive},
      {"universal tag 200 constructed", "3F 81 48 00", TIcon::icConstructed},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    ShowHex(c.Hex);
    EXPECT_EQ(Image(Row(0)), c.Image);
  }
}

TEST_F(TreeViewTest, IconsNeedRowsOfSixteenPixels) {
  ShowHex("02 01 05");
  EXPECT_EQ(Image(Row(0)), TIcon::icInteger);
  struct {
    int FontSize;
    int ScalePercent;
    int RowHeight;
    bool Icons;
  } cases[] = {{8, 100, 16, true}, {7, 100, 14, false}, {7, 150, 21, true}, {10, 125, 25, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.FontSize * 1000 + c.ScalePercent);
    Probe(Form).Settings().FontSize = c.FontSize;
    Fake.Display.ScalePercent = c.ScalePercent;
    Probe(Form).SetTreeFontSize();
    EXPECT_EQ(Probe(Form).TreeVT().DefaultNodeHeight(), c.RowHeight);
    EXPECT_EQ(Image(Row(0)).has_value(), c.Icons);
  }
  Probe(Form).Settings().ShowIcons = false;
  Probe(Form).Settings().FontSize = 10;
  Probe(Form).SetTreeFontSize();
  EXPECT_EQ(Image(Row(0)), std::nullopt);
}

TEST_F(TreeViewTest, RunStylesFollowTheRowKind) {
  ShowHex("30 0A 30 00 02 01 05 04 03 01 02 03");  // SEQUENCE { SEQUENCE {}, INTEGER, OCTET STRING }
  const settings::TSettings& s = Probe(Form).Settings();
  struct {
    const char* Caption;
    TTextStyle CaptionStyle;
    TTextStyle ValueStyle;
  } cases[] = {
      {"SEQUENCE", {true, s.ConstructedColor}, {true, s.ValueColor}},
      {"Offset:", {false, s.AttribColor}, {true, s.ValueColor}},
      // An empty SEQUENCE has only attribute rows below it: regular.
      {"INTEGER", {false, s.PrimitiveColor}, {true, s.ValueColor}},
      {"OCTET STRING", {false, s.PrimitiveColor}, {false, s.HexColor}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Caption);
    TNodeId node = RowNamed(c.Caption);
    EXPECT_EQ(Style(node, TTextType::ttNormal), c.CaptionStyle);
    EXPECT_EQ(Style(node, TTextType::ttStatic), c.ValueStyle);
  }
  TNodeId inner = Probe(Form).TreeVT().GetNextVisible(RowNamed("Length:"));
  ASSERT_EQ(Caption(inner), "SEQUENCE");
  EXPECT_EQ(Style(inner, TTextType::ttNormal), (TTextStyle{false, s.ConstructedColor}));
  // Colours are read at every paint.
  Probe(Form).Settings().ConstructedColor = RGB(1, 2, 3);
  EXPECT_EQ(Style(Row(0), TTextType::ttNormal).Color, RGB(1, 2, 3));
}

TEST_F(TreeViewTest, HiddenAttributesDecideExpandButtons) {
  Probe(Form).Settings().ShowAttributes = false;
  ShowHex("30 0C 02 01 05 01 02 FF FF 04 03 02 01 07");  // INTEGER, bad BOOLEAN, OCTET STRING { INTEGER }
  EXPECT_EQ(Caption(Row(1)), "INTEGER");
  EXPECT_FALSE(Probe(Form).TreeVT().HasChildren(Row(1))) << "only attribute rows below";
  EXPECT_EQ(Caption(Row(2)), "BOOLEAN");
  EXPECT_TRUE(Probe(Form).TreeVT().HasChildren(Row(2))) << "its error row";
  EXPECT_EQ(Caption(Row(3)), "Error:");
  EXPECT_EQ(Caption(Row(4)), "OCTET STRING");
  EXPECT_EQ(Caption(Row(5)), "INTEGER") << "the nested element, its attributes hidden";
  EXPECT_EQ(Row(6), NoNode);
}

// A block of more than 64 rows is made a run at a time, and counts the rows it
// will show before they are made: 3 attribute rows, 100 INTEGERs, a BOOLEAN
// with an error row and, for the SEQUENCE's length in a longer form than
// needed, a problem row after them.
TEST_F(TreeViewTest, ALargeBlockCountsItsShownRowsBeforeMakingThem) {
  std::string hex = "30 83 00 01 30";
  for (int i = 0; i < 100; ++i) hex += " 02 01 05";
  hex += " 01 02 FF FF";
  for (bool attributes : {true, false}) {
    SCOPED_TRACE(attributes);
    Probe(Form).Settings().ShowAttributes = attributes;
    ShowHex(hex);
    TTag root = Probe(Form).Root();
    ASSERT_GE(Form.ProblemRowCount(root.TagChild(0)), 1u);
    // A fresh tree with its first row expanded, as a large document opens.
    VirtualTree& tree = Probe(Form).TreeVT();
    tree.SetRootNodeCount(static_cast<std::uint32_t>(root.ChildsCount()), root.Key());
    tree.SetExpanded(tree.GetFirst(), true);
    std::int64_t counted = tree.TotalHeight();
    std::int64_t shown = 0;
    for (TNodeId n = tree.GetFirstVisible(); n != NoNode; n = tree.GetNextVisible(n)) ++shown;
    EXPECT_EQ(counted, shown * tree.DefaultNodeHeight());
    EXPECT_EQ(shown, attributes ? 1 + 3 + 101 + static_cast<std::int64_t>(Form.ProblemRowCount(root.TagChild(0))) : 102);
    EXPECT_EQ(tree.TotalHeight(), counted);
  }
}

TEST_F(TreeViewTest, ReinitialisingAfterAToggleOfAttributesRebuildsTheRows) {
  ShowHex("30 06 02 01 05 02 01 06");
  auto rows = [&] {
    std::string out;
    for (TNodeId n = Probe(Form).TreeVT().GetFirstVisible(); n != NoNode; n = Probe(Form).TreeVT().GetNextVisible(n))
      out += (out.empty() ? "" : " ") + Caption(n);
    return out;
  };
  std::string all = rows();
  EXPECT_EQ(all, "SEQUENCE Offset: Header length: Length: INTEGER Offset: Header length: Length: INTEGER Offset: "
                 "Header length: Length:");
  Probe(Form).Settings().ShowAttributes = false;
  Probe(Form).TreeVT().ReinitAll();
  EXPECT_EQ(rows(), "SEQUENCE INTEGER INTEGER");
  EXPECT_FALSE(Probe(Form).TreeVT().HasChildren(Row(1)));
  Probe(Form).Settings().ShowAttributes = true;
  Probe(Form).TreeVT().ReinitAll();
  Probe(Form).TreeVT().FullExpand();
  EXPECT_EQ(rows(), all);
}

TEST_F(TreeViewTest, FocusMovesTheHexHighlightAndScroll) {
  ShowSample("cert.der");
  // 1390 bytes are 174 rows of 8; the grid shows 180 / 18 = 10 rows.
  struct {
    const char* Label;
    std::int32_t Element;  // offset of the element row to focus
    THexSelection Sel;
    std::int64_t Offset;  // of Hex1VT after the focus
  } cases[] = {
      {"the whole certificate", 0, {0, 1389}, 0},
      {"the version INTEGER", 10, {10, 12}, 0},
      {"row 7 is shown with a line below it", 56, {56, 72}, 0},
      {"row 9 is the last line: it becomes the first", 73, {73, 97}, 9 * 18},
      {"row 17 is scrolled to, then to the top", 143, {143, 157}, 17 * 18},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    Probe(Form).Hex1VT().SetOffsetY(0);
    TNodeId node = NoNode;
    for (TNodeId n = Probe(Form).TreeVT().GetFirst(); n != NoNode && node == NoNode; n = Probe(Form).TreeVT().GetNext(n))
      if (Probe(Form).GetTag(n).TagType() == ttNode && Probe(Form).GetTag(n).Offset() == c.Element) node = n;
    Focus(node);
    EXPECT_EQ(Probe(Form).HexSel(), c.Sel);
    EXPECT_EQ(Probe(Form).Hex1VT().OffsetY(), c.Offset);
    EXPECT_EQ(Probe(Form).Hex2VT().OffsetY(), c.Offset) << "the text grid follows";
  }
  // An attribute row stands for its element.
  Focus(Row(3));
  EXPECT_EQ(Probe(Form).HexSel(), (THexSelection{0, 1389}));
}

TEST_F(TreeViewTest, AFatalErrorWithoutOffsetSelectsNothing) {
  Probe(Form).RunCaptured([] { throw std::runtime_error("broken"); });
  Probe(Form).FillTrees();
  TNodeId fatal = Row(0);
  ASSERT_EQ(Caption(fatal), "Fatal error:");
  Probe(Form).Hex1VT().SetOffsetY(40);
  Focus(fatal);
  EXPECT_EQ(Probe(Form).HexSel(), THexSelection{});
  EXPECT_EQ(Probe(Form).Hex1VT().OffsetY(), 0);
  EXPECT_EQ(Panel(Probe(Form).HexStatusBar(), 2), "");
}

TEST_F(TreeViewTest, AClickFocusesTheRowAtThatHeight) {
  ShowHex("30 03 02 01 05");
  int height = Probe(Form).TreeVT().DefaultNodeHeight();
  struct {
    int X, Y;
    int Row;  // -1: nothing focused
  } clicks[] = {{390, 0, 0}, {5, height * 4 + 1, 4}, {390, height * 8 - 1, 7}, {10, height * 8, -1}};
  for (const auto& c : clicks) {
    SCOPED_TRACE(c.Y);
    Probe(Form).TreeVT().SetFocusedNode(NoNode);
    Probe(Form).TreeVTClick(Probe(Form).TreeVT(), c.X, c.Y);
    EXPECT_EQ(Probe(Form).TreeVT().FocusedNode(), c.Row < 0 ? NoNode : Row(c.Row));
  }
}

}  // namespace
}  // namespace viewer
