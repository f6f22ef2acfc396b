// ApplySettings: what each tree and the hex panel take from the settings.
#include <gtest/gtest.h>

#include "views_test_util.h"

namespace viewer {
namespace {

using settings::RGB;

class ApplySettingsTest : public test::ViewsTest {};

TEST_F(ApplySettingsTest, TreesTakeTheirFontsColoursAndLines) {
  settings::TSettings& s = Probe(Form).Settings();
  s.FontName = u"DejaVu Sans";
  s.FontSize = 12;
  s.Indent = 22;
  s.LineDotted = false;
  s.Hex.LineDotted = true;
  s.Hex.Background = RGB(1, 2, 3);
  s.Hex.FocusColor = settings::SysColor(13);
  Probe(Form).ApplySettings();
  const TTreeLook& tree = Probe(Form).TreeVT().Look;
  EXPECT_EQ(tree.FontName, u"DejaVu Sans");
  EXPECT_EQ(tree.FontSize, 12);
  EXPECT_EQ(tree.Indent, 22);
  EXPECT_EQ(tree.Color, 0xFFFFFFu) << "system colour 5 of the fake";
  EXPECT_EQ(tree.FocusedSelectionColor, 0xD77800u);
  EXPECT_EQ(tree.LineColor, 0xA0A0A0u);
  EXPECT_EQ(tree.LineStyle, TLineStyle::lsSolid);
  EXPECT_EQ(Probe(Form).TreeVT().DefaultNodeHeight(), 24);
  struct {
    const char* Label;
    const VirtualTree& Grid;
    TColor FontColor;
    bool Bold;
  } grids[] = {{"bytes", Probe(Form).Hex1VT(), s.Hex.HexColor, false}, {"text", Probe(Form).Hex2VT(), s.Hex.TextColor, true}};
  for (const auto& g : grids) {
    SCOPED_TRACE(g.Label);
    EXPECT_EQ(g.Grid.Look.FontColor, g.FontColor);
    EXPECT_EQ(g.Grid.Look.FontBold, g.Bold);
    EXPECT_EQ(g.Grid.Look.Color, RGB(1, 2, 3));
    EXPECT_EQ(g.Grid.Look.FocusedSelectionColor, 0xD77800u);
    EXPECT_EQ(g.Grid.Look.LineColor, s.Hex.LineColor);
    EXPECT_EQ(g.Grid.Look.LineStyle, TLineStyle::lsDotted);
    EXPECT_EQ(g.Grid.Look.FontName, s.Hex.FontName);
  }
  EXPECT_TRUE(Probe(Form).Hex1VT().Look.VertGridLines);
  EXPECT_FALSE(Probe(Form).Hex2VT().Look.VertGridLines);
}

TEST_F(ApplySettingsTest, BytesPerRowAndPanelVisibility) {
  struct {
    std::uint8_t StringSize;
    bool Show;
  } cases[] = {{16, true}, {8, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.StringSize);
    Probe(Form).Settings().Hex.StringSize = c.StringSize;
    Probe(Form).Settings().Hex.Show = c.Show;
    Probe(Form).ApplySettings();
    ShowHex("30 03 02 01 05");
    EXPECT_EQ(Probe(Form).Hex1VT().ColumnCount(), c.StringSize);
    EXPECT_EQ(Probe(Form).Hex2VT().ColumnCount(), c.StringSize);
    EXPECT_EQ(Probe(Form).HexPanelVisible(), c.Show);
    EXPECT_EQ(Probe(Form).Hex1VT().RootNodeCount(), 1u);
  }
}

TEST_F(ApplySettingsTest, ReappliedSettingsKeepTheDocumentAndHighlight) {
  ShowHex("30 03 02 01 05");
  Focus(RowNamed("INTEGER"));
  Probe(Form).Settings().Hex.StringSize = 16;
  Probe(Form).ApplySettings();
  EXPECT_EQ(Probe(Form).HexSel(), (THexSelection{2, 4}));
  EXPECT_EQ(Caption(Probe(Form).TreeVT().FocusedNode()), "INTEGER");
  EXPECT_EQ(Probe(Form).Hex1VT().FocusedNode(), 0u);
}

}  // namespace
}  // namespace viewer
