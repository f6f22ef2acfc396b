// The language tables: lookups, reading language files, loading and listing them.
#include "settings/lang.h"

#include <algorithm>
#include <filesystem>
#include <set>

#include "settings/lang_file.h"
#include "settings/text.h"
#include "test_support.h"

namespace settings {
namespace {

using test::TSettingsTest;
using test::WriteFile;

class Lang : public TSettingsTest {
 protected:
  bool Load(const std::string& fileName, bool force) {
    return LoadLanguage(Fake.Platform, Utf8ToUtf16(fileName), force);
  }
};

TEST(LangEnglish, HasTheLanguageNameAndDistinctIds) {
  std::set<std::u16string_view> names;
  for (const TBuiltInText& entry : DefaultLanguage) names.insert(entry.Name);
  EXPECT_EQ(names.size(), DefaultLanguage.size());
  EXPECT_EQ(names.size(), 155u);
  EXPECT_EQ(DefaultLanguage.front().Name, u"Language");
  EXPECT_EQ(DefaultLanguage[27].Name, u"200");
  EXPECT_EQ(DefaultLanguage[28].Name, u"271");  // built in this order
}

TEST_F(Lang, EnglishAnswersWithoutALanguageLoaded) {
  struct TCase {
    int Id;
    std::u16string_view Expected;
  };
  const TCase cases[] = {
      {101, u"Copy value"}, {115, u"About"}, {116, u"Copy path"},  {118, u"Next problem"}, {121, u"Copy as C array"},
      {122, u"Element info"}, {125, u""},       {200, u"Settings"},
      {215, u"Separate bytes in binary strings"},                   {217, u"Field names"},  {219, u"DER checks"},
      {220, u""},
      {253, u"Host program's settings folder"},                     {273, u"Restore default settings?"},
      {301, u"XML files"},  {302, u"All files"}, {601, u"Tags"},    {604, u"clipboard"},
      {605, u"DER"},        {610, u"BER (%0 indefinite lengths)"}, {616, u""},
      {801, u"length %0 written in %1 octets"},                     {833, u"%0 octets after the first element"},
      {840, u"%0 that names no instant (month, day or time of day out of range)"}, {841, u""},           {0, u""},            {-101, u""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Id);
    EXPECT_EQ(GetLangTextById(c.Id), c.Expected);
  }
  EXPECT_EQ(GetLangText(u"LANGUAGE"), u"English");
  EXPECT_EQ(GetLangText(u"0101"), u"");
}

TEST(LangTable, LinesMatchByTheirNameBeforeTheFirstEquals) {
  TLangTable table(
      u"Heading without equals\r\n"
      u"101 =blank before equals\n"
      u"102=first\n"
      u"102=second\n"
      u"LANGUAGE=Upper\r"
      u"103=a=b\n"
      u"104=");
  EXPECT_FALSE(table.Find(u"101"));
  EXPECT_EQ(table.Value(u"101 "), u"blank before equals");
  EXPECT_EQ(table.Value(u"102"), u"first");
  EXPECT_EQ(table.Value(u"language"), u"Upper");
  EXPECT_EQ(table.Value(u"103"), u"a=b");
  ASSERT_TRUE(table.Find(u"104"));
  EXPECT_EQ(*table.Find(u"104"), u"");
  EXPECT_FALSE(table.Find(u"Heading without equals"));
}

TEST_F(Lang, TranslationsAreTrimmedAndBlankOnesFallBackToEnglish) {
  WriteFile(Module.File("x.lng"),
            "language=X\n"
            "101=   \t\n"
            "102=  Zeile kopieren \t\n"
            "103=\x01" "Bytes\x02\n");
  ASSERT_TRUE(Load("x.lng", false));
  EXPECT_EQ(GetLangTextById(101), u"Copy value");
  EXPECT_EQ(GetLangTextById(102), u"Zeile kopieren");
  EXPECT_EQ(GetLangTextById(103), u"Bytes");
  EXPECT_EQ(GetLangTextById(104), u"Search");
  EXPECT_EQ(GetLangText(u"Language"), u"X");
}

// The UTF-16 bytes of text, in either byte order, after a byte-order mark.
std::string Utf16File(std::u16string_view text, bool bigEndian) {
  std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (char16_t c : text) {
    char high = static_cast<char>(c >> 8);
    char low = static_cast<char>(c & 0xFF);
    bytes += bigEndian ? std::string{high, low} : std::string{low, high};
  }
  return bytes;
}

TEST(LangFile, EncodingComesFromTheMarkOrTheCodePage) {
  struct TCase {
    const char* Label;
    std::string Bytes;
    std::u16string_view Expected101;
  };
  const TCase cases[] = {
      {"UTF-8 mark", "\xEF\xBB\xBFlanguage=D\n101=K\xC3\xB6pfe\n", u"K\u00F6pfe"},
      {"UTF-16 LE mark", Utf16File(u"language=x\r\n101=\u0416\r\n", false), u"\u0416"},
      {"UTF-16 BE mark", Utf16File(u"language=x\n101=\u0416\n", true), u"\u0416"},
      {"no mark: system code page", "language=D\n101=K\xF6pfe\n", u"K\u00F6pfe"},
      {"codepage 1251 without mark", "language=R\ncodepage=1251\n101=\xCA\xEE\xEF\xE8\xFF\n", u"\u041A\u043E\u043F\u0438\u044F"},
      {"codepage name in any case", "language=R\nCodePage=1251\n101=\xC6\n", u"\u0416"},
      {"codepage 65001 without mark", "language=D\ncodepage=65001\n101=K\xC3\xB6pfe\n", u"K\u00F6pfe"},
      {"codepage equal to the mark's", "\xEF\xBB\xBFlanguage=D\ncodepage=65001\n101=\xC3\xB6\n", u"\u00F6"},
      {"codepage equal to the system's", "language=D\ncodepage=1252\n101=\xF6\n", u"\u00F6"},
      {"codepage not a number", "language=D\ncodepage=cyrillic\n101=\xF6\n", u"\u00F6"},
      {"codepage 0", "language=D\ncodepage=0\n101=\xF6\n", u"\u00F6"},
      {"codepage equal to a UTF-16 mark", Utf16File(u"language=x\ncodepage=1201\n101=A", true), u"A"},
      {"codepage overrides the mark", "\xEF\xBB\xBFlanguage=R\ncodepage=1251\n101=\xC6\n", u"\u0416"},
  };
  platform::fake::TFakeSystem system;
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Label);
    TLangTable table = ReadLanguageText(c.Bytes, system);
    EXPECT_EQ(table.Value(u"101"), c.Expected101);
  }
}

