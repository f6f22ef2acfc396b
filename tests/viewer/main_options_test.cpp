// The settings dialog and About box over a real viewer: what the views show
// after each change, and what the Settings command writes.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>

#include "settings/about.h"
#include "settings/lang.h"
#include "settings/options.h"
#include "settings/store.h"
#include "views_test_util.h"

namespace viewer {
namespace {

using settings::RGB;
using settings::TScreenRect;
using settings::TSettingsForm;

// A front-end stand-in: the user's actions run inside the modal call.
class TScriptedRunner : public settings::IDialogRunner {
 public:
  std::function<void(TSettingsForm&)> User;
  int SettingsRuns = 0;
  int AboutRuns = 0;
  TScreenRect ViewerScreenRect() override { return {0, 0, 800, 600}; }
  void RunDialog(settings::TDialogController& dialog, const TScreenRect&) override {
    // Only the settings dialog has a Defaults button.
    if (dialog.Controls.Find("btnDefaults") == nullptr) {
      ++AboutRuns;
      dialog.KeyDown(platform::vk::Escape);
      return;
    }
    ++SettingsRuns;
    if (User) User(static_cast<TSettingsForm&>(dialog));
    dialog.ButtonClick("btnOK");
  }
};

class SettingsDialogTest : public test::ViewsTest {
 protected:
  void SetUp() override {
    Fake.System.Folder = (Module.Path / "").string();
    settings::InitLanguages();
    settings::InitIniFileNames(Fake.System);
    ViewsTest::SetUp();
    Probe(Form).SetDialogRunner(&Runner);
  }
  void TearDown() override {
    settings::FreeLanguages();
    settings::FreeIniFileNames();
  }
  // Opens the dialog through the menu and lets the user act in it.
  void InDialog(std::function<void(TSettingsForm&)> user) {
    Runner.User = std::move(user);
    Probe(Form).MainMenuClick(114);
  }

  test::TTempDir Module;
  TScriptedRunner Runner;
};

TEST_F(SettingsDialogTest, BytesInRowRebuildsBothHexGrids) {
  ShowSample("cert.der");
  const auto bytes = static_cast<std::int32_t>(Probe(Form).Bytes()->size());
  struct {
    int Item;
    int Columns;
  } cases[] = {{1, 16}, {0, 8}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Columns);
    InDialog([&](TSettingsForm& form) { form.ComboBoxChange("cbHexStringSize", c.Item); });
    EXPECT_EQ(Probe(Form).Settings().Hex.StringSize, c.Columns);
    EXPECT_EQ(Probe(Form).Hex1VT().ColumnCount(), c.Columns);
    EXPECT_EQ(Probe(Form).Hex2VT().ColumnCount(), c.Columns);
    EXPECT_EQ(Probe(Form).GetHexLineCount(), (bytes + c.Columns - 1) / c.Columns);
  }
}

TEST_F(SettingsDialogTest, DefaultsKeepAHiddenHexPanelAndHiddenAttributes) {
  Probe(Form).Settings().Hex.Show = false;
  Probe(Form).Settings().ShowAttributes = false;
  Probe(Form).Settings().Hex.StringSize = 16;
  Probe(Form).Settings().FontSize = 20;
  Probe(Form).ApplySettings();
  ShowSample("cert.der");
  ASSERT_FALSE(Probe(Form).HexPanelVisible());
  Fake.Dialogs.NextAnswer = platform::TMessageBoxResult::mrYes;
  InDialog([](TSettingsForm& form) { form.ButtonClick("btnDefaults"); });
  EXPECT_FALSE(Probe(Form).Settings().Hex.Show);
  EXPECT_FALSE(Probe(Form).HexPanelVisible());
  EXPECT_FALSE(Probe(Form).Settings().ShowAttributes);
  EXPECT_EQ(Probe(Form).Settings().Hex.StringSize, 8);
  EXPECT_EQ(Probe(Form).Hex1VT().ColumnCount(), 8);
  EXPECT_EQ(Probe(Form).TreeVT().Look.FontSize, 10);
}

TEST_F(SettingsDialogTest, SwatchesRecolourTheTreesTheyBelongTo) {
  ShowSample("cert.der");
  struct {
    const char* Swatch;
    std::function<TColor()> Shown;
    bool TreeRepainted;
    bool HexRepainted;
  } cases[] = {
      {"PanelTreeBackground", [&] { return Probe(Form).TreeVT().Look.Color; }, true, false},
      {"PanelTreeFocused", [&] { return Probe(Form).TreeVT().Look.FocusedSelectionColor; }, true, false},
      {"PanelTreeLine", [&] { return Probe(Form).TreeVT().Look.LineColor; }, true, false},
      {"PanelTreeConstructed",
       [&] { return Probe(Form).TreeVTPaintText(Probe(Form).TreeVT(), Row(0), -1, TTextType::ttNormal).Color; }, true, false},
      {"PanelHexBackground", [&] { return Probe(Form).Hex2VT().Look.Color; }, false, true},
      {"PanelHexFocused", [&] { return Probe(Form).Hex1VT().Look.FocusedSelectionColor; }, false, true},
      {"PanelHexLine", [&] { return Probe(Form).Hex1VT().Look.LineColor; }, false, true},
      {"PanelHexText", [&] { return Probe(Form).Hex2VT().Look.FontColor; }, false, true},
  };
  int treeRepaints = 0;
  int hexRepaints = 0;
  Probe(Form).TreeVT().OnInvalidate = [&](VirtualTree&, TNodeId) { ++treeRepaints; };
  Probe(Form).Hex1VT().OnInvalidate = [&](VirtualTree&, TNodeId) { ++hexRepaints; };
  TColor chosen = RGB(1, 2, 3);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Swatch);
    treeRepaints = hexRepaints = 0;
    chosen += 0x010101;
    Fake.Dialogs.ColorAnswer = chosen;
    InDialog([&](TSettingsForm& form) { form.SwatchClick(c.Swatch); });
    EXPECT_EQ(c.Shown(), chosen);
    EXPECT_EQ(treeRepaints > 0, c.TreeRepainted);
    EXPECT_EQ(hexRepaints > 0, c.HexRepainted);
  }
  EXPECT_NE(Probe(Form).Hex1VT().Look.FontColor, chosen) << "the text colour is the text grid's alone";
}

