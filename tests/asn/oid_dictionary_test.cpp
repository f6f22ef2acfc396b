// The OID dictionary: line format, trimming, first entry wins, encodings,
// loading from a folder, and DecodeOID's use of it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "test_util.h"

namespace asn {
namespace {

class OIDDictionary : public ::testing::Test {
 protected:
  void Load(const std::string& text) {
    Dictionary.LoadBytes({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
  }
  std::string Descr(const char16_t* oid) const { return test::U8(Dictionary.Lookup(oid)); }
  TOIDDictionary Dictionary;
};

TEST_F(OIDDictionary, LinesAreNameEqualsValue) {
  struct Case {
    const char* Label;
    std::string File;
    const char16_t* Oid;
    const char* Expected;
  };
  const Case cases[] = {
      {"blanks around the equals sign", "1.2.840.113549.1.1.1 = rsaEncryption\n", u"1.2.840.113549.1.1.1",
       "rsaEncryption"},
      {"tabs and control characters trimmed", "\t2.5.4.3\x01=\tcommonName \x7F\n", u"2.5.4.3", "commonName \x7F"},
      {"first of two lines wins", "2.5.4.3=first\n2.5.4.3=second\n", u"2.5.4.3", "first"},
      {"first wins after trimming", "2.5.4.3 =first\n2.5.4.3=second\n", u"2.5.4.3", "first"},
      {"value keeps later equals signs", "1.2.3=a=b = c\n", u"1.2.3", "a=b = c"},
      {"CR line ends", "1.2.3=a\r1.2.4=b\r", u"1.2.4", "b"},
      {"CR LF line ends", "1.2.3=a\r\n1.2.4=b\r\n", u"1.2.4", "b"},
      {"last line without a line end", "1.2.3=a\n1.2.4=b", u"1.2.4", "b"},
      {"letter case ignored", "1.2.ABC=x\n", u"1.2.abc", "x"},
      {"unknown OID", "1.2.3=a\n", u"1.2.33", ""},
      {"line without equals sign", "1.2.3\n", u"1.2.3", ""},
      {"blank and empty-name lines give nothing", "\n   \n=orphan\n", u"", ""},
      {"Latin-1 without a byte-order mark", "1.2.3=caf\xE9\n", u"1.2.3", "caf\xC3\xA9"},
      {"UTF-8 with a byte-order mark", "\xEF\xBB\xBF" "1.2.3=caf\xC3\xA9\n", u"1.2.3", "caf\xC3\xA9"},
      {"UTF-16 little-endian", std::string("\xFF\xFE" "1\0=\0\xE9\0\n\0", 10), u"1", "\xC3\xA9"},
      {"UTF-16 big-endian", std::string("\xFE\xFF\0" "1\0=\0\xE9\0\n", 10), u"1", "\xC3\xA9"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Label);
    Load(c.File);
    EXPECT_EQ(Descr(c.Oid), c.Expected);
  }
}

TEST_F(OIDDictionary, LoadsOidTxtFromAFolder) {
  const std::filesystem::path folder = std::filesystem::path(::testing::TempDir()) / "asn_oid_dictionary_test";
  std::filesystem::create_directories(folder);
  {
    std::ofstream out(folder / "oid.txt", std::ios::binary);
    out << "2.5.4.3=commonName\r\n";
  }
  for (const std::string& name : {folder.string(), folder.string() + "/"}) {
    SCOPED_TRACE(name);
    Dictionary.Clear();
    EXPECT_TRUE(Dictionary.LoadFolder(name));
    EXPECT_EQ(Descr(u"2.5.4.3"), "commonName");
  }
  EXPECT_FALSE(Dictionary.LoadFolder((folder / "missing").string()));
  EXPECT_EQ(Descr(u"2.5.4.3"), "");
  std::filesystem::remove_all(folder);
}

TEST_F(OIDDictionary, DecodeOIDLooksUpOnlyAbsoluteIdentifiers) {
  Load("2.5.4.3=commonName\n85.4.3=relative\n");
  TASNParser parser;
  parser.OIDDictionary = &Dictionary;
  std::u16string descr;
  EXPECT_EQ(parser.DecodeOID(test::Hex("55 04 03"), descr, false), u"2.5.4.3");
  EXPECT_EQ(descr, u"commonName");
  EXPECT_EQ(parser.DecodeOID(test::Hex("55 04 03"), descr, true), u"85.4.3");
  EXPECT_EQ(descr, u"");

  test::ParseOutcome outcome = test::ParseHex("06 03 55 04 03", /*spaceInHex=*/true, &Dictionary);
  ASSERT_EQ(outcome.Trace.Tags.size(), 1u);
  EXPECT_EQ(outcome.Trace.Tags[0].OIDDescr, u"commonName");
}

TEST_F(OIDDictionary, WithoutDictionaryDescriptionsAreEmpty) {
  Load("2.5.4.3=commonName\n");
  test::ParseOutcome outcome = test::ParseHex("06 03 55 04 03");
  ASSERT_EQ(outcome.Trace.Tags.size(), 1u);
  EXPECT_EQ(outcome.Trace.Tags[0].OIDDescr, u"");
  EXPECT_EQ(outcome.Trace.Tags[0].Error, u"");
}

}  // namespace
}  // namespace asn
