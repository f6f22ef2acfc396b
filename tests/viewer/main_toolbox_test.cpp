// The element toolbox: the focused row's element copied as Base64, PEM and a
// C array, from the element's own row and from the rows that belong to it.
#include <string>

#include "settings/text.h"
#include "views_test_util.h"

namespace viewer::test {
namespace {

class ToolboxTest : public ViewsTest {
 protected:
  void SetUp() override {
    ViewsTest::SetUp();
    Form.SetClipboardWait([](int) {});
  }
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
    Focus(Form.TreeVT().GetFirst());
    const std::string pem = Copied(&TMainForm::CopyAsPem);
    EXPECT_EQ(pem.substr(0, pem.find('\n')), std::string("-----BEGIN ") + c.Label + "-----");
  }
}

}  // namespace
}  // namespace viewer::test
