// The INI reader's rules, the writer's layout, and saving through a temporary file.
#include "settings/ini.h"

#include <filesystem>
#include <optional>

#include "test_support.h"

namespace settings {
namespace {

using test::ReadFile;
using test::TTempFolder;
using test::WriteFile;

TEST(IniInteger, AcceptsSignedDecimalAndBothHexadecimalPrefixes) {
  struct TCase {
    const char* Label;
    std::u16string_view Text;
    std::optional<std::int32_t> Expected;
  };
  const TCase cases[] = {
      {"zero", u"0", 0},
      {"plain", u"12", 12},
      {"negative", u"-16777211", -16777211},
      {"plus sign", u"+7", 7},
      {"leading zeros", u"0010", 10},
      {"0x prefix", u"0x0C", 12},
      {"0X prefix, lower-case digits", u"0Xff", 255},
      {"dollar prefix", u"$FF", 255},
      {"hex is a bit pattern", u"$FF000005", -16777211},
      {"negative hex", u"-$10", -16},
      {"largest", u"2147483647", 2147483647},
      {"smallest", u"-2147483648", INT32_MIN},
      {"decimal overflow", u"2147483648", std::nullopt},
      {"negative overflow", u"-2147483649", std::nullopt},
      {"hex overflow", u"$100000000", std::nullopt},
      {"empty", u"", std::nullopt},
      {"word", u"abc", std::nullopt},
      {"trailing junk", u"12abc", std::nullopt},
      {"prefix alone", u"0x", std::nullopt},
      {"dollar alone", u"$", std::nullopt},
      {"sign alone", u"-", std::nullopt},
      {"inner blank", u"1 2", std::nullopt},
      {"bad hex digit", u"$FG", std::nullopt},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Label);
    EXPECT_EQ(ParseIniInteger(c.Text), c.Expected);
  }
}

TEST(IniReader, FindsValuesByTheFileRules) {
  struct TCase {
    const char* Label;
    std::string File;
    std::u16string_view Section;
    std::u16string_view Key;
    std::optional<std::u16string> Expected;
  };
  const TCase cases[] = {
      {"section and key ignore case", "[MAIN]\nfontsize=12\n", u"Main", u"FontSize", u"12"},
      {"blanks around = go", "[Main]\n  FontName  =\t Courier New  \n", u"Main", u"FontName", u"Courier New"},
      {"empty value is kept", "[Main]\nFontName=\n", u"Main", u"FontName", u""},
      {"value keeps later =", "[Main]\nA=b=c\n", u"Main", u"A", u"b=c"},
      {"comment line", "[Main]\n;A=1\n", u"Main", u"A", std::nullopt},
      {"indented comment line", "[Main]\n  ; A=1\n", u"Main", u"A", std::nullopt},
      {"line before any section", "A=1\n[Main]\n", u"Main", u"A", std::nullopt},
      {"repeated section is dropped", "[Main]\nA=1\n[Hex]\nB=2\n[main]\nA=3\nC=4\n", u"Main", u"A", u"1"},
      {"keys of a repeated section", "[Main]\nA=1\n[main]\nC=4\n", u"Main", u"C", std::nullopt},
      {"section after a repeat is read", "[Main]\n[Main]\nA=1\n[Hex]\nB=2\n", u"Hex", u"B", u"2"},
      {"first of two keys wins", "[Main]\nA=1\nA=2\n", u"Main", u"A", u"1"},
      {"CRLF line ends", "[Main]\r\nA=1\r\nB=2\r\n", u"Main", u"B", u"2"},
      {"CR line ends", "[Main]\rA=1\rB=2", u"Main", u"B", u"2"},
      {"no final line end", "[Main]\nA=1", u"Main", u"A", u"1"},
      {"byte-order mark skipped", "\xEF\xBB\xBF[Main]\nA=1\n", u"Main", u"A", u"1"},
      {"blanks inside brackets", "[ Main ]\nA=1\n", u"Main", u"A", u"1"},
      {"header without ] is no header", "[Main]\n[Hex\nA=1\n", u"Main", u"A", u"1"},
      {"UTF-8 value", "[Main]\nFontName=Schrift \xC3\xA4\xE2\x82\xAC\n", u"Main", u"FontName", u"Schrift \u00E4\u20AC"},
      {"invalid UTF-8 reads as U+FFFD", "[Main]\nA=\xFF\n", u"Main", u"A", u"\uFFFD"},
      {"line without =", "[Main]\nA\n", u"Main", u"A", std::nullopt},
      {"empty key", "[Main]\n=1\n", u"Main", u"", std::nullopt},
      {"other section", "[Hex]\nA=1\n", u"Main", u"A", std::nullopt},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Label);
    TIniFile ini = TIniFile::FromBytes(c.File);
    auto found = ini.Find(c.Section, c.Key);
    ASSERT_EQ(found.has_value(), c.Expected.has_value());
    if (found) {
      EXPECT_EQ(std::u16string(*found), *c.Expected);
    }
  }
}

