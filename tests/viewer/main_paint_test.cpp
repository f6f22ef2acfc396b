// The painters and the mouse over real samples, seen through a recording canvas:
// what each row and cell draws, where, in which font and colour, and what a
// click, a double-click or the wheel does to the views.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "platform/fake/recording_canvas.h"
#include "viewer/colors.h"
#include "views_test_util.h"

namespace viewer::test {
namespace {

using platform::TIcon;
using platform::fake::TDrawCall;
using platform::fake::TDrawKind;
using platform::fake::TRecordingCanvas;

// Records the change events, one line each.
struct TEventLog : IViewEvents {
  std::vector<std::string> Lines;
  static std::string Name(TView v) {
    static const char* names[] = {"tree", "hex1", "hex2", "main-status", "hex-status"};
    return names[static_cast<int>(v)];
  }
  void InvalidateView(TView view, const TRect*) override { Lines.push_back("invalidate " + Name(view)); }
  void ScrollChanged(TView view) override { Lines.push_back("scroll " + Name(view)); }
  void ActiveViewChanged(TView view) override { Lines.push_back("active " + Name(view)); }
  void LayoutChanged() override { Lines.push_back("layout"); }
  void StatusChanged(TView bar) override { Lines.push_back("status " + Name(bar)); }
  void PopupMenu(TView view, int x, int y) override {
    Lines.push_back("popup " + Name(view) + " " + std::to_string(x) + "," + std::to_string(y));
  }
  void IdleWorkQueued() override { Lines.push_back("idle work"); }
  bool Saw(const std::string& line) const { return std::find(Lines.begin(), Lines.end(), line) != Lines.end(); }
};

class PaintTest : public ViewsTest {
 protected:
  // The rows as they are without field names (main_names_test.cpp has them with).
  void ShowCert() {
    Probe(Form).Settings().FieldNames = false;
    ShowSample("cert.der");
    Probe(Form).Resize(800, 400);
  }
  TRecordingCanvas Painted(TView view, TRect update = {0, 0, 4000, 4000}) {
    TRecordingCanvas canvas;
    Probe(Form).Paint(view, canvas, update);
    EXPECT_EQ(canvas.ClipDepth(), 0) << "clips left pushed";
    return canvas;
  }
  int RowHeight() const { return Probe(Form).TreeVT().DefaultNodeHeight(); }
  // Client y of the middle of the k-th shown row (the tree is not scrolled).
  int RowMid(int k) const { return k * RowHeight() + RowHeight() / 2; }
  TColor Resolved(TColor c) { return ResolveColor(c, Fake.Display); }
  // The text call drawn within the row band that starts at client y top.
  static std::vector<const TDrawCall*> TextsInBand(const TRecordingCanvas& canvas, int top, int bottom) {
    std::vector<const TDrawCall*> out;
    for (const TDrawCall* call : canvas.OfKind(TDrawKind::dkText))
      if (call->Rect.Top >= top && call->Rect.Top < bottom) out.push_back(call);
    return out;
  }
  // The centre of grid cell (row, column) in client coordinates, not scrolled.
  std::pair<int, int> CellMid(const VirtualTree& grid, int row, int column) {
    TRect cell = Probe(Form).GridCellRect(grid, column, row * grid.DefaultNodeHeight(), grid.DefaultNodeHeight());
    return {(cell.Left + cell.Right) / 2, (cell.Top + cell.Bottom) / 2};
  }
  TEventLog Log;
};

TEST_F(PaintTest, TreeRowsDrawIconCaptionInTheirColourAndWeightAndTheFocusedShade) {
  ShowCert();
  Focus(Row(4));  // the first element below the certificate's SEQUENCE, after its three attribute rows
  TRecordingCanvas canvas = Painted(TView::vwTree);
  const settings::TSettings& s = Probe(Form).Settings();
  TColor focusText = GetWhiteOrBlackColor(s.FocusColor, Fake.Display);
  struct {
    int Row;
    std::string Caption;
    TIcon Icon;
    bool Bold;
    TColor Color;
  } rows[] = {
      {0, "SEQUENCE", TIcon::icSequence, true, Resolved(s.ConstructedColor)},
      {1, "Offset:", TIcon::icAttribute, false, Resolved(s.AttribColor)},
      {2, "Header length:", TIcon::icAttribute, false, Resolved(s.AttribColor)},
      {4, "SEQUENCE(8)", TIcon::icSequence, true, focusText},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.Caption);
    int top = r.Row * RowHeight();
    auto texts = TextsInBand(canvas, top, top + RowHeight());
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(settings::Utf16ToUtf8(texts[0]->Text), r.Caption);
    EXPECT_EQ(texts[0]->Font.Bold, r.Bold);
    EXPECT_EQ(texts[0]->Color, r.Color);
    EXPECT_EQ(texts[0]->Font.Name, s.FontName);
    auto icons = canvas.At(TDrawKind::dkIcon, texts[0]->Rect.Left - 6, RowMid(r.Row));
    ASSERT_EQ(icons.size(), 1u);
    EXPECT_EQ(icons[0]->Icon, r.Icon);
  }
  // Attribute rows' values run after the caption, bold and in the value colour.
  auto offsetTexts = TextsInBand(canvas, RowHeight(), 2 * RowHeight());
  ASSERT_EQ(offsetTexts.size(), 2u);
  EXPECT_EQ(settings::Utf16ToUtf8(offsetTexts[1]->Text), "0");
  EXPECT_TRUE(offsetTexts[1]->Font.Bold);
  EXPECT_EQ(offsetTexts[1]->Color, Resolved(s.ValueColor));
  EXPECT_GT(offsetTexts[1]->Rect.Left, offsetTexts[0]->Rect.Right);

