// The POSIX system services: the flag file, iconv code pages, the module folder.
#include "platform/posix/posix_system.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "settings/lang.h"
#include "settings/lang_file.h"
#include "test_support.h"

namespace platform::posix {
namespace {

using settings::test::FileExists;
using settings::test::ReadFile;
using settings::test::TTempFolder;
using settings::test::WriteFile;

// Sets an environment variable for one test and puts the old value back.
class TEnvironment {
 public:
  TEnvironment(const char* name, const std::optional<std::string>& value) : FName(name) {
    if (const char* old = std::getenv(name)) FOld = old;
    if (value)
      setenv(name, value->c_str(), 1);
    else
      unsetenv(name);
  }
  ~TEnvironment() {
    if (FOld)
      setenv(FName, FOld->c_str(), 1);
    else
      unsetenv(FName);
  }
  TEnvironment(const TEnvironment&) = delete;
  TEnvironment& operator=(const TEnvironment&) = delete;

 private:
  const char* FName;
  std::optional<std::string> FOld;
};

TEST(PosixFlag, SurvivesANewInstanceAndLivesUnderTheConfigFolder) {
  TTempFolder config;
  TEnvironment xdg("XDG_CONFIG_HOME", config.Folder() + "deeper");
  std::string flagFile = config.Folder() + "deeper/Bramlet/INIFolder";
  EXPECT_EQ(IniFolderFlagPath(), flagFile);

  TPosixSystem first("/m/");
  EXPECT_FALSE(first.ReadIniFolderFlag());
  first.WriteIniFolderFlag(true);
  EXPECT_EQ(ReadFile(flagFile), "1\n");
  EXPECT_TRUE(TPosixSystem("/m/").ReadIniFolderFlag());

  first.WriteIniFolderFlag(false);
  EXPECT_EQ(ReadFile(flagFile), "0\n");
  EXPECT_FALSE(TPosixSystem("/m/").ReadIniFolderFlag());
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(config.Folder() + "deeper/Bramlet"),
                          std::filesystem::directory_iterator()),
            1);
}

TEST(PosixFlag, ReadsWhatTheFileHolds) {
  TTempFolder config;
  TEnvironment xdg("XDG_CONFIG_HOME", config.Folder());
  std::filesystem::create_directory(config.File("Bramlet"));
  struct TCase {
    const char* Label;
    std::string Content;
    bool Expected;
  };
  const TCase cases[] = {
      {"one", "1\n", true},       {"zero", "0\n", false},      {"any other number", "7", true},
      {"blank around", " 1 \n", true}, {"not a number", "yes\n", false}, {"empty", "", false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Label);
    WriteFile(config.File("Bramlet/INIFolder"), c.Content);
    EXPECT_EQ(TPosixSystem("/m/").ReadIniFolderFlag(), c.Expected);
  }
}

TEST(PosixFlag, UnsetOrRelativeConfigHomeMeansDotConfig) {
  TTempFolder home;
  TEnvironment homeVariable("HOME", home.Folder() + "user");
  for (std::optional<std::string> xdg : {std::optional<std::string>(), std::optional<std::string>("relative/cfg"),
                                         std::optional<std::string>("")}) {
    SCOPED_TRACE(xdg.value_or("(unset)"));
    TEnvironment xdgVariable("XDG_CONFIG_HOME", xdg);
    EXPECT_EQ(IniFolderFlagPath(), home.Folder() + "user/.config/Bramlet/INIFolder");
  }
  TEnvironment xdgVariable("XDG_CONFIG_HOME", std::nullopt);
  TPosixSystem("/m/").WriteIniFolderFlag(true);
  EXPECT_TRUE(FileExists(home.Folder() + "user/.config/Bramlet/INIFolder"));
}

TEST(PosixSettingsFolder, IsBramletUnderTheConfigFolderAndOnlyWritableFoldersCount) {
  TTempFolder home;
  TEnvironment homeVariable("HOME", home.Folder() + "user");
  TPosixSystem system("/m/");
  {
    TEnvironment xdg("XDG_CONFIG_HOME", std::string("/srv/cfg"));
    EXPECT_EQ(system.UserSettingsFolder(), "/srv/cfg/bramlet/");
  }
  TEnvironment xdg("XDG_CONFIG_HOME", std::string("relative/cfg"));
  EXPECT_EQ(system.UserSettingsFolder(), home.Folder() + "user/.config/bramlet/");

  EXPECT_TRUE(system.CanWriteFolder(home.Folder()));
  EXPECT_FALSE(system.CanWriteFolder(home.Folder() + "missing/"));
  EXPECT_FALSE(system.CanWriteFolder(""));
  WriteFile(home.File("plain"), "");
  EXPECT_FALSE(system.CanWriteFolder(home.File("plain"))) << "a file is no folder";
}

