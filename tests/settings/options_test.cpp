// The settings dialog's controller over a recording viewer: what each control
// shows, what each action changes in the settings and which views it refreshes.
#include "settings/options.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "settings/about.h"
#include "settings/settings.h"

#include "settings/text.h"
#include "test_support.h"

namespace settings {
namespace {

using platform::TColor;
using platform::TMessageBoxKind;
using platform::TMessageBoxResult;
using test::WriteFile;
using Calls = std::vector<std::string>;

// The viewer as the dialog sees it: live settings and a log of view operations.
class TRecordingTarget : public ISettingsTarget {
 public:
  explicit TRecordingTarget(platform::TPlatform& platform) : FPlatform(platform) {}
  TSettings Record;
  Calls Log;

  platform::TPlatform& Platform() override { return FPlatform; }
  TSettings& Settings() override { return Record; }
  void ApplyTreeFontName() override { Log.push_back("ApplyTreeFontName"); }
  void SetTreeFontSize() override { Log.push_back("SetTreeFontSize"); }
  void ApplyTreeIndent() override { Log.push_back("ApplyTreeIndent"); }
  void ApplyTreeColors() override { Log.push_back("ApplyTreeColors"); }
  void SetTreeLineStyle() override { Log.push_back("SetTreeLineStyle"); }
  void RepaintTree() override { Log.push_back("RepaintTree"); }
  void ApplyFieldNames() override { Log.push_back("ApplyFieldNames"); }
  void SetHexFont() override { Log.push_back("SetHexFont"); }
  void HexVTSetColumns() override { Log.push_back("HexVTSetColumns"); }
  void ApplyHexColors() override { Log.push_back("ApplyHexColors"); }
  void SetHexLineStyle() override { Log.push_back("SetHexLineStyle"); }
  void RepaintHex() override { Log.push_back("RepaintHex"); }
  void ApplySettings() override { Log.push_back("ApplySettings"); }
  void RepaintViewer() override { Log.push_back("RepaintViewer"); }
  void SetMainMenuCaptions() override { Log.push_back("SetMainMenuCaptions"); }
  void UpdateMainStatusBar() override { Log.push_back("UpdateMainStatusBar"); }
  void SaveSettings() override { Log.push_back("SaveSettings"); }