  // The focused row: shaded across, highlighted behind the caption only.
  const int right = Probe(Form).TreeVT().ClientWidth() - 1;
  auto caption = TextsInBand(canvas, 4 * RowHeight(), 5 * RowHeight())[0];
  EXPECT_EQ(canvas.ColorAt(right, RowMid(4)), GetSimilarColor(s.BackgroundColor, 14, Fake.Display));
  EXPECT_EQ(canvas.ColorAt(caption->Rect.Left + 1, RowMid(4)), Probe(Form).TreeVT().Look.FocusedSelectionColor);
  EXPECT_EQ(canvas.ColorAt(caption->Rect.Right + 3, RowMid(4)), GetSimilarColor(s.BackgroundColor, 14, Fake.Display));
  EXPECT_EQ(canvas.ColorAt(right, RowMid(3)), Probe(Form).TreeVT().Look.Color);
  EXPECT_EQ(canvas.ColorAt(caption->Rect.Left + 1, RowMid(3)), Probe(Form).TreeVT().Look.Color);
}

TEST_F(PaintTest, IconsOnlyFromFontSizeEight) {
  struct {
    int FontSize;
    bool Icons;
  } cases[] = {{7, false}, {8, true}, {12, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.FontSize);
    Probe(Form).Settings().FontSize = c.FontSize;
    Probe(Form).ApplySettings();
    ShowCert();
    EXPECT_EQ(!Painted(TView::vwTree).OfKind(TDrawKind::dkIcon).empty(), c.Icons);
  }
}

TEST_F(PaintTest, TreeLinesFollowTheStyleAndButtonsShowTheState) {
  for (bool dotted : {true, false}) {
    SCOPED_TRACE(dotted);
    Probe(Form).Settings().LineDotted = dotted;
    Probe(Form).ApplySettings();
    ShowCert();
    Probe(Form).TreeVT().SetExpanded(Row(4), false);  // tbsCertificate collapsed: a plus; the certificate a minus
    TRecordingCanvas canvas = Painted(TView::vwTree);
    int lines = 0;
    for (const TDrawCall& call : canvas.Calls)
      if ((call.Kind == TDrawKind::dkHorzLine || call.Kind == TDrawKind::dkVertLine) &&
          call.Color == Probe(Form).TreeVT().Look.LineColor) {
        ++lines;
        EXPECT_EQ(call.Dotted, dotted);
      }
    EXPECT_GT(lines, 10);
    auto buttonLines = [&](int row) {
      TTreeRowGeometry g = Probe(Form).TreeRowGeometry(Row(row), row * RowHeight());
      int count = 0;
      for (const TDrawCall& call : canvas.Calls)
        if ((call.Kind == TDrawKind::dkHorzLine || call.Kind == TDrawKind::dkVertLine) && !call.Dotted &&
            call.Color == Probe(Form).TreeVT().Look.FontColor && g.Expander.Contains(call.Rect.Left, call.Rect.Top))
          ++count;
      return count;
    };
    EXPECT_EQ(buttonLines(0), 1);  // minus
    EXPECT_EQ(buttonLines(4), 2);  // plus
    EXPECT_EQ(buttonLines(1), 0);  // an attribute row has no button
  }
}

TEST_F(PaintTest, HexGridsColourRolesAndHighlightTheElementUnderTheFocusedCell) {
  ShowCert();
  Focus(Row(0));  // the whole certificate: every byte highlighted
  const settings::THexSettings& hex = Probe(Form).Settings().Hex;
  TRecordingCanvas bytes = Painted(TView::vwHex1);
  TRecordingCanvas text = Painted(TView::vwHex2);
  // cert.der starts 30 82 05 6A 30 82: tag, three length bytes, the next tag.
  struct {
    int Column;
    std::string Text;
    TColor Color;
  } cells[] = {{0, "30", Resolved(hex.TagColor)}, {1, "82", Resolved(hex.LenColor)}, {3, "6A", Resolved(hex.LenColor)},
               {4, "30", Resolved(hex.TagColor)}};
  for (const auto& c : cells) {
    SCOPED_TRACE(c.Column);
    auto [x, y] = CellMid(Probe(Form).Hex1VT(), 0, c.Column);
    auto texts = bytes.At(TDrawKind::dkText, x, y);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(settings::Utf16ToUtf8(texts[0]->Text), c.Text);
    EXPECT_EQ(texts[0]->Color, c.Color);
    EXPECT_FALSE(texts[0]->Font.Bold);
    // Centred in its cell.
    TRect cell = Probe(Form).GridCellRect(Probe(Form).Hex1VT(), c.Column, 0, Probe(Form).Hex1VT().DefaultNodeHeight());
    EXPECT_LE(std::abs((texts[0]->Rect.Left - cell.Left) - (cell.Right - texts[0]->Rect.Right)), 1);
  }
  TColor sel = Resolved(hex.SelColor);
  TColor frame = GetSimilarColor(hex.SelColor, 90, Fake.Display);
  TColor focus = Probe(Form).Hex1VT().Look.FocusedSelectionColor;
  // The focused cell (0, 0) is drawn over the highlight, in both grids.
  for (VirtualTree* grid : {&Probe(Form).Hex1VT(), &Probe(Form).Hex2VT()}) {
    const TRecordingCanvas& canvas = grid == &Probe(Form).Hex1VT() ? bytes : text;
    auto [x0, y0] = CellMid(*grid, 0, 0);
    auto [x1, y1] = CellMid(*grid, 0, 1);
    EXPECT_EQ(canvas.ColorAt(x0, y0), focus);
    EXPECT_EQ(canvas.ColorAt(x1, y1), sel);
  }
  // The text grid frames each highlighted cell; the bytes grid does not.
  TRect cell1 = Probe(Form).GridCellRect(Probe(Form).Hex2VT(), 1, 0, Probe(Form).Hex2VT().DefaultNodeHeight());
  EXPECT_EQ(text.ColorAt(cell1.Left, cell1.Top + 3), frame);
  EXPECT_TRUE(bytes.OfKind(TDrawKind::dkFrame).empty());
  auto texts = text.At(TDrawKind::dkText, CellMid(Probe(Form).Hex2VT(), 0, 0).first, CellMid(Probe(Form).Hex2VT(), 0, 0).second);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0]->Text, u"0");
  EXPECT_TRUE(texts[0]->Font.Bold);
  EXPECT_EQ(texts[0]->Rect.Left, Probe(Form).GridCellRect(Probe(Form).Hex2VT(), 0, 0, 1).Left);
  texts = text.At(TDrawKind::dkText, CellMid(Probe(Form).Hex2VT(), 0, 1).first, CellMid(Probe(Form).Hex2VT(), 0, 1).second);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0]->Text, u".") << "0x82, a C1 control";

  // Grid lines: both ways in the bytes grid, horizontal only in the text grid.
  EXPECT_FALSE(bytes.OfKind(TDrawKind::dkVertLine).empty());
  EXPECT_FALSE(bytes.OfKind(TDrawKind::dkHorzLine).empty());
  EXPECT_TRUE(text.OfKind(TDrawKind::dkVertLine).empty());
  ASSERT_FALSE(text.OfKind(TDrawKind::dkHorzLine).empty());
  EXPECT_EQ(text.OfKind(TDrawKind::dkHorzLine)[0]->Color, Probe(Form).Hex2VT().Look.LineColor);
  EXPECT_EQ(text.OfKind(TDrawKind::dkHorzLine)[0]->Dotted, hex.LineDotted);
}

