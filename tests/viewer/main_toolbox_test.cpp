// The element toolbox: the focused row's element copied as Base64, PEM and a
// C array, from the element's own row and from the rows that belong to it;
// Element info and Save element as checked against openssl; Go to offset.
#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <functional>
#include <string>

#include "platform/posix/posix_system.h"
#include "settings/lang.h"
#include "settings/text.h"
#include "text/ascii.h"
#include "views_test_util.h"

namespace viewer::test {
namespace {

// A front-end stand-in: User acts inside the modal run, then Esc closes
// whatever is still open.
class TScriptedRunner : public settings::IDialogRunner {
 public:
  std::function<void(settings::TDialogController&)> User;
  int Runs = 0;
  settings::TScreenRect ViewerScreenRect() override { return {0, 0, 800, 600}; }
  void RunDialog(settings::TDialogController& dialog, const settings::TScreenRect&) override {
    ++Runs;
    bool closed = false;
    dialog.OnCloseRequest = [&] { closed = true; };
    if (User) User(dialog);
    if (!closed) dialog.KeyDown(platform::vk::Escape);
    EXPECT_TRUE(dialog.CloseRequested());
    dialog.OnCloseRequest = nullptr;
  }
};

// Standard output of a shell command; empty when it fails.
std::string Shell(const std::string& command) {
  std::string out;
  FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
  if (pipe == nullptr) return out;
  std::array<char, 256> chunk;
  while (std::size_t n = fread(chunk.data(), 1, chunk.size(), pipe)) out.append(chunk.data(), n);
  return pclose(pipe) == 0 ? out : std::string();
}

// "sha256 Fingerprint=AB:CD:..." or "SHA2-256(stdin)= abcd..." as upper-case hex digits.
std::string DigestOf(std::string openssl) {
  openssl = openssl.substr(openssl.find('=') + 1);
  std::string hex;
  for (char c : openssl)
    if (std::isxdigit(static_cast<unsigned char>(c))) hex.push_back(static_cast<char>(std::toupper(c)));
  return hex;
}

class ToolboxTest : public ViewsTest {
 protected:
  void SetUp() override {
    ViewsTest::SetUp();
    Probe(Form).SetClipboardWait([](int) {});
    Probe(Form).SetDialogRunner(&Runner);
    Fake.System.Digester = platform::posix::LibcryptoDigest;
    settings::InitLanguages();
  }
  void TearDown() override { settings::FreeLanguages(); }
  TScriptedRunner Runner;
  std::string Copied(void (TMainForm::*command)()) {
    Fake.Clipboard.Text.clear();
    (Form.*command)();
    return settings::Utf16ToUtf8(Fake.Clipboard.Text);
  }
};

TEST_F(ToolboxTest, CopyAsGivesTheWholeEncodingOfTheRowsElement) {
  // SEQUENCE { INTEGER 00 05 }: the INTEGER has a problem row as well.
  ShowHex("30 04 02 02 00 05");
  struct {
    const char* Row;
    void (TMainForm::*Command)();
    std::string Expected;
  } cases[] = {
      {"INTEGER", &TMainForm::CopyAsBase64, "AgIABQ=="},
      {"INTEGER", &TMainForm::CopyAsPem, "-----BEGIN ASN1 DATA-----\nAgIABQ==\n-----END ASN1 DATA-----\n"},
      {"INTEGER", &TMainForm::CopyAsCArray, "const unsigned char element[4] = {\n    0x02, 0x02, 0x00, 0x05,\n};\n"},
      {"SEQUENCE", &TMainForm::CopyAsBase64, "MAQCAgAF"},
      {"Offset:", &TMainForm::CopyAsBase64, "MAQCAgAF"},  // the SEQUENCE's attribute row
      {"DER:", &TMainForm::CopyAsBase64, "AgIABQ=="},      // the INTEGER's problem row
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Row);
    const TNodeId row = RowNamed(c.Row);
    ASSERT_NE(row, NoNode);
    Focus(row);
    EXPECT_EQ(Copied(c.Command), c.Expected);
  }
  Focus(NoNode);
  EXPECT_EQ(Copied(&TMainForm::CopyAsPem), "");
}

TEST_F(ToolboxTest, PemLabelComesFromTheRecognisedStructure) {
  struct {
    const char* Sample;
    const char* Label;
  } cases[] = {
      {"cert.der", "CERTIFICATE"}, {"crl.der", "X509 CRL"},     {"csr.der", "CERTIFICATE REQUEST"},
      {"p7-signed.der", "PKCS7"},  {"rsa-key.der", "RSA PRIVATE KEY"},
      {"ec-key.der", "EC PRIVATE KEY"}, {"bundle.p12", "PKCS12"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Sample);
    ShowSample(c.Sample);
    Focus(Probe(Form).TreeVT().GetFirst());
    const std::string pem = Copied(&TMainForm::CopyAsPem);
    EXPECT_EQ(pem.substr(0, pem.find('\n')), std::string("-----BEGIN ") + c.Label + "-----");
  }
}

TEST_F(ToolboxTest, ElementInfoShowsOffsetsPathAndTheDigestsOpensslComputes) {
  const std::filesystem::path cert = SamplesDir() / "cert.der";
  const std::string der = ReadAll(cert);
  Probe(Form).Settings().FieldNames = true;
  Probe(Form).Settings().ShowAttributes = true;
  ShowSample("cert.der");
  TTempDir dir;
  WriteAll(dir.Path / "content.bin", der.substr(4));  // a certificate's header is 30 82 hh ll
  const std::string openssl = "openssl x509 -inform DER -noout -in " + cert.string();
  struct {
    const char* Row;  // focused before the command
    std::string Offset, HeaderLength, ContentLength, Path, Sha256, Sha1, ContentSha256;
  } cases[] = {
      {"SEQUENCE", "0", "4", std::to_string(der.size() - 4), "Certificate",
       DigestOf(Shell(openssl + " -fingerprint -sha256")), DigestOf(Shell(openssl + " -fingerprint -sha1")),
       DigestOf(Shell("openssl dgst -sha256 < " + (dir.Path / "content.bin").string()))},
      // An attribute row stands for its element: the certificate's own.
      {"Offset:", "0", "4", std::to_string(der.size() - 4), "Certificate", "", "", ""},
  };
  ASSERT_EQ(cases[0].Sha256.size(), 64u) << "openssl printed a SHA-256 fingerprint";
  cases[1].Sha256 = cases[0].Sha256;
  cases[1].Sha1 = cases[0].Sha1;
  cases[1].ContentSha256 = cases[0].ContentSha256;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Row);
    Focus(RowNamed(c.Row));
    std::vector<std::string> shown;
    Runner.User = [&](settings::TDialogController& dialog) {
      for (const char* field : {"edOffset", "edHeaderLength", "edContentLength", "edPath", "edSha256", "edSha1",
                                "edContentSha256"})
        shown.push_back(settings::Utf16ToUtf8(dialog.Controls[field].Text));
      dialog.ButtonClick("btnCopySha256");
      EXPECT_FALSE(dialog.CloseRequested());
      dialog.ButtonClick("btnOK");
    };
    ASSERT_TRUE(Probe(Form).KeyDown({'I', false, true, true}));
    EXPECT_EQ(shown, (std::vector<std::string>{c.Offset, c.HeaderLength, c.ContentLength, c.Path, c.Sha256, c.Sha1,
                                               c.ContentSha256}));
    EXPECT_EQ(settings::Utf16ToUtf8(Fake.Clipboard.Text), c.Sha256) << "the copy button copies its field";
  }
}