TEST(LangFile, UnknownCodePageFails) {
  struct TCase {
    const char* Value;
    bool Fails;
  };
  const TCase cases[] = {
      {"12345", true},
      {"-5", true},
      {"99999999999", false},  // too long to be a number: counts as no code page
  };
  platform::fake::TFakeSystem system;
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Value);
    std::string bytes = std::string("language=X\ncodepage=") + c.Value + "\n";
    std::string message;
    try {
      ReadLanguageText(bytes, system);
    } catch (const ELanguageError& error) {
      message = error.what();
    }
    EXPECT_EQ(message, c.Fails ? "Invalid code page" : "");
  }
}

TEST_F(Lang, LoadFollowsTheForceRules) {
  WriteFile(Module.File("a.lng"), "language=A\n101=from a\n");
  WriteFile(Module.File("b.lng"), "language=B\n101=from b\n");

  EXPECT_TRUE(Load("", false));  // an empty name without force does nothing
  EXPECT_EQ(GetLanguageFile(), u"");

  EXPECT_TRUE(Load("a.lng", false));
  EXPECT_EQ(GetLanguageFile(), u"a.lng");

  EXPECT_TRUE(Load("b.lng", false));  // one is loaded already: it stays
  EXPECT_TRUE(Load("", false));
  EXPECT_EQ(GetLangTextById(101), u"from a");

  EXPECT_TRUE(Load("b.lng", true));
  EXPECT_EQ(GetLanguageFile(), u"b.lng");
  EXPECT_EQ(GetLangTextById(101), u"from b");

  EXPECT_TRUE(Load("", true));  // back to English
  EXPECT_EQ(GetLanguageFile(), u"");
  EXPECT_EQ(GetLangTextById(101), u"Copy value");
  EXPECT_TRUE(Fake.Dialogs.Messages.empty());
}

TEST_F(Lang, FailuresAreReportedAndLeaveEnglish) {
  WriteFile(Module.File("good.lng"), "language=G\n101=good\n");
  WriteFile(Module.File("nolang.lng"), "codepage=1251\n101=x\n");
  WriteFile(Module.File("blank.lng"), "language=\n101=x\n");
  WriteFile(Module.File("badcp.lng"), "language=B\ncodepage=4711\n");
  struct TCase {
    const char* File;
    std::u16string_view Expected;  // the whole text, or its beginning for "missing"
  };
  const TCase cases[] = {
      {"nolang.lng", u"Cann't load language from nolang.lng: language not found."},
      {"blank.lng", u"Cann't load language from blank.lng: language not found."},
      {"badcp.lng", u"Cann't load language from badcp.lng: Invalid code page"},
      {"missing.lng", u"Cann't load language from missing.lng: Cannot open file \""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.File);
    ASSERT_TRUE(Load("good.lng", true));
    Fake.Dialogs.Messages.clear();
    EXPECT_FALSE(Load(c.File, true));
    ASSERT_EQ(Fake.Dialogs.Messages.size(), 1u);
    const platform::fake::TShownMessage& shown = Fake.Dialogs.Messages[0];
    EXPECT_TRUE(shown.Text.starts_with(c.Expected)) << Utf16ToUtf8(shown.Text);
    EXPECT_EQ(shown.Caption, u"Bramlet");
    EXPECT_EQ(shown.Kind, platform::TMessageBoxKind::mbWarning);
    EXPECT_EQ(GetLanguageFile(), u"");
    EXPECT_EQ(GetLangTextById(101), u"Copy value");
  }
}