// Once the checks have run, the octets at fault show in their own colour in
// both grids with no row focused; the focused element's highlight lies over
// them; with the checks off nothing is marked.
TEST_F(PaintTest, TheOctetsOfEveryFindingAreMarkedOnceTheChecksHaveRun) {
  const settings::THexSettings& hex = Probe(Form).Settings().Hex;
  // SEQUENCE { INTEGER 00 05 (its 00 redundant), BOOLEAN 01 (not FF) }: octets 4 and 8 at fault.
  const std::vector<std::uint8_t> bytes = HexBytes("30 07 02 02 00 05 01 01 01");
  auto colorOf = [&](const TRecordingCanvas& canvas, const VirtualTree& grid, int offset) {
    auto [x, y] = CellMid(grid, offset / hex.StringSize, offset % hex.StringSize);
    return canvas.ColorAt(x, y);
  };
  // Offset 0 holds the focused cell, drawn over everything.
  auto marked = [&](TView view) {
    const VirtualTree& grid = view == TView::vwHex1 ? Probe(Form).Hex1VT() : Probe(Form).Hex2VT();
    const TRecordingCanvas canvas = Painted(view);
    std::string out;
    for (int offset = 1; offset < 9; ++offset) {
      const std::optional<TColor> color = colorOf(canvas, grid, offset);
      out += color == Resolved(hex.DerColor) ? 'D' : color == Resolved(hex.SelColor) ? 'S' : '.';
    }
    return out;
  };
  Form.Controller().Attach(&Log, nullptr);
  Load(bytes);
  EXPECT_EQ(marked(TView::vwHex1), "........") << "not before the checks have run";
  Probe(Form).RunIdleWork();
  EXPECT_TRUE(Log.Saw("invalidate hex1") && Log.Saw("invalidate hex2"));
  EXPECT_EQ(Probe(Form).TreeVT().FocusedNode(), NoNode);
  EXPECT_EQ(marked(TView::vwHex1), "...D...D");
  EXPECT_EQ(marked(TView::vwHex2), "...D...D");
  // The text grid frames only the highlight, not the marks.
  const TRecordingCanvas text = Painted(TView::vwHex2);
  EXPECT_TRUE(text.OfKind(TDrawKind::dkFrame).empty());

  Focus(RowNamed("INTEGER"));
  EXPECT_EQ(marked(TView::vwHex1), ".SSSS..D");
  EXPECT_EQ(marked(TView::vwHex2), ".SSSS..D");

  Probe(Form).Settings().DerChecks = false;
  Show(bytes);
  EXPECT_EQ(marked(TView::vwHex1), "........");
  Form.Controller().Detach(&Log, nullptr);
}