TEST_F(ToolboxTest, ElementInfoLeavesTheEndOfContentsOutOfTheContent) {
  // A streamed CMS: 30 80 at 0 ends with the file; the constructed OCTET
  // STRING 24 80 at 50 holds one of 34 octets (52 to 86), then 00 00.
  const std::string ber = ReadAll(SamplesDir() / "cms-stream.der");
  ASSERT_EQ(ber.substr(ber.size() - 2), std::string(2, '\0'));
  ShowSample("cms-stream.der");
  TTempDir dir;
  auto sha256 = [&](std::size_t from, std::size_t end) {
    WriteAll(dir.Path / "slice.bin", ber.substr(from, end - from));
    return DigestOf(Shell("openssl dgst -sha256 < " + (dir.Path / "slice.bin").string()));
  };
  struct {
    std::int32_t Offset;
    std::size_t ContentStart, ContentEnd, End;
  } cases[] = {
      {0, 2, ber.size() - 2, ber.size()},
      {50, 52, 86, 88},
      {52, 54, 86, 86},  // definite: all of it
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Offset);
    const TTag element = Form.ElementOfRow(Probe(Form).GetNodeByOffset(c.Offset));
    ASSERT_EQ(element.Offset(), c.Offset);
    const TElementInfo info = Form.ElementInfoOf(element);
    EXPECT_EQ(info.ContentLength, static_cast<std::int32_t>(c.ContentEnd - c.ContentStart));
    EXPECT_EQ(settings::Utf16ToUtf8(info.ContentSha256), sha256(c.ContentStart, c.ContentEnd));
    EXPECT_EQ(settings::Utf16ToUtf8(info.Sha256), sha256(static_cast<std::size_t>(c.Offset), c.End))
        << "the whole encoding keeps them";
  }
}

