// The hex panel through the window: cells, role colours, the highlight, focus
// mirroring with the snap back, scroll coupling, and bytes back to elements.
#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "views_test_util.h"

namespace viewer {
namespace {

class HexViewTest : public test::ViewsTest {
 protected:
  std::string Cell1(TNodeId row, int column) {
    return settings::Utf16ToUtf8(Probe(Form).Hex1VTGetText(Probe(Form).Hex1VT(), row, column, TTextType::ttNormal));
  }
  std::u16string Cell2(TNodeId row, int column) {
    return Probe(Form).Hex2VTGetText(Probe(Form).Hex2VT(), row, column, TTextType::ttNormal);
  }
  // The structure-tree row a double-click on byte offset focuses.
  std::string DoubleClick(std::int32_t offset) {
    int width = Probe(Form).Settings().Hex.StringSize;
    Probe(Form).HexVTNodeDblClick(Probe(Form).Hex1VT(), static_cast<TNodeId>(offset / width), offset % width);
    return Caption(Probe(Form).TreeVT().FocusedNode());
  }
};

TEST_F(HexViewTest, APartialLastRowShowsEmptyCellsAndSnapsFocusBack) {
  Probe(Form).Settings().Hex.StringSize = 16;
  Probe(Form).ApplySettings();
  std::vector<std::uint8_t> bytes(20, 0x41);
  Show(bytes);
  EXPECT_EQ(Probe(Form).GetHexLineCount(), 2);
  EXPECT_EQ(Probe(Form).Hex1VT().RootNodeCount(), 2u);
  EXPECT_EQ(Probe(Form).Hex2VT().RootNodeCount(), 2u);
  EXPECT_EQ(Cell1(1, 3), "41");
  EXPECT_EQ(Cell1(1, 4), "");
  EXPECT_EQ(Cell2(1, 15), u"");
  struct {
    const char* Label;
    bool FromTextGrid;
  } cases[] = {{"in the bytes grid", false}, {"in the text grid", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    VirtualTree& grid = c.FromTextGrid ? Probe(Form).Hex2VT() : Probe(Form).Hex1VT();
    grid.SetFocusedNode(0);
    grid.SetFocusedColumn(0);
    grid.SetFocusedNode(1);
    grid.SetFocusedColumn(10);
    for (VirtualTree* g : {&Probe(Form).Hex1VT(), &Probe(Form).Hex2VT()}) {
      EXPECT_EQ(g->FocusedNode(), 1u);
      EXPECT_EQ(g->FocusedColumn(), 3);
    }
    VirtualTree& other = c.FromTextGrid ? Probe(Form).Hex1VT() : Probe(Form).Hex2VT();
    EXPECT_TRUE(other.IsSelected(1)) << "the mirrored row is selected";
    EXPECT_EQ(Panel(Probe(Form).HexStatusBar(), 0), "19");
  }
}

TEST_F(HexViewTest, BytesAreColouredByTheirRole) {
  const settings::THexSettings& hex = Probe(Form).Settings().Hex;
  struct {
    const char* Hex;
    std::vector<TColor> Colors;
  } cases[] = {
      {"30 03 02 01 05", {hex.TagColor, hex.LenColor, hex.TagColor, hex.LenColor, hex.HexColor}},
      {"03 02 07 80", {hex.TagColor, hex.LenColor, hex.UBitsColor, hex.HexColor}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Hex);
    ShowHex(c.Hex);
    for (std::size_t i = 0; i < c.Colors.size(); ++i)
      EXPECT_EQ(Probe(Form).Hex1VTPaintText(Probe(Form).Hex1VT(), 0, static_cast<int>(i), TTextType::ttNormal).Color, c.Colors[i])
          << i;
    EXPECT_EQ(Probe(Form).Hex2VTPaintText(Probe(Form).Hex2VT(), 0, 0, TTextType::ttNormal), (TTextStyle{true, hex.TextColor}));
  }
}

TEST_F(HexViewTest, TheTextGridShowsLatin1) {
  ShowHex("00 1F 20 41 E9 7F");
  std::u16string shown;
  for (int i = 0; i < 6; ++i) shown += Cell2(0, i);
  EXPECT_EQ(shown, u".. A\u00E9\u007F");
  EXPECT_EQ(Cell1(0, 4), "E9");
}

TEST_F(HexViewTest, TheFocusedElementIsHighlightedInBothGrids) {
  ShowHex("30 03 02 01 05");
  TColor sel = Probe(Form).Settings().Hex.SelColor;
  TColor frame = Probe(Form).GetSimilarColor(sel, 90);
  Focus(RowNamed("INTEGER"));
  for (int column = 0; column < 8; ++column) {
    SCOPED_TRACE(column);
    bool lit = column >= 2 && column <= 4;
    TCellPaint bytes = lit ? TCellPaint{sel, std::nullopt} : TCellPaint{};
    TCellPaint text = lit ? TCellPaint{sel, frame} : TCellPaint{};
    EXPECT_EQ(Probe(Form).Hex1VTBeforeCellPaint(Probe(Form).Hex1VT(), 0, column), bytes);
    EXPECT_EQ(Probe(Form).Hex2VTBeforeCellPaint(Probe(Form).Hex2VT(), 0, column), text);
  }
  EXPECT_EQ(frame, settings::RGB(191, 191, 0));
  // A refill keeps the highlight and puts the focus on the first byte.
  Probe(Form).Hex1VT().SetFocusedColumn(3);
  Probe(Form).FillHexTree();
  EXPECT_EQ(Probe(Form).HexSel(), (THexSelection{2, 4}));
  EXPECT_EQ(Probe(Form).Hex1VT().FocusedColumn(), 0);
  EXPECT_EQ(Probe(Form).Hex2VT().FocusedNode(), 0u);
}

TEST_F(HexViewTest, ABytePointsBackToItsInnermostElement) {
  struct {
    const char* Label;
    const char* Hex;
    std::int32_t Offset;
    const char* Focused;
  } cases[] = {
      {"identifier of the SEQUENCE", "30 03 02 01 05", 0, "SEQUENCE"},
      {"length of the SEQUENCE", "30 03 02 01 05", 1, "SEQUENCE"},
      {"identifier of the INTEGER", "30 03 02 01 05", 2, "INTEGER"},
      {"length of the INTEGER, walked backwards", "30 03 02 01 05", 3, "INTEGER"},
      {"contents of the INTEGER", "30 03 02 01 05", 4, "INTEGER"},
      {"second of two top-level elements", "05 00 05 00 05 00", 3, "NULL"},
      {"at the failure, forwards", "30 03 02 05 00", 2, "Fatal error:"},
      {"after the failure, backwards", "30 03 02 05 00", 4, "Fatal error:"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    ShowHex(c.Hex);
    EXPECT_EQ(DoubleClick(c.Offset), c.Focused);
  }
  ShowHex("05 00 05 00 05 00");
  DoubleClick(3);
  EXPECT_EQ(Probe(Form).GetTag(Probe(Form).TreeVT().FocusedNode()).Offset(), 2);
  EXPECT_EQ(Probe(Form).HexSel(), (THexSelection{2, 3}));
}

// Where byte offset leads by a walk over every row from the nearer end of the
// buffer: forwards, the last qualifying row before the first one that starts
// past the byte (the first row while none is met); backwards, the first
// qualifying row that starts at or before it.
TTag WalkedElementAt(TMainForm& form, std::int32_t offset) {
  VirtualTree& tree = Probe(form).TreeVT();
  auto qualifies = [](TTag tag) {
    return tag.TagType() == ttNode || (tag.TagType() == ttError && tag.Offset() >= 0);
  };
  if (offset <= static_cast<std::int64_t>(Probe(form).Bytes()->size()) / 2) {
    TNodeId result = tree.GetFirst();
    for (TNodeId node = result; node != NoNode; node = tree.GetNext(node)) {
      TTag tag = Probe(form).GetTag(node);
      if (!qualifies(tag)) continue;
      if (tag.Offset() > offset) break;
      result = node;
    }
    return Probe(form).GetTag(result);
  }
  for (TNodeId node = tree.GetLast(); node != NoNode; node = tree.GetPrevious(node)) {
    TTag tag = Probe(form).GetTag(node);
    if (qualifies(tag) && tag.Offset() <= offset) return tag;
  }
  return {};
}

class ByteToElementTest : public HexViewTest {
 protected:
  // Every byte of the shown document leads to the row the walk finds, focused;
  // every other byte on a tree holding only its top rows, where the rows on
  // the way are still to be made.
  void ExpectEveryByteLeadsWhereTheWalkDoes() {
    auto size = static_cast<std::int32_t>(Probe(Form).Bytes()->size());
    ASSERT_GT(size, 0);
    TTag root = Probe(Form).Root();
    for (std::int32_t offset = 0; offset < size; ++offset) {
      bool fresh = offset % 2 == 1;
      if (fresh) Probe(Form).TreeVT().SetRootNodeCount(static_cast<std::uint32_t>(root.ChildsCount()), root.Key());
      TNodeId found = Probe(Form).GetNodeByOffset(offset);
      TTag got = Probe(Form).GetTag(found);
      TTag want = WalkedElementAt(Form, offset);
      if (got == want && (found == NoNode || Probe(Form).TreeVT().FocusedNode() == found)) continue;
      ADD_FAILURE() << "byte " << offset << (fresh ? " on a fresh tree" : "") << ": " << Caption(found) << " at "
                    << got.Offset() << ", the walk finds " << settings::Utf16ToUtf8(want.Name()) << " at "
                    << want.Offset();
      return;
    }
  }
  void Fail(const asn::EParserException& e) {
    Probe(Form).RunCaptured([&] { throw e; });
  }
};

TEST_F(ByteToElementTest, EveryByteOfEverySampleLeadsWhereTheWalkDoes) {
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(test::SamplesDir())) {
    std::string name = entry.path().filename().string();
    if (name == "README.md" || name == "make-samples.sh") continue;
    for (bool attributes : {true, false}) {
      SCOPED_TRACE(name + (attributes ? "" : " without attribute rows"));
      Probe(Form).Settings().ShowAttributes = attributes;
      Probe(Form).Document().SetFileName(entry.path().u16string());
      Probe(Form).LoadFile();
      Probe(Form).FillTrees();
      ExpectEveryByteLeadsWhereTheWalkDoes();
    }
    ++files;
  }
  EXPECT_GE(files, 25);
}

TEST_F(ByteToElementTest, CraftedDocumentsLeadWhereTheWalkDoes) {
  struct {
    const char* Label;
    const char* Hex;
    std::vector<std::int32_t> MoreFatalErrors;  // offsets of top-level errors added after decoding; -1: none
    std::vector<std::int32_t> Blocks = {};      // where the blocks start, decoded each on its own
  } cases[] = {
      {"a failure inside a SEQUENCE", "30 03 02 05 00", {}},
      {"a failure at the first byte", "1F FF FF", {}},
      {"indefinite length without its end", "05 00 30 80 02 01 01", {}},
      {"nested elements inside an OCTET STRING", "30 09 04 03 02 01 07 05 00 01 01 FF", {}},
      {"a value error row", "30 07 17 03 41 42 43 05 00", {}},
      {"top-level errors out of order", "30 06 02 01 05 02 01 07", {6, 1, -1, 3}},
      {"a top-level error before the last element", "30 06 02 01 05 02 01 07", {1, 6, -1, 3}},
      {"only errors", "1F FF FF FF", {2, -1, 0}},
      {"an error with no offset first", "02 01 05 05 00", {-1, 4}},
      {"a bad block between two", "30 03 02 01 05 02 05 00 05 00", {}, {0, 5, 8}},
      {"bad blocks first and last", "1F FF 05 00 05 00 30 05 02", {}, {0, 2, 6}},
      {"a bad block and a later error", "02 05 00 05 00 05 00", {1}, {0, 3}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    Probe(Form).RunCaptured([&] { Probe(Form).Document().ParseASN(test::Shared(test::HexBytes(c.Hex)), c.Blocks); });
    for (std::int32_t offset : c.MoreFatalErrors) {
      if (offset < 0)
        Probe(Form).RunCaptured([] { throw std::runtime_error("no offset"); });
      else
        Fail(asn::EParserException("crafted", offset));
    }
    Probe(Form).FillTrees();
    ExpectEveryByteLeadsWhereTheWalkDoes();
  }
}

// 3,400 entries of SEQUENCE { INTEGER, NULL }: too many elements to expand at
// once, so only the top row's children exist, and a byte deep inside creates
// just the rows of the entry it lies in.
TEST_F(ByteToElementTest, AByteCreatesOnlyTheRowsOnItsPath) {
  const int entries = 3400;
  std::vector<std::uint8_t> bytes{0x30, 0x82, 0x5C, 0xF8};
  for (int i = 0; i < entries; ++i) bytes.insert(bytes.end(), {0x30, 0x05, 0x02, 0x01, 0x01, 0x05, 0x00});
  Show(bytes);
  ASSERT_EQ(Probe(Form).TreeExpansion(), TTreeExpansion::teFirstRow);
  std::size_t rows = Probe(Form).TreeVT().AllocatedRowCount();
  std::int32_t integer = 4 + 7 * 1700 + 2;
  TNodeId found = Probe(Form).GetNodeByOffset(integer + 2);
  EXPECT_EQ(Caption(found), "INTEGER");
  EXPECT_EQ(Probe(Form).GetTag(found).Offset(), integer);
  EXPECT_EQ(Probe(Form).TreeVT().AllocatedRowCount(), rows + 5) << "three attribute rows and two elements";
  EXPECT_TRUE(Probe(Form).TreeVT().IsFullyVisible(found));
  for (std::int32_t offset : {0, 3, 4, 9, 7 * 1000 + 5, integer + 2, 7 * 2000 + 1, 7 * 3000, 4 + 7 * entries - 1}) {
    SCOPED_TRACE(offset);
    EXPECT_EQ(Probe(Form).GetTag(Probe(Form).GetNodeByOffset(offset)), WalkedElementAt(Form, offset));
  }
}

TEST_F(HexViewTest, ADoubleClickOpensACollapsedBranch) {
  ShowSample("cert.der");
  Probe(Form).TreeVT().FullCollapse();
  Fake.Host.BusyCursorChanges.clear();
  EXPECT_EQ(DoubleClick(57), "UTF8String");  // inside "Bramlet Samples"
  TNodeId focused = Probe(Form).TreeVT().FocusedNode();
  EXPECT_TRUE(Probe(Form).TreeVT().IsFullyVisible(focused));
  EXPECT_EQ(Probe(Form).HexSel(), (THexSelection{56, 72}));
  EXPECT_EQ(Fake.Host.BusyCursorChanges, (std::vector<bool>{true, false}));
  // The row is centred in the tree.
  TRect rect = Probe(Form).TreeVT().GetDisplayRect(focused);
  EXPECT_NEAR(rect.Top + (rect.Bottom - rect.Top) / 2, Probe(Form).TreeVT().ClientHeight() / 2, Probe(Form).TreeVT().DefaultNodeHeight());
}

TEST_F(HexViewTest, OffsetsOutsideTheBufferDoNothing) {
  ShowHex("30 03 02 01 05");
  Focus(Row(0));
  Fake.Host.BusyCursorChanges.clear();
  for (std::int32_t offset : {-1, 5, 100}) {
    SCOPED_TRACE(offset);
    EXPECT_EQ(Probe(Form).GetNodeByOffset(offset), NoNode);
    EXPECT_EQ(Probe(Form).TreeVT().FocusedNode(), Row(0));
  }
  EXPECT_TRUE(Fake.Host.BusyCursorChanges.empty());
  Probe(Form).HexVTNodeDblClick(Probe(Form).Hex1VT(), 0, 6);  // an empty cell of the last row
  EXPECT_EQ(Probe(Form).TreeVT().FocusedNode(), Row(0));
}

TEST_F(HexViewTest, EnterUsesTheBytesGridsCell) {
  ShowHex("30 03 02 01 05");
  Probe(Form).Hex2VT().SetFocusedColumn(3);  // mirrored to the bytes grid
  Probe(Form).HexVTEnter();
  EXPECT_EQ(Caption(Probe(Form).TreeVT().FocusedNode()), "INTEGER");
}

TEST_F(HexViewTest, TheGridsScrollTogether) {
  std::vector<std::uint8_t> bytes(800, 0);
  Show(bytes);
  int row = Probe(Form).Hex1VT().DefaultNodeHeight();
  Probe(Form).Hex2VT().SetOffsetY(row);
  EXPECT_EQ(Probe(Form).Hex1VT().OffsetY(), row);
  Probe(Form).Hex1VT().SetOffsetY(5 * row);
  EXPECT_EQ(Probe(Form).Hex2VT().OffsetY(), 5 * row);
  EXPECT_EQ(Probe(Form).Hex1VT().GetNodeAt(0), Probe(Form).Hex2VT().GetNodeAt(0));
}

TEST_F(HexViewTest, SixteenBytesPerRowRebuildsColumnsAndWidths) {
  ShowSample("cert.der");
  // The fake measures 7 pixels per character at 10 points, 17 for the scroll bar.
  struct {
    int Width;
    std::int32_t Rows;
    int Hex1Column;
    int Hex2Column;
    int Hex1Width;
    int PanelWidth;
  } cases[] = {{16, 87, 20, 11, 16 * 20 + 11, 17 + 16 * 11 + 331 + 13},
               {8, 174, 20, 11, 8 * 20 + 11, 17 + 8 * 11 + 171 + 13}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Width);
    Probe(Form).Settings().Hex.StringSize = static_cast<std::uint8_t>(c.Width);
    Probe(Form).HexVTSetColumns();
    for (VirtualTree* grid : {&Probe(Form).Hex1VT(), &Probe(Form).Hex2VT()}) {
      EXPECT_EQ(grid->ColumnCount(), c.Width);
      EXPECT_EQ(grid->RootNodeCount(), static_cast<std::uint32_t>(c.Rows));
    }
    EXPECT_EQ(Probe(Form).Hex1VT().Column(0).Alignment, TAlignment::taCenter);
    EXPECT_EQ(Probe(Form).Hex2VT().Column(0).Alignment, TAlignment::taLeftJustify);
    EXPECT_EQ(Probe(Form).Hex1VT().Column(c.Width - 1).Width, c.Hex1Column);
    EXPECT_EQ(Probe(Form).Hex2VT().Column(c.Width - 1).Width, c.Hex2Column);
    EXPECT_EQ(Probe(Form).Hex1VTWidth(), c.Hex1Width);
    EXPECT_EQ(Probe(Form).HexPanelWidth(), c.PanelWidth);
  }
  // With 16 a row, the version INTEGER (bytes 10 to 12) lies in row 0, columns 10 to 12.
  Probe(Form).Settings().Hex.StringSize = 16;
  Probe(Form).HexVTSetColumns();
  Focus(RowNamed("INTEGER"));
  ASSERT_EQ(Probe(Form).HexSel(), (THexSelection{10, 12}));
  for (int column : {9, 10, 12, 13})
    EXPECT_EQ(Probe(Form).Hex1VTBeforeCellPaint(Probe(Form).Hex1VT(), 0, column).Fill.has_value(), column >= 10 && column <= 12)
        << column;
}

TEST_F(HexViewTest, RowHeightsFollowTheFontAndScale) {
  struct {
    int FontSize;
    int ScalePercent;
    int Height;
  } cases[] = {{10, 100, 18}, {9, 100, 16}, {5, 100, 9}, {10, 150, 27}, {7, 125, 16}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.FontSize * 1000 + c.ScalePercent);
    Probe(Form).Settings().Hex.FontSize = c.FontSize;
    Fake.Display.ScalePercent = c.ScalePercent;
    Probe(Form).SetHexFont();
    EXPECT_EQ(Probe(Form).Hex1VT().DefaultNodeHeight(), c.Height);
    EXPECT_EQ(Probe(Form).Hex2VT().DefaultNodeHeight(), c.Height);
  }
}

}  // namespace
}  // namespace viewer
