// Comparing with another file in the viewer: the rows of the other file's
// elements among the document's, the marks, Next and Previous difference, the
// status text, and the rows the other parts map through it.
#include <string>
#include <vector>

#include "views_test_util.h"

namespace viewer::test {
namespace {

std::filesystem::path CompareDir() { return std::filesystem::path(BRAMLET_SOURCE_DIR) / "tests/data/compare"; }

TEST(RowPlaces, GhostRowsSitAmongTheElementRowsAndMapBothWays) {
  // Three attribute rows, six elements, ghosts before element 0, two before
  // element 2 and one after the last; then two problem rows.
  const std::vector<TGhostRow> ghosts = {{0, 10, 0}, {2, 11, 1}, {2, 12, 2}, {6, 13, 3}};
  const std::string expected = "a0 a1 a2 G0 d3 d4 G1 G2 d5 d6 d7 d8 G3 d9 d10";
  std::string shown;
  std::vector<std::uint32_t> treeRowOf;  // per document row, where it was met
  for (std::uint32_t row = 0; row < 15; ++row) {
    const TRowPlace place = PlaceOfRow(ghosts, 3, row);
    if (!shown.empty()) shown += ' ';
    shown += (place.Ghost ? "G" : row < 3 ? "a" : "d") + std::to_string(place.Index);
    if (!place.Ghost) treeRowOf.push_back(row);
  }
  EXPECT_EQ(shown, expected);
  for (std::uint32_t documentRow = 0; documentRow < treeRowOf.size(); ++documentRow)
    EXPECT_EQ(RowOfDocumentRow(ghosts, 3, documentRow), treeRowOf[documentRow]) << documentRow;
  EXPECT_EQ(PlaceOfRow({}, 0, 7), (TRowPlace{false, 7}));
  EXPECT_EQ(RowOfDocumentRow({}, 0, 7), 7u);
}

class CompareTest : public ViewsTest {
 protected:
  void ShowFile(const std::filesystem::path& path) {
    Probe(Form).Document().SetFileName(settings::Utf8ToUtf16(path.string()));
    Probe(Form).LoadFile();
    Probe(Form).FillTrees();
    Probe(Form).TreeVT().SetClientSize(400, 320);
    Probe(Form).RunIdleWork();
  }
  void CompareWith(const std::filesystem::path& path) {
    Fake.Dialogs.OpenFileAnswer = settings::Utf8ToUtf16(path.string());
    Probe(Form).MainMenuClick(Probe(Form).MainMenu().Item("mnCompareWith").Tag);
  }
  std::string SourcePanel() { return Panel(Probe(Form).MainStatusBar(), 4); }
  TColor CaptionColor(TNodeId node) {
    return Probe(Form).TreeVTPaintText(Probe(Form).TreeVT(), node, -1, TTextType::ttNormal).Color;
  }
  // The focused row as "mark caption value": + for the other file's, ~ changed, - only here.
  std::string Focused() {
    const TNodeId node = Probe(Form).TreeVT().FocusedNode();
    Focus(NoNode);  // the focus colour would hide the mark
    const TColor color = CaptionColor(node);
    Focus(node);
    const settings::TSettings& s = Probe(Form).Settings();
    const char* mark = color == s.OnlyThereColor ? "+" : color == s.ChangedColor ? "~" : color == s.OnlyHereColor ? "-" : "?";
    return std::string(mark) + " " + Caption(node) + " " + Value(node).substr(0, 20);
  }
  std::size_t ShownRows() {
    std::size_t rows = 0;
    for (TNodeId n = Probe(Form).TreeVT().GetFirstVisible(); n != NoNode; n = Probe(Form).TreeVT().GetNextVisible(n)) ++rows;
    return rows;
  }
};

TEST_F(CompareTest, ACrlWithEntriesRemovedAddedAndChangedIsWalkedDifferenceByDifference) {
  ShowFile(CompareDir() / "crl-a.der");
  Probe(Form).ExpandTree();
  const std::size_t rowsAlone = ShownRows();
  CompareWith(CompareDir() / "crl-b.der");
  EXPECT_EQ(SourcePanel(), "Comparing with crl-b.der...");
  ASSERT_TRUE(Probe(Form).HasIdleWork());
  Probe(Form).RunIdleWork();
  EXPECT_EQ(SourcePanel(), "7 differences with crl-b.der");
  EXPECT_EQ(ShownRows(), rowsAlone + 1) << "one row for the entry only crl-b.der has";

  // In document order, as bramlet-dump --diff lists them, then round again.
  const std::vector<std::string> expected = {
      "~ UTCTime 2025-04-01 00:00:00 ", "~ UTCTime 2025-05-01 00:00:00 ", "- SEQUENCE(3) ",
      "~ ENUMERATED cessationOfOperation", "+ SEQUENCE only in crl-b.der", "~ INTEGER 4096",
      "~ BIT STRING 05 AE 60 4C B8 C2 AC",
  };
  Focus(NoNode);
  for (const std::string& difference : expected) {
    Probe(Form).NextDifference();
    EXPECT_EQ(Focused(), difference);
  }
  Probe(Form).NextDifference();
  EXPECT_EQ(Focused(), expected.front()) << "round to the first";
  for (auto it = expected.rbegin(); it != expected.rend(); ++it) {
    Probe(Form).PreviousDifference();
    EXPECT_EQ(Focused(), *it);
  }

  // The removed entry's children carry its mark; the other file's row has no bytes here.
  const TNodeId removed = Probe(Form).GetNodeByOffset(174);
  EXPECT_EQ(CaptionColor(Probe(Form).TreeVT().Child(removed, 3)), Probe(Form).Settings().OnlyHereColor);
  Probe(Form).NextDifference();
  Probe(Form).NextDifference();
  ASSERT_NE(Probe(Form).GhostAt(Probe(Form).TreeVT().FocusedNode()), nullptr);
  EXPECT_EQ(Probe(Form).HexSel(), THexSelection{});
  Probe(Form).MainMenuClick(Probe(Form).MainMenu().Item("mnCopyName").Tag);
  EXPECT_EQ(Fake.Clipboard.Text, u"SEQUENCE") << "the other file's element, which has no value";
  // The changed cRLNumber's octets in the hex panel.
  const std::int32_t hexRow = Probe(Form).GetHexNodeIndex(353);
  int column = 0;
  while (column < 40 && Probe(Form).GetHexOffset(static_cast<TNodeId>(hexRow), column) != 353) ++column;
  EXPECT_EQ(Probe(Form).Hex1VTBeforeCellPaint(Probe(Form).Hex1VT(), static_cast<TNodeId>(hexRow), column).Fill,
            Probe(Form).Settings().Hex.ChangedColor);

  // The rows after the other file's row still meet their elements (by offset, and by Find).
  const TNodeId number = Probe(Form).GetNodeByOffset(351);
  EXPECT_EQ(Probe(Form).GetTag(number).Offset(), 351);
  Focus(Row(0));
  ASSERT_TRUE(Form.Find(u"4096", false));
  EXPECT_EQ(Probe(Form).TreeVT().FocusedNode(), number);

  // Stopped: the rows of the file alone, the focus on the same element.
  Probe(Form).StopComparing();
  EXPECT_EQ(ShownRows(), rowsAlone);
  EXPECT_EQ(Probe(Form).GetTag(Probe(Form).TreeVT().FocusedNode()).Offset(), 351);
  const TNodeId entry = Probe(Form).GetNodeByOffset(174);
  Focus(NoNode);
  EXPECT_EQ(CaptionColor(entry), Probe(Form).Settings().ConstructedColor);
  EXPECT_EQ(SourcePanel(), "");
}

TEST_F(CompareTest, RowsAfterTheOtherFilesRowMeetTheirElements) {
  // SEQUENCE { INTEGER 1, INTEGER 3 } against one with two BOOLEANs between them.
  TTempDir dir;
  WriteAll(dir.Path / "b.der", std::string("\x30\x0C\x02\x01\x01\x01\x01\xFF\x01\x01\x00\x02\x01\x03", 14));
  Probe(Form).Settings().ShowAttributes = false;
  ShowHex("30 06 02 01 01 02 01 03");
  CompareWith(dir.Path / "b.der");
  Probe(Form).RunIdleWork();
  std::vector<std::string> rows;
  for (TNodeId n = Probe(Form).TreeVT().GetFirstVisible(); n != NoNode; n = Probe(Form).TreeVT().GetNextVisible(n))
    rows.push_back(Caption(n) + " " + Value(n));
  EXPECT_EQ(rows, (std::vector<std::string>{"SEQUENCE ", "INTEGER 1", "BOOLEAN True", "BOOLEAN False", "INTEGER 3"}));

  // By offset, by Find, by Previous difference, and back from an opened element.
  const TNodeId three = Probe(Form).GetNodeByOffset(5);
  EXPECT_EQ(Probe(Form).GetTag(three).Offset(), 5);
  Focus(Row(0));
  ASSERT_TRUE(Form.Find(u"3", false));
  EXPECT_EQ(Probe(Form).TreeVT().FocusedNode(), three);
  // The two rows share a place in A's order: each is gone to in turn, then round.
  for (int row : {3, 2, 3, 2}) {
    Probe(Form).PreviousDifference();
    EXPECT_EQ(Probe(Form).TreeVT().FocusedNode(), Row(row));
  }
  Probe(Form).NextDifference();
  EXPECT_EQ(Probe(Form).TreeVT().FocusedNode(), Row(3));
  Focus(three);
  Probe(Form).OpenElement();
  Probe(Form).GoBack();
  EXPECT_EQ(Probe(Form).GetTag(Probe(Form).TreeVT().FocusedNode()).Offset(), 5) << "the comparison ended with the opening";
}

TEST_F(CompareTest, TheOtherFilesTopLevelElementsAreRowsAmongTheTopLevelRows) {
  // The other file: INTEGER 1, INTEGER 5. The shown one: INTEGER 1 alone, and
  // after a first block that is no BER ("hello"), whose error row comes first.
  TTempDir dir;
  WriteAll(dir.Path / "b.der", std::string("\x02\x01\x01\x02\x01\x05", 6));
  WriteAll(dir.Path / "a.der", std::string("\x02\x01\x01", 3));
  WriteAll(dir.Path / "a.pem", "-----BEGIN X-----\naGVsbG8=\n-----END X-----\n-----BEGIN X-----\nAgEB\n-----END X-----\n");
  const std::string fatal = "Fatal error: Incorrect data length for tag at offset 0";
  const struct {
    const char* Shown;
    std::vector<std::string> Rows;
  } cases[] = {{"a.der", {"INTEGER 1", "INTEGER 5"}}, {"a.pem", {fatal, "INTEGER 1", "INTEGER 5"}}};
  Probe(Form).Settings().ShowAttributes = false;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Shown);
    ShowFile(dir.Path / c.Shown);
    CompareWith(dir.Path / "b.der");
    Probe(Form).RunIdleWork();
    std::vector<std::string> rows;
    for (TNodeId n = Probe(Form).TreeVT().GetFirstVisible(); n != NoNode; n = Probe(Form).TreeVT().GetNextVisible(n))
      rows.push_back(Caption(n) + " " + Value(n));
    EXPECT_EQ(rows, c.Rows);
    Probe(Form).StopComparing();
    EXPECT_EQ(Probe(Form).TreeVT().RootNodeCount(), c.Rows.size() - 1) << "the other file's row goes with the comparison";
  }
}