TEST_F(ToolboxTest, SaveElementAsWritesACertificateOutOfPkcs7AsDerAndPem) {
  TTempDir dir;
  const std::filesystem::path cert = SamplesDir() / "cert.pem";
  const std::filesystem::path p7 = dir.Path / "chain.p7b";
  ASSERT_EQ(Shell("openssl crl2pkcs7 -nocrl -outform DER -certfile " + cert.string() + " -out " + p7.string() +
                " && echo ok"),
            "ok\n");
  const std::string certDer = ReadAll(SamplesDir() / "cert.der");
  const std::string p7Der = ReadAll(p7);
  const std::size_t at = p7Der.find(certDer);
  ASSERT_NE(at, std::string::npos);
  Show(std::vector<std::uint8_t>(p7Der.begin(), p7Der.end()));
  Probe(Form).Document().SetFileName(settings::Utf8ToUtf16(p7.string()));
  const std::string fingerprint = Shell("openssl x509 -noout -fingerprint -sha256 -in " + cert.string());
  ASSERT_FALSE(fingerprint.empty());

  std::filesystem::create_directory(dir.Path / "taken.der");
  struct {
    const char* Label;
    const char* Name;
    int Filter;
    const char* Inform;  // empty: the save fails with a message
  } cases[] = {
      {"DER", "out.der", 0, "DER"},
      {"PEM", "out.pem", 1, "PEM"},
      {"into a missing folder", "missing/out.der", 0, ""},
      {"over a folder", "taken.der", 0, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    ASSERT_NE(Probe(Form).GetNodeByOffset(static_cast<std::int32_t>(at)), NoNode);
    const std::filesystem::path out = dir.Path / c.Name;
    Fake.Dialogs.SaveFileAnswer = settings::Utf8ToUtf16(out.string());
    Fake.Dialogs.SaveFilterAnswer = c.Filter;
    Fake.Dialogs.Messages.clear();
    ASSERT_TRUE(Probe(Form).KeyDown({'S', true, true, false}));
    EXPECT_EQ(Fake.Dialogs.LastProposedName, u"chain-" + text::DecimalText(static_cast<std::int64_t>(at)) + u".der");
    if (*c.Inform == '\0') {
      EXPECT_EQ(Fake.Dialogs.Messages.size(), 1u);
      EXPECT_TRUE(!std::filesystem::exists(out) || std::filesystem::is_directory(out));
      EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path), {}), 4) << "no temporary file left";
      continue;
    }
    EXPECT_TRUE(Fake.Dialogs.Messages.empty());
    EXPECT_EQ(Shell(std::string("openssl x509 -noout -fingerprint -sha256 -inform ") + c.Inform + " -in " + out.string()),
              fingerprint);
    if (c.Filter == 0) {
      EXPECT_EQ(ReadAll(out), certDer);
    }
  }
}

