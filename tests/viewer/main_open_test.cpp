// Open element and Backspace: an element shown as a document of its own, and
// the way back to the document it came from, as the user left it.
#include <gtest/gtest.h>

#include "views_test_util.h"

namespace viewer {
namespace {

using test::HexBytes;

// SEQUENCE { OCTET STRING holding SEQUENCE { INTEGER 7 }, INTEGER 5,
//            BIT STRING holding SEQUENCE { INTEGER 9 } }
constexpr const char* Nested = "30 12 04 05 30 03 02 01 07 02 01 05 03 06 00 30 03 02 01 09";

class OpenElementTest : public test::ViewsTest {
 protected:
  void ShowNested() {
    Probe(Form).Settings().ShowAttributes = true;
    Probe(Form).Document().SetFileName(u"/data/nested.der");
    ShowHex(Nested);
  }
  // The focused row's element and offset.
  std::string Focused() {
    const TTag tag = Probe(Form).GetTag(Probe(Form).TreeVT().FocusedNode());
    if (!tag.IsValid()) return "none";
    return settings::Utf16ToUtf8(tag.Name()) + " at " + std::to_string(tag.Offset());
  }
  std::string Location() { return settings::Utf16ToUtf8(Probe(Form).Location()); }
  const TKeyEvent Backspace{vk::Back, false, false, false};
  const TKeyEvent CtrlEnter{vk::Return, false, true, false};
};

TEST_F(OpenElementTest, OpensTheElementOrTheContentItHolds) {
  struct {
    const char* Label;
    std::int32_t Offset;  // the focused element's
    bool AttributeRow;    // focus its Offset row instead
    const char* Bytes;    // the opened document's; empty: nothing opened
    const char* Location;
  } cases[] = {
      {"an OCTET STRING that encapsulates opens its contents", 2, false, "30 03 02 01 07",
       "OCTET STRING at offset 2 of nested.der"},
      {"a BIT STRING that encapsulates opens past its unused-bits octet", 12, false, "30 03 02 01 09",
       "BIT STRING at offset 12 of nested.der"},
      {"a constructed element opens whole", 4, false, "30 03 02 01 07", "SEQUENCE at offset 4 of nested.der"},
      {"a primitive element opens whole", 9, false, "02 01 05", "INTEGER at offset 9 of nested.der"},
      {"an attribute row opens its element", 9, true, "02 01 05", "INTEGER at offset 9 of nested.der"},
      {"the element that is the whole document only beeps", 0, false, "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    ShowNested();
    TNodeId row = Probe(Form).GetNodeByOffset(c.Offset);
    ASSERT_NE(row, NoNode);
    if (c.AttributeRow) Focus(Probe(Form).TreeVT().Child(row, 0));
    Fake.Host.Beeps = 0;
    Probe(Form).KeyDown(CtrlEnter);
    const bool opened = *c.Bytes != 0;
    EXPECT_EQ(Probe(Form).OpenedDepth(), opened ? 1u : 0u);
    EXPECT_EQ(Fake.Host.Beeps, opened ? 0 : 1);
    EXPECT_EQ(*Probe(Form).Bytes(), opened ? HexBytes(c.Bytes) : HexBytes(Nested));
    EXPECT_EQ(Location(), c.Location);
    EXPECT_EQ(Panel(Probe(Form).MainStatusBar(), 4), c.Location) << "the status bar says where the user is";
    EXPECT_EQ(Panel(Probe(Form).MainStatusBar(), 2), "Bytes: " + std::to_string(Probe(Form).Bytes()->size()));
    while (Probe(Form).OpenedDepth() > 0) Probe(Form).GoBack();
  }
}

TEST_F(OpenElementTest, BackspaceUndoesNestedOpensAsTheUserLeftEachDocument) {
  ShowNested();
  Probe(Form).TreeVT().SetExpanded(Probe(Form).GetNodeByOffset(12), false);  // the user closed the BIT STRING
  const std::size_t shownBefore = [&] {
    std::size_t n = 0;
    for (TNodeId node = Probe(Form).TreeVT().GetFirstVisible(); node != NoNode; node = Probe(Form).TreeVT().GetNextVisible(node)) ++n;
    return n;
  }();
  Probe(Form).GetNodeByOffset(2);
  Probe(Form).KeyDown(CtrlEnter);  // the OCTET STRING's SEQUENCE { INTEGER 7 }
  Probe(Form).GetNodeByOffset(2);
  Probe(Form).KeyDown(CtrlEnter);  // its INTEGER 7
  EXPECT_EQ(Probe(Form).OpenedDepth(), 2u);
  EXPECT_EQ(Location(), "INTEGER at offset 2 of OCTET STRING at offset 2 of nested.der");
  EXPECT_EQ(Focused(), "INTEGER at 0") << "the opened document's first row has the focus";

  struct {
    const char* Label;
    std::size_t Depth;
    const char* Focused;
    const char* Location;
    int Beeps;
  } steps[] = {
      {"back to the first opened document", 1, "INTEGER at 2", "OCTET STRING at offset 2 of nested.der", 0},
      {"back to the file", 0, "OCTET STRING at 2", "", 0},
      {"nothing further back", 0, "OCTET STRING at 2", "", 1},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.Label);
    Fake.Host.Beeps = 0;
    EXPECT_TRUE(Probe(Form).KeyDown(Backspace));
    EXPECT_EQ(Probe(Form).OpenedDepth(), step.Depth);
    EXPECT_EQ(Focused(), step.Focused);
    EXPECT_EQ(Location(), step.Location);
    EXPECT_EQ(Panel(Probe(Form).MainStatusBar(), 4), step.Location);
    EXPECT_EQ(Fake.Host.Beeps, step.Beeps);
  }
  EXPECT_EQ(*Probe(Form).Bytes(), HexBytes(Nested));
  EXPECT_EQ(Probe(Form).HexSel(), (THexSelection{2, 8})) << "the hex panel highlights the focused element again";
  EXPECT_FALSE(Probe(Form).TreeVT().IsExpanded(Probe(Form).GetNodeByOffset(12))) << "the closed row stays closed";
  std::size_t shownAfter = 0;
  for (TNodeId node = Probe(Form).TreeVT().GetFirstVisible(); node != NoNode; node = Probe(Form).TreeVT().GetNextVisible(node)) ++shownAfter;
  EXPECT_EQ(shownAfter, shownBefore);
}

TEST_F(OpenElementTest, ACertificateInsideAPkcs7FileOpensAsACertificateAndScrollComesBack) {
  Probe(Form).Document().SetFileName(u"chain.p7b");
  ShowSample("chain.p7b");
  Probe(Form).TreeVT().SetClientSize(400, 120);
  const TNodeId certificate = Probe(Form).GetNodeByOffset(45);
  Probe(Form).TreeVT().SetOffsetY(Probe(Form).TreeVT().NodeTop(certificate) - 40);
  const std::int64_t scrolled = Probe(Form).TreeVT().OffsetY();
  ASSERT_GT(scrolled, 0);

  Probe(Form).OpenElement();
  EXPECT_EQ(Location(), "Certificate at offset 45 of chain.p7b");
  EXPECT_EQ(Probe(Form).FieldLabel(Probe(Form).Root().TagChild(0)), u"Certificate") << "named as a document of its own";
  EXPECT_EQ(Probe(Form).TreeVT().OffsetY(), 0);

  Probe(Form).GoBack();
  EXPECT_EQ(Probe(Form).TreeVT().OffsetY(), scrolled);
  EXPECT_EQ(Focused(), "SEQUENCE at 45");
}

TEST_F(OpenElementTest, ReloadAndALoadFromTheClipboardLeaveTheOpenedDocuments) {
  test::TTempDir dir;
  test::WriteAll(dir.Path / "nested.der", std::string_view("\x30\x05\x02\x01\x05\x05\x00", 7));
  for (bool reload : {true, false}) {
    SCOPED_TRACE(reload ? "Reload" : "Load from clipboard");
    Probe(Form).Document().SetFileName((dir.Path / "nested.der").u16string());
    Probe(Form).Reload();
    Probe(Form).GetNodeByOffset(2);
    Probe(Form).OpenElement();
    ASSERT_EQ(Probe(Form).OpenedDepth(), 1u);
    Fake.Clipboard.Text = u"05 00";
    if (reload) Probe(Form).Reload();
    else Probe(Form).LoadFromClipboard();
    EXPECT_EQ(Probe(Form).OpenedDepth(), 0u);
    EXPECT_EQ(Location(), "");
    EXPECT_EQ(Probe(Form).Bytes()->size(), reload ? 7u : 2u);
    EXPECT_EQ(Panel(Probe(Form).MainStatusBar(), 4), reload ? "" : "clipboard");
  }
}

}  // namespace
}  // namespace viewer
