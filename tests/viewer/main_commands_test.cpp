// The context menu, the keys, the copy commands and the toggles, driven as the
// user drives them: keys through KeyDown, items through MainMenuClick.
#include <algorithm>
#include <string>
#include <vector>

#include "settings/lang.h"
#include "views_test_util.h"

namespace viewer::test {
namespace {

// Notes the title of each dialog it is asked to run, and closes it.
class TNotingRunner : public settings::IDialogRunner {
 public:
  std::u16string Shown;
  settings::TScreenRect ViewerScreenRect() override { return {0, 0, 800, 600}; }
  void RunDialog(settings::TDialogController& dialog, const settings::TScreenRect&) override {
    Shown = dialog.Caption;
    dialog.KeyDown(vk::Escape);
  }
};

class CommandsTest : public ViewsTest {
 protected:
  void SetUp() override {
    ViewsTest::SetUp();
    Probe(Form).SetClipboardWait([this](int ms) { Waits.push_back(ms); });
    Probe(Form).SetMainMenuCaptions();
    Probe(Form).SetDialogRunner(&Runner);
  }
  TNotingRunner Runner;
  // The n-th row (from 0), in document order, whose node is called name.
  TNodeId RowOf(const std::u16string& name, int n = 0) {
    for (TNodeId row = Probe(Form).TreeVT().GetFirst(); row != NoNode; row = Probe(Form).TreeVT().GetNext(row))
      if (Probe(Form).GetTag(row).Name() == name && n-- == 0) return row;
    return NoNode;
  }
  bool Press(std::uint16_t key, bool shift = false, bool ctrl = false, bool alt = false) {
    return Probe(Form).KeyDown({key, shift, ctrl, alt});
  }
  std::string Clipboard() { return settings::Utf16ToUtf8(Fake.Clipboard.Text); }
  // Names of the shown rows, top to bottom.
  std::vector<std::u16string> ShownRows() {
    std::vector<std::u16string> rows;
    for (TNodeId n = Probe(Form).TreeVT().GetFirstVisible(); n != NoNode; n = Probe(Form).TreeVT().GetNextVisible(n))
      rows.push_back(Probe(Form).GetTag(n).Name());
    return rows;
  }
  std::vector<int> Waits;
};

constexpr std::string_view SeqInt5 = "30 03 02 01 05";

TEST_F(CommandsTest, CopyCommandsOnEachKindOfRow) {
  enum TCopy { Value, Row, Bytes };
  struct {
    std::string_view Hex;
    std::u16string Name;
    int Occurrence;
    TCopy Command;
    bool SpaceInHex;
    std::string Expected;
  } cases[] = {
      {SeqInt5, u"INTEGER", 0, Value, true, "5"},
      {SeqInt5, u"INTEGER", 0, Row, true, "INTEGER: 5"},
      {SeqInt5, u"SEQUENCE", 0, Value, true, ""},
      {SeqInt5, u"SEQUENCE", 0, Row, true, "SEQUENCE"},
      {SeqInt5, u"SEQUENCE", 0, Bytes, true, "30 03 02 01 05"},
      {SeqInt5, u"SEQUENCE", 0, Bytes, false, "3003020105"},
      {SeqInt5, u"INTEGER", 0, Bytes, true, "02 01 05"},
      // An attribute row copies its own texts, and the bytes of its element.
      {SeqInt5, u"Offset", 0, Value, true, "0"},
      {SeqInt5, u"Offset", 0, Row, true, "Offset: 0"},
      {SeqInt5, u"Offset", 1, Row, true, "Offset: 2"},
      {SeqInt5, u"Offset", 1, Bytes, true, "02 01 05"},
      // A bad header after a good element: the top-level "Fatal error" row
      // copies the one octet it stopped at.
      {"02 01 05 02 85 01", u"Fatal error", 0, Bytes, true, "02"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.Hex) + " " + settings::Utf16ToUtf8(c.Name) + " #" + std::to_string(c.Command));
    ShowHex(c.Hex);
    Probe(Form).Settings().SpaceInHex = c.SpaceInHex;
    TNodeId row = RowOf(c.Name, c.Occurrence);
    ASSERT_NE(row, NoNode);
    Focus(row);
    Fake.Clipboard.Text = u"unchanged";
    Probe(Form).MainMenuPopup();
    Probe(Form).MainMenuClick(101 + c.Command);
    EXPECT_EQ(Clipboard(), c.Expected);
  }
}

TEST_F(CommandsTest, CopyKeysOfTheStructureTree) {
  ShowHex(SeqInt5);
  Focus(RowOf(u"INTEGER"));
  struct {
    bool Shift, Ctrl, Alt;
    std::uint16_t Key;
    std::string Expected;
  } cases[] = {
      {false, true, false, 'C', "5"},
      {false, true, false, 'D', "INTEGER: 5"},
      {false, true, true, 'C', "02 01 05"},
      {true, true, false, 'C', ""},  // Copy path: no schema fits this SEQUENCE
      {true, true, true, 'C', "unchanged"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(1, static_cast<char>(c.Key)) + (c.Shift ? " shift" : "") + (c.Ctrl ? " ctrl" : "") +
                 (c.Alt ? " alt" : ""));
    Fake.Clipboard.Text = u"unchanged";
    Press(c.Key, c.Shift, c.Ctrl, c.Alt);
    EXPECT_EQ(Clipboard(), c.Expected);
  }
}

// What a command may change, taken together so two runs can be compared.
struct TEffects {
  std::u16string Clipboard;
  bool ShowAttributes, HexPanelVisible, HexShow, ShowIcons, FieldNames;
  std::vector<std::u16string> Rows;
  std::int32_t TagsCount;
  int Beeps, Messages, BusyChanges;
  std::u16string SaveFilter;
  std::u16string Dialog;
  TFocusedControl Active;
  std::u16string Focused;
  bool operator==(const TEffects&) const = default;
};

TEST_F(CommandsTest, EachMenuItemAndItsKeyHaveTheSameEffect) {
  TTempDir dir;
  WriteAll(dir.Path / "two.der", std::string("\x30\x06\x02\x01\x05\x02\x01\x07", 8));
  struct TCase {
    const char* Item;
    TKeyEvent Key;
    std::u16string FocusRow;  // empty: none
    bool OpenFirst = false;   // the focused row's element opened before the command
    bool CompareFirst = false;  // compared with two.der before the command
  } cases[] = {
      {"mnCopyVal", {'C', false, true, false}, u"INTEGER"},
      {"mnCopyName", {'D', false, true, false}, u"INTEGER"},
      {"mnCopyHex", {'C', false, true, true}, u"INTEGER"},
      {"mnCopyPath", {'C', true, true, false}, u"INTEGER"},
      {"mnExpand", {vk::F4, false, false, false}, u"SEQUENCE"},
      {"mnCollapse", {vk::F2, false, false, false}, u"SEQUENCE"},
      {"mnExpandTree", {vk::Add, true, true, false}, u""},
      {"mnCollapseTree", {vk::Subtract, true, true, false}, u""},
      {"mnShowAttributes", {'A', false, false, false}, u"Length"},
      {"mnShowHex", {'H', false, false, false}, u""},
      {"mnFieldNames", {'L', true, true, false}, u""},
      {"mnLoadFromClipboard", {'V', false, true, false}, u""},
      {"mnReload", {vk::F5, false, false, false}, u""},
      {"mnSaveToXML", {'S', false, true, false}, u""},
      {"mnNextProblem", {vk::F8, false, false, false}, u""},
      {"mnCopyBase64", {'B', false, true, true}, u"INTEGER"},
      {"mnCopyPem", {'K', false, true, true}, u"INTEGER"},
      {"mnCopyCArray", {'A', false, true, true}, u"Length"},
      {"mnElementInfo", {'I', false, true, true}, u"INTEGER"},
      {"mnSaveElementAs", {'S', true, true, false}, u"Length"},
      {"mnGoToOffset", {'G', false, true, false}, u""},
      {"mnOpenElement", {vk::Return, false, true, false}, u"INTEGER"},
      {"mnBack", {vk::Back, false, false, false}, u"INTEGER", /*OpenFirst=*/true},
      {"mnCompareWith", {'D', true, true, false}, u""},
      {"mnNextDifference", {vk::F9, false, false, false}, u"INTEGER", false, /*CompareFirst=*/true},
      {"mnPreviousDifference", {vk::F9, true, false, false}, u"INTEGER", false, /*CompareFirst=*/true},
  };
  Fake.Dialogs.OpenFileAnswer = settings::Utf8ToUtf16((dir.Path / "two.der").string());
  auto run = [&](const TCase& c, bool byKey) {
    Probe(Form).Settings().ShowAttributes = true;
    Probe(Form).Settings().Hex.Show = true;
    Probe(Form).SetHexPanelVisible(true);
    Probe(Form).Settings().FieldNames = true;
    Probe(Form).Document().SetFileName(settings::Utf8ToUtf16((dir.Path / "two.der").string()));
    ShowHex("30 05 30 03 02 01 05");
    if (std::string_view(c.Item).starts_with("mnExpand")) Probe(Form).TreeVT().FullCollapse();
    Focus(c.FocusRow.empty() ? NoNode : RowOf(c.FocusRow));
    if (c.OpenFirst) Probe(Form).OpenElement();
    if (c.CompareFirst) Probe(Form).CompareWith();
    Fake.Host.Beeps = 0;
    Fake.Host.BusyCursorChanges.clear();
    Fake.Dialogs.Messages.clear();
    Fake.Dialogs.LastFilter.clear();
    Runner.Shown.clear();
    Fake.Clipboard.Text = u"02 01 09";
    if (byKey) {
      Probe(Form).KeyDown(c.Key);
    } else {
      Probe(Form).MainMenuPopup();
      Probe(Form).MainMenuClick(Probe(Form).MainMenu().Item(c.Item).Tag);
    }
    TNodeId focused = Probe(Form).TreeVT().FocusedNode();
    return TEffects{Fake.Clipboard.Text, Probe(Form).Settings().ShowAttributes, Probe(Form).HexPanelVisible(), Probe(Form).Settings().Hex.Show,
                    Probe(Form).Settings().ShowIcons, Probe(Form).Settings().FieldNames, ShownRows(), Probe(Form).TagsCount(), Fake.Host.Beeps,
                    static_cast<int>(Fake.Dialogs.Messages.size()),
                    static_cast<int>(Fake.Host.BusyCursorChanges.size()), Fake.Dialogs.LastFilter, Runner.Shown, Probe(Form).ActiveControl(),
                    focused == NoNode ? u"" : Probe(Form).GetTag(focused).Name()};
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Item);
    TEffects before = run({c.Item, {}, c.FocusRow, c.OpenFirst, c.CompareFirst}, /*byKey=*/true);  // key 0: nobody's
    TEffects byMenu = run(c, /*byKey=*/false);
    EXPECT_NE(byMenu, before) << "the item does something";
    EXPECT_EQ(run(c, /*byKey=*/true), byMenu);
  }
  // Every menu item with a key of its own is among the cases.
  for (const TCommand& command : CommandTable()) {
    bool hasKey = false;
    for (const TKeyBinding& key : command.Keys) hasKey = hasKey || key.Flow == TKeyFlow::kfHandle;
    if (command.Id == 0 || !hasKey) continue;
    bool covered = std::any_of(std::begin(cases), std::end(cases), [&](const TCase& c) { return c.Item == command.MenuName; });
    EXPECT_TRUE(covered) << command.MenuName;
  }
}

