// Loading and saving a viewer's settings record through its INI file.
#include "settings/settings.h"

#include <filesystem>
#include <functional>

#include "settings/lang.h"
#include "settings/store.h"
#include "test_support.h"

namespace settings {
namespace {

using test::FileExists;
using test::ReadFile;
using test::TSettingsTest;
using test::TTempFolder;
using test::WriteFile;

const char* const DefaultFile =
    "[Main]\n"
    "Language=\n"
    "ShowAttributes=1\n"
    "ShowIcons=1\n"
    "FontName=Tahoma\n"
    "FontSize=10\n"
    "Indent=18\n"
    "BackgroundColor=-16777211\n"
    "FocusColor=-16777203\n"
    "ConstructedColor=8388608\n"
    "PrimitiveColor=16711680\n"
    "AttribColor=128\n"
    "ValueColor=8388736\n"
    "HexColor=8421504\n"
    "LineColor=-16777200\n"
    "LineDotted=1\n"
    "SpaceInHex=1\n"
    "FieldNames=1\n"
    "NameColor=8421376\n"
    "DerChecks=1\n"
    "DerColor=220\n"
    "ChangedColor=28896\n"
    "OnlyHereColor=11534512\n"
    "OnlyThereColor=36864\n"
    "\n"
    "[Hex]\n"
    "Show=1\n"
    "FontName=Courier New\n"
    "FontSize=10\n"
    "Background=15793151\n"
    "FocusColor=16776960\n"
    "LineColor=8421504\n"
    "HexColor=0\n"
    "TagColor=255\n"
    "LenColor=16711680\n"
    "UBitsColor=16711935\n"
    "SelColor=8454143\n"
    "DerColor=12632319\n"
    "ChangedColor=10542847\n"
    "OnlyHereColor=16764144\n"
    "TextColor=24576\n"
    "LineDotted=1\n"
    "StringSize=8\n";

class Settings : public TSettingsTest {
 protected:
  std::string PluginIni() const { return Module.File("Bramlet.ini"); }