 private:
  platform::TPlatform& FPlatform;
};

class SettingsForm : public test::TSettingsTest {
 protected:
  TRecordingTarget Target{Fake.Platform};
  std::string Caption(const TSettingsForm& form, const char* name) { return Utf16ToUtf8(form.Controls[name].Caption); }
};

std::vector<std::string> Utf8(const std::vector<std::u16string>& items) {
  std::vector<std::string> result;
  for (const auto& item : items) result.push_back(Utf16ToUtf8(item));
  return result;
}

TEST_F(SettingsForm, LanguageListStartsWithEnglishAndSelectsTheLoadedFile) {
  struct {
    const char* Label;
    bool WriteFile;
    bool Load;
    std::vector<std::string> Items;
    int Selected;
  } cases[] = {
      {"no language files", false, false, {"English (default)"}, 0},
      {"a file, English in effect", true, false, {"English (default)", "Deutsch (de.lng)"}, 0},
      {"the file loaded", true, true, {"English (default)", "Deutsch (de.lng)"}, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    FreeLanguages();
    std::filesystem::remove(Module.File("de.lng"));
    if (c.WriteFile) WriteFile(Module.File("de.lng"), "language=Deutsch\n214=Symbole\n");
    if (c.Load) {
      ASSERT_TRUE(LoadLanguage(Fake.Platform, u"de.lng", /*force=*/true));
    }
    TSettingsForm form(Target);
    EXPECT_EQ(Utf8(form.Controls["cbLanguage"].Items), c.Items);
    EXPECT_EQ(form.Controls["cbLanguage"].ItemIndex, c.Selected);
    EXPECT_EQ(form.LangList.size(), c.Items.size());
  }
}

TEST_F(SettingsForm, FontListsAreSortedWithEachFamilyOnceAndTheHexListFixedPitchOnly) {
  Fake.Display.Fonts = {u"Verdana", u"arial", u"Courier New", u"Verdana", u"Tahoma"};
  Fake.Display.FixedFonts = {u"Courier New", u"DejaVu Sans Mono", u"Courier New", u"consolas"};
  TSettingsForm form(Target);
  EXPECT_EQ(Utf8(form.Controls["cbTreeFontName"].Items),
            (std::vector<std::string>{"arial", "Courier New", "Tahoma", "Verdana"}));
  EXPECT_EQ(Utf8(form.Controls["cbHexFontName"].Items),
            (std::vector<std::string>{"consolas", "Courier New", "DejaVu Sans Mono"}));
  EXPECT_EQ(form.Controls["cbTreeFontName"].ItemIndex, 2) << "Tahoma";
  EXPECT_EQ(form.Controls["cbHexFontName"].ItemIndex, 1) << "Courier New";

  Target.Record.FontName = u"Not Installed";
  Target.Record.Hex.FontName = u"Tahoma";  // installed, but not fixed-pitch
  TSettingsForm unmatched(Target);
  const TControl& tree = unmatched.Controls["cbTreeFontName"];
  ASSERT_GE(tree.ItemIndex, 0);
  EXPECT_EQ(tree.Items[tree.ItemIndex], Fake.Display.Substitute) << "the face drawn in its place";
  EXPECT_EQ(unmatched.Controls["cbHexFontName"].ItemIndex, -1);
  EXPECT_EQ(Target.Record.FontName, u"Not Installed") << "the setting keeps its value";
}

TEST_F(SettingsForm, AFaceThatIsNotInstalledShowsAsTheFaceDrawnInItsPlaceUntilOneIsPicked) {
  // As on Linux: neither Tahoma nor Courier New, and one substitute for both.
  Fake.Display.Fonts = {u"DejaVu Sans", u"DejaVu Sans Mono"};
  Fake.Display.FixedFonts = {u"DejaVu Sans Mono"};
  Fake.Display.Substitute = u"DejaVu Sans Mono";
  TSettingsForm form(Target);
  EXPECT_EQ(form.Controls["cbTreeFontName"].ItemIndex, 1) << "DejaVu Sans Mono";
  EXPECT_EQ(form.Controls["cbHexFontName"].ItemIndex, 0) << "DejaVu Sans Mono";
  EXPECT_TRUE(Target.Log.empty());
  // Closing without a pick stores the faces as they were.
  SaveSettings(Fake.Platform, Target.Record);
  const std::string saved = test::ReadFile(Module.File("Bramlet.ini"));
  EXPECT_NE(saved.find("FontName=Tahoma\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("FontName=Courier New\n"), std::string::npos) << saved;
  EXPECT_EQ(saved.find("DejaVu"), std::string::npos) << saved;

  form.ComboBoxChange("cbTreeFontName", 0);
  EXPECT_EQ(Target.Record.FontName, u"DejaVu Sans");
  EXPECT_EQ(Target.Record.Hex.FontName, u"Courier New");
}

TEST_F(SettingsForm, ASubstituteTheListLacksJoinsItToShowTheFaceDrawn) {
  // As under Wine: a missing Courier New is drawn in a proportional face.
  Fake.Display.Fonts = {u"DejaVu Sans", u"DejaVu Sans Mono"};
  Fake.Display.FixedFonts = {u"DejaVu Sans Mono"};
  Fake.Display.Substitute = u"DejaVu Sans";
  TSettingsForm form(Target);
  const TControl& hex = form.Controls["cbHexFontName"];
  EXPECT_EQ(Utf8(hex.Items), (std::vector<std::string>{"DejaVu Sans", "DejaVu Sans Mono"}));
  EXPECT_EQ(hex.ItemIndex, 0) << "DejaVu Sans";
  EXPECT_EQ(Target.Record.Hex.FontName, u"Courier New") << "kept until the user picks";
  EXPECT_TRUE(Target.Log.empty());

  // Picked, it is stored by its own name, installed but not fixed-pitch: as
  // the default face's stand-in it is still offered, and shown.
  form.ComboBoxChange("cbHexFontName", 0);
  ASSERT_EQ(Target.Record.Hex.FontName, u"DejaVu Sans");
  TSettingsForm reopened(Target);
  EXPECT_EQ(Utf8(reopened.Controls["cbHexFontName"].Items), (std::vector<std::string>{"DejaVu Sans", "DejaVu Sans Mono"}));
  EXPECT_EQ(reopened.Controls["cbHexFontName"].ItemIndex, 0) << "DejaVu Sans";
}

TEST_F(SettingsForm, ThePluginFolderFieldShowsTheFileThatWillReallyBeWritten) {
  TSettingsForm writable(Target);
  EXPECT_EQ(Utf16ToUtf8(writable.Controls["meStorePlg"].Text), Module.File("Bramlet.ini"));
  Fake.System.UserFolder = "/home/someone/.config/bramlet/";
  Fake.System.ReadOnlyFolders = {Module.Folder()};
  TSettingsForm readOnly(Target);
  EXPECT_EQ(Utf16ToUtf8(readOnly.Controls["meStorePlg"].Text), "/home/someone/.config/bramlet/Bramlet.ini");
}

TEST_F(SettingsForm, AListIgnoresAnItemItDoesNotHold) {
  TSettingsForm form(Target);
  for (int item : {-1, 2, 99}) {
    SCOPED_TRACE(item);
    form.ComboBoxChange("cbHexStringSize", item);
    form.ComboBoxChange("cbLanguage", item);
  }
  EXPECT_EQ(Target.Record, DefaultSettings);
  EXPECT_TRUE(Target.Log.empty());
  EXPECT_EQ(form.Controls["cbHexStringSize"].ItemIndex, 0);
}

TEST_F(SettingsForm, ControlsShowTheSettingsWithSpinValuesInTheirRange) {
  struct {
    const char* Label;
    std::int32_t TreeSize, Indent, HexSize;
    int ShownTreeSize, ShownIndent, ShownHexSize;
  } cases[] = {
      {"inside the ranges", 12, 0, 99, 12, 0, 99},
      {"below", 0, -4, -7, 1, 0, 1},
      {"above", 100, 1500, 250, 99, 999, 99},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    Target.Record.FontSize = c.TreeSize;
    Target.Record.Indent = c.Indent;
    Target.Record.Hex.FontSize = c.HexSize;
    TSettingsForm form(Target);
    EXPECT_EQ(form.Controls["edTreeFontSize"].Value, c.ShownTreeSize);
    EXPECT_EQ(form.Controls["edTreeIndent"].Value, c.ShownIndent);
    EXPECT_EQ(Utf16ToUtf8(form.Controls["edTreeIndent"].Text), std::to_string(c.ShownIndent));
    EXPECT_EQ(form.Controls["edHexFontSize"].Value, c.ShownHexSize);
    EXPECT_EQ(Target.Record.FontSize, c.TreeSize) << "showing a value does not write it";
    EXPECT_EQ(Target.Record.Hex.FontSize, c.HexSize);
  }
}

TEST_F(SettingsForm, CaptionsComeFromTheLanguageAndCarryTheirSuffixesOnce) {
  WriteFile(Module.File("de.lng"), "language=Deutsch\n200=Einstellungen\n214=Symbole\n215= Trennen \n252=Modul\n");
  TSettingsForm form(Target);
  EXPECT_EQ(Utf16ToUtf8(form.Caption), "Settings");
  EXPECT_EQ(Caption(form, "chTreeIcons"), "Show icons (Ctrl+I)");
  EXPECT_EQ(Caption(form, "chSpaceInHex"), "Separate bytes in binary strings*");
  EXPECT_EQ(Caption(form, "gbxHex"), "Hex panel");
  EXPECT_EQ(Caption(form, "lbHexUBits"), "Unused bits");
  EXPECT_EQ(Caption(form, "btnDefaults"), "Defaults");
  EXPECT_EQ(Caption(form, "cbLanguage"), "") << "lists have no caption";
  // German, English and German again: every switch resets the captions first.
  const struct {
    int Item;
    const char* Icons;
  } switches[] = {{1, "Symbole (Ctrl+I)"}, {0, "Show icons (Ctrl+I)"}, {1, "Symbole (Ctrl+I)"}};
  for (const auto& step : switches) {
    SCOPED_TRACE(step.Item);
    form.ComboBoxChange("cbLanguage", step.Item);
    EXPECT_EQ(Caption(form, "chTreeIcons"), step.Icons);
  }
  EXPECT_EQ(Utf16ToUtf8(form.Caption), "Einstellungen");
  EXPECT_EQ(Caption(form, "chTreeIcons"), "Symbole (Ctrl+I)");
  EXPECT_EQ(Caption(form, "chSpaceInHex"), "Trennen*");
  EXPECT_EQ(Caption(form, "rbStorePlg"), "Modul");
  EXPECT_EQ(Caption(form, "rbStoreTC"), "Host program's settings folder") << "untranslated ids stay English";
}

TEST_F(SettingsForm, ALanguageFileRemovedSinceOpeningFallsBackToEnglish) {
  WriteFile(Module.File("de.lng"), "language=Deutsch\n271=Schliessen\n");
  TSettingsForm form(Target);
  std::filesystem::remove(Module.File("de.lng"));
  form.ComboBoxChange("cbLanguage", 1);
  ASSERT_EQ(Fake.Dialogs.Messages.size(), 1u);
  EXPECT_EQ(Fake.Dialogs.Messages[0].Text.rfind(u"Cann't load language from de.lng: ", 0), 0u);
  EXPECT_EQ(form.Controls["cbLanguage"].ItemIndex, 0);
  EXPECT_EQ(GetLanguageFile(), u"");
  EXPECT_EQ(Caption(form, "btnOK"), "Close");
  EXPECT_EQ(Target.Log, (Calls{"SetMainMenuCaptions", "UpdateMainStatusBar"}));
}

TEST_F(SettingsForm, EachSwatchStoresItsColourAndRefreshesItsGroup) {
  struct {
    const char* Name;
    TColor TSettings::*Main;
    TColor THexSettings::*Hex;
    Calls Expected;
  } cases[] = {
      {"PanelTreeBackground", &TSettings::BackgroundColor, nullptr, {"ApplyTreeColors", "RepaintTree"}},
      {"PanelTreeConstructed", &TSettings::ConstructedColor, nullptr, {"RepaintTree"}},
      {"PanelTreePrimitive", &TSettings::PrimitiveColor, nullptr, {"RepaintTree"}},
      {"PanelTreeAttrib", &TSettings::AttribColor, nullptr, {"RepaintTree"}},
      {"PanelTreeValue", &TSettings::ValueColor, nullptr, {"RepaintTree"}},
      {"PanelTreeHexValue", &TSettings::HexColor, nullptr, {"RepaintTree"}},
      {"PanelTreeFocused", &TSettings::FocusColor, nullptr, {"ApplyTreeColors", "RepaintTree"}},
      {"PanelTreeLine", &TSettings::LineColor, nullptr, {"ApplyTreeColors", "RepaintTree"}},
      {"PanelTreeName", &TSettings::NameColor, nullptr, {"RepaintTree"}},
      {"PanelTreeDer", &TSettings::DerColor, nullptr, {"RepaintTree"}},
      {"PanelHexBackground", nullptr, &THexSettings::Background, {"ApplyHexColors", "RepaintHex"}},
      {"PanelHexHex", nullptr, &THexSettings::HexColor, {"RepaintHex"}},
      {"PanelHexTag", nullptr, &THexSettings::TagColor, {"RepaintHex"}},
      {"PanelHexLength", nullptr, &THexSettings::LenColor, {"RepaintHex"}},
      {"PanelHexUBits", nullptr, &THexSettings::UBitsColor, {"RepaintHex"}},
      {"PanelHexText", nullptr, &THexSettings::TextColor, {"ApplyHexColors", "RepaintHex"}},
      {"PanelHexSelection", nullptr, &THexSettings::SelColor, {"RepaintHex"}},
      {"PanelHexDer", nullptr, &THexSettings::DerColor, {"RepaintHex"}},
      {"PanelHexFocused", nullptr, &THexSettings::FocusColor, {"ApplyHexColors", "RepaintHex"}},
      {"PanelHexLine", nullptr, &THexSettings::LineColor, {"ApplyHexColors", "RepaintHex"}},
  };
  const TColor chosen = RGB(12, 34, 56);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    Target.Record = DefaultSettings;
    Target.Log.clear();
    TSettingsForm form(Target);
    Fake.Dialogs.ColorAnswer = chosen;
    form.SwatchClick(c.Name);
    TSettings expected = DefaultSettings;
    if (c.Main) expected.*c.Main = chosen;
    if (c.Hex) expected.Hex.*c.Hex = chosen;
    EXPECT_EQ(Target.Record, expected) << "exactly its own field changes";
    EXPECT_EQ(form.Controls[c.Name].Color, chosen);
    EXPECT_EQ(Target.Log, c.Expected);
    EXPECT_EQ(Fake.Dialogs.LastCustomColors, std::vector<TColor>(CustomColors.begin(), CustomColors.end()))
        << "the chooser opens with the 16 custom colours in their order";
    EXPECT_TRUE(Fake.Dialogs.LastFullyOpen);
  }
}

TEST_F(SettingsForm, ACancelledColourChoiceChangesNothing) {
  TSettingsForm form(Target);
  Fake.Dialogs.ColorAnswer.reset();
  const TColor before = form.Controls["PanelHexTag"].Color;
  form.SwatchClick("PanelHexTag");
  EXPECT_EQ(Target.Record, DefaultSettings);
  EXPECT_EQ(form.Controls["PanelHexTag"].Color, before);
  EXPECT_TRUE(Target.Log.empty());
}

TEST_F(SettingsForm, CheckBoxesWriteTheirFlagAndRefreshWhatUsesIt) {
  struct {
    const char* Name;
    bool TSettings::*Main;
    bool THexSettings::*Hex;
    Calls Expected;
  } cases[] = {
      {"chTreeDotted", &TSettings::LineDotted, nullptr, {"SetTreeLineStyle"}},
      {"chTreeIcons", &TSettings::ShowIcons, nullptr, {"RepaintTree"}},
      {"chSpaceInHex", &TSettings::SpaceInHex, nullptr, {}},  // read at the next load only
      {"chFieldNames", &TSettings::FieldNames, nullptr, {"ApplyFieldNames"}},
      {"chDerChecks", &TSettings::DerChecks, nullptr, {}},  // read at the next load only
      {"chHexDotted", nullptr, &THexSettings::LineDotted, {"SetHexLineStyle"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    Target.Record = DefaultSettings;
    Target.Log.clear();
    TSettingsForm form(Target);
    form.CheckBoxClick(c.Name, false);
    TSettings expected = DefaultSettings;
    if (c.Main) expected.*c.Main = false;
    if (c.Hex) expected.Hex.*c.Hex = false;
    EXPECT_EQ(Target.Record, expected);
    EXPECT_FALSE(form.Controls[c.Name].Checked);
    EXPECT_EQ(Target.Log, c.Expected);
  }
}

TEST_F(SettingsForm, SpinBoxesChangeOnlyByStepsWithinTheirRange) {
  struct {
    const char* Label;
    const char* Name;
    std::int32_t Stored;
    std::vector<std::uint16_t> Keys;
    std::int32_t Expected;
    int Applies;
    const char* Apply;
  } cases[] = {
      {"up and up", "edTreeFontSize", 10, {platform::vk::Up, platform::vk::Up}, 12, 2, "SetTreeFontSize"},
      {"up at the top", "edTreeFontSize", 99, {platform::vk::Up}, 99, 0, ""},
      {"stored above the range: up stays", "edHexFontSize", 150, {platform::vk::Up}, 150, 0, ""},
      {"stored above the range: down steps from the bound", "edHexFontSize", 150, {platform::vk::Down}, 98, 1, "SetHexFont"},
      {"indent down at 0", "edTreeIndent", 0, {platform::vk::Down}, 0, 0, ""},
      {"indent down", "edTreeIndent", 18, {platform::vk::Down}, 17, 1, "ApplyTreeIndent"},
      {"Delete is swallowed", "edTreeIndent", 18, {platform::vk::Delete}, 18, 0, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    Target.Record = DefaultSettings;
    Target.Record.FontSize = Target.Record.Hex.FontSize = Target.Record.Indent = c.Stored;
    Target.Log.clear();
    TSettingsForm form(Target);
    for (std::uint16_t key : c.Keys) EXPECT_TRUE(form.SpinEditKeyDown(c.Name, key));
    const std::int32_t stored = std::string_view(c.Name) == "edTreeIndent"   ? Target.Record.Indent
                                : std::string_view(c.Name) == "edHexFontSize" ? Target.Record.Hex.FontSize
                                                                               : Target.Record.FontSize;
    EXPECT_EQ(stored, c.Expected);
    EXPECT_EQ(Target.Log, Calls(c.Applies, c.Apply));
    EXPECT_EQ(Fake.Host.Beeps, 0);
  }
}

TEST_F(SettingsForm, TypedCharactersAreRefusedWithABeep) {
  TSettingsForm form(Target);
  int beeps = 0;
  for (char16_t typed : {u'5', u'a', u'\b', u'-'}) {
    SCOPED_TRACE(static_cast<int>(typed));
    EXPECT_FALSE(form.SpinEditKeyPress("edTreeFontSize", typed));
    EXPECT_EQ(Fake.Host.Beeps, ++beeps);
  }
  EXPECT_FALSE(form.SpinEditKeyDown("edTreeFontSize", 0x41)) << "other keys go on to the box";
  EXPECT_EQ(Target.Record, DefaultSettings);
}

TEST_F(SettingsForm, IniLocationRadiosShowTheFlagAndWriteItAtOnce) {
  SetTCIniFileName("/host/config/wincmd.ini");
  Fake.System.IniFolderFlag = true;
  TSettingsForm form(Target);
  EXPECT_FALSE(form.Controls["rbStorePlg"].Checked);
  EXPECT_TRUE(form.Controls["rbStoreTC"].Checked);
  EXPECT_EQ(Utf16ToUtf8(form.Controls["meStoreTC"].Text), "/host/config/Bramlet.ini");
  EXPECT_EQ(Utf16ToUtf8(form.Controls["meStorePlg"].Text), Module.File("Bramlet.ini"));

  form.RadioButtonClick("rbStorePlg");
  EXPECT_FALSE(Fake.System.IniFolderFlag);
  EXPECT_TRUE(form.Controls["rbStorePlg"].Checked);
  EXPECT_FALSE(form.Controls["rbStoreTC"].Checked);
  form.RadioButtonClick("rbStoreTC");
  EXPECT_TRUE(Fake.System.IniFolderFlag);
  EXPECT_EQ(Fake.System.FlagWrites, 2);
  EXPECT_TRUE(Target.Log.empty()) << "the next save uses the new place; nothing is reloaded";
}

TEST_F(SettingsForm, DefaultsAskFirstAndKeepAttributesAndTheHexPanel) {
  struct {
    const char* Label;
    TMessageBoxResult Answer;
    bool Restored;
  } cases[] = {{"Yes", TMessageBoxResult::mrYes, true}, {"No", TMessageBoxResult::mrNo, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    Fake.Dialogs.Messages.clear();
    Fake.System.IniFolderFlag = true;
    TSettings changed = DefaultSettings;
    changed.ShowAttributes = false;
    changed.Hex.Show = false;
    changed.Hex.StringSize = 16;
    changed.FontSize = 30;
    changed.Hex.TagColor = RGB(9, 9, 9);
    Target.Record = changed;
    Target.Log.clear();
    TSettingsForm form(Target);
    Fake.Dialogs.NextAnswer = c.Answer;
    form.ButtonClick("btnDefaults");
    ASSERT_EQ(Fake.Dialogs.Messages.size(), 1u);
    EXPECT_EQ(Fake.Dialogs.Messages[0].Text, u"Restore default settings?");
    EXPECT_EQ(Fake.Dialogs.Messages[0].Caption, u"Defaults");
    EXPECT_EQ(Fake.Dialogs.Messages[0].Kind, TMessageBoxKind::mbQuestion);
    TSettings expected = changed;
    if (c.Restored) {
      expected = DefaultSettings;
      expected.ShowAttributes = false;
      expected.Hex.Show = false;
    }
    EXPECT_EQ(Target.Record, expected);
    EXPECT_EQ(Target.Log, (c.Restored ? Calls{"ApplySettings", "RepaintViewer"} : Calls{}));
    EXPECT_EQ(form.Controls["cbHexStringSize"].ItemIndex, c.Restored ? 0 : 1);
    EXPECT_EQ(form.Controls["edTreeFontSize"].Value, c.Restored ? 10 : 30);
    EXPECT_TRUE(Fake.System.IniFolderFlag) << "the INI location stays";
  }
}

TEST_F(SettingsForm, CloseButtonEnterAndEscCloseTheDialog) {
  struct {
    const char* Label;
    std::function<bool(TSettingsForm&)> Act;
    bool Closes;
  } cases[] = {
      {"Close", [](TSettingsForm& f) { f.ButtonClick("btnOK"); return true; }, true},
      {"Enter", [](TSettingsForm& f) { return f.KeyDown(platform::vk::Return); }, true},
      {"Esc", [](TSettingsForm& f) { return f.KeyDown(platform::vk::Escape); }, true},
      {"Up", [](TSettingsForm& f) { return f.KeyDown(platform::vk::Up); }, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    TSettingsForm form(Target);
    int requests = 0;
    form.OnCloseRequest = [&] { ++requests; };
    EXPECT_EQ(c.Act(form), c.Closes);
    EXPECT_EQ(form.CloseRequested(), c.Closes);
    EXPECT_EQ(requests, c.Closes ? 1 : 0);
  }
}

TEST(DialogPlacement, CentresOverTheViewerTruncatingTowardZero) {
  struct {
    const char* Label;
    TScreenRect Viewer;
    int Width, Height;
    TScreenRect Expected;
  } cases[] = {
      {"larger viewer", {0, 0, 800, 600}, 546, 588, {127, 6, 546, 588}},
      {"odd difference", {100, 50, 547, 589}, 546, 588, {100, 50, 546, 588}},
      {"smaller viewer", {10, 20, 500, 500}, 546, 588, {-13, -24, 546, 588}},
      {"smaller by one", {0, 0, 545, 587}, 546, 588, {0, 0, 546, 588}},  // -1 / 2 is 0, not -1
      {"off screen", {-300, -200, 174, 115}, 174, 115, {-300, -200, 174, 115}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    EXPECT_EQ(CentreOver(c.Viewer, c.Width, c.Height), c.Expected);
  }
}

// A front-end stand-in: the user's actions run inside the modal call.
class TScriptedRunner : public IDialogRunner {
 public:
  TScreenRect Viewer{40, 30, 1000, 700};
  std::function<void(TSettingsForm&)> User;
  Calls* Log = nullptr;
  TScreenRect Bounds;
  TScreenRect ViewerScreenRect() override { return Viewer; }
  void RunDialog(TDialogController& dialog, const TScreenRect& bounds) override {
    if (dialog.Controls.Find("btnDefaults") == nullptr) return Log->push_back("about");
    Bounds = bounds;
    Log->push_back("run");
    if (User) User(static_cast<TSettingsForm&>(dialog));
  }
};

TEST_F(SettingsForm, TheSettingsCommandRunsTheDialogThenSaves) {
  TScriptedRunner runner;
  runner.Log = &Target.Log;
  runner.User = [](TSettingsForm& form) {
    form.CheckBoxClick("chSpaceInHex", false);
    form.KeyDown(platform::vk::Escape);
  };
  ShowSettingsDialog(Target, runner);
  EXPECT_EQ(Target.Log, (Calls{"run", "SaveSettings"}));
  EXPECT_EQ(runner.Bounds, (TScreenRect{40 + 227, 30 + 30, 546, 640}));
  EXPECT_FALSE(Target.Record.SpaceInHex) << "Esc keeps the change";
}

}  // namespace
}  // namespace settings

namespace settings {
namespace {

using platform::TRect;

bool Inside(const TRect& inner, const TRect& outer) {
  return inner.Left >= outer.Left && inner.Top >= outer.Top && inner.Right <= outer.Right && inner.Bottom <= outer.Bottom;
}

// Controls of one parent (a group box, or the dialog itself) must not overlap;
// each lies inside its group box and the client area.
void ExpectSoundLayout(const TControls& controls, const TFormLook& look) {
  const TRect client{0, 0, look.ClientWidth, look.ClientHeight};
  const auto& all = controls.All();
  for (const TControl& control : all) {
    SCOPED_TRACE(control.Name);
    EXPECT_FALSE(control.Bounds.IsEmpty());
    EXPECT_TRUE(Inside(control.Bounds, client));
    if (!control.Parent.empty()) {
      const TRect& group = controls[control.Parent].Bounds;
      // Strictly inside: clear of the box's frame and below its caption line.
      EXPECT_TRUE(Inside(control.Bounds, {group.Left + 1, group.Top + 8, group.Right - 1, group.Bottom - 1}));
    }
    for (const TControl& other : all) {
      if (&other == &control || other.Parent != control.Parent) continue;
      EXPECT_FALSE(control.Bounds.Intersects(other.Bounds)) << "overlaps " << other.Name;
    }
  }
}

TEST_F(SettingsForm, LayoutPlacesEveryControlInsideItsGroupAtEachScale) {
  std::vector<TRect> unscaled;
  for (int percent : {100, 125, 150, 200}) {
    SCOPED_TRACE(percent);
    Fake.Display.ScalePercent = percent;
    TSettingsForm form(Target);
    EXPECT_EQ(form.Look.ClientWidth, ScalePixels(546, percent));
    EXPECT_EQ(form.Look.ClientHeight, ScalePixels(640, percent));
    ExpectSoundLayout(form.Controls, form.Look);
    std::size_t i = 0;
    for (const TControl& control : form.Controls.All()) {
      if (percent == 100) {
        unscaled.push_back(control.Bounds);
        continue;
      }
      EXPECT_EQ(control.Bounds, ScaleRect(unscaled[i++], percent)) << control.Name;
    }
  }
}

TEST_F(SettingsForm, LayoutFollowsTheDialogsArrangement) {
  TSettingsForm form(Target);
  const TControls& c = form.Controls;
  EXPECT_EQ(c["gbxTree"].Bounds, (TRect{8, 8, 269, 437}));
  EXPECT_EQ(c["gbxHex"].Bounds, (TRect{277, 8, 538, 437}));
  EXPECT_EQ(c["gbxIniFile"].Bounds, (TRect{8, 443, 269, 585}));
  EXPECT_EQ(c["gbxInterface"].Bounds, (TRect{277, 443, 538, 585}));
  const TRect& close = c["btnOK"].Bounds;
  EXPECT_LE(std::abs(close.Left + close.Right - form.Look.ClientWidth), 1) << "Close is centred";
  EXPECT_EQ(c["btnDefaults"].Bounds.Right, c["gbxHex"].Bounds.Right);
  EXPECT_GE(close.Top, c["gbxIniFile"].Bounds.Bottom);
  EXPECT_EQ(close.Top, c["btnDefaults"].Bounds.Top);
  // Labels stand above their lists and spin boxes, at the same left edge.
  for (auto [label, control] : {std::pair{"lbTreeFontName", "cbTreeFontName"}, {"lbTreeFontSize", "edTreeFontSize"},
                                {"lbTreeIndent", "edTreeIndent"}, {"lbHexFontSize", "edHexFontSize"},
                                {"lbHexStringSize", "cbHexStringSize"}, {"lbLanguage", "cbLanguage"}}) {
    SCOPED_TRACE(label);
    EXPECT_LE(c[label].Bounds.Bottom, c[control].Bounds.Top);
    EXPECT_EQ(c[label].Bounds.Left, c[control].Bounds.Left);
  }
  // The indent and bytes-in-row boxes sit beside the size boxes.
  EXPECT_EQ(c["edTreeIndent"].Bounds.Top, c["edTreeFontSize"].Bounds.Top);
  EXPECT_GT(c["edTreeIndent"].Bounds.Left, c["edTreeFontSize"].Bounds.Right);
  EXPECT_EQ(c["cbHexStringSize"].Bounds.Top, c["edHexFontSize"].Bounds.Top);
  // Swatches one per row, each with its label to the left; the line swatches
  // are short with their Dotted box beside them.
  for (const char* group : {"gbxTree", "gbxHex"}) {
    SCOPED_TRACE(group);
    int lastTop = -1;
    for (const TControl& swatch : c.All()) {
      if (swatch.Kind != TControlKind::ckColorSwatch || swatch.Parent != group) continue;
      EXPECT_GT(swatch.Bounds.Top, lastTop);
      lastTop = swatch.Bounds.Top;
    }
  }
  for (auto [swatch, dotted, full] : {std::tuple{"PanelTreeLine", "chTreeDotted", "PanelTreeFocused"},
                                      {"PanelHexLine", "chHexDotted", "PanelHexFocused"}}) {
    SCOPED_TRACE(swatch);
    const TRect& line = c[swatch].Bounds;
    const TRect& box = c[dotted].Bounds;
    EXPECT_LT(line.Width(), c[full].Bounds.Width());
    EXPECT_GE(box.Left, line.Right);
    EXPECT_TRUE(box.Top < line.Bottom && line.Top < box.Bottom) << "on the swatch's row";
  }
  // Field names and DER checks share a row below the swatches, each with room
  // for its caption, which beside a swatch was cut off.
  const TRect& names = c["chFieldNames"].Bounds;
  const TRect& der = c["chDerChecks"].Bounds;
  EXPECT_EQ(names.Top, der.Top);
  EXPECT_GT(names.Top, c["PanelTreeDer"].Bounds.Bottom);
  EXPECT_LE(names.Right, der.Left);
  EXPECT_GE(std::min(names.Width(), der.Width()), 100);
  const TRect& label = c["lbTreeBackground"].Bounds;
  const TRect& swatch = c["PanelTreeBackground"].Bounds;
  EXPECT_LE(label.Right, swatch.Left);
  EXPECT_TRUE(label.Top >= swatch.Top && label.Bottom <= swatch.Bottom);
}

// Whichever shipped language is shown, no caption is wider than its control:
// the dialog is laid out for the longest of them, and it stays sound.
TEST_F(SettingsForm, NoCaptionOfAShippedLanguageIsCut) {
  Fake.System.Folder = std::string(BRAMLET_SOURCE_DIR) + "/data/lang/";
  TSettingsForm form(Target);
  ASSERT_EQ(form.LangList.size(), 3u) << "English, German and Russian";
  ExpectSoundLayout(form.Controls, form.Look);
  for (int item = 0; item < 3; ++item) {
    SCOPED_TRACE(Utf16ToUtf8(form.LangList[static_cast<std::size_t>(item)].Name));
    form.ComboBoxChange("cbLanguage", item);
    for (const TControl& control : form.Controls.All()) {
      if (control.Caption.empty()) continue;
      EXPECT_LE(CaptionWidth(control, control.Caption, form.Look, Fake.Display), control.Bounds.Width())
          << control.Name << ": " << Utf16ToUtf8(control.Caption);
    }
  }
  // The German captions the fixed layout cut.
  for (std::size_t item = 0; item < form.LangList.size(); ++item)
    if (form.LangList[item].FileName == u"german.lng") form.ComboBoxChange("cbLanguage", static_cast<int>(item));
  EXPECT_EQ(Caption(form, "chTreeDotted"), "Gepunktet");
  EXPECT_EQ(Caption(form, "btnDefaults"), "Standardwerte");

  TAboutForm about(Fake.Display);
  for (const TControl& control : about.Controls.All())
    EXPECT_LE(CaptionWidth(control, control.Caption, about.Look, Fake.Display), control.Bounds.Width())
        << control.Name;
}

TEST(AboutBoxLayout, ControlsStackInsideTheBoxAtEachScale) {
  for (int percent : {100, 150}) {
    SCOPED_TRACE(percent);
    platform::fake::TFakeDisplay display;
    display.ScalePercent = percent;
    TAboutForm form(display);
    EXPECT_EQ(form.Look.ClientWidth, ScalePixels(174, percent));
    EXPECT_EQ(form.Look.ClientHeight, ScalePixels(115, percent));
    ExpectSoundLayout(form.Controls, form.Look);
    EXPECT_LT(form.Controls["lbName"].Bounds.Bottom, form.Controls["lbVersion"].Bounds.Top + 1);
    EXPECT_LT(form.Controls["lbVersion"].Bounds.Bottom, form.Controls["btnOK"].Bounds.Top + 1);
    const TRect& ok = form.Controls["btnOK"].Bounds;
    EXPECT_LE(std::abs(ok.Left + ok.Right - form.Look.ClientWidth), 1) << "OK is centred";
  }
}

}  // namespace
}  // namespace settings
