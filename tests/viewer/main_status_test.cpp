// The two status bars over real inputs: counts with the locale's grouping,
// the input marks, the focused byte and the highlighted range.
#include <gtest/gtest.h>

#include "settings/lang.h"
#include "views_test_util.h"

namespace viewer {
namespace {

class StatusBarTest : public test::ViewsTest {
 protected:
  void TearDown() override { settings::FreeLanguages(); }
  void LoadSample(const char* name) {
    Probe(Form).Document().SetFileName(settings::Utf8ToUtf16((test::SamplesDir() / name).string()));
    Probe(Form).LoadFile();
    Probe(Form).FillTrees();
  }
  std::string MainBar() {
    std::string out;
    for (int i = 0; i < 7; ++i) out += (i ? "|" : "") + Panel(Probe(Form).MainStatusBar(), i);
    return out;
  }
  // Focuses byte offset in the bytes grid.
  void FocusByte(std::int32_t offset) {
    int width = Probe(Form).Settings().Hex.StringSize;
    Probe(Form).Hex1VT().SetFocusedNode(static_cast<TNodeId>(offset / width));
    Probe(Form).Hex1VT().SetFocusedColumn(offset % width);
  }
};

TEST_F(StatusBarTest, TheMainBarCountsTheDocument) {
  std::string cert = test::ReadAll(test::SamplesDir() / "cert.der");
  std::vector<std::uint8_t> two(cert.begin(), cert.end());
  two.insert(two.end(), cert.begin(), cert.end());
  Show(two);
  EXPECT_EQ(MainBar(), "Objects: 2|Tags: " + std::to_string(Probe(Form).TagsCount()) + "|Bytes: 2,780|||1 DER problem|");
  std::vector<std::uint8_t> nulls;
  for (int i = 0; i < 1500; ++i) nulls.insert(nulls.end(), {0x05, 0x00});
  Show(nulls);
  EXPECT_EQ(MainBar(), "Objects: 1,500|Tags: 1,500|Bytes: 3,000|||1 DER problem|");
  Fake.System.Separator = u'.';
  Probe(Form).UpdateMainStatusBar();
  EXPECT_EQ(Panel(Probe(Form).MainStatusBar(), 2), "Bytes: 3.000");
}

TEST_F(StatusBarTest, AFailureBeforeAnyElementCountsNothing) {
  ShowHex("02 05 00");
  EXPECT_EQ(MainBar(), "Objects: 0|Tags: 0|Bytes: 3|||Not BER|");
  EXPECT_EQ(Caption(Row(0)), "Fatal error:");
}

TEST_F(StatusBarTest, InputMarksFollowWhereTheBytesCameFrom) {
  struct {
    const char* Label;
    const char* Sample;      // a file, or
    const char* Clipboard;   // clipboard text
    const char* Marks;
  } cases[] = {
      {"PEM file", "cert.pem", nullptr, "base64|"},
      {"DER file", "cert.der", nullptr, "|"},
      {"hexadecimal clipboard", nullptr, "30 03 02 01 05", "|clipboard"},
      {"Base64 clipboard", nullptr, "MAMCAQU=", "base64|clipboard"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    if (c.Sample) {
      LoadSample(c.Sample);
    } else {
      Fake.Clipboard.Text = settings::Utf8ToUtf16(c.Clipboard);
      Probe(Form).LoadFromClipboard();
    }
    EXPECT_EQ(Panel(Probe(Form).MainStatusBar(), 3) + "|" + Panel(Probe(Form).MainStatusBar(), 4), c.Marks);
  }
}

TEST_F(StatusBarTest, TheLabelsFollowTheLanguage) {
  Fake.System.Folder = std::string(BRAMLET_SOURCE_DIR) + "/data/lang/";
  Fake.Clipboard.Text = u"MAMCAQU=";
  Probe(Form).LoadFromClipboard();
  Probe(Form).RunIdleWork();
  ASSERT_TRUE(settings::LoadLanguage(Fake.Platform, u"german.lng", /*force=*/true));
  Probe(Form).UpdateMainStatusBar();
  EXPECT_EQ(MainBar(), "Objekte: 1|Tags: 2|Bytes: 5|base64|Zwischenablage|DER|");
}

TEST_F(StatusBarTest, TheHexBarShowsTheFocusedByteAndTheRange) {
  std::vector<std::uint8_t> bytes;
  for (int i = 0; i < 5; ++i) bytes.insert(bytes.end(), {0x05, 0x00});
  bytes.insert(bytes.end(), {0x04, 0x82, 0x01, 0x0A});  // an OCTET STRING of 270 bytes at offset 10
  bytes.resize(280, 0x41);
  Show(bytes);
  struct {
    std::int32_t Offset;
    const char* Decimal;
    const char* Hex;
  } cases[] = {{5, "5", "$05"}, {10, "10", "$0A"}, {255, "255", "$FF"}, {256, "256", "$100"}, {279, "279", "$117"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Offset);
    FocusByte(c.Offset);
    EXPECT_EQ(Panel(Probe(Form).HexStatusBar(), 0), c.Decimal);
    EXPECT_EQ(Panel(Probe(Form).HexStatusBar(), 1), c.Hex);
  }
  EXPECT_EQ(Panel(Probe(Form).HexStatusBar(), 2), "");
  Focus(RowNamed("OCTET STRING"));
  EXPECT_EQ(Panel(Probe(Form).HexStatusBar(), 2), "$0A - $117");
}

TEST_F(StatusBarTest, AnEmptyBufferLeavesTheHexBarEmpty) {
  Show({});
  EXPECT_EQ(Probe(Form).Hex1VT().FocusedNode(), NoNode);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Panel(Probe(Form).HexStatusBar(), i), "") << i;
}

TEST_F(StatusBarTest, PanelsHaveTheirWidthsAndDrawing) {
  std::vector<int> widths;
  for (const TStatusPanel& p : Probe(Form).MainStatusBar()) widths.push_back(p.Width);
  EXPECT_EQ(widths, (std::vector<int>{100, 110, 120, 70, 110, 100, 100}));
  EXPECT_EQ(Probe(Form).HexStatusBar()[0].Alignment, TAlignment::taRightJustify);
  EXPECT_EQ(Probe(Form).HexStatusBar()[2].Alignment, TAlignment::taCenter);
  EXPECT_EQ(Probe(Form).HexStatusBar()[2].Width, 100);

  Fake.Clipboard.Text = u"MAMCAQU=";
  Probe(Form).LoadFromClipboard();
  int base64 = Fake.Display.TextWidth(u"base64", Probe(Form).StatusBarFontName(), Probe(Form).StatusBarFontSize());
  int clipboard = Fake.Display.BoldTextWidth(u"clipboard", Probe(Form).StatusBarFontName(), Probe(Form).StatusBarFontSize());
  struct {
    int Panel;
    TRect Rect;
    TPanelDrawing Expected;
  } cases[] = {
      {3, {330, 2, 400, 20}, {true, u"base64", 330 + (70 - base64) / 2 - 1, 2, false, std::nullopt}},
      {4, {400, 2, 510, 20}, {true, u"clipboard", 400 + (110 - clipboard) / 2 - 1, 2, true, settings::RGB(128, 128, 0)}},
      {0, {0, 2, 100, 20}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Panel);
    TPanelDrawing d = Probe(Form).MainStatusBarDrawPanel(c.Panel, c.Rect);
    EXPECT_EQ(d.Draw, c.Expected.Draw);
    EXPECT_EQ(d.Text, c.Expected.Text);
    EXPECT_EQ(d.X, c.Expected.X);
    EXPECT_EQ(d.Y, c.Expected.Y);
    EXPECT_EQ(d.Bold, c.Expected.Bold);
    EXPECT_EQ(d.Color, c.Expected.Color);
  }
}

// The whole road for one certificate: decode, focus the third row, read
// every view, then follow a byte of a collapsed branch back.
TEST_F(StatusBarTest, ACertificateThroughAllViews) {
  LoadSample("cert.der");
  EXPECT_EQ(MainBar().substr(0, 10), "Objects: 1");
  TNodeId third = Row(2);
  Focus(third);
  EXPECT_EQ(Caption(third), "Header length:");
  EXPECT_EQ(Value(third), "4");
  EXPECT_EQ(Probe(Form).TreeVTGetImageIndex(Probe(Form).TreeVT(), third, TImageKind::ikNormal, -1), TIcon::icAttribute);
  EXPECT_EQ(Probe(Form).TreeVTPaintText(Probe(Form).TreeVT(), third, -1, TTextType::ttNormal).Color, settings::RGB(255, 255, 255));
  EXPECT_EQ(Probe(Form).HexSel(), (THexSelection{0, 1389}));
  EXPECT_EQ(Probe(Form).Hex1VT().OffsetY(), 0);
  EXPECT_EQ(Panel(Probe(Form).HexStatusBar(), 0), "0");
  EXPECT_EQ(Panel(Probe(Form).HexStatusBar(), 2), "$00 - $56D");

  Probe(Form).TreeVT().FullCollapse();
  FocusByte(1300);  // inside the signature BIT STRING
  Probe(Form).HexVTEnter();
  TNodeId focused = Probe(Form).TreeVT().FocusedNode();
  EXPECT_EQ(Caption(focused), "BIT STRING");
  EXPECT_TRUE(Probe(Form).TreeVT().IsFullyVisible(focused));
  EXPECT_EQ(Panel(Probe(Form).HexStatusBar(), 0), "1300");
  EXPECT_EQ(Panel(Probe(Form).HexStatusBar(), 2), "$469 - $56D");
}

}  // namespace
}  // namespace viewer