TEST_F(PaintTest, CellsPastTheLastByteStayEmptyAndUnhighlighted) {
  ShowCert();
  Focus(Row(0));
  Probe(Form).ScrollTo(TView::vwHex2, 1 << 30);  // the bar moves both grids to the end
  ASSERT_EQ(Probe(Form).Hex1VT().OffsetY(), Probe(Form).Hex2VT().OffsetY());
  ASSERT_GT(Probe(Form).Hex1VT().OffsetY(), 0);
  int size = static_cast<int>(Probe(Form).Bytes()->size());
  int w = Probe(Form).Settings().Hex.StringSize;
  ASSERT_NE(size % w, 0) << "the sample needs a partial last row";
  int lastRow = size / w;
  int top = static_cast<int>(lastRow * Probe(Form).Hex1VT().DefaultNodeHeight() - Probe(Form).Hex1VT().OffsetY());
  TRecordingCanvas canvas = Painted(TView::vwHex1);
  TRect last = Probe(Form).GridCellRect(Probe(Form).Hex1VT(), size % w - 1, top, Probe(Form).Hex1VT().DefaultNodeHeight());
  TRect empty = Probe(Form).GridCellRect(Probe(Form).Hex1VT(), size % w, top, Probe(Form).Hex1VT().DefaultNodeHeight());
  int midY = (top + last.Bottom) / 2;
  EXPECT_EQ(canvas.ColorAt((last.Left + last.Right) / 2, midY), Resolved(Probe(Form).Settings().Hex.SelColor));
  EXPECT_EQ(canvas.At(TDrawKind::dkText, (last.Left + last.Right) / 2, midY).size(), 1u);
  EXPECT_EQ(canvas.ColorAt((empty.Left + empty.Right) / 2, midY), Probe(Form).Hex1VT().Look.Color);
  EXPECT_TRUE(canvas.At(TDrawKind::dkText, (empty.Left + empty.Right) / 2, midY).empty());
}

