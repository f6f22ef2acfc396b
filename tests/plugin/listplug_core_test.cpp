// The host functions end to end: real samples loaded through ListLoadW and
// ListLoad into a fake window, searched, closed, with the INI file landing in a
// temporary module folder.
#include "plugin/listplug_core.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "asn/asn.h"
#include "platform/fence.h"
#include "plugin_test_util.h"
#include "settings/store.h"
#include "settings/text.h"

namespace plugin {
namespace {

using namespace plugin::test;
using platform::Fence;
namespace fs = std::filesystem;

TEST(ListPluginDetect, CopiesAtMostMaxLenMinusOneCharactersAndANul) {
  const std::string full = DetectString;
  ASSERT_EQ(full.size(), 169u);
  struct {
    int MaxLen;
    std::string Expected;
  } const cases[] = {
      {1, ""},
      {10, "EXT=\"BER\""},
      {11, "EXT=\"BER\"|"},
      {169, full.substr(0, 168)},
      {170, full},
      {400, full},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.MaxLen);
    std::vector<char> buffer(402, 'x');
    TListPlugin::ListGetDetectString(buffer.data(), c.MaxLen);
    EXPECT_EQ(std::string(buffer.data()), c.Expected);
    // Nothing past the terminator is touched.
    EXPECT_EQ(buffer[c.Expected.size() + 1], 'x');
  }
}

TEST(ListPluginDetect, WritesNothingForNoBufferOrNoRoom) {
  for (int maxLen : {0, -1, -1000}) {
    SCOPED_TRACE(maxLen);
    char buffer[4] = {'x', 'x', 'x', 'x'};
    TListPlugin::ListGetDetectString(buffer, maxLen);
    EXPECT_EQ(std::string(buffer, 4), "xxxx");
  }
  TListPlugin::ListGetDetectString(nullptr, 100);  // must not crash
}

TEST(Fence, TurnsEveryThrownThingIntoTheFailureValue) {
  struct {
    const char* Label;
    void (*Throw)();
  } const cases[] = {
      {"runtime_error", [] { throw std::runtime_error("x"); }},
      {"bad_alloc", [] { throw std::bad_alloc(); }},
      {"parser", [] { throw asn::EParserException("bad header", 3); }},
      {"not an exception", [] { throw 42; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    EXPECT_EQ(Fence(7, [&] { c.Throw(); return 0; }), 7);
    bool reached = false;
    Fence([&] { c.Throw(); reached = true; });
    EXPECT_FALSE(reached);
  }
  EXPECT_EQ(Fence(7, [] { return 3; }), 3);
}

// The host's record with name in its INI field, as many characters as fit.
wlx::TListDefaultParamStruct HostRecord(const std::string& name) {
  wlx::TListDefaultParamStruct record{};
  record.Size = sizeof record;
  record.PluginInterfaceVersionLow = 2;
  record.PluginInterfaceVersionHi = 1;
  std::memcpy(record.DefaultIniName, name.data(), std::min(name.size(), sizeof record.DefaultIniName));
  return record;
}

TEST_F(ListPlugin, StartUpLoadsTheModuleOidFileAndUnloadFreesTheIniPath) {
  EXPECT_EQ(FPlugin->OIDDictionary().Lookup(u"2.5.4.3"), u"commonName (module copy)");
  EXPECT_EQ(settings::PluginIniFileName(), IniPath().string());
  FPlugin.reset();
  EXPECT_EQ(settings::PluginIniFileName(), "");
}

TEST_F(ListPlugin, LoadShowsASampleInAChildOfTheListerWindow) {
  THandle handle = Load(SamplesDir / "cert.pem");
  ASSERT_NE(handle, 0u);
  EXPECT_EQ(FWindows.Log, (TWindowLog{"create 100 in 20816", "show 100"}));
  ASSERT_EQ(FPlugin->Viewers().Count(), 1u);
  viewer::TMainForm& form = Form(handle);
  EXPECT_TRUE(Probe(form).FromBase64());
  EXPECT_EQ(Probe(form).Root().GetTagChildsCount(), 1);
  EXPECT_GT(Probe(form).TreeVT().RootNodeCount(), 0u);
  EXPECT_EQ(Probe(form).HexSel(), viewer::THexSelection{});
}

TEST_F(ListPlugin, EachViewerReadsTheSettingsFileAnew) {
  WriteBytes(IniPath(), "[Main]\nFontSize=14\n");
  THandle first = Load(SamplesDir / "cert.der");
  WriteBytes(IniPath(), "[Main]\nFontSize=12\n");
  THandle second = Load(SamplesDir / "cert.der");
  EXPECT_EQ(Probe(Form(first)).Settings().FontSize, 14);
  EXPECT_EQ(Probe(Form(second)).Settings().FontSize, 12);
}

TEST_F(ListPlugin, DeclinedFilesLeaveNoWindowNoViewerAndNoSettings) {
  WriteBytes(FModuleDir / "empty.der", "");
  WriteBytes(FModuleDir / "notes.txt", "just some words, no armour here at all!\n");
  struct {
    const char* Label;
    fs::path File;
  } const cases[] = {
      {"empty file", FModuleDir / "empty.der"},
      {"text without armour", FModuleDir / "notes.txt"},
      {"missing file", FModuleDir / "missing.der"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    FWindows.Log.clear();
    EXPECT_EQ(Load(c.File), 0u);
    EXPECT_EQ(FPlugin->Viewers().Count(), 0u);
    ASSERT_EQ(FWindows.Log.size(), 2u);
    EXPECT_EQ(FWindows.Log.back().rfind("destroy ", 0), 0u);
  }
  EXPECT_FALSE(fs::exists(IniPath()));
}

TEST_F(ListPlugin, AWindowThatFailsToAppearIsDestroyedUnsaved) {
  struct {
    const char* Label;
    bool FailCreate;
    bool FailShow;
    TWindowLog Expected;
  } const cases[] = {
      {"create fails", true, false, {"create 100 in 20816", "destroy 100 rows=0 elements=0"}},
      // The viewer was fully built; its document still goes before the window.
      {"show fails", false, true, {"create 101 in 20816", "show 101", "destroy 101 rows=0 elements=0"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    FWindows.Log.clear();
    FWindows.FailCreate = c.FailCreate;
    FWindows.FailShow = c.FailShow;
    EXPECT_EQ(Load(SamplesDir / "cert.der"), 0u);
    EXPECT_EQ(FWindows.Log, c.Expected);
    EXPECT_EQ(FPlugin->Viewers().Count(), 0u);
  }
  EXPECT_FALSE(fs::exists(IniPath()));
}

TEST_F(ListPlugin, ATruncatedSecondElementStillOpensWithAFatalErrorRow) {
  // SEQUENCE { INTEGER 5 }, then a SEQUENCE that claims 5 bytes and has 2.
  WriteBytes(FModuleDir / "cut.der", std::string("\x30\x03\x02\x01\x05\x30\x05\x02\x01", 9));
  THandle handle = Load(FModuleDir / "cut.der");
  ASSERT_NE(handle, 0u);
  viewer::TTag root = Probe(Form(handle)).Root();
  ASSERT_EQ(root.ChildsCount(), 2);
  EXPECT_EQ(root.Childs(0).Name(), u"SEQUENCE");
  EXPECT_EQ(root.Childs(1).TagType(), viewer::TTagType::ttError);
  EXPECT_EQ(root.Childs(1).Name(), u"Fatal error");
}

TEST_F(ListPlugin, AnsiLoadConvertsTheNameFromTheSystemCodePage) {
  fs::copy_file(SamplesDir / "cert.der", fs::path(FModuleDir) / fs::path(u8"caf\u00e9.der"));
  // Code page 0 of the fake maps each byte to the code point of that value.
  std::string ansiName = FModuleDir.string() + "/caf\xE9.der";
  THandle handle = FPlugin->ListLoad(ListerHandle, ansiName);
  ASSERT_NE(handle, 0u);
  EXPECT_EQ(Probe(Form(handle)).FileName(), (FModuleDir / fs::path(u8"caf\u00e9.der")).u16string());
}

TEST_F(ListPlugin, SearchReadsOnlyTheBackwardsFlagAndIgnoresCase) {
  THandle handle = Load(SamplesDir / "cert.der");
  ASSERT_NE(handle, 0u);
  viewer::TMainForm& form = Form(handle);
  viewer::TNodeId first = Probe(form).TreeVT().GetFirst();
  viewer::TNodeId last = Probe(form).TreeVT().GetLast();
  struct {
    const char* Label;
    int Flags;
    bool FromLast;  // start at the last row and expect to move up, else down from the first
  } const cases[] = {
      {"no flags", 0, false},     {"find first", 1, false}, {"match case", 2, false},
      {"whole words", 4, false},  {"backwards", 8, true},   {"backwards, match case", 8 | 2, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    viewer::TNodeId start = c.FromLast ? last : first;
    Probe(form).TreeVT().SetFocusedNode(start);
    ASSERT_EQ(FPlugin->ListSearchTextW(handle, u"integer", c.Flags), ListOk);
    viewer::TNodeId found = Probe(form).TreeVT().FocusedNode();
    ASSERT_NE(found, start);
    EXPECT_EQ(Probe(form).GetTag(found).UniversalTag(), 2);  // an INTEGER row
    // Moving down from the first row, or up from the last one.
    bool below = false;
    for (viewer::TNodeId row = Probe(form).TreeVT().GetNext(start); row != viewer::NoNode; row = Probe(form).TreeVT().GetNext(row))
      if (row == found) below = true;
    EXPECT_EQ(below, !c.FromLast);
  }
}

TEST_F(ListPlugin, SearchThatFindsNothingLeavesTheFocusAndReportsFailure) {
  THandle handle = Load(SamplesDir / "cert.der");
  viewer::TMainForm& form = Form(handle);
  viewer::TNodeId start = Probe(form).TreeVT().GetFirst();
  Probe(form).TreeVT().SetFocusedNode(start);
  EXPECT_EQ(FPlugin->ListSearchTextW(handle, u"text found nowhere at all", 0), ListError);
  EXPECT_EQ(Probe(form).TreeVT().FocusedNode(), start);
  EXPECT_EQ(FPlugin->ListSearchTextW(handle + 1000, u"integer", 0), ListOk);
}

TEST_F(ListPlugin, CloseSavesSettingsThenDropsRowsAndDocumentBeforeTheWindow) {
  THandle handle = Load(SamplesDir / "crl.pem");
  ASSERT_NE(handle, 0u);
  Probe(Form(handle)).Settings().FontSize = 13;
  Probe(Form(handle)).Settings().Hex.Show = false;
  FWindows.Log.clear();
  FPlugin->ListCloseWindow(handle);
  EXPECT_EQ(FWindows.Log, (TWindowLog{"destroy 100 rows=0 elements=0"}));
  EXPECT_EQ(FPlugin->Viewers().Count(), 0u);
  std::string ini = ReadText(IniPath());
  EXPECT_NE(ini.find("FontSize=13"), std::string::npos) << ini;
  EXPECT_NE(ini.find("Show=0"), std::string::npos) << ini;

  // The handle is stale now: closing again and searching do nothing.
  fs::remove(IniPath());
  FPlugin->ListCloseWindow(handle);
  EXPECT_EQ(FPlugin->ListSearchTextW(handle, u"integer", 0), ListOk);
  EXPECT_EQ(FWindows.Log.size(), 1u);
  EXPECT_FALSE(fs::exists(IniPath()));
}

// A system whose INI-location flag cannot be read once armed, so that saving
// the settings fails with something the settings store does not catch.
class TFailingFlagSystem : public platform::fake::TFakeSystem {
 public:
  bool Fail = false;
  bool ReadIniFolderFlag() override {
    if (Fail) throw std::runtime_error("registry unavailable");
    return TFakeSystem::ReadIniFolderFlag();
  }
};

TEST_F(ListPlugin, ACloseThatFailsToSaveStillDestroysTheViewer) {
  TFailingFlagSystem system;
  system.Folder = FFake.System.Folder;
  platform::TPlatform failing{FFake.Clipboard, FFake.Dialogs, FFake.Host, FFake.Display, system};
  FPlugin.reset();
  FPlugin = std::make_unique<TListPlugin>(failing, FWindows);
  THandle handle = Load(SamplesDir / "cert.der");
  ASSERT_NE(handle, 0u);
  FWindows.Log.clear();
  system.Fail = true;
  FPlugin->ListCloseWindow(handle);  // noexcept: an escape would end the process
  EXPECT_EQ(FWindows.Log, (TWindowLog{"destroy 100 rows=0 elements=0"}));
  EXPECT_EQ(FPlugin->Viewers().Count(), 0u);
  EXPECT_FALSE(fs::exists(IniPath()));
}

TEST_F(ListPlugin, HandlesLeadToTheirOwnViewerAmongSeveral) {
  THandle a = Load(SamplesDir / "cert.der");
  THandle b = Load(SamplesDir / "csr.der");
  THandle c = Load(SamplesDir / "crl.der");
  ASSERT_EQ(FPlugin->Viewers().Count(), 3u);
  FPlugin->ListCloseWindow(b);
  EXPECT_EQ(FPlugin->FindForm(b), nullptr);
  EXPECT_EQ(Probe(Form(a)).FileName(), (SamplesDir / "cert.der").u16string());
  EXPECT_EQ(Probe(Form(c)).FileName(), (SamplesDir / "crl.der").u16string());
  EXPECT_EQ(FPlugin->FindForm(0), nullptr);
}

TEST_F(ListPlugin, UnloadDestroysOpenViewersWithoutSaving) {
  Load(SamplesDir / "cert.der");
  Load(SamplesDir / "p7-signed.der");
  FWindows.Log.clear();
  FPlugin.reset();
  EXPECT_EQ(FWindows.Log, (TWindowLog{"destroy 100 rows=0 elements=0", "destroy 101 rows=0 elements=0"}));
  EXPECT_FALSE(fs::exists(IniPath()));
}

TEST_F(ListPlugin, HostRecordGivesItsIniNameUpToNulOr255Characters) {
  wlx::TListDefaultParamStruct record = HostRecord("/srv/host/host.ini");
  FPlugin->ListSetDefaultParams(&record);
  EXPECT_EQ(settings::TCIniFileName(), "/srv/host/Bramlet.ini");

  // 255 characters are taken at most: the 256th, a delimiter, is not.
  std::string longFolder = "/" + std::string(253, 'd') + "/";
  ASSERT_EQ(longFolder.size(), 255u);
  record = HostRecord(longFolder.substr(0, 254) + "x/more/host.ini");
  FPlugin->ListSetDefaultParams(&record);
  EXPECT_EQ(settings::TCIniFileName(), "/Bramlet.ini");
  record = HostRecord(longFolder + "host.ini");
  FPlugin->ListSetDefaultParams(&record);
  EXPECT_EQ(settings::TCIniFileName(), longFolder + "Bramlet.ini");
}

TEST_F(ListPlugin, HostRecordInTheSystemCodePageBecomesUtf8) {
  // The fake's code page is Latin-1: 0xF6 is o with diaeresis.
  wlx::TListDefaultParamStruct record = HostRecord("/srv/J\xf6rg/host.ini");
  FPlugin->ListSetDefaultParams(&record);
  EXPECT_EQ(settings::TCIniFileName(), "/srv/J\xc3\xb6rg/Bramlet.ini");
}

TEST_F(ListPlugin, TraceFileGetsOneLinePerHostCall) {
  fs::path trace = FModuleDir / "trace.log";
  ASSERT_EQ(setenv("BRAMLET_TRACE", trace.c_str(), 1), 0);
  THandle handle = Load(SamplesDir / "cert.der");
  FPlugin->ListSearchTextW(handle, u"2.5.4.3", 0);
  FPlugin->ListCloseWindow(handle);
  FPlugin->ListCloseWindow(handle);
  unsetenv("BRAMLET_TRACE");
  FPlugin->ListSetDefaultParams(nullptr);  // not traced any more
  std::string lines = ReadText(trace);
  EXPECT_NE(lines.find("ListLoadW " + (SamplesDir / "cert.der").string() + " -> window\n"), std::string::npos) << lines;
  EXPECT_NE(lines.find("ListSearchTextW 2.5.4.3 0 -> 0 focus="), std::string::npos) << lines;
  EXPECT_NE(lines.find("ListCloseWindow -> closed\nListCloseWindow -> unknown\n"), std::string::npos) << lines;
  EXPECT_EQ(lines.find("ListSetDefaultParams"), std::string::npos) << lines;
}

TEST_F(ListPlugin, HostParamsPointCloseAtTheHostsIniFolder) {
  fs::path hostDir = FModuleDir / "host";
  fs::create_directories(hostDir);
  wlx::TListDefaultParamStruct record = HostRecord((hostDir / "wincmd.ini").string());
  FPlugin->ListSetDefaultParams(&record);
  FPlugin->ListSetDefaultParams(nullptr);  // ignored, keeps the name
  EXPECT_EQ(settings::TCIniFileName(), (hostDir / settings::IniFileName).string());

  FFake.System.IniFolderFlag = true;
  THandle handle = Load(SamplesDir / "cert.der");
  Probe(Form(handle)).Settings().Indent = 25;
  FPlugin->ListCloseWindow(handle);
  EXPECT_NE(ReadText(hostDir / settings::IniFileName).find("Indent=25"), std::string::npos);
  EXPECT_FALSE(fs::exists(IniPath()));
}

}  // namespace
}  // namespace plugin