TEST_F(ToolboxTest, GoToOffsetFocusesTheElementAndTheByteOrSaysWhatIsWrong) {
  // SEQUENCE { INTEGER 5, OCTET STRING "hello" }: 12 bytes, 8 to a hex row.
  ShowHex("30 0A 02 01 05 04 05 68 65 6C 6C 6F");
  const std::u16string notAnOffset = settings::GetLangTextById(702);
  const std::u16string pastTheEnd = settings::GetLangTextById(703) + u" 11 ($B).";
  struct {
    std::u16string Typed;
    std::string Element;  // empty: an error, nothing moves
    int Row, Column;
    std::u16string Error;
  } cases[] = {
      {u"9", "OCTET STRING", 1, 1, u""},  // a byte inside a value
      {u"$2", "INTEGER", 0, 2, u""},
      {u"0x0b", "OCTET STRING", 1, 3, u""},
      {u" 0X4 ", "INTEGER", 0, 4, u""},
      {u"1", "SEQUENCE", 0, 1, u""},  // a length octet belongs to its own element
      {u"12", "", 0, 0, pastTheEnd},
      {u"2147483647", "", 0, 0, pastTheEnd},
      {u"2147483648", "", 0, 0, notAnOffset},
      {u"-1", "", 0, 0, notAnOffset},
      {u"", "", 0, 0, notAnOffset},
      {u"$", "", 0, 0, notAnOffset},
      {u"0x", "", 0, 0, notAnOffset},
      {u"$1G", "", 0, 0, notAnOffset},
      {u"1e3", "", 0, 0, notAnOffset},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(settings::Utf16ToUtf8(c.Typed));
    Focus(Probe(Form).TreeVT().GetFirst());  // the SEQUENCE
    Probe(Form).Hex1VT().SetFocusedNode(Probe(Form).HexNodes(0).Hex1);
    Probe(Form).Hex1VT().SetFocusedColumn(6);
    Fake.Dialogs.Messages.clear();
    std::u16string error = u"not run";
    Runner.User = [&](settings::TDialogController& dialog) {
      EXPECT_EQ(dialog.FocusedControl, "edOffset");
      dialog.EditChange("edOffset", c.Typed);
      EXPECT_TRUE(dialog.KeyDown(platform::vk::Return));
      error = static_cast<TGoToOffsetForm&>(dialog).Error();
      EXPECT_EQ(dialog.CloseRequested(), c.Error.empty()) << "a bad entry leaves the dialog open";
    };
    ASSERT_TRUE(Probe(Form).KeyDown({'G', false, true, false}));
    EXPECT_EQ(error, c.Error);
    const bool moved = !c.Element.empty();
    EXPECT_EQ(Fake.Dialogs.Messages.size(), moved ? 0u : 1u);
    EXPECT_EQ(settings::Utf16ToUtf8(Probe(Form).GetTag(Probe(Form).TreeVT().FocusedNode()).Name()), moved ? c.Element : "SEQUENCE");
    EXPECT_EQ(Probe(Form).Hex1VT().FocusedNode(), Probe(Form).HexNodes(moved ? c.Row : 0).Hex1);
    EXPECT_EQ(Probe(Form).Hex1VT().FocusedColumn(), moved ? c.Column : 6);
    EXPECT_EQ(Probe(Form).Hex2VT().FocusedColumn(), Probe(Form).Hex1VT().FocusedColumn()) << "the text grid follows";
  }
}

}  // namespace
}  // namespace viewer::test