TEST_F(CompareTest, TheSameDocumentInOtherEncodingsAndFilesThatCannotBeCompared) {
  struct TCase {
    const char* Other;
    std::string Panel;     // after the comparison
    std::size_t Messages;  // message boxes shown
  } cases[] = {
      {"samples/cert.pem", "No differences with cert.pem", 0},
      {"tests/data/compare/cert-ber.der", "No differences with cert-ber.der", 0},
      {"samples/README.md", "", 1},     // no ASN.1 data
      {"samples/missing.der", "", 1},   // cannot be read
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Other);
    Fake.Dialogs.Messages.clear();
    ShowFile(SamplesDir() / "cert.der");
    CompareWith(std::filesystem::path(BRAMLET_SOURCE_DIR) / c.Other);
    Probe(Form).RunIdleWork();
    EXPECT_EQ(SourcePanel(), c.Panel);
    EXPECT_EQ(Fake.Dialogs.Messages.size(), c.Messages);
    EXPECT_EQ(Probe(Form).Comparison() != nullptr, c.Messages == 0);
  }
  // Another document shown ends the comparison.
  CompareWith(SamplesDir() / "cert.pem");
  Probe(Form).Reload();
  EXPECT_EQ(Probe(Form).Comparison(), nullptr);
}

}  // namespace
}  // namespace viewer::test
