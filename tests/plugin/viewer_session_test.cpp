// One viewer's whole life as a host and a user see it: opened through the host
// function, driven by keys, the menu, the host's search and the settings dialog,
// closed, and what the fake clipboard, host window and INI file received.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "plugin_test_util.h"
#include "settings/lang.h"
#include "settings/options.h"
#include "settings/text.h"
#include "viewer/main.h"

namespace plugin {
namespace {

using namespace plugin::test;
using viewer::TKeyEvent;
using viewer::TNodeId;
namespace vk = viewer::vk;

// Runs the settings dialog as a user would: Script clicks, then OK.
class TScriptedRunner : public settings::IDialogRunner {
 public:
  std::function<void(settings::TSettingsForm&)> Script;
  int SettingsRuns = 0;
  settings::TScreenRect ViewerScreenRect() override { return {0, 0, 800, 600}; }
  void RunDialog(settings::TDialogController& dialog, const settings::TScreenRect&) override {
    // Only the settings dialog has a Defaults button.
    if (dialog.Controls.Find("btnDefaults") == nullptr) return;
    ++SettingsRuns;
    if (Script) Script(static_cast<settings::TSettingsForm&>(dialog));
    dialog.ButtonClick("btnOK");
  }
};

class ViewerSession : public ListPlugin {
 protected:
  TScriptedRunner FRunner;
  void SetUp() override {
    ListPlugin::SetUp();
    FWindows.Prepare = [this](viewer::TMainForm& form) { Probe(form).SetDialogRunner(&FRunner); };
  }
};

TEST_F(ViewerSession, KeysMenuSearchDialogAndCloseReachTheirTargets) {
  THandle handle = Load(SamplesDir / "cert.der");
  ASSERT_NE(handle, 0u);
  viewer::TMainForm& form = Form(handle);

  // Built in order: captions from the language table, keys to the tree once shown.
  EXPECT_EQ(Probe(form).MainMenu().Item("mnAbout").Caption, settings::GetLangTextById(115));
  EXPECT_FALSE(Probe(form).MainMenu().Item("mnAbout").Caption.empty());
  EXPECT_EQ(Probe(form).ActiveControl(), viewer::TFocusedControl::fcTree);

  // The host's search finds the first common name, then the next; backwards
  // from the second leads back to the first.
  ASSERT_EQ(FPlugin->ListSearchTextW(handle, u"2.5.4.3", 0), ListOk);
  TNodeId firstName = Probe(form).TreeVT().FocusedNode();
  ASSERT_EQ(FPlugin->ListSearchTextW(handle, u"2.5.4.3", 1), ListOk);
  TNodeId secondName = Probe(form).TreeVT().FocusedNode();
  EXPECT_NE(secondName, firstName);
  ASSERT_EQ(FPlugin->ListSearchTextW(handle, u"2.5.4.3", 8), ListOk);
  EXPECT_EQ(Probe(form).TreeVT().FocusedNode(), firstName);

  // Ctrl+C copies the focused row's value.
  Probe(form).KeyDown(TKeyEvent{vk::Char('C'), false, /*Ctrl=*/true, false});
  EXPECT_EQ(FFake.Clipboard.Text.rfind(u"2.5.4.3", 0), 0u) << settings::Utf16ToUtf8(FFake.Clipboard.Text);

  // Escape belongs to the host window.
  Probe(form).KeyDown(TKeyEvent{vk::Escape});
  EXPECT_EQ(FFake.Host.PostedKeys, (std::vector<TKeyEvent>{{vk::Escape}}));

  // H hides the hex panel; Tab then has nowhere to go.
  Probe(form).KeyDown(TKeyEvent{vk::Char('H')});
  EXPECT_FALSE(Probe(form).HexPanelVisible());
  Probe(form).KeyDown(TKeyEvent{vk::Tab});
  EXPECT_EQ(Probe(form).ActiveControl(), viewer::TFocusedControl::fcTree);

  // The Settings item runs the dialog over this viewer, which saves on closing.
  FRunner.Script = [](settings::TSettingsForm& dialog) { dialog.CheckBoxClick("chTreeIcons", false); };
  Probe(form).MainMenuClick(Probe(form).MainMenu().Item("mnSettings").Tag);
  EXPECT_EQ(FRunner.SettingsRuns, 1);
  EXPECT_FALSE(Probe(form).Settings().ShowIcons);
  EXPECT_NE(ReadText(IniPath()).find("ShowIcons=0"), std::string::npos);

  // Closing saves the hidden hex panel as well and leaves no viewer.
  FPlugin->ListCloseWindow(handle);
  std::string ini = ReadText(IniPath());
  EXPECT_NE(ini.find("ShowIcons=0"), std::string::npos) << ini;
  EXPECT_NE(ini.find("Show=0"), std::string::npos) << ini;
  EXPECT_EQ(FPlugin->Viewers().Count(), 0u);
  EXPECT_EQ(FFake.Dialogs.Messages.size(), 0u);
}

}  // namespace
}  // namespace plugin