TEST(IniReader, NumbersAndBooleansFallBackToTheDefault) {
  struct TCase {
    const char* Label;
    std::string Line;  // "" for no key at all
    std::int32_t Integer;
    bool Boolean;  // read with the default true
  };
  const TCase cases[] = {
      {"missing", "", -1, true},
      {"empty", "V=", -1, true},
      {"word", "V=yes", -1, true},
      {"zero", "V=0", 0, false},
      {"one", "V=1", 1, true},
      {"two is true", "V=2", 2, true},
      {"hex zero", "V=$0", 0, false},
      {"negative", "V=-3", -3, true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Label);
    TIniFile ini = TIniFile::FromBytes("[S]\n" + c.Line + "\n");
    EXPECT_EQ(ini.ReadInteger(u"S", u"V", -1), c.Integer);
    EXPECT_EQ(ini.ReadBool(u"S", u"V", true), c.Boolean);
  }
}

TEST(IniWriter, ReplacesInPlaceAndAppendsWhatIsNew) {
  TIniFile ini = TIniFile::FromBytes(
      "; dropped comment\n"
      "[Other]\n"
      "Kept = yes\n"
      "[Main]\n"
      "Unknown=1\n"
      "fontsize=9\n");
  ini.WriteInteger(u"Main", u"FontSize", 12);
  ini.WriteBool(u"Main", u"ShowIcons", false);
  ini.WriteString(u"HEX", u"FontName", u"Mono");
  ini.WriteString(u"Hex", u"FontName", u"Courier New");
  EXPECT_EQ(ini.ToBytes(),
            "[Other]\n"
            "Kept=yes\n"
            "\n"
            "[Main]\n"
            "Unknown=1\n"
            "fontsize=12\n"
            "ShowIcons=0\n"
            "\n"
            "[HEX]\n"
            "FontName=Courier New\n");
}

TEST(IniWriter, WhatItWritesReadsBackUnchanged) {
  TIniFile ini;
  ini.WriteString(u"Main", u"FontName", u"\u00C9crit \u0416\u0443\u0440 \U0001F600");
  ini.WriteString(u"Main", u"Empty", u"");
  ini.WriteInteger(u"Main", u"Negative", -16777211);
  ini.WriteString(u"\u0421\u0435\u043A\u0446\u0438\u044F", u"Key", u"a=b");
  TIniFile again = TIniFile::FromBytes(ini.ToBytes());
  EXPECT_EQ(again.Sections(), ini.Sections());
}

TEST(IniFile, MissingFileReadsAsEmptyAndAFolderCannotBeRead) {
  TTempFolder folder;
  EXPECT_TRUE(LoadIniFile(folder.File("missing.ini")).Sections().empty());
  EXPECT_TRUE(LoadIniFile("").Sections().empty());
  std::filesystem::create_directory(folder.File("folder.ini"));
  EXPECT_THROW(LoadIniFile(folder.File("folder.ini")), EIniError);
}

TEST(IniFile, SaveReplacesTheFileAndLeavesNoTemporary) {
  TTempFolder folder;
  std::string path = folder.File("Bramlet.ini");
  WriteFile(path, "[Main]\nA=1\nB=2\n");
  TIniFile ini = LoadIniFile(path);
  ini.WriteString(u"Main", u"A", u"3");
  SaveIniFile(path, ini);
  EXPECT_EQ(ReadFile(path), "[Main]\nA=3\nB=2\n");
  int files = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.Folder())) ++files;
  EXPECT_EQ(files, 1);
}

TEST(IniFile, FailedSaveLeavesTheOldFileWhole) {
  TTempFolder folder;
  std::string path = folder.File("Bramlet.ini");
  const std::string old = "[Main]\nFontName=Old\n";
  WriteFile(path, old);
  // A folder squatting on the temporary's name makes writing the new content fail.
  std::filesystem::create_directory(path + "." + std::to_string(getpid()) + ".tmp");
  TIniFile ini;
  ini.WriteString(u"Main", u"FontName", u"New");
  EXPECT_THROW(SaveIniFile(path, ini), EIniError);
  EXPECT_EQ(ReadFile(path), old);
}

TEST(IniFile, FailedRenameRemovesTheTemporary) {
  TTempFolder folder;
  // A non-empty folder in the file's place cannot be replaced by a file.
  std::string path = folder.File("Bramlet.ini");
  std::filesystem::create_directories(path + "/inside");
  EXPECT_THROW(SaveIniFile(path, TIniFile::FromBytes("[Main]\nA=1\n")), EIniError);
  EXPECT_TRUE(std::filesystem::is_directory(path + "/inside"));
  int files = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.Folder())) ++files;
  EXPECT_EQ(files, 1);
}

TEST(IniFile, SaveThroughALinkReplacesItsTarget) {
  TTempFolder folder;
  std::filesystem::create_directory(folder.File("real"));
  std::string target = folder.File("real/Bramlet.ini");
  std::string link = folder.File("Bramlet.ini");
  WriteFile(target, "[Main]\nA=1\n");
  std::filesystem::create_symlink(target, link);
  SaveIniFile(link, TIniFile::FromBytes("[Main]\nA=2\n"));
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(ReadFile(target), "[Main]\nA=2\n");
}

TEST(IniFile, SaveIntoAMissingFolderFails) {
  TTempFolder folder;
  EXPECT_THROW(SaveIniFile(folder.File("no/such/Bramlet.ini"), TIniFile::FromBytes("[Main]\nA=1\n")), EIniError);
  EXPECT_THROW(SaveIniFile("", TIniFile()), EIniError);
}

}  // namespace
}  // namespace settings
