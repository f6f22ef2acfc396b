// Field names in the viewer: the name run before the tag name, the setting
// that turns them off (and everything back to the plain rows), search, the
// copy commands and the path in the status bar.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/fake/recording_canvas.h"
#include "views_test_util.h"

namespace viewer::test {
namespace {

using platform::fake::TDrawKind;
using platform::fake::TRecordingCanvas;

class NamesTest : public ViewsTest {
 protected:
  void SetUp() override {
    ViewsTest::SetUp();
    Probe(Form).SetClipboardWait([](int) {});
    ShowSample("cert.der");
    Probe(Form).Settings().ShowAttributes = false;
    Probe(Form).ApplySettings();
    Probe(Form).FillTrees();
    Probe(Form).Resize(800, 400);
  }
  // The texts painted on the k-th shown row, left to right.
  std::vector<std::string> Painted(int k) {
    TRecordingCanvas canvas;
    Probe(Form).Paint(TView::vwTree, canvas, {0, 0, 4000, 4000});
    const int height = Probe(Form).TreeVT().DefaultNodeHeight();
    std::vector<std::string> texts;
    for (const auto* call : canvas.OfKind(TDrawKind::dkText))
      if (call->Rect.Top >= k * height && call->Rect.Top < (k + 1) * height)
        texts.push_back(settings::Utf16ToUtf8(call->Text));
    return texts;
  }
  TColor PaintedColor(int k, const std::string& text) {
    TRecordingCanvas canvas;
    Probe(Form).Paint(TView::vwTree, canvas, {0, 0, 4000, 4000});
    const int height = Probe(Form).TreeVT().DefaultNodeHeight();
    for (const auto* call : canvas.OfKind(TDrawKind::dkText))
      if (call->Rect.Top >= k * height && call->Rect.Top < (k + 1) * height && settings::Utf16ToUtf8(call->Text) == text)
        return call->Color;
    return 0xFFFFFFFFu;
  }
  std::string Clipboard() { return settings::Utf16ToUtf8(Fake.Clipboard.Text); }
  void Open(const std::filesystem::path& path) {
    std::string data = ReadAll(path);
    ASSERT_FALSE(data.empty()) << path;
    Show(std::vector<std::uint8_t>(data.begin(), data.end()));
  }
  std::string Label(TNodeId node) { return settings::Utf16ToUtf8(Probe(Form).FieldLabel(Probe(Form).GetTag(node))); }
  std::string Command(const char* item) {
    Probe(Form).MainMenuClick(Probe(Form).MainMenu().Item(item).Tag);
    return Clipboard();
  }
  // The XML export of the shown document, one line per entry.
  std::vector<std::u16string> Xml() {
    struct TLines : IXmlLineSink {
      std::vector<std::u16string> Lines;
      void AddLine(std::int32_t, std::u16string_view text) override { Lines.emplace_back(text); }
    } lines;
    Probe(Form).Document().WriteTag(Probe(Form).Root(), lines, 0);
    return lines.Lines;
  }
  // The offsets of the rows Find focuses, one search after another.
  std::vector<std::int32_t> Hits(const std::u16string& text, bool backwards) {
    Probe(Form).TreeVT().SetFocusedNode(NoNode);
    std::vector<std::int32_t> hits;
    while (Form.Find(text, backwards)) hits.push_back(Probe(Form).GetTag(Probe(Form).TreeVT().FocusedNode()).Offset());
    return hits;
  }
  bool PressFieldNamesKey() { return Probe(Form).KeyDown({'L', /*Shift=*/true, /*Ctrl=*/true, false}); }
};

// Rows 0..4 without attribute rows: the certificate, its TBS, the version tag,
// the version INTEGER, the serial number.
TEST_F(NamesTest, RowsShowTheFieldNameBeforeTheTagNameInItsOwnColour) {
  EXPECT_EQ(Painted(0), (std::vector<std::string>{"Certificate", "SEQUENCE"}));
  EXPECT_EQ(Painted(1), (std::vector<std::string>{"tbsCertificate", "SEQUENCE"}));
  EXPECT_EQ(Painted(3), (std::vector<std::string>{"version", "INTEGER", "v3 (2)"}));
  EXPECT_EQ(Painted(4), (std::vector<std::string>{"serialNumber", "INTEGER", "10:01 (4097)"}));
  EXPECT_EQ(PaintedColor(4, "serialNumber"), settings::ResolveColor(Probe(Form).Settings().NameColor, Fake.Display));
  EXPECT_NE(Probe(Form).Settings().NameColor, Probe(Form).Settings().PrimitiveColor);
}

TEST_F(NamesTest, TurnedOffEveryRowIsPlainAgain) {
  ASSERT_TRUE(PressFieldNamesKey());
  EXPECT_FALSE(Probe(Form).Settings().FieldNames);
  EXPECT_EQ(Painted(0), (std::vector<std::string>{"SEQUENCE"}));
  EXPECT_EQ(Painted(4), (std::vector<std::string>{"INTEGER", "4097"}));
  EXPECT_EQ(Probe(Form).Names().NamedCount(), 0u) << "nothing built while off";
  Probe(Form).MainMenuPopup();
  EXPECT_FALSE(Probe(Form).MainMenu().Item("mnFieldNames").Checked);
  Probe(Form).MainMenuClick(Probe(Form).MainMenu().Item("mnFieldNames").Tag);
  EXPECT_TRUE(Probe(Form).Settings().FieldNames);
  EXPECT_EQ(Painted(4), (std::vector<std::string>{"serialNumber", "INTEGER", "10:01 (4097)"}));
  Probe(Form).MainMenuPopup();
  EXPECT_TRUE(Probe(Form).MainMenu().Item("mnFieldNames").Checked);
}

TEST_F(NamesTest, CopyRowCopiesWhatTheRowShowsAndCopyPathThePath) {
  struct {
    bool Names;
    int Row;
    std::string RowText;
    std::string Path;
  } cases[] = {
      {true, 4, "serialNumber INTEGER: 10:01 (4097)", "Certificate.tbsCertificate.serialNumber"},
      {true, 3, "version INTEGER: v3 (2)", "Certificate.tbsCertificate.version"},
      {false, 4, "INTEGER: 4097", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.RowText);
    if (Probe(Form).Settings().FieldNames != c.Names) PressFieldNamesKey();
    Focus(Row(c.Row));
    Probe(Form).MainMenuClick(Probe(Form).MainMenu().Item("mnCopyName").Tag);
    EXPECT_EQ(Clipboard(), c.RowText);
    Fake.Clipboard.Text = u"untouched";
    ASSERT_TRUE(Probe(Form).KeyDown({'C', /*Shift=*/true, /*Ctrl=*/true, false}));
    EXPECT_EQ(Clipboard(), c.Path);
  }
}

TEST_F(NamesTest, FindSearchesTheNamesOnlyWhileTheyShow) {
  ASSERT_TRUE(Form.Find(u"subjectpublickeyinfo", false));
  EXPECT_EQ(settings::Utf16ToUtf8(Probe(Form).FieldPath(Probe(Form).GetTag(Probe(Form).TreeVT().FocusedNode()))),
            "Certificate.tbsCertificate.subjectPublicKeyInfo");
  PressFieldNamesKey();
  Focus(Row(0));
  EXPECT_FALSE(Form.Find(u"subjectpublickeyinfo", false));
}

TEST_F(NamesTest, ValuesReadByTheirTypeInTheRowCopiesAndFind) {
  struct {
    const char* Sample;
    const char* Find;
    const char* Label;
    const char* Value;    // the row's value, Copy value
    const char* Row;      // Copy row
  } cases[] = {
      {"cert.der", "crl.example", "uniformResourceIdentifier", "http://crl.example.test/sample-ca.crl",
       "uniformResourceIdentifier Context-specific[6]: http://crl.example.test/sample-ca.crl"},
      {"cert.der", "192.0.2.10", "iPAddress", "192.0.2.10", "iPAddress Context-specific[7]: 192.0.2.10"},
      {"cert.der", "keyencipherment", "KeyUsage", "digitalSignature, keyEncipherment (101)",
       "KeyUsage BIT STRING: digitalSignature, keyEncipherment (101)"},
      {"cert.der", "10:01", "serialNumber", "10:01 (4097)", "serialNumber INTEGER: 10:01 (4097)"},
      {"crl.der", "keyCompromise", "CRLReason", "keyCompromise (1)", "CRLReason ENUMERATED: keyCompromise (1)"},
      {"crl.der", "47724914708969405121171", "userCertificate", "0A:1B:2C:3D:4E:5F:60:71:82:93 (47724914708969405121171)",
       "userCertificate INTEGER: 0A:1B:2C:3D:4E:5F:60:71:82:93 (47724914708969405121171)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Find);
    Open(SamplesDir() / c.Sample);
    Probe(Form).TreeVT().SetFocusedNode(NoNode);
    ASSERT_TRUE(Form.Find(settings::Utf8ToUtf16(c.Find), false));
    const TNodeId hit = Probe(Form).TreeVT().FocusedNode();
    EXPECT_EQ(Label(hit), c.Label);
    EXPECT_EQ(Value(hit), c.Value);
    EXPECT_EQ(Command("mnCopyVal"), c.Value);
    EXPECT_EQ(Command("mnCopyName"), c.Row);
  }
  // Without names the same row shows the octets its tag gives, and Find does not see the text.
  Open(SamplesDir() / "cert.der");
  ASSERT_TRUE(Form.Find(u"crl.example", false));
  const TNodeId uri = Probe(Form).TreeVT().FocusedNode();
  PressFieldNamesKey();
  EXPECT_EQ(Value(uri).substr(0, 23), "68 74 74 70 3A 2F 2F 63");
  EXPECT_EQ(Command("mnCopyVal").substr(0, 11), "68 74 74 70");
  Probe(Form).TreeVT().SetFocusedNode(NoNode);
  EXPECT_FALSE(Form.Find(u"crl.example", false));
}

// The subject key identifier of typed-values.der is the octets 04 03 01 02 03,
// which the walk decodes as an OCTET STRING holding 01 02 03.
TEST_F(NamesTest, OpaqueOctetsShowNoContentsAndFindPassesOverThem) {
  Open(std::filesystem::path(BRAMLET_SOURCE_DIR) / "tests/data/names/typed-values.der");
  ASSERT_TRUE(Form.Find(u"SubjectKeyIdentifier", false));
  const TNodeId key = Probe(Form).TreeVT().FocusedNode();
  const std::int32_t keyOffset = Probe(Form).GetTag(key).Offset();
  EXPECT_EQ(Value(key), "04 03 01 02 03");
  EXPECT_FALSE(Probe(Form).TreeVT().HasChildren(key));
  const std::vector<std::int32_t> forward = Hits(u"octet string", false);
  const std::vector<std::int32_t> backward = Hits(u"octet string", true);
  const std::vector<std::u16string> namedXml = Xml();

  PressFieldNamesKey();
  EXPECT_EQ(Xml(), namedXml) << "the export is the decoding's, whatever the names";
  const std::vector<std::int32_t> plainForward = Hits(u"octet string", false);
  // The contents are rows again: focus the inner OCTET STRING, then name it away.
  const auto inner = std::find(plainForward.begin(), plainForward.end(), keyOffset + 2);
  ASSERT_NE(inner, plainForward.end());
  std::vector<std::int32_t> expected = plainForward;
  expected.erase(expected.begin() + (inner - plainForward.begin()));
  EXPECT_EQ(forward, expected);
  EXPECT_EQ(backward, std::vector<std::int32_t>(expected.rbegin(), expected.rend()));
  Probe(Form).TreeVT().SetFocusedNode(NoNode);
  for (std::int32_t offset = 0; offset != keyOffset + 2 && Form.Find(u"octet string", false);)
    offset = Probe(Form).GetTag(Probe(Form).TreeVT().FocusedNode()).Offset();
  EXPECT_EQ(Value(Probe(Form).TreeVT().FocusedNode()), "01 02 03");
  PressFieldNamesKey();
  EXPECT_EQ(Probe(Form).GetTag(Probe(Form).TreeVT().FocusedNode()).Offset(), keyOffset) << "the focus goes to the opaque field";
  EXPECT_EQ(Value(Probe(Form).TreeVT().FocusedNode()), "04 03 01 02 03");
}

TEST_F(NamesTest, TheStatusBarShowsTheFocusedPath) {
  Focus(Row(4));
  const TStatusPanel& panel = Probe(Form).MainStatusBar().back();
  EXPECT_EQ(settings::Utf16ToUtf8(panel.Text), "Certificate.tbsCertificate.serialNumber");
  EXPECT_GE(panel.Width, Fake.Display.TextWidth(panel.Text, Probe(Form).StatusBarFontName(), Probe(Form).StatusBarFontSize()));
  PressFieldNamesKey();
  EXPECT_EQ(panel.Text, u"");
  EXPECT_EQ(panel.Width, test::TMainFormProbe::MakeMainStatusBar().back().Width);
}

}  // namespace
}  // namespace viewer::test
