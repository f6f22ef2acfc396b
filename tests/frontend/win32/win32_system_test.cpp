// The Win32 system services against the real API: code pages, the registry
// flag, the module folder, the clipboard and the file dialog's filter.
#include <gtest/gtest.h>

#include <algorithm>

#include "frontend/win32/win32_api.h"
#include "frontend/win32/win32_services.h"
#include "frontend/win32/win32_system.h"
#include "text/utf.h"

namespace frontend::win32 {
namespace {

constexpr char16_t TestKey[] = u"Software\\Bramlet-Tests";

void DeleteTestKey() { RegDeleteKeyW(HKEY_CURRENT_USER, Wide(TestKey)); }

TEST(Win32System, CodePagesConvertLikeWindows) {
  TWin32System system(nullptr, TestKey);
  struct TRow {
    const char* Label;
    std::string Bytes;
    unsigned CodePage;
    std::optional<std::u16string> Expected;
  } rows[] = {
      {"Windows-1252 euro and umlaut", "\x80\xE4", 1252, u"\u20AC\u00E4"},
      {"Windows-1251 Cyrillic", "\xCF\xF0\xE8", 1251, u"\u041F\u0440\u0438"},
      {"UTF-8", "\xC3\xA9\xE2\x9C\x93", 65001, u"\u00E9\u2713"},
      {"ASCII through the system's own code page", "abc", 0, u"abc"},
      {"empty input", "", 1252, u""},
      {"a code page Windows does not know", "abc", 12345, std::nullopt},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.Label);
    EXPECT_EQ(system.CodePageToUtf16(row.Bytes, row.CodePage), row.Expected);
  }
  EXPECT_EQ(system.DefaultCodePage(), GetACP());
}

TEST(Win32System, DigestsMatchTheStandardsTestVectors) {
  TWin32System system(nullptr, TestKey);
  using enum platform::THashAlgorithm;
  struct TRow {
    const char* Label;
    platform::THashAlgorithm Algorithm;
    std::string Input;
    const char* Expected;  // FIPS 180 examples and the digests of nothing
  } rows[] = {
      {"SHA-1 of abc", haSha1, "abc", "A9993E364706816ABA3E25717850C26C9CD0D89D"},
      {"SHA-256 of abc", haSha256, "abc", "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD"},
      {"SHA-1 of nothing", haSha1, "", "DA39A3EE5E6B4B0D3255BFEF95601890AFD80709"},
      {"SHA-256 of nothing", haSha256, "", "E3B0C44298FC1C149AFBF4C8996FB92427AE41E4649B934CA495991B7852B855"},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.Label);
    const std::vector<std::uint8_t> digest = system.Digest(
        row.Algorithm, std::span(reinterpret_cast<const std::uint8_t*>(row.Input.data()), row.Input.size()));
    std::string hex;
    for (std::uint8_t octet : digest) {
      hex += "0123456789ABCDEF"[octet >> 4];
      hex += "0123456789ABCDEF"[octet & 15];
    }
    EXPECT_EQ(hex, row.Expected);
  }
}

TEST(Win32System, IniFolderFlagLivesInTheRegistry) {
  DeleteTestKey();
  TWin32System system(nullptr, TestKey);
  EXPECT_FALSE(system.ReadIniFolderFlag()) << "missing key";
  system.WriteIniFolderFlag(true);
  EXPECT_TRUE(system.ReadIniFolderFlag());
  EXPECT_TRUE(TWin32System(nullptr, TestKey).ReadIniFolderFlag()) << "shared by every instance";
  system.WriteIniFolderFlag(false);
  EXPECT_FALSE(system.ReadIniFolderFlag());

  // A value of another type means the plug-in's folder.
  HKEY key;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, Wide(TestKey), 0, KEY_WRITE, &key), ERROR_SUCCESS);
  RegSetValueExW(key, L"INIFolder", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"1"), 2 * sizeof(wchar_t));
  RegCloseKey(key);
  EXPECT_FALSE(system.ReadIniFolderFlag());
  DeleteTestKey();
}

TEST(Win32System, ModuleFolderIsTheFolderOfThisProgram) {
  std::string folder = TWin32System().ModuleFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '\\');
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::string exe = text::Utf16ToUtf8(FromWide(path));
  EXPECT_EQ(exe.substr(0, folder.size()), folder);
  EXPECT_EQ(exe.find('\\', folder.size()), std::string::npos);
}