  // A record unlike the defaults, so a load that does nothing shows.
  static TSettings Scrambled() {
    TSettings s;
    s.ShowIcons = false;
    s.FontName = u"Scrambled";
    s.FontSize = 77;
    s.Hex.StringSize = 16;
    s.Hex.TagColor = 1;
    return s;
  }
};

TEST_F(Settings, NoFileLoadsDefaultsAndSaveWritesEveryKeyInOrder) {
  TSettings loaded = Scrambled();
  LoadSettings(Fake.Platform, loaded);
  EXPECT_EQ(loaded, DefaultSettings);
  EXPECT_TRUE(Fake.Dialogs.Messages.empty());

  SaveSettings(Fake.Platform, loaded);
  EXPECT_EQ(ReadFile(PluginIni()), DefaultFile);

  TSettings again = Scrambled();
  LoadSettings(Fake.Platform, again);
  EXPECT_EQ(again, DefaultSettings);
}

TEST_F(Settings, ChangedRecordReadsBackUnchanged) {
  TSettings changed;
  changed.ShowAttributes = false;
  changed.FontName = u"DejaVu Sans \u0416\u00E9";  // non-ASCII survives the file
  changed.Indent = -3;
  changed.BackgroundColor = SysColor(16);
  changed.ValueColor = 0x00FFFFFF;
  changed.SpaceInHex = false;
  changed.DerChecks = false;
  changed.DerColor = 0x00123456;
  changed.Hex.Show = false;
  changed.Hex.StringSize = 16;
  changed.Hex.FontName = u"";
  changed.Hex.FontSize = 0;
  changed.Hex.UBitsColor = SysColor(13);
  changed.Hex.DerColor = 0x00ABCDEF;
  changed.Hex.LineDotted = false;
  SaveSettings(Fake.Platform, changed);
  TSettings loaded;
  LoadSettings(Fake.Platform, loaded);
  EXPECT_EQ(loaded, changed);
}

TEST_F(Settings, ValuesAreReadByTheirOwnRules) {
  struct TCase {
    const char* Label;
    std::string File;
    std::function<bool(const TSettings&)> Holds;
  };
  const TCase cases[] = {
      {"StringSize 16", "[Hex]\nStringSize=16\n", [](const TSettings& s) { return s.Hex.StringSize == 16; }},
      {"StringSize 8", "[Hex]\nStringSize=8\n", [](const TSettings& s) { return s.Hex.StringSize == 8; }},
      {"StringSize 12 gives 16", "[Hex]\nStringSize=12\n", [](const TSettings& s) { return s.Hex.StringSize == 16; }},
      {"StringSize 0 gives 16", "[Hex]\nStringSize=0\n", [](const TSettings& s) { return s.Hex.StringSize == 16; }},
      {"StringSize missing gives 8", "[Hex]\nShow=1\n", [](const TSettings& s) { return s.Hex.StringSize == 8; }},
      {"StringSize word gives 8", "[Hex]\nStringSize=big\n", [](const TSettings& s) { return s.Hex.StringSize == 8; }},
      {"StringSize $8 is 8", "[Hex]\nStringSize=$8\n", [](const TSettings& s) { return s.Hex.StringSize == 8; }},
      {"ShowIcons 0", "[Main]\nShowIcons=0\n", [](const TSettings& s) { return !s.ShowIcons; }},
      {"ShowIcons 2 is true", "[Main]\nShowIcons=2\n", [](const TSettings& s) { return s.ShowIcons; }},
      {"ShowIcons word gives default", "[Main]\nShowIcons=off\n", [](const TSettings& s) { return s.ShowIcons; }},
      {"empty FontName is kept", "[Main]\nFontName=\n", [](const TSettings& s) { return s.FontName.empty(); }},
      {"empty FontSize gives default", "[Main]\nFontSize=\n", [](const TSettings& s) { return s.FontSize == 10; }},
      {"empty boolean gives default", "[Main]\nLineDotted=\n", [](const TSettings& s) { return s.LineDotted; }},
      {"FontSize 0x0C", "[Main]\nFontSize=0x0C\n", [](const TSettings& s) { return s.FontSize == 12; }},
      {"BackgroundColor $FF", "[Main]\nBackgroundColor=$FF\n",
       [](const TSettings& s) { return s.BackgroundColor == RGB(255, 0, 0); }},
      {"negative colour is a system colour", "[Hex]\nSelColor=-16777211\n",
       [](const TSettings& s) { return s.Hex.SelColor == SysColor(5); }},
      {"no range limits", "[Main]\nFontSize=5000\nIndent=-40\n",
       [](const TSettings& s) { return s.FontSize == 5000 && s.Indent == -40; }},
      {"keys and sections ignore case", "[hex]\nfontname=Mono\n",
       [](const TSettings& s) { return s.Hex.FontName == u"Mono" && s.FontName == u"Tahoma"; }},
      {"Hex keys are not Main keys", "[Hex]\nFontSize=20\n", [](const TSettings& s) { return s.FontSize == 10; }},
      {"a bad key spoils only itself", "[Main]\nFontSize=big\nIndent=30\n",
       [](const TSettings& s) { return s.FontSize == 10 && s.Indent == 30; }},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Label);
    WriteFile(PluginIni(), c.File);
    TSettings loaded;
    LoadSettings(Fake.Platform, loaded);
    EXPECT_TRUE(c.Holds(loaded));
  }
}

TEST_F(Settings, UnreadableFileGivesDefaultsAndNoLanguage) {
  std::filesystem::create_directory(PluginIni());
  TSettings loaded = Scrambled();
  LoadSettings(Fake.Platform, loaded);
  EXPECT_EQ(loaded, DefaultSettings);
  EXPECT_TRUE(Fake.Dialogs.Messages.empty());
  // Nor is it replaced, since its content could not be kept.
  SaveSettings(Fake.Platform, Scrambled());
  EXPECT_TRUE(std::filesystem::is_directory(PluginIni()));
}

TEST_F(Settings, SaveKeepsUnknownSectionsAndKeys) {
  WriteFile(PluginIni(),
            "[Main]\n"
            "FontSize=14\n"
            "Mystery=42\n"
            "[Extra]\n"
            "Note=kept\n");
  SaveSettings(Fake.Platform, DefaultSettings);
  std::string saved = ReadFile(PluginIni());
  EXPECT_NE(saved.find("[Main]\nFontSize=10\nMystery=42\nLanguage=\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("[Extra]\nNote=kept\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("[Hex]\nShow=1\n"), std::string::npos) << saved;
}

TEST_F(Settings, HostFolderHoldsTheFileWhenTheFlagSaysSo) {
  TTempFolder host;
  SetTCIniFileName(host.File("host.ini"));
  Fake.System.IniFolderFlag = true;
  WriteFile(host.File("Bramlet.ini"), "[Main]\nIndent=25\n");
  WriteFile(PluginIni(), "[Main]\nIndent=40\n");
  TSettings loaded;
  LoadSettings(Fake.Platform, loaded);
  EXPECT_EQ(loaded.Indent, 25);
}

TEST_F(Settings, HostFolderWithoutHostNameLoadsDefaultsAndSavesNothing) {
  Fake.System.IniFolderFlag = true;
  WriteFile(PluginIni(), "[Main]\nIndent=40\n");
  TSettings loaded = Scrambled();
  LoadSettings(Fake.Platform, loaded);
  EXPECT_EQ(loaded, DefaultSettings);
  SaveSettings(Fake.Platform, Scrambled());
  EXPECT_EQ(ReadFile(PluginIni()), "[Main]\nIndent=40\n");
}

TEST_F(Settings, SwitchingLocationLeavesTheOldFileAndWritesAWholeNewOne) {
  TTempFolder host;
  SetTCIniFileName(host.File("host.ini"));
  SaveSettings(Fake.Platform, DefaultSettings);
  const std::string before = ReadFile(PluginIni());

  SetIniLocation(Fake.System, TIniLocation::ilTCFolder);
  TSettings changed;
  changed.FontSize = 13;
  SaveSettings(Fake.Platform, changed);
  EXPECT_EQ(ReadFile(PluginIni()), before);
  TSettings loaded;
  LoadSettings(Fake.Platform, loaded);
  EXPECT_EQ(loaded, changed);
  EXPECT_NE(ReadFile(host.File("Bramlet.ini")).find("StringSize=8"), std::string::npos);
}

TEST_F(Settings, AModuleFolderTheUserCannotWriteSendsTheFileToTheUsersOwnFolder) {
  TTempFolder home;
  const std::string userFolder = home.File("config/bramlet/");
  Fake.System.UserFolder = userFolder;
  Fake.System.ReadOnlyFolders = {Module.Folder()};
  WriteFile(PluginIni(), "[Main]\nIndent=40\n");  // shipped beside the module: no longer read

  TSettings loaded = Scrambled();
  LoadSettings(Fake.Platform, loaded);
  EXPECT_EQ(loaded, DefaultSettings);
  EXPECT_FALSE(FileExists(home.File("config"))) << "loading creates nothing";

  TSettings changed;
  changed.Indent = 31;
  SaveSettings(Fake.Platform, changed);
  EXPECT_EQ(ReadFile(PluginIni()), "[Main]\nIndent=40\n");
  EXPECT_EQ(ReadFile(userFolder + "Bramlet.ini").substr(0, 7), "[Main]\n");
  LoadSettings(Fake.Platform, loaded);
  EXPECT_EQ(loaded, changed);

  // The host's folder, when chosen, is still the host's; nothing else moves.
  TTempFolder host;
  SetTCIniFileName(host.File("host.ini"));
  Fake.System.IniFolderFlag = true;
  EXPECT_EQ(GetIniFileName(Fake.System), host.File("Bramlet.ini"));
  // Once the module's folder is writable again, it is the place, as before.
  Fake.System.IniFolderFlag = false;
  Fake.System.ReadOnlyFolders.clear();
  EXPECT_EQ(GetIniFileName(Fake.System), PluginIni());
}

TEST_F(Settings, FailedSaveIsSilent) {
  SetTCIniFileName("/nonexistent-bramlet-folder/sub/host.ini");
  Fake.System.IniFolderFlag = true;
  TSettings record = Scrambled();
  SaveSettings(Fake.Platform, record);
  EXPECT_EQ(record, Scrambled());
  EXPECT_TRUE(Fake.Dialogs.Messages.empty());
  EXPECT_FALSE(FileExists("/nonexistent-bramlet-folder"));
}

TEST_F(Settings, StoredLanguageIsLoadedAndSavedBack) {
  WriteFile(Module.File("t\u00FCrkisch.lng"), "language=T\u00FCrk\u00E7e\ncodepage=65001\n101=Kopyala\n");
  WriteFile(PluginIni(), "[Main]\nLanguage=t\u00FCrkisch.lng\n");
  TSettings loaded;
  LoadSettings(Fake.Platform, loaded);
  EXPECT_EQ(GetLanguageFile(), u"t\u00FCrkisch.lng");
  EXPECT_EQ(GetLangTextById(101), u"Kopyala");

  SaveSettings(Fake.Platform, loaded);
  EXPECT_NE(ReadFile(PluginIni()).find("Language=t\u00FCrkisch.lng\n"), std::string::npos);
}

TEST_F(Settings, DeletedLanguageFileIsReportedUntilTheNextSave) {
  WriteFile(PluginIni(), "[Main]\nLanguage=gone.lng\n");
  TSettings first;
  LoadSettings(Fake.Platform, first);
  TSettings second;
  LoadSettings(Fake.Platform, second);
  ASSERT_EQ(Fake.Dialogs.Messages.size(), 2u);
  EXPECT_EQ(Fake.Dialogs.Messages[0].Caption, u"Bramlet");
  EXPECT_EQ(GetLanguageFile(), u"");
  EXPECT_EQ(first, DefaultSettings);

  SaveSettings(Fake.Platform, first);
  TSettings third;
  LoadSettings(Fake.Platform, third);
  EXPECT_EQ(Fake.Dialogs.Messages.size(), 2u);
}

TEST_F(Settings, LaterWindowsKeepTheLanguageAlreadyLoaded) {
  WriteFile(Module.File("a.lng"), "language=A\n101=from a\n");
  WriteFile(Module.File("b.lng"), "language=B\n101=from b\n");
  WriteFile(PluginIni(), "[Main]\nLanguage=a.lng\n");
  TSettings first;
  LoadSettings(Fake.Platform, first);
  WriteFile(PluginIni(), "[Main]\nLanguage=b.lng\n");
  TSettings second;
  LoadSettings(Fake.Platform, second);
  EXPECT_EQ(GetLanguageFile(), u"a.lng");
  EXPECT_EQ(GetLangTextById(101), u"from a");
}

}  // namespace
}  // namespace settings