TEST_F(CommandsTest, HandlesKeyIsExactlyWhatTheViewerTakes) {
  using enum TFocusedControl;
  struct {
    const char* Label;
    TKeyEvent Key;
    TFocusedControl Active;
    bool Handled;
  } cases[] = {
      {"Ctrl+C in the tree", {'C', false, true, false}, fcTree, true},
      {"Ctrl+C in a grid", {'C', false, true, false}, fcHex1, false},
      {"Ctrl+Alt+C", {'C', false, true, true}, fcTree, true},
      {"Shift+Ctrl+C", {'C', true, true, false}, fcTree, true},
      {"Shift+Ctrl+Alt+C", {'C', true, true, true}, fcTree, false},
      {"H anywhere", {'H', false, false, false}, fcHex2, true},
      {"Ctrl+H", {'H', false, true, false}, fcTree, false},
      {"Ctrl+I", {'I', false, true, false}, fcHex1, true},
      {"F5", {vk::F5, false, false, false}, fcTree, true},
      {"F4 in a grid", {vk::F4, false, false, false}, fcHex1, false},
      {"host digit", {'3', false, false, false}, fcTree, false},
      {"host F7 with Ctrl", {vk::F7, false, true, false}, fcTree, false},
      {"host N", {'N', false, false, false}, fcHex1, false},
      {"Esc", {vk::Escape, false, false, false}, fcTree, false},
      {"Shift+Esc", {vk::Escape, true, false, false}, fcTree, false},
      {"Tab in the tree", {vk::Tab, false, false, false}, fcTree, true},
      {"Tab in a grid", {vk::Tab, false, false, false}, fcHex2, true},
      {"Shift+Tab", {vk::Tab, true, false, false}, fcHex2, false},
      {"Enter in a grid", {vk::Return, false, false, false}, fcHex1, true},
      {"Enter in the tree", {vk::Return, false, false, false}, fcTree, false},
      {"Down", {vk::Down, false, false, false}, fcTree, true},
      {"Shift+Ctrl+keypad plus", {vk::Add, true, true, false}, fcTree, true},
      {"a letter of nobody", {'Q', false, false, false}, fcTree, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    Probe(Form).SetHexPanelVisible(true);
    ShowHex(SeqInt5);
    Focus(RowOf(u"INTEGER"));
    Probe(Form).SetActiveControl(c.Active);
    EXPECT_EQ(Probe(Form).HandlesKey(c.Key), c.Handled);
    // The claim matches what dispatching the key then does.
    EXPECT_EQ(Probe(Form).KeyDown(c.Key), c.Handled);
  }
}

TEST_F(CommandsTest, ClipboardWriterTriesThreeTimesThenReports) {
  ShowHex(SeqInt5);
  Focus(RowOf(u"INTEGER"));
  for (int failing : {0, 1, 2, 3}) {
    SCOPED_TRACE(failing);
    Waits.clear();
    Fake.Dialogs.Messages.clear();
    Fake.Clipboard.Text = u"old";
    Fake.Clipboard.SetTextCalls = 0;
    Fake.Clipboard.FailingOpens = failing;
    Press('C', false, true);
    EXPECT_EQ(Fake.Clipboard.SetTextCalls, std::min(failing + 1, 3));
    EXPECT_EQ(Waits, std::vector<int>(static_cast<std::size_t>(std::min(failing, 2)), 200));
    if (failing < 3) {
      EXPECT_EQ(Clipboard(), "5");
      EXPECT_TRUE(Fake.Dialogs.Messages.empty());
    } else {
      EXPECT_EQ(Clipboard(), "old");
      ASSERT_EQ(Fake.Dialogs.Messages.size(), 1u);
      EXPECT_EQ(Fake.Dialogs.Messages[0].Kind, platform::TMessageBoxKind::mbError);
    }
  }
}

TEST_F(CommandsTest, MenuItemsStandInTheirOrderWithSeparators) {
  std::vector<int> tags;
  for (const TMenuItem& item : Probe(Form).MainMenu().Items()) tags.push_back(item.Tag);
  EXPECT_EQ(tags, (std::vector<int>{101, 102, 103, 116, 119, 120, 121, 122, 124, 128, 129, 104, 105, 106, 107, 108, 0,
                                    109, 110, 117, 118, 0, 130, 131, 132, 133, 123, 0, 111, 112, 113, 0, 114, 115}));
  EXPECT_EQ(Probe(Form).MainMenu().Item("mnExpandTree").Caption, u"Expand tree\tShift+Ctrl+");
  EXPECT_EQ(Probe(Form).MainMenu().Item("mnAbout").Caption, u"About");
}

TEST_F(CommandsTest, MenuStatesWhenItOpens) {
  struct {
    std::string Name;
    std::u16string Row;  // empty: no focused row
    bool ShowAttributes;
    bool CopyEnabled;
    bool ExpandEnabled;
  } cases[] = {
      {"no focus", u"", true, false, false},
      {"primitive, attributes hidden", u"INTEGER", false, true, false},
      {"primitive, attributes shown", u"INTEGER", true, true, true},
      {"constructed, attributes hidden", u"SEQUENCE", false, true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    Probe(Form).Settings().ShowAttributes = c.ShowAttributes;
    ShowHex(SeqInt5);
    Focus(c.Row.empty() ? NoNode : RowOf(c.Row));
    Probe(Form).MainMenuPopup();
    const TMainMenu& m = Probe(Form).MainMenu();
    for (const char* item : {"mnCopyVal", "mnCopyName", "mnCopyHex"}) EXPECT_EQ(m.Item(item).Enabled, c.CopyEnabled);
    EXPECT_EQ(m.Item("mnExpand").Enabled, c.ExpandEnabled);
    EXPECT_EQ(m.Item("mnCollapse").Enabled, c.ExpandEnabled);
    for (const char* item : {"mnSearch", "mnExpandTree", "mnReload", "mnSettings", "mnAbout"})
      EXPECT_TRUE(m.Item(item).Enabled);
    EXPECT_EQ(m.Item("mnShowAttributes").Checked, c.ShowAttributes);
  }
}

TEST_F(CommandsTest, DisabledItemsDoNothing) {
  ShowHex(SeqInt5);
  Focus(NoNode);
  Probe(Form).MainMenuPopup();
  Probe(Form).MainMenuClick(101);
  Probe(Form).MainMenuClick(105);
  EXPECT_EQ(Fake.Clipboard.SetTextCalls, 0);
  EXPECT_TRUE(Fake.Host.BusyCursorChanges.empty());
}

TEST_F(CommandsTest, HostKeysArePostedToTheListerWindow) {
  ShowHex(SeqInt5);
  struct {
    std::uint16_t Key;
    bool Shift, Ctrl, Alt;
    bool Posted;
  } cases[] = {
      {'3', false, false, false, true},        {'8', false, false, false, true},
      {'9', false, false, false, false},       {'N', false, false, false, true},
      {'F', false, true, true, true},          {vk::F7, false, true, false, true},
      {vk::Escape, false, false, false, true}, {vk::Escape, true, false, false, false},
      {vk::F3, true, false, false, true},      {'P', false, true, false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.Key) + (c.Shift ? " shift" : "") + (c.Ctrl ? " ctrl" : "") + (c.Alt ? " alt" : ""));
    Fake.Host.PostedKeys.clear();
    Press(c.Key, c.Shift, c.Ctrl, c.Alt);
    // Posted with the modifiers held, so Shift+F3 reaches the host as Shift+F3.
    const TKeyEvent pressed{c.Key, c.Shift, c.Ctrl, c.Alt};
    EXPECT_EQ(Fake.Host.PostedKeys, c.Posted ? std::vector<TKeyEvent>{pressed} : std::vector<TKeyEvent>{});
  }
}

TEST_F(CommandsTest, TogglesFollowExactModifiers) {
  ShowHex(SeqInt5);
  Press('H', false, true);  // Ctrl+H is not the panel's key
  EXPECT_TRUE(Probe(Form).HexPanelVisible());
  Press('H');
  EXPECT_FALSE(Probe(Form).HexPanelVisible());
  EXPECT_FALSE(Probe(Form).Settings().Hex.Show);
  Probe(Form).MainMenuPopup();
  EXPECT_FALSE(Probe(Form).MainMenu().Item("mnShowHex").Checked);
  Probe(Form).MainMenuClick(110);
  EXPECT_TRUE(Probe(Form).HexPanelVisible());
  EXPECT_TRUE(Probe(Form).Settings().Hex.Show);

  bool icons = Probe(Form).Settings().ShowIcons;
  Press('I');
  EXPECT_EQ(Probe(Form).Settings().ShowIcons, icons);
  Press('I', false, true);
  EXPECT_EQ(Probe(Form).Settings().ShowIcons, !icons);
}

TEST_F(CommandsTest, TabMovesTheFocusBetweenTreeAndGrids) {
  ShowHex(SeqInt5);
  Press(vk::Tab);
  EXPECT_EQ(Probe(Form).ActiveControl(), TFocusedControl::fcHex1);
  Press(vk::Tab);
  EXPECT_EQ(Probe(Form).ActiveControl(), TFocusedControl::fcTree);
  Probe(Form).SetActiveControl(TFocusedControl::fcHex2);
  Press(vk::Tab);
  EXPECT_EQ(Probe(Form).ActiveControl(), TFocusedControl::fcTree);
  Press(vk::Tab, true);  // Shift+Tab is not the tree's key
  EXPECT_EQ(Probe(Form).ActiveControl(), TFocusedControl::fcTree);
}

TEST_F(CommandsTest, TabIsDroppedWhileTheHexPanelIsHidden) {
  ShowHex(SeqInt5);
  Probe(Form).SetActiveControl(TFocusedControl::fcHex2);
  Press('H');  // hiding the panel takes the keyboard back to the tree
  EXPECT_EQ(Probe(Form).ActiveControl(), TFocusedControl::fcTree);
  Press(vk::Tab);
  EXPECT_EQ(Probe(Form).ActiveControl(), TFocusedControl::fcTree);
}

TEST_F(CommandsTest, EnterInEitherGridFocusesTheElementOfTheBytesGridCell) {
  for (TFocusedControl grid : {TFocusedControl::fcHex1, TFocusedControl::fcHex2}) {
    SCOPED_TRACE(static_cast<int>(grid));
    ShowHex(SeqInt5);
    Focus(NoNode);
    Probe(Form).Hex1VT().SetFocusedNode(0);
    int column = 0;
    while (column < Probe(Form).Hex1VT().ColumnCount() && Probe(Form).GetHexOffset(0, column) != 3) ++column;
    ASSERT_LT(column, Probe(Form).Hex1VT().ColumnCount());
    Probe(Form).Hex1VT().SetFocusedColumn(column);
    Probe(Form).SetActiveControl(grid);
    Press(vk::Return);
    EXPECT_EQ(Probe(Form).TreeVT().FocusedNode(), RowOf(u"INTEGER"));
  }
}

TEST_F(CommandsTest, ExpandAndCollapseNodeAndTree) {
  ShowHex("30 05 30 03 02 01 05");
  TNodeId outer = RowOf(u"SEQUENCE");
  TNodeId inner = RowOf(u"SEQUENCE", 1);
  Press('A');  // attributes off: only the elements remain as rows
  Probe(Form).TreeVT().FullCollapse();
  Focus(outer);
  Press(vk::F4);
  EXPECT_EQ(ShownRows(), (std::vector<std::u16string>{u"SEQUENCE", u"SEQUENCE", u"INTEGER"}));
  EXPECT_EQ(Fake.Host.BusyCursorChanges, (std::vector<bool>{true, false}));
  Press(vk::F2);
  EXPECT_EQ(ShownRows(), std::vector<std::u16string>{u"SEQUENCE"});
  // Collapse node collapses everything below, too.
  Probe(Form).TreeVT().SetExpanded(outer, true);
  EXPECT_FALSE(Probe(Form).TreeVT().IsExpanded(inner));
  Probe(Form).MainMenuClick(107);
  EXPECT_EQ(ShownRows().size(), 3u);
  Probe(Form).MainMenuClick(108);
  EXPECT_EQ(ShownRows().size(), 1u);
}

TEST_F(CommandsTest, ExpandTreeKeepsTheFocusedRowOnScreen) {
  // Forty top-level SEQUENCE { INTEGER }: collapsed, they fill two screens; expanded
  // with their attribute rows, over twenty.
  std::string hex;
  for (int i = 0; i < 40; ++i) hex += "30 03 02 01 05 ";
  struct {
    const char* Label;
    int TopLevelRow;  // the element focused, from 0
    bool Inner;       // its INTEGER, hidden while the tree is collapsed, instead
    std::int64_t Offset;
  } cases[] = {
      {"a row on screen stays where it stood", 12, false, 0},
      {"a row scrolled away", 1, false, 300},
      {"a row inside a collapsed element", 30, true, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    ShowHex(hex);
    TNodeId element = RowOf(u"SEQUENCE", c.TopLevelRow);
    TNodeId focused = c.Inner ? RowOf(u"INTEGER", c.TopLevelRow) : element;
    Press(vk::Subtract, true, true);
    Probe(Form).TreeVT().SetOffsetY(c.Offset);
    Focus(focused);
    const std::int64_t before = Probe(Form).TreeVT().NodeTop(element) - Probe(Form).TreeVT().OffsetY();
    Press(vk::Add, true, true);
    ASSERT_TRUE(Probe(Form).TreeVT().IsFullyVisible(focused));
    const TRect shown = Probe(Form).TreeVT().GetDisplayRect(focused);
    EXPECT_GE(shown.Top, 0);
    EXPECT_LE(shown.Bottom, Probe(Form).TreeVT().ClientHeight());
    if (c.Offset == 0 && !c.Inner) {
      EXPECT_EQ(shown.Top, before);
    }
  }
}

TEST_F(CommandsTest, AttributesToggleTwiceRestoresTheTreeAndKeepsTheElement) {
  ShowHex(SeqInt5);
  std::vector<std::u16string> before = ShownRows();
  TNodeId integer = RowOf(u"INTEGER");
  Focus(RowOf(u"Length", 1));  // an attribute row of the INTEGER
  Press('A');
  EXPECT_FALSE(Probe(Form).Settings().ShowAttributes);
  EXPECT_EQ(ShownRows(), (std::vector<std::u16string>{u"SEQUENCE", u"INTEGER"}));
  EXPECT_EQ(Probe(Form).GetTag(Probe(Form).TreeVT().FocusedNode()).Name(), u"INTEGER");
  EXPECT_TRUE(Probe(Form).TreeVT().IsSelected(Probe(Form).TreeVT().FocusedNode()));
  Press('A');
  EXPECT_EQ(ShownRows(), before);
  EXPECT_EQ(Probe(Form).TreeVT().FocusedNode(), integer);
}

TEST_F(CommandsTest, ALanguageChangeRebuildsEveryCaptionWithOneShortcut) {
  struct TBackToEnglish {
    ~TBackToEnglish() { settings::FreeLanguages(); }
  } backToEnglish;
  TTempDir module;
  WriteAll(module.Path / "de.lng", "language=Deutsch\n101=Wert kopieren\n114=Einstellungen\n");
  Fake.System.Folder = module.Path.string() + "/";
  ASSERT_TRUE(settings::LoadLanguage(Fake.Platform, u"de.lng", true));
  Probe(Form).SetMainMenuCaptions();
  EXPECT_EQ(Probe(Form).MainMenu().Item("mnCopyVal").Caption, u"Wert kopieren\tCtrl+C");
  EXPECT_EQ(Probe(Form).MainMenu().Item("mnSettings").Caption, u"Einstellungen");
  EXPECT_EQ(Probe(Form).MainMenu().Item("mnCopyName").Caption, u"Copy row\tCtrl+D");  // not in the file: English
  Probe(Form).SetMainMenuCaptions();  // again: nothing piles up
  int tabs = 0;
  for (const TMenuItem& item : Probe(Form).MainMenu().Items()) {
    tabs += static_cast<int>(std::count(item.Caption.begin(), item.Caption.end(), u'\t'));
    if (item.IsSeparator()) {
      EXPECT_EQ(item.Caption, u"-");
    }
  }
  EXPECT_EQ(tabs, 27);
  settings::FreeLanguages();
  Probe(Form).SetMainMenuCaptions();
  EXPECT_EQ(Probe(Form).MainMenu().Item("mnCopyVal").Caption, u"Copy value\tCtrl+C");
}

}  // namespace
}  // namespace viewer::test
