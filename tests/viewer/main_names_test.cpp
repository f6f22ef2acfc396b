// Field names in the viewer: the name run before the tag name, the setting
// that turns them off (and everything back to the plain rows), search, the
// copy commands and the path in the status bar.
#include <gtest/gtest.h>

#include <string>

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
    Form.SetClipboardWait([](int) {});
    ShowSample("cert.der");
    Form.Settings().ShowAttributes = false;
    Form.ApplySettings();
    Form.FillTrees();
    Form.Resize(800, 400);
  }
  // The texts painted on the k-th shown row, left to right.
  std::vector<std::string> Painted(int k) {
    TRecordingCanvas canvas;
    Form.Paint(TView::vwTree, canvas, {0, 0, 4000, 4000});
    const int height = Form.TreeVT().DefaultNodeHeight();
    std::vector<std::string> texts;
    for (const auto* call : canvas.OfKind(TDrawKind::dkText))
      if (call->Rect.Top >= k * height && call->Rect.Top < (k + 1) * height)
        texts.push_back(settings::Utf16ToUtf8(call->Text));
    return texts;
  }
  TColor PaintedColor(int k, const std::string& text) {
    TRecordingCanvas canvas;
    Form.Paint(TView::vwTree, canvas, {0, 0, 4000, 4000});
    const int height = Form.TreeVT().DefaultNodeHeight();
    for (const auto* call : canvas.OfKind(TDrawKind::dkText))
      if (call->Rect.Top >= k * height && call->Rect.Top < (k + 1) * height && settings::Utf16ToUtf8(call->Text) == text)
        return call->Color;
    return 0xFFFFFFFFu;
  }
  std::string Clipboard() { return settings::Utf16ToUtf8(Fake.Clipboard.Text); }
  bool PressFieldNamesKey() { return Form.KeyDown({'L', /*Shift=*/true, /*Ctrl=*/true, false}); }
};

// Rows 0..4 without attribute rows: the certificate, its TBS, the version tag,
// the version INTEGER, the serial number.
TEST_F(NamesTest, RowsShowTheFieldNameBeforeTheTagNameInItsOwnColour) {
  EXPECT_EQ(Painted(0), (std::vector<std::string>{"Certificate", "SEQUENCE"}));
  EXPECT_EQ(Painted(1), (std::vector<std::string>{"tbsCertificate", "SEQUENCE"}));
  EXPECT_EQ(Painted(3), (std::vector<std::string>{"version", "INTEGER", "2"}));
  EXPECT_EQ(Painted(4), (std::vector<std::string>{"serialNumber", "INTEGER", "4097"}));
  EXPECT_EQ(PaintedColor(4, "serialNumber"), settings::ResolveColor(Form.Settings().NameColor, Fake.Display));
  EXPECT_NE(Form.Settings().NameColor, Form.Settings().PrimitiveColor);
}

TEST_F(NamesTest, TurnedOffEveryRowIsPlainAgain) {
  ASSERT_TRUE(PressFieldNamesKey());
  EXPECT_FALSE(Form.Settings().FieldNames);
  EXPECT_EQ(Painted(0), (std::vector<std::string>{"SEQUENCE"}));
  EXPECT_EQ(Painted(4), (std::vector<std::string>{"INTEGER", "4097"}));
  EXPECT_EQ(Form.Names().NamedCount(), 0u) << "nothing built while off";
  Form.MainMenuPopup();
  EXPECT_FALSE(Form.MainMenu().Item("mnFieldNames").Checked);
  Form.MainMenuClick(Form.MainMenu().Item("mnFieldNames").Tag);
  EXPECT_TRUE(Form.Settings().FieldNames);
  EXPECT_EQ(Painted(4), (std::vector<std::string>{"serialNumber", "INTEGER", "4097"}));
  Form.MainMenuPopup();
  EXPECT_TRUE(Form.MainMenu().Item("mnFieldNames").Checked);
}

TEST_F(NamesTest, CopyRowCopiesWhatTheRowShowsAndCopyPathThePath) {
  struct {
    bool Names;
    int Row;
    std::string RowText;
    std::string Path;
  } cases[] = {
      {true, 4, "serialNumber INTEGER: 4097", "Certificate.tbsCertificate.serialNumber"},
      {true, 3, "version INTEGER: 2", "Certificate.tbsCertificate.version"},
      {false, 4, "INTEGER: 4097", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.RowText);
    if (Form.Settings().FieldNames != c.Names) PressFieldNamesKey();
    Focus(Row(c.Row));
    Form.MainMenuClick(Form.MainMenu().Item("mnCopyName").Tag);
    EXPECT_EQ(Clipboard(), c.RowText);
    Fake.Clipboard.Text = u"untouched";
    ASSERT_TRUE(Form.KeyDown({'C', /*Shift=*/true, /*Ctrl=*/true, false}));
    EXPECT_EQ(Clipboard(), c.Path);
  }
}

TEST_F(NamesTest, FindSearchesTheNamesOnlyWhileTheyShow) {
  ASSERT_TRUE(Form.Find(u"subjectpublickeyinfo", false));
  EXPECT_EQ(settings::Utf16ToUtf8(Form.FieldPath(Form.GetTag(Form.TreeVT().FocusedNode()))),
            "Certificate.tbsCertificate.subjectPublicKeyInfo");
  PressFieldNamesKey();
  Focus(Row(0));
  EXPECT_FALSE(Form.Find(u"subjectpublickeyinfo", false));
}

TEST_F(NamesTest, TheStatusBarShowsTheFocusedPath) {
  Focus(Row(4));
  const TStatusPanel& panel = Form.MainStatusBar().back();
  EXPECT_EQ(settings::Utf16ToUtf8(panel.Text), "Certificate.tbsCertificate.serialNumber");
  EXPECT_GE(panel.Width, Fake.Display.TextWidth(panel.Text, Form.StatusBarFontName(), Form.StatusBarFontSize()));
  PressFieldNamesKey();
  EXPECT_EQ(panel.Text, u"");
  EXPECT_EQ(panel.Width, TMainForm::MakeMainStatusBar().back().Width);
}

}  // namespace
}  // namespace viewer::test