TEST_F(PaintTest, StatusPanelsDrawTheirTextsAndTheWindowDrawnMarks) {
  struct {
    const char* Name;
    const char* Sample;       // loaded from a file
    const char* Clipboard;    // or from the clipboard
    bool Base64;
    bool ClipboardMark;
  } cases[] = {
      {"DER file", "cert.der", nullptr, false, false},
      {"PEM file", "cert.pem", nullptr, true, false},
      {"hexadecimal clipboard", nullptr, "30 03 02 01 05", false, true},
      {"Base64 clipboard", nullptr, "MAMCAQU=", true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    platform::fake::TFakePlatform fake;
    TMainForm form(fake.Platform, c.Sample ? (SamplesDir() / c.Sample).u16string() : u"");
    Probe(form).ApplySettings();
    if (c.Sample) {
      Probe(form).LoadFile();
      Probe(form).FillTrees();
    } else {
      fake.Clipboard.Text = settings::Utf8ToUtf16(c.Clipboard);
      Probe(form).LoadFromClipboard();
    }
    Probe(form).Resize(900, 400);
    TRecordingCanvas canvas;
    Probe(form).Paint(TView::vwMainStatus, canvas, {0, 0, 900, 20});
    auto base64 = canvas.TextsEqual(u"base64");
    auto clip = canvas.TextsEqual(u"clipboard");
    EXPECT_EQ(base64.size(), c.Base64 ? 1u : 0u);
    EXPECT_EQ(clip.size(), c.ClipboardMark ? 1u : 0u);
    if (!base64.empty()) {
      // Panel 3 runs from 330 to 400, the text centred one pixel left of the middle.
      EXPECT_FALSE(base64[0]->Font.Bold);
      int width = fake.Display.TextWidth(u"base64", Probe(form).StatusBarFontName(), Probe(form).StatusBarFontSize());
      EXPECT_EQ(base64[0]->Rect.Left, 330 + (69 - width) / 2 - 1);
    }
    if (!clip.empty()) {
      EXPECT_TRUE(clip[0]->Font.Bold);
      EXPECT_EQ(clip[0]->Color, 0x008080u);
      EXPECT_GE(clip[0]->Rect.Left, 400);
    }
    auto objects = canvas.TextsEqual(u"Objects: 1");
    ASSERT_EQ(objects.size(), 1u);
    EXPECT_EQ(objects[0]->Font.Name, Probe(form).StatusBarFontName());
    EXPECT_EQ(objects[0]->Rect.Left, 2);
  }
}

TEST_F(PaintTest, HexStatusPanelsFollowTheirAlignment) {
  ShowCert();
  Focus(Row(0));
  TRecordingCanvas canvas = Painted(TView::vwHexStatus);
  auto offset = canvas.TextsEqual(u"0");
  auto range = canvas.TextsEqual(u"$00 - $56D");
  ASSERT_EQ(offset.size(), 1u);
  ASSERT_EQ(range.size(), 1u);
  EXPECT_EQ(offset[0]->Rect.Right, 70 - 1 - 2);  // right-aligned off the separator
  int mid = (range[0]->Rect.Left + range[0]->Rect.Right) / 2;
  EXPECT_NEAR(mid, 140 + 50, 2);  // centred in panel 2
}

TEST_F(PaintTest, TheRangePanelGrowsToShowABigFilesWholeRange) {
  // 26 MB: an opaque element, then one of 68 bytes at offset $19424AB.
  constexpr std::size_t Second = 0x19424AB;
  std::vector<std::uint8_t> bytes(Second + 68, 0);
  const std::size_t firstContents = Second - 6;
  bytes[0] = 0x80;
  bytes[1] = 0x84;
  for (int i = 0; i < 4; ++i) bytes[2 + i] = static_cast<std::uint8_t>(firstContents >> (8 * (3 - i)));
  bytes[Second] = 0x80;
  bytes[Second + 1] = 66;
  Show(std::move(bytes));
  Probe(Form).Resize(800, 400);
  Focus(Probe(Form).TreeVT().GetLast());
  ASSERT_EQ(Probe(Form).HexSel(), (THexSelection{0x19424AB, 0x19424EE}));

  TRecordingCanvas canvas = Painted(TView::vwHexStatus);
  auto range = canvas.TextsEqual(u"$19424AB - $19424EE");
  ASSERT_EQ(range.size(), 1u);
  EXPECT_EQ(range[0]->Painted(), range[0]->Rect) << "the whole text is drawn, nothing clipped";
  // The panels before it keep their 70 pixels; its separator comes after the text.
  EXPECT_GE(range[0]->Rect.Left, 140);
  auto separators = canvas.OfKind(TDrawKind::dkVertLine);
  ASSERT_EQ(separators.size(), 3u);
  EXPECT_EQ(separators[0]->Rect.Left, 69);
  EXPECT_EQ(separators[1]->Rect.Left, 139);
  EXPECT_GE(separators[2]->Rect.Left, range[0]->Rect.Right);

  // A short range keeps the panel at its 100 pixels.
  Probe(Form).SetHexSel({10, 279});
  Probe(Form).UpdateHexStatusBar();
  EXPECT_EQ(Probe(Form).HexStatusBar()[2].Width, 100);
}

TEST_F(PaintTest, NothingIsPaintedOutsideTheUpdateAndOnlyRowsMeetingItAreDrawn) {
  ShowCert();
  Focus(Row(6));
  Probe(Form).ScrollTo(TView::vwTree, 7);  // rows cut at the top
  const int h = RowHeight();
  struct {
    TView View;
    TRect Update;
  } cases[] = {
      {TView::vwTree, {0, 0, 4000, 4000}},      {TView::vwTree, {0, 2 * h, 60, 2 * h + 3}},
      {TView::vwTree, {35, 0, 36, 400}},        {TView::vwTree, {100, h - 1, 400, h + 1}},
      {TView::vwHex1, {3, 5, 40, 30}},          {TView::vwHex1, {-10, -10, 4000, 4000}},
      {TView::vwHex2, {10, 20, 11, 21}},        {TView::vwMainStatus, {150, 0, 250, 20}},
      {TView::vwHexStatus, {69, 0, 71, 20}},    {TView::vwTree, {0, 500, 100, 600}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(TEventLog::Name(c.View) + " " + std::to_string(c.Update.Left) + "," + std::to_string(c.Update.Top));
    TRecordingCanvas canvas = Painted(c.View, c.Update);
    const TDrawCall* outside = canvas.FirstOutside(c.Update);
    EXPECT_EQ(outside, nullptr) << (outside ? static_cast<int>(outside->Kind) : -1);
    const TDrawCall* missing = canvas.FirstMissing(c.Update);
    EXPECT_EQ(missing, nullptr) << (missing ? static_cast<int>(missing->Kind) : -1);
  }
  // A strip inside one row draws that row's texts and nothing of the rows beside it.
  TRecordingCanvas strip = Painted(TView::vwTree, {0, 3 * h, 800, 3 * h + 2});
  for (const TDrawCall* call : strip.OfKind(TDrawKind::dkText)) EXPECT_TRUE(call->Rect.Intersects({0, 3 * h, 800, 3 * h + 2}));
  EXPECT_FALSE(strip.OfKind(TDrawKind::dkText).empty());
}

TEST_F(PaintTest, TreeClicksToggleAtTheButtonAndFocusAnywhereElseOnTheRow) {
  ShowCert();
  Probe(Form).SetEvents(&Log);
  struct {
    const char* Name;
    int Row;
    TTreePart Part;
    bool Focuses;
    bool Toggles;
  } cases[] = {
      {"button", 4, TTreePart::tpExpander, false, true},
      {"caption", 2, TTreePart::tpCaption, true, false},
      {"icon", 3, TTreePart::tpIcon, true, false},
      {"value", 1, TTreePart::tpValue, true, false},
      {"right of the text", 5, TTreePart::tpRightOfText, true, false},
      {"indent", 5, TTreePart::tpIndent, true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TNodeId node = Row(c.Row);
    TNodeId before = Probe(Form).TreeVT().FocusedNode();
    bool expanded = Probe(Form).TreeVT().IsExpanded(node);
    TTreeRowGeometry g = Probe(Form).TreeRowGeometry(node, c.Row * RowHeight());
    int x = 0;
    switch (c.Part) {
      case TTreePart::tpExpander: x = (g.Expander.Left + g.Expander.Right) / 2; break;
      case TTreePart::tpIcon: x = g.IconRect.Left + 3; break;
      case TTreePart::tpCaption: x = g.Caption.Left + 3; break;
      case TTreePart::tpValue: x = g.Value.Left + 1; break;
      case TTreePart::tpRightOfText: x = g.TextRight + 50; break;
      default: x = 2; break;
    }
    int y = RowMid(c.Row);
    EXPECT_EQ(Probe(Form).TreeHitTest(x, y), (TTreeHit{node, c.Part}));
    Probe(Form).MouseDown(TView::vwTree, {x, y});
    EXPECT_EQ(Probe(Form).TreeVT().FocusedNode(), c.Focuses ? node : before);
    EXPECT_EQ(Probe(Form).TreeVT().IsExpanded(node), c.Toggles ? !expanded : expanded);
  }
  // Below the last row: no row, nothing changes.
  Probe(Form).TreeVT().FullCollapse();
  TNodeId focused = Probe(Form).TreeVT().FocusedNode();
  EXPECT_EQ(Probe(Form).TreeHitTest(50, 300), TTreeHit{});
  Probe(Form).MouseDown(TView::vwTree, {50, 300});
  EXPECT_EQ(Probe(Form).TreeVT().FocusedNode(), focused);

  // A double-click toggles the row; a right click focuses it and opens the menu there.
  Probe(Form).TreeVT().FullExpand();
  Probe(Form).MouseDoubleClick(TView::vwTree, {200, RowMid(0)});
  EXPECT_FALSE(Probe(Form).TreeVT().IsExpanded(Row(0)));
  Probe(Form).MouseDoubleClick(TView::vwTree, {200, RowMid(0)});
  EXPECT_TRUE(Probe(Form).TreeVT().IsExpanded(Row(0)));
  Probe(Form).MouseDown(TView::vwTree, {300, RowMid(7), TMouseButton::mbRight});
  EXPECT_EQ(Probe(Form).TreeVT().FocusedNode(), Row(7));
  EXPECT_TRUE(Log.Saw("popup tree 300," + std::to_string(RowMid(7))));
}

TEST_F(PaintTest, HexClicksFocusTheCellAndDoubleClicksTheElement) {
  ShowCert();
  Probe(Form).SetEvents(&Log);
  int w = Probe(Form).Settings().Hex.StringSize;
  // A click in the text grid: the cell gets focus in both grids, the keys go there.
  auto [x, y] = CellMid(Probe(Form).Hex2VT(), 1, 2);
  EXPECT_EQ(Probe(Form).GridHitTest(TView::vwHex2, x, y), (TGridHit{1, 2}));
  Probe(Form).MouseDown(TView::vwHex2, {x, y});
  EXPECT_EQ(Probe(Form).Hex1VT().FocusedNode(), 1u);
  EXPECT_EQ(Probe(Form).Hex1VT().FocusedColumn(), 2);
  EXPECT_EQ(Probe(Form).Hex2VT().FocusedColumn(), 2);
  EXPECT_EQ(Probe(Form).ActiveControl(), TFocusedControl::fcHex2);
  EXPECT_TRUE(Log.Saw("active hex2"));
  EXPECT_EQ(Probe(Form).HexStatusBar()[0].Text, settings::Utf8ToUtf16(std::to_string(w + 2)));
  EXPECT_EQ(Probe(Form).TreeVT().FocusedNode(), NoNode) << "a click leaves the structure tree alone";
  // Right of the columns is no cell.
  EXPECT_EQ(Probe(Form).GridHitTest(TView::vwHex1, Probe(Form).Hex1VT().TotalColumnWidth() + 1, y), TGridHit{});

  // A double-click on byte 4 (the tbsCertificate's tag) focuses that element.
  auto [dx, dy] = CellMid(Probe(Form).Hex1VT(), 0, 4);
  Probe(Form).MouseDoubleClick(TView::vwHex1, {dx, dy});
  ASSERT_NE(Probe(Form).TreeVT().FocusedNode(), NoNode);
  EXPECT_EQ(Probe(Form).GetTag(Probe(Form).TreeVT().FocusedNode()).Offset(), 4);
  EXPECT_EQ(Probe(Form).HexSel().First, 4);
  EXPECT_EQ(Probe(Form).ActiveControl(), TFocusedControl::fcHex1);
}

TEST_F(PaintTest, WheelScrollsThreeRowsPerNotchAndTheGridsTogether) {
  ShowCert();
  Probe(Form).SetEvents(&Log);
  const std::int64_t tree = 3 * RowHeight();
  const std::int64_t grid = 3 * Probe(Form).Hex1VT().DefaultNodeHeight();
  struct {
    TView View;
    std::vector<int> Deltas;
    std::int64_t TreeOffset;
    std::int64_t GridOffset;
  } cases[] = {
      {TView::vwTree, {-120}, tree, 0},
      {TView::vwTree, {-120, -120, 120}, tree, 0},
      {TView::vwTree, {-60, -60}, tree, 0},  // two halves make a notch
      {TView::vwTree, {120}, 0, 0},          // the top stops it
      {TView::vwHex1, {-240}, 0, 2 * grid},
      {TView::vwHex2, {-120}, 0, grid},
      {TView::vwMainStatus, {-120}, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(TEventLog::Name(c.View));
    Probe(Form).ScrollTo(TView::vwTree, 0);
    Probe(Form).ScrollTo(TView::vwHex2, 0);
    Log.Lines.clear();
    for (int d : c.Deltas) Probe(Form).MouseWheel(c.View, d, false, false);
    EXPECT_EQ(Probe(Form).TreeVT().OffsetY(), c.TreeOffset);
    EXPECT_EQ(Probe(Form).Hex1VT().OffsetY(), c.GridOffset);
    EXPECT_EQ(Probe(Form).Hex2VT().OffsetY(), c.GridOffset);
    EXPECT_EQ(Probe(Form).ScrollInfo(TView::vwHex2).Position, c.GridOffset);
    if (c.TreeOffset != 0) {
      EXPECT_TRUE(Log.Saw("scroll tree"));
    }
    if (c.GridOffset != 0) {
      EXPECT_TRUE(Log.Saw("scroll hex1") && Log.Saw("scroll hex2"));
    }
  }
}

TEST_F(PaintTest, LayoutPlacesThePanesAndFollowsTheHexPanel) {
  ShowCert();
  Probe(Form).SetEvents(&Log);
  const TWindowLayout& l = Probe(Form).Layout();
  const int sb = Fake.Display.ScrollBarWidth;
  EXPECT_TRUE(l.HexVisible);
  EXPECT_EQ(l.HexPanel, (TRect{800 - Probe(Form).HexPanelWidth(), 0, 800, 400}));
  EXPECT_EQ(l.Hex1, (TRect{l.HexPanel.Left + 1, 1, l.HexPanel.Left + 1 + Probe(Form).Hex1VTWidth(), 379}));
  EXPECT_EQ(l.Hex2, (TRect{l.Hex1.Right, 1, 799 - sb, 379}));
  EXPECT_EQ(l.HexScrollBar, (TRect{799 - sb, 1, 799, 379}));
  EXPECT_EQ(l.HexStatus, (TRect{l.HexPanel.Left + 1, 379, 799, 399}));
  EXPECT_EQ(l.MainStatus, (TRect{0, 380, l.HexPanel.Left, 400}));
  // The expanded certificate is taller than the tree: its bar takes the right edge.
  EXPECT_EQ(l.TreeScrollBar, (TRect{l.HexPanel.Left - sb, 0, l.HexPanel.Left, 380}));
  EXPECT_EQ(l.Tree, (TRect{0, 0, l.HexPanel.Left - sb, 380}));
  EXPECT_EQ(Probe(Form).TreeVT().ClientWidth(), l.Tree.Width());
  EXPECT_EQ(Probe(Form).Hex2VT().ClientHeight(), l.Hex2.Height());
  EXPECT_EQ(Probe(Form).ScrollInfo(TView::vwTree).Page, 380);
  EXPECT_TRUE(Probe(Form).ScrollInfo(TView::vwTree).Visible);
  EXPECT_FALSE(Probe(Form).ScrollInfo(TView::vwHex1).Visible);

  // Collapsed, the rows fit: the bar goes and the tree takes its room.
  Probe(Form).TreeVT().FullCollapse();
  EXPECT_TRUE(l.TreeScrollBar.IsEmpty());
  EXPECT_EQ(l.Tree.Right, l.HexPanel.Left);
  EXPECT_TRUE(Log.Saw("layout"));

  // H hides the panel: the tree and its bar fill the width, the keys stay in the tree.
  Log.Lines.clear();
  Probe(Form).KeyDown({vk::Tab});
  EXPECT_TRUE(Log.Saw("active hex1"));
  Probe(Form).KeyDown({vk::Char('H')});
  EXPECT_FALSE(l.HexVisible);
  EXPECT_TRUE(l.HexPanel.IsEmpty() && l.Hex1.IsEmpty() && l.HexStatus.IsEmpty());
  EXPECT_EQ(l.Tree, (TRect{0, 0, 800, 380}));
  EXPECT_EQ(l.MainStatus, (TRect{0, 380, 800, 400}));
  EXPECT_EQ(Probe(Form).ActiveControl(), TFocusedControl::fcTree);
  EXPECT_TRUE(Log.Saw("layout"));
  EXPECT_TRUE(Log.Saw("active tree"));
  // A click on a hidden grid cannot take the keys.
  Probe(Form).MouseDown(TView::vwHex1, {5, 5});
  EXPECT_EQ(Probe(Form).ActiveControl(), TFocusedControl::fcTree);
}

TEST_F(PaintTest, ChangesReachTheFrontEndAsEvents) {
  ShowCert();
  Probe(Form).SetEvents(&Log);
  struct {
    const char* Name;
    std::function<void()> Act;
    std::vector<std::string> Expected;
  } cases[] = {
      {"focus a row", [&] { Probe(Form).TreeVT().SetFocusedNode(Row(3)); },
       {"invalidate tree", "invalidate hex1", "invalidate hex2", "status hex-status"}},
      {"collapse", [&] { Probe(Form).TreeVT().SetExpanded(Row(0), false); }, {"invalidate tree", "scroll tree"}},
      {"scroll the text grid", [&] { Probe(Form).ScrollTo(TView::vwHex2, 40); }, {"scroll hex1", "scroll hex2"}},
      {"new document", [&] { Probe(Form).FillTrees(); }, {"status main-status", "status hex-status"}},
      {"wider hex font", [&] {
         Probe(Form).Settings().Hex.FontSize = 14;
         Probe(Form).SetHexFont();
       },
       {"layout"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    Log.Lines.clear();
    c.Act();
    for (const std::string& line : c.Expected) EXPECT_TRUE(Log.Saw(line)) << line;
  }
}

}  // namespace
}  // namespace viewer::test