TEST(PosixFlag, UnwritableFolderIsSilent) {
  TTempFolder config;
  // A file where the folder should be: nothing can be created below it.
  WriteFile(config.File("Bramlet"), "");
  TEnvironment xdg("XDG_CONFIG_HOME", config.Folder());
  TPosixSystem system("/m/");
  system.WriteIniFolderFlag(true);
  EXPECT_FALSE(system.ReadIniFolderFlag());
}

TEST(PosixCodePage, WindowsNumbersMapToIconvNames) {
  struct TCase {
    unsigned CodePage;
    const char* Expected;
  };
  const TCase cases[] = {
      {1251, "CP1251"},      {1252, "CP1252"},       {866, "CP866"},        {20866, "KOI8-R"},
      {21866, "KOI8-U"},     {28591, "ISO-8859-1"},  {28599, "ISO-8859-9"}, {28605, "ISO-8859-15"},
      {932, "CP932"},        {936, "GBK"},           {949, "CP949"},        {950, "BIG5"},
      {65001, "UTF-8"},      {1200, "UTF-16LE"},     {1201, "UTF-16BE"},    {20127, "ASCII"},
      {37, "IBM037"},        {20273, "IBM273"},      {1047, "IBM1047"},      {10007, "MAC-CYRILLIC"}, {0, ""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.CodePage);
    EXPECT_EQ(IconvNameForCodePage(c.CodePage), c.Expected);
  }
}

TEST(PosixCodePage, ConvertsWithIconv) {
  struct TCase {
    const char* Label;
    unsigned CodePage;
    std::string Bytes;
    std::optional<std::u16string> Expected;
  };
  const TCase cases[] = {
      {"Windows-1251", 1251, "\xCF\xF0\xE8\xE2\xE5\xF2 \xA8\xB8", u"\u041F\u0440\u0438\u0432\u0435\u0442 \u0401\u0451"},
      {"UTF-8", 65001, "K\xC3\xB6pfe \xF0\x9F\x98\x80", u"K\u00F6pfe \U0001F600"},
      {"UTF-16 LE", 1200, std::string("A\0\x16\x04", 4), u"A\u0416"},
      {"UTF-16 BE", 1201, std::string("\0A\x04\x16", 4), u"A\u0416"},
      {"KOI8-R", 20866, "\xF0\xD2\xC9", u"\u041F\u0440\u0438"},
      {"ISO-8859-5", 28595, "\xBF\xE0\xD8", u"\u041F\u0440\u0438"},
      {"Shift-JIS", 932, "\x82\xA0", u"\u3042"},
      {"GBK", 936, "\xC4\xE3", u"\u4F60"},
      {"Big5", 950, "\xA7\x41", u"\u4F60"},
      {"system default is 1252", 0, "\x80", u"\u20AC"},
      {"empty input", 1251, "", u""},
      {"invalid UTF-8 byte", 65001, "a\xFF" "b", u"a\uFFFD" "b"},
      {"cut-off sequence at the end", 932, "a\x82", u"a\uFFFD"},
      {"unknown code page", 12345, "abc", std::nullopt},
      {"a long text crosses the buffer", 1251, std::string(10000, '\xC6'), std::u16string(10000, u'\u0416')},
  };
  TPosixSystem system("/m/");
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Label);
    EXPECT_EQ(system.CodePageToUtf16(c.Bytes, c.CodePage), c.Expected);
  }
}

TEST(PosixModule, FolderIsTheProgramsOwn) {
  char path[4096];
  ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  ASSERT_GT(length, 0);
  std::string program(path, static_cast<std::size_t>(length));
  EXPECT_EQ(ThisModuleFolder(), program.substr(0, program.rfind('/') + 1));
  EXPECT_EQ(TPosixSystem().ModuleFolder(), ThisModuleFolder());
  EXPECT_EQ(TPosixSystem("/given/").ModuleFolder(), "/given/");
}

// The Russian sample file read through iconv rather than the fake's own table.
TEST(PosixCodePage, RussianSampleDecodes) {
  TPosixSystem system("/m/");
  settings::TLangTable table =
      settings::ReadLanguageFile(std::string(BRAMLET_SOURCE_DIR) + "/data/lang/russian.lng", system);
  EXPECT_EQ(table.Value(u"language"), u"\u0420\u0443\u0441\u0441\u043A\u0438\u0439");
  EXPECT_EQ(table.Value(u"604"), u"\u0431\u0443\u0444\u0435\u0440 \u043E\u0431\u043C\u0435\u043D\u0430");
}

}  // namespace
}  // namespace platform::posix