TEST_F(SettingsDialogTest, ByteSpacingChangesOnlyWhenTheDocumentIsDecodedAgain) {
  ShowHex("0403010203");
  ASSERT_EQ(Value(Row(0)), "01 02 03");
  InDialog([](TSettingsForm& form) { form.CheckBoxClick("chSpaceInHex", false); });
  EXPECT_FALSE(Probe(Form).Settings().SpaceInHex);
  EXPECT_EQ(Value(Row(0)), "01 02 03");
  ShowHex("0403010203");
  EXPECT_EQ(Value(Row(0)), "010203");
}

TEST_F(SettingsDialogTest, ALanguageChosenRetitlesOnlyItsOwnViewer) {
  test::WriteAll(Module.Path / "de.lng", "language=Deutsch\n101=Wert kopieren\n602=Objekte\n");
  TMainForm other{Fake.Platform};
  Probe(other).SetMainMenuCaptions();
  Probe(Form).SetMainMenuCaptions();
  ShowSample("cert.der");
  InDialog([](TSettingsForm& form) { form.ComboBoxChange("cbLanguage", 1); });
  EXPECT_EQ(Probe(Form).MainMenu().Item("mnCopyVal").Caption.rfind(u"Wert kopieren", 0), 0u);
  EXPECT_EQ(Probe(other).MainMenu().Item("mnCopyVal").Caption.rfind(u"Copy value", 0), 0u);
  bool objects = false;
  for (const TStatusPanel& panel : Probe(Form).MainStatusBar()) objects |= panel.Text.find(u"Objekte") != std::u16string::npos;
  EXPECT_TRUE(objects) << "the main status bar speaks the new language";
}

TEST_F(SettingsDialogTest, TheSettingsCommandSavesIntoTheFolderChosenInTheDialog) {
  test::TTempDir host;
  settings::SetTCIniFileName((host.Path / "wincmd.ini").string());
  const std::string pluginIni = "[Main]\nFontSize=12\n";
  test::WriteAll(Module.Path / "Bramlet.ini", pluginIni);
  InDialog([](TSettingsForm& form) { form.RadioButtonClick("rbStoreTC"); });
  EXPECT_EQ(Runner.SettingsRuns, 1);
  EXPECT_EQ(test::ReadAll(Module.Path / "Bramlet.ini"), pluginIni) << "the old file stays as it was";
  const std::string written = test::ReadAll(host.Path / "Bramlet.ini");
  int keys = 0;
  for (char ch : written) keys += ch == '=';
  EXPECT_EQ(keys, 40) << written;
}

TEST_F(SettingsDialogTest, TheAboutCommandShowsTheBoxAndSavesNothing) {
  Probe(Form).MainMenuClick(115);
  EXPECT_EQ(Runner.AboutRuns, 1);
  EXPECT_EQ(Runner.SettingsRuns, 0);
  EXPECT_FALSE(std::filesystem::exists(Module.Path / "Bramlet.ini"));
}

TEST_F(SettingsDialogTest, WithoutARunnerTheCommandsDoNothing) {
  Probe(Form).SetDialogRunner(nullptr);
  Probe(Form).MainMenuClick(114);
  Probe(Form).MainMenuClick(115);
  EXPECT_TRUE(Fake.Dialogs.Messages.empty());
  EXPECT_FALSE(std::filesystem::exists(Module.Path / "Bramlet.ini"));
}

}  // namespace
}  // namespace viewer
