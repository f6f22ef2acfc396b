// XML export: the exact file for a small document, element and attribute rules,
// escaping, well-formedness of every sample, and safe replacement of the target.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/fake/fake_platform.h"
#include "viewer_test_util.h"

namespace viewer {
namespace {

using test::HexBytes;
using test::Shared;

class TRecorder : public IXmlLineSink {
 public:
  void AddLine(std::int32_t level, std::u16string_view text) override {
    Lines.append(std::to_string(level)).append("|").append(settings::Utf16ToUtf8(text)).append("\n");
  }
  std::string Lines;
};

std::size_t FilesIn(const std::filesystem::path& folder) {
  return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

class XmlExportTest : public ::testing::Test {
 protected:
  void Decode(std::string_view hex) {
    Probe(Form).RunCaptured([&] { Probe(Form).ParseASN(Shared(HexBytes(hex))); });
  }
  std::string Lines() {
    TRecorder recorder;
    Probe(Form).WriteTag(Probe(Form).Root(), recorder, 0);
    return recorder.Lines;
  }
  platform::fake::TFakePlatform Fake;
  TMainForm Form{Fake.Platform, u"/data/certs/cert.pem"};
  test::TTempDir Temp;
};

TEST_F(XmlExportTest, WritesTheEightLinesOfASmallDocument) {
  Decode("30 03 02 01 05");
  auto target = Temp.Path / "out.xml";
  Fake.Dialogs.SaveFileAnswer = target.u16string();
  Probe(Form).SaveToXML();
  EXPECT_EQ(test::ReadAll(target),
            "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
            "<Root Size=\"5\">\r\n"
            "    <SEQUENCE TagClass=\"0\" TagNumber=\"16\" Constructed=\"True\" Offset=\"0\" HeaderLength=\"2\" "
            "Length=\"3\">\r\n"
            "        <INTEGER TagClass=\"0\" TagNumber=\"2\" Constructed=\"False\" Offset=\"2\" HeaderLength=\"2\" "
            "Length=\"1\">\r\n"
            "            5\r\n"
            "        </INTEGER>\r\n"
            "    </SEQUENCE>\r\n"
            "</Root>\r\n");
  EXPECT_EQ(Fake.Dialogs.LastFilter, u"XML files (*.xml)|*.xml|All files (*.*)|*.*");
  EXPECT_EQ(Fake.Dialogs.LastProposedName, u"cert.xml");
  EXPECT_EQ(Fake.Host.ParentActivations, 1);
  EXPECT_EQ(FilesIn(Temp.Path), 1u);
}

TEST_F(XmlExportTest, CancelWritesNothing) {
  Decode("05 00");
  Probe(Form).SaveToXML();
  EXPECT_EQ(FilesIn(Temp.Path), 0u);
  EXPECT_EQ(Fake.Host.ParentActivations, 0);
}

TEST_F(XmlExportTest, ProposesTheFilePartWithXml) {
  const std::pair<std::u16string, std::u16string> cases[] = {
      {u"/data/cert.pem", u"cert.xml"},
      {u"C:\\Keys\\my.key.der", u"my.key.xml"},
      {u"noext", u"noext.xml"},
      {u"dir.d/noext", u"noext.xml"},
  };
  for (const auto& [file, proposed] : cases) {
    SCOPED_TRACE(settings::Utf16ToUtf8(file));
    Probe(Form).Document().SetFileName(file);
    EXPECT_EQ(Probe(Form).ProposedXmlName(), proposed);
  }
}

TEST_F(XmlExportTest, ElementsFollowTheNamingAndAttributeRules) {
  struct {
    const char* Label;
    const char* Hex;
    const char* Lines;  // without the root's two lines
  } cases[] = {
      {"context-specific constructed", "A0 03 02 01 01",
       "1|<Context-specific_0 TagClass=\"2\" TagNumber=\"0\" Constructed=\"True\" Offset=\"0\" HeaderLength=\"2\" "
       "Length=\"3\">\n2|<INTEGER TagClass=\"0\" TagNumber=\"2\" Constructed=\"False\" Offset=\"2\" "
       "HeaderLength=\"2\" Length=\"1\">\n3|1\n2|</INTEGER>\n1|</Context-specific_0>\n"},
      {"application tag, no value line when empty", "63 00",
       "1|<APPLICATION_3 TagClass=\"1\" TagNumber=\"3\" Constructed=\"True\" Offset=\"0\" HeaderLength=\"2\" "
       "Length=\"0\">\n1|</APPLICATION_3>\n"},
      {"primitive bit string", "03 02 07 80",
       "1|<BIT_STRING TagClass=\"0\" TagNumber=\"3\" Constructed=\"False\" Offset=\"0\" HeaderLength=\"2\" "
       "Length=\"2\" UnusedBits=\"7\">\n2|1\n1|</BIT_STRING>\n"},
      {"constructed bit string gets UnusedBits 0", "23 03 03 01 00",
       "1|<BIT_STRING TagClass=\"0\" TagNumber=\"3\" Constructed=\"True\" Offset=\"0\" HeaderLength=\"2\" "
       "Length=\"3\" UnusedBits=\"0\">\n2|<BIT_STRING TagClass=\"0\" TagNumber=\"3\" Constructed=\"False\" "
       "Offset=\"2\" HeaderLength=\"2\" Length=\"1\" UnusedBits=\"0\">\n2|</BIT_STRING>\n1|</BIT_STRING>\n"},
      {"octet string never has UnusedBits", "04 01 AA",
       "1|<OCTET_STRING TagClass=\"0\" TagNumber=\"4\" Constructed=\"False\" Offset=\"0\" HeaderLength=\"2\" "
       "Length=\"1\">\n2|AA\n1|</OCTET_STRING>\n"},
      {"integer of five octets", "02 05 01 00 00 00 00",
       "1|<INTEGER TagClass=\"0\" TagNumber=\"2\" Constructed=\"False\" Offset=\"0\" HeaderLength=\"2\" "
       "Length=\"5\" BitLength=\"33\">\n2|4294967296\n1|</INTEGER>\n"},
      {"unnamed universal type", "0E 00",
       "1|<Unknown TagClass=\"0\" TagNumber=\"14\" Constructed=\"False\" Offset=\"0\" HeaderLength=\"2\" "
       "Length=\"0\">\n1|</Unknown>\n"},
      {"markup in a value", "0C 03 3C 26 3E",
       "1|<UTF8String TagClass=\"0\" TagNumber=\"12\" Constructed=\"False\" Offset=\"0\" HeaderLength=\"2\" "
       "Length=\"3\">\n2|&lt;&amp;&gt;\n1|</UTF8String>\n"},
      {"control character and lone surrogate", "1E 04 00 01 D8 00",
       "1|<BMPString TagClass=\"0\" TagNumber=\"30\" Constructed=\"False\" Offset=\"0\" HeaderLength=\"2\" "
       "Length=\"4\">\n2|\xEF\xBF\xBD\xEF\xBF\xBD\n1|</BMPString>\n"},
      {"fatal error row is left out", "05 00 02",
       "1|<NULL TagClass=\"0\" TagNumber=\"5\" Constructed=\"False\" Offset=\"0\" HeaderLength=\"2\" "
       "Length=\"0\">\n1|</NULL>\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    Decode(c.Hex);
    std::string size = std::to_string(HexBytes(c.Hex).size());
    EXPECT_EQ(Lines(), "0|<Root Size=\"" + size + "\">\n" + c.Lines + "0|</Root>\n");
  }
}

TEST_F(XmlExportTest, DescriptionGoesToItsAttributeEscaped) {
  std::string dictionary = "1.2.3=R&D \"lab\"\n";
  asn::TOIDDictionary oids;
  oids.LoadBytes(std::span(reinterpret_cast<const std::uint8_t*>(dictionary.data()), dictionary.size()));
  Probe(Form).Document().OIDDictionary = &oids;
  Decode("06 02 2A 03");
  Probe(Form).Document().OIDDictionary = nullptr;
  EXPECT_EQ(Lines(),
            "0|<Root Size=\"4\">\n1|<OBJECT_IDENTIFIER TagClass=\"0\" TagNumber=\"6\" Constructed=\"False\" "
            "Offset=\"0\" HeaderLength=\"2\" Length=\"2\" Description=\"R&amp;D &quot;lab&quot;\">\n2|1.2.3\n"
            "1|</OBJECT_IDENTIFIER>\n0|</Root>\n");
}

TEST(EscapeXmlTest, EscapesMarkupAndReplacesWhatXmlForbids) {
  const std::pair<std::u16string_view, std::u16string_view> cases[] = {
      {u"a&b<c>d\"e'f", u"a&amp;b&lt;c&gt;d&quot;e'f"},
      {u"&amp;", u"&amp;amp;"},
      {u"tab\tLF\nCR\r", u"tab\tLF\nCR\r"},
      {std::u16string_view(u"\0\x01\x1F", 3), u"\uFFFD\uFFFD\uFFFD"},
      {u"\uFFFE\uFFFF\uFFFD", u"\uFFFD\uFFFD\uFFFD"},
      {u"\U0001F600", u"\U0001F600"},
      {u"x\xD800y", u"x\uFFFDy"},
      {u"\xDC00\xD800", u"\uFFFD\uFFFD"},
      {u"end\xD83D", u"end\uFFFD"},
  };
  for (const auto& [text, escaped] : cases) {
    SCOPED_TRACE(settings::Utf16ToUtf8(text));
    EXPECT_EQ(EscapeXML(text), escaped);
  }
}

TEST_F(XmlExportTest, ReplacesAGoodFileOnlyWhenTheNewOneIsComplete) {
  auto target = Temp.Path / "keep.xml";
  test::WriteAll(target, "good");
  {
    TXmlFileWriter writer(target);
    writer.AddLine(0, XmlDeclaration);
    writer.AddLine(0, u"<Root Size=\"0\">");
  }  // abandoned half way
  EXPECT_EQ(test::ReadAll(target), "good");
  EXPECT_EQ(FilesIn(Temp.Path), 1u);

  Decode("05 00");
  Fake.Dialogs.SaveFileAnswer = target.u16string();
  Probe(Form).SaveToXML();
  EXPECT_EQ(test::ReadAll(target).substr(0, 8), "\xEF\xBB\xBF<?xml");
  EXPECT_EQ(FilesIn(Temp.Path), 1u);
}

TEST_F(XmlExportTest, FailedWriteIsReportedAndLeavesNoTrace) {
  Decode("05 00");
  auto occupied = Temp.Path / "folder.xml";
  std::filesystem::create_directory(occupied);
  test::WriteAll(occupied / "inside", "x");
  Fake.Dialogs.SaveFileAnswer = occupied.u16string();
  Probe(Form).SaveToXML();
  ASSERT_EQ(Fake.Dialogs.Messages.size(), 1u);
  EXPECT_TRUE(Fake.Dialogs.Messages[0].Text.starts_with(u"Cannot write " + occupied.u16string()));
  EXPECT_EQ(Fake.Dialogs.Messages[0].Kind, platform::TMessageBoxKind::mbError);
  EXPECT_EQ(Fake.Host.ParentActivations, 0);
  EXPECT_EQ(FilesIn(Temp.Path), 1u);
  EXPECT_TRUE(std::filesystem::is_directory(occupied));

  Fake.Dialogs.SaveFileAnswer = (Temp.Path / "no-such-folder" / "out.xml").u16string();
  Probe(Form).SaveToXML();
  ASSERT_EQ(Fake.Dialogs.Messages.size(), 2u);
  EXPECT_TRUE(Fake.Dialogs.Messages[1].Text.starts_with(u"Cannot create "));
}

TEST_F(XmlExportTest, EverySampleExportsWellFormed) {
  if (std::system("xmllint --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "xmllint is not installed";
  // Beside the samples, strings with characters XML forbids: controls, U+FFFE and
  // an unpaired surrogate.
  auto hostile = Temp.Path / "inputs";
  std::filesystem::create_directory(hostile);
  auto bytes = HexBytes("30 10 1E 06 00 01 D8 00 FF FE 0C 06 01 08 1B 3C 26 22");
  test::WriteAll(hostile / "controls.der", std::string(bytes.begin(), bytes.end()));
  std::vector<std::filesystem::path> inputs{hostile / "controls.der"};
  for (const auto& entry : std::filesystem::directory_iterator(test::SamplesDir())) inputs.push_back(entry.path());

  int exported = 0;
  for (const auto& input : inputs) {
    auto name = input.filename().string();
    if (name == "README.md" || name.ends_with(".sh")) continue;
    SCOPED_TRACE(name);
    TMainForm form(Fake.Platform, input.u16string());
    Probe(form).LoadFile();
    ASSERT_GT(Probe(form).TagsCount(), 0);
    auto target = Temp.Path / (name + ".xml");
    Fake.Dialogs.SaveFileAnswer = target.u16string();
    Probe(form).SaveToXML();
    std::string command = "xmllint --noout '" + target.string() + "'";
    EXPECT_EQ(std::system(command.c_str()), 0);
    ++exported;
  }
  EXPECT_GT(exported, 20);
  EXPECT_TRUE(Fake.Dialogs.Messages.empty());
}

}  // namespace
}  // namespace viewer