TEST(Win32System, OnlyAFolderTheUserCanWriteCountsAsWritable) {
  TWin32System system(nullptr, TestKey);
  wchar_t temp[MAX_PATH] = {};
  ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
  const std::string tempFolder = text::Utf16ToUtf8(FromWide(temp));
  EXPECT_TRUE(system.CanWriteFolder(tempFolder));
  EXPECT_FALSE(system.CanWriteFolder(tempFolder + "no-such-bramlet-folder\\"));
  EXPECT_FALSE(system.CanWriteFolder(""));
  // The probe leaves nothing behind.
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((std::wstring(temp) + L"Bramlet-*.probe").c_str(), &found);
  EXPECT_EQ(search, INVALID_HANDLE_VALUE);
  if (search != INVALID_HANDLE_VALUE) FindClose(search);

  SetEnvironmentVariableW(L"APPDATA", L"C:\\Users\\someone\\AppData\\Roaming\\");
  EXPECT_EQ(system.UserSettingsFolder(), "C:\\Users\\someone\\AppData\\Roaming\\Bramlet\\");
  SetEnvironmentVariableW(L"APPDATA", nullptr);
  EXPECT_EQ(system.UserSettingsFolder(), "");
}

TEST(Win32WindowHost, KeysReachTheParentWithAltInTheMessage) {
  HWND parent = CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW, 0, 0, 200, 200, nullptr, nullptr,
                                nullptr, nullptr);
  ASSERT_NE(parent, nullptr);
  HWND viewer =
      CreateWindowExW(0, L"STATIC", L"viewer", WS_CHILD, 0, 0, 100, 100, parent, nullptr, nullptr, nullptr);
  TWin32WindowHost host([viewer] { return static_cast<void*>(viewer); });
  struct TRow {
    const char* Label;
    platform::TKeyEvent Key;
    UINT Message;
    bool AltContext;  // bit 29 of the key message
  } rows[] = {
      {"F3", {VK_F3}, WM_KEYDOWN, false},
      {"Ctrl+F", {'F', false, true, false}, WM_KEYDOWN, false},
      {"Alt+F", {'F', false, false, true}, WM_SYSKEYDOWN, true},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.Label);
    host.PostKeyToParent(row.Key);
    MSG message{};
    ASSERT_TRUE(PeekMessageW(&message, parent, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE));
    EXPECT_EQ(message.message, row.Message);
    EXPECT_EQ(message.wParam, row.Key.Key);
    EXPECT_EQ((message.lParam & 0xFFFF), 1) << "one key press";
    EXPECT_EQ(((message.lParam >> 29) & 1) != 0, row.AltContext);
  }
  DestroyWindow(parent);
}

TEST(Win32Clipboard, UnicodeTextRoundTrips) {
  TWin32Clipboard clipboard;
  for (const std::u16string& text : {std::u16string(u"Z\u00E4hlung \u2713 \U0001F512"), std::u16string(u"30 82 05 6A")}) {
    ASSERT_TRUE(clipboard.SetText(text));
    EXPECT_EQ(clipboard.GetText(), text);
  }
}

TEST(Win32Dialogs, FilterBecomesNulSeparatedPairs) {
  constexpr char16_t expected[] = u"XML files (*.xml)\0*.xml\0All files (*.*)\0*.*\0";
  EXPECT_EQ(FileDialogFilter(u"XML files (*.xml)|*.xml|All files (*.*)|*.*"),
            std::u16string(expected, std::size(expected)));
}

}  // namespace
}  // namespace frontend::win32

namespace frontend::win32 {
namespace {

TEST(Win32Display, FixedPitchFamiliesAreASubsetOfAllFamilies) {
  TWin32Display display;
  std::vector<std::u16string> all = display.FontFamilies(false);
  std::vector<std::u16string> fixed = display.FontFamilies(true);
  ASSERT_FALSE(all.empty());
  ASSERT_FALSE(fixed.empty());
  EXPECT_LT(fixed.size(), all.size());
  for (const std::u16string& name : fixed) {
    SCOPED_TRACE(text::Utf16ToUtf8(name));
    EXPECT_NE(std::find(all.begin(), all.end(), name), all.end());
    // A fixed-pitch face measures every character the same.
    EXPECT_EQ(display.TextWidth(u"iiii", name, 10), display.TextWidth(u"WWWW", name, 10));
  }
  EXPECT_GT(display.TextWidth(u"Bramlet", all.front(), 20), display.TextWidth(u"Bramlet", all.front(), 10));
}

TEST(Win32Display, AFaceThatIsNotInstalledIsDrawnInOneThatIs) {
  TWin32Display display;
  std::vector<std::u16string> all = display.FontFamilies(false);
  ASSERT_FALSE(all.empty());
  EXPECT_EQ(display.UsedFontFamily(all.front()), all.front());
  std::u16string used = display.UsedFontFamily(u"No Such Bramlet Face");
  EXPECT_NE(used, u"No Such Bramlet Face");
  EXPECT_FALSE(used.empty());
}

}  // namespace
}  // namespace frontend::win32