TEST_F(Lang, ListHoldsEnglishThenEveryFileThatNamesItsLanguage) {
  WriteFile(Module.File("one.lng"), "language=Same\n");
  WriteFile(Module.File("two.lng"), "Language=Same\n");
  WriteFile(Module.File("UPPER.LNG"), "language=Upper\n");
  WriteFile(Module.File("\xD1\x80\xD1\x83.lng"), "\xEF\xBB\xBFlanguage=\xD0\xA0\xD1\x83\n");
  WriteFile(Module.File("onlycp.lng"), "codepage=1251\n");
  WriteFile(Module.File("badcp.lng"), "language=Bad\ncodepage=4711\n");
  WriteFile(Module.File("notes.txt"), "language=Text\n");
  WriteFile(Module.File(".hidden.lng"), "language=Hidden\n");
  WriteFile(Module.File("lng"), "language=Bare\n");
  std::filesystem::create_directory(Module.File("folder.lng"));

  TLanguageList list{{u"stale", u"stale.lng"}};
  FillLanguageList(Fake.Platform, list);
  ASSERT_FALSE(list.empty());
  EXPECT_EQ(list[0], (TLanguageEntry{u"English", u""}));
  std::vector<TLanguageEntry> files(list.begin() + 1, list.end());
  auto byFile = [](const TLanguageEntry& a, const TLanguageEntry& b) { return a.FileName < b.FileName; };
  std::sort(files.begin(), files.end(), byFile);
  std::vector<TLanguageEntry> expected{
      {u"Upper", u"UPPER.LNG"},
      {u"Same", u"one.lng"},
      {u"Same", u"two.lng"},
      {u"\u0420\u0443", u"\u0440\u0443.lng"},
  };
  std::sort(expected.begin(), expected.end(), byFile);
  EXPECT_EQ(files, expected);
  EXPECT_TRUE(Fake.Dialogs.Messages.empty());
}

TEST_F(Lang, ListOfAMissingFolderHoldsEnglishOnly) {
  Fake.System.Folder = Module.File("no-such-folder/");
  TLanguageList list;
  FillLanguageList(Fake.Platform, list);
  EXPECT_EQ(list, (TLanguageList{{u"English", u""}}));
}

// The %0 to %9 a text shows, sorted.
std::multiset<char16_t> Placeholders(std::u16string_view text) {
  std::multiset<char16_t> digits;
  for (std::size_t i = 0; i + 1 < text.size(); ++i)
    if (text[i] == u'%' && text[i + 1] >= u'0' && text[i + 1] <= u'9') digits.insert(text[i + 1]);
  return digits;
}

// The sample files shipped beside the module: every id translated.
TEST(LangSamples, TranslateEveryId) {
  struct TCase {
    const char* File;
    std::u16string_view Language;
    std::u16string_view Text101;
  };
  const TCase cases[] = {
      {"german.lng", u"Deutsch", u"Wert kopieren"},
      {"russian.lng", u"\u0420\u0443\u0441\u0441\u043A\u0438\u0439",
       u"\u041A\u043E\u043F\u0438\u0440\u043E\u0432\u0430\u0442\u044C \u0437\u043D\u0430\u0447\u0435\u043D\u0438\u0435"},
  };
  platform::fake::TFakeSystem system;
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.File);
    TLangTable table = ReadLanguageFile(std::string(BRAMLET_SOURCE_DIR) + "/data/lang/" + c.File, system);
    EXPECT_EQ(table.Value(u"language"), c.Language);
    EXPECT_EQ(table.Value(u"101"), c.Text101);
    for (const TBuiltInText& entry : DefaultLanguage) {
      SCOPED_TRACE(Utf16ToUtf8(entry.Name));
      auto translated = table.Find(entry.Name);
      ASSERT_TRUE(translated.has_value());
      EXPECT_FALSE(TrimControls(*translated).empty());
      EXPECT_EQ(std::count(translated->begin(), translated->end(), u'\uFFFD'), 0);
      EXPECT_EQ(Placeholders(*translated), Placeholders(entry.Text)) << "every number the English text shows";
    }
  }
}

}  // namespace
}  // namespace settings
