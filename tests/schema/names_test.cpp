// Field names on real files of every kind the schemas cover, and on damaged ones.
#include "schema/names.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "asn/asn.h"

namespace {

// The elements of one buffer as the BER walk reports them, kept the way the
// viewer's document keeps them: in document order, parents first.
class TWalkedTree final : public asn::IElementTree {
 public:
  explicit TWalkedTree(const std::vector<std::uint8_t>& bytes) {
    asn::TASNParser parser;
    std::vector<std::uint32_t> open{asn::NoElement};
    auto add = [&](const asn::TASNTag& tag) {
      const std::uint32_t index = static_cast<std::uint32_t>(FHeaders.size());
      FHeaders.push_back(tag);  // the header part of the record
      FParents.push_back(open.back());
      FChildren.emplace_back();
      (open.back() == asn::NoElement ? FTop : FChildren[open.back()]).push_back(index);
      return index;
    };
    parser.OnNewConstructed = [&](const asn::TASNTag& tag) { open.push_back(add(tag)); };
    parser.OnNewPrimitive = [&](const asn::TASNTag& tag) { add(tag); };
    parser.OnEndConstructed = [&] {
      if (open.size() > 1) open.pop_back();
    };
    try {
      parser.Parse(bytes);
    } catch (const asn::EParserException&) {
      Damaged = true;  // what came before stays, as in the viewer
    }
  }
  std::uint32_t ElementCount() const override { return static_cast<std::uint32_t>(FHeaders.size()); }
  asn::TElementHeader Header(std::uint32_t e) const override { return FHeaders[e]; }
  std::uint32_t Parent(std::uint32_t e) const override { return FParents[e]; }
  std::uint32_t ChildCount(std::uint32_t e) const override {
    return static_cast<std::uint32_t>((e == asn::NoElement ? FTop : FChildren[e]).size());
  }
  std::uint32_t Child(std::uint32_t e, std::uint32_t i) const override {
    return (e == asn::NoElement ? FTop : FChildren[e])[i];
  }
  // The element at offset (the outermost one that starts there when several do).
  std::uint32_t At(std::int32_t offset) const {
    for (std::uint32_t e = 0; e < FHeaders.size(); ++e)
      if (FHeaders[e].Offset == offset) return e;
    return asn::NoElement;
  }
  bool Damaged = false;

 private:
  std::vector<asn::TElementHeader> FHeaders;
  std::vector<std::uint32_t> FParents;
  std::vector<std::vector<std::uint32_t>> FChildren;
  std::vector<std::uint32_t> FTop;
};

std::vector<std::uint8_t> ReadInput(const std::string& relative) {
  std::ifstream file(std::string(BRAMLET_SOURCE_DIR) + "/" + relative, std::ios::binary);
  EXPECT_TRUE(file) << relative;
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

bool IsEndOfContents(const asn::TElementHeader& h) {
  return h.TagClass == asn::ASN1Universal && h.TagNumber == 0 && !h.Constructed;
}

// One file of each kind; the samples come from samples/make-samples.sh, the
// rest from tests/data/names/make.sh.
const char* const WellFormed[] = {
    "samples/cert.der",           "samples/p256-cert.der",           "samples/ed25519-cert.der",
    "samples/crl.der",            "samples/csr.der",                 "samples/rsa-key.der",
    "samples/rsa-key.p8.der",     "samples/ec-key.der",              "samples/ec-key.p8.der",
    "samples/p7-signed.der",      "samples/chain.p7b",               "samples/cms-stream.der",
    "samples/bundle.p12",         "tests/data/names/bundle.p12",     "tests/data/names/pbes2-key.der",
    "tests/data/names/scrypt-key.der", "tests/data/names/signed.der", "tests/data/names/enveloped.der",
    "tests/data/names/enveloped-pwri.der", "tests/data/names/digested.der", "tests/data/names/encrypted.der",
    "tests/data/names/ocsp-req.der", "tests/data/names/ocsp-resp.der", "tests/data/names/ts-req.der",
    "tests/data/names/ts-resp.der", "tests/data/names/dsa-params.der", "tests/data/names/ec-explicit-key.der",
    "tests/data/names/rsa-pss-key.der", "tests/data/names/rsa-pss-pub.der", "tests/data/names/signed-ec.der",
    "tests/data/names/ocsp-resp-ec.der", "tests/data/names/dhx-params.der",
};

// The PEM label each input needs: a type made only of INTEGERs is given on
// evidence alone.
std::string_view PemLabelOf(std::string_view input) {
  if (input.starts_with("samples/rsa-key.")) return "RSA PRIVATE KEY";
  if (input.ends_with("dsa-params.der")) return "DSA PARAMETERS";
  return {};
}

using TBytes = std::vector<std::uint8_t>;

TBytes Tlv(std::uint8_t tag, const TBytes& content) {
  TBytes out{tag};
  const std::size_t n = content.size();
  if (n < 0x80) out.push_back(static_cast<std::uint8_t>(n));
  else if (n < 0x100) out.insert(out.end(), {0x81, static_cast<std::uint8_t>(n)});
  else if (n < 0x10000) out.insert(out.end(), {0x82, static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n)});
  else
    out.insert(out.end(), {0x83, static_cast<std::uint8_t>(n >> 16), static_cast<std::uint8_t>(n >> 8),
                           static_cast<std::uint8_t>(n)});
  out.insert(out.end(), content.begin(), content.end());
  return out;
}

TBytes Cat(std::initializer_list<TBytes> parts) {
  TBytes out;
  for (const TBytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

TBytes Repeat(const TBytes& part, int times) {
  TBytes out;
  for (int i = 0; i < times; ++i) out.insert(out.end(), part.begin(), part.end());
  return out;
}

const TBytes Sha256WithRsa = Tlv(0x30, Cat({Tlv(0x06, {0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01, 0x01, 0x0B}), {0x05, 0x00}}));

// A revoked entry; every third has a reason code, which changes its shape.
TBytes CrlEntry(int serial) {
  const TBytes head = Cat({Tlv(0x02, {0x01, static_cast<std::uint8_t>(serial)}), Tlv(0x17, TBytes(13, '0'))});
  if (serial % 3 != 0) return Tlv(0x30, head);
  const TBytes reason = Tlv(0x30, Cat({Tlv(0x06, {0x55, 0x1D, 0x15}), Tlv(0x04, Tlv(0x0A, {0x01}))}));
  return Tlv(0x30, Cat({head, Tlv(0x30, reason)}));
}

// A CRL around the revoked list entries (its contents octets).
TBytes Crl(const TBytes& entries, bool indefinite = false) {
  const TBytes issuer = Tlv(0x30, Tlv(0x31, Tlv(0x30, Cat({Tlv(0x06, {0x55, 0x04, 0x03}), Tlv(0x0C, {'C', 'A'})}))));
  TBytes list = indefinite ? Cat({{0x30, 0x80}, entries, {0x00, 0x00}}) : Tlv(0x30, entries);
  const TBytes tbs = Tlv(0x30, Cat({Tlv(0x02, {0x01}), Sha256WithRsa, issuer, Tlv(0x17, TBytes(13, '0')), list}));
  return Tlv(0x30, Cat({tbs, Sha256WithRsa, Tlv(0x03, {0x00, 0x5A})}));
}

TBytes CrlEntries(int count) {
  TBytes entries;
  for (int i = 0; i < count; ++i) {
    const TBytes entry = CrlEntry(i);
    entries.insert(entries.end(), entry.begin(), entry.end());
  }
  return entries;
}

// Inputs with families of many items: the top level of a bundle, a CRL's
// entries, a SET OF CRLs each with its entries, and lists that break off.
std::vector<std::pair<const char*, TBytes>> ManyItems() {
  const TBytes cert = ReadInput("samples/cert.der");
  const TBytes crl = Crl(CrlEntries(100));
  const TBytes signedData =
      Tlv(0x30, Cat({Tlv(0x02, {0x01}), Tlv(0x31, {}),
                     Tlv(0x30, Tlv(0x06, {0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01, 0x07, 0x01})),
                     Tlv(0xA1, Repeat(Crl(CrlEntries(70)), 70)), Tlv(0x31, {})}));
  const TBytes contentInfo =
      Tlv(0x30, Cat({Tlv(0x06, {0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01, 0x07, 0x02}), Tlv(0xA0, signedData)}));
  // Entry 40 an INTEGER: the list is named up to it.
  const TBytes broken = Crl(Cat({CrlEntries(40), Tlv(0x02, {0x07}), CrlEntries(60)}));
  return {
      {"bundle", Cat({Repeat(cert, 70), crl, ReadInput("samples/p256-cert.der"), {0x05, 0x00}, cert})},
      {"crl", crl},
      {"crl, indefinite list", Crl(CrlEntries(90), true)},
      {"signed data with CRLs", contentInfo},
      {"crl, broken list", broken},
  };
}

TEST(SchemaNames, EveryElementOfAWellFormedFileIsNamed) {
  std::vector<std::pair<std::string, TBytes>> inputs;
  for (const char* input : WellFormed) inputs.emplace_back(input, ReadInput(input));
  for (auto& [label, bytes] : ManyItems())
    if (!std::string_view(label).ends_with("broken list") && label != std::string_view("bundle"))
      inputs.emplace_back(label, bytes);
  for (const auto& [input, bytes] : inputs) {
    SCOPED_TRACE(input);
    TWalkedTree tree(bytes);
    ASSERT_FALSE(tree.Damaged);
    schema::TNames names;
    names.Build(tree, bytes, PemLabelOf(input));
    EXPECT_TRUE(names.Departures().empty());
    for (std::uint32_t e = 0; e < tree.ElementCount(); ++e) {
      if (IsEndOfContents(tree.Header(e))) continue;
      EXPECT_TRUE(names.IsNamed(e)) << "element at offset " << tree.Header(e).Offset;
    }
  }
}

struct TPathRow {
  const char* Input;
  std::int32_t Offset;
  const char* Path;
  const char* Label;  // nullptr: not checked
};

// Offsets from `bramlet-dump --paths`, checked by hand against openssl asn1parse.
const TPathRow PathRows[] = {
    {"samples/cert.der", 0, "Certificate", "Certificate"},
    {"samples/cert.der", 8, "Certificate.tbsCertificate.version", "version"},
    {"samples/cert.der", 10, "Certificate.tbsCertificate.version", "version"},  // inside the EXPLICIT tag
    {"samples/cert.der", 13, "Certificate.tbsCertificate.serialNumber", "serialNumber"},
    {"samples/cert.der", 128, "Certificate.tbsCertificate.validity.notBefore.utcTime", "notBefore"},
    {"samples/cert.der", 324,
     "Certificate.tbsCertificate.subjectPublicKeyInfo.subjectPublicKey.RSAPublicKey.modulus", "modulus"},
    {"samples/cert.der", 610, "Certificate.tbsCertificate.extensions[0].extnValue.BasicConstraints",
     "BasicConstraints"},
    {"samples/cert.der", 598, "Certificate.tbsCertificate.extensions[0]", "Extension"},
    {"samples/cert.der", 734, "Certificate.tbsCertificate.extensions[5].extnValue.SubjectAltName[0].dNSName",
     "dNSName"},
    {"samples/cert.der", 1129, "Certificate.signature", "signature"},
    // Items of one shape whose OIDs differ: each is named by its own OID.
    {"samples/cert.der", 82, "Certificate.tbsCertificate.issuer.rdnSequence[2][0].value.X520OrganizationalUnitName.utf8String",
     "value X520OrganizationalUnitName"},
    {"samples/cert.der", 243, "Certificate.tbsCertificate.subject.rdnSequence[4][0].value.X520CommonName.utf8String", nullptr},
    {"samples/p256-cert.der", 0, "Certificate", nullptr},
    {"samples/crl.der", 0, "CertificateList", nullptr},
    {"samples/crl.der", 8, "CertificateList.tbsCertList.version", nullptr},
    {"samples/crl.der", 211, "CertificateList.tbsCertList.revokedCertificates[2].userCertificate", nullptr},
    {"samples/crl.der", 241,
     "CertificateList.tbsCertList.revokedCertificates[2].crlEntryExtensions[0].extnValue.CRLReason", "CRLReason"},
    {"samples/csr.der", 0, "CertificationRequest", nullptr},
    {"samples/csr.der", 105, "CertificationRequest.certificationRequestInfo.subjectPKInfo.subjectPublicKey", nullptr},
    {"samples/csr.der", 267,
     "CertificationRequest.certificationRequestInfo.attributes[2].values[0].ExtensionRequest[0].extnValue."
     "SubjectAltName[0].dNSName",
     "dNSName"},
    {"samples/rsa-key.der", 0, "RSAPrivateKey", nullptr},
    {"samples/ec-key.der", 5, "ECPrivateKey.privateKey", nullptr},
    {"samples/bundle.p12", 0, "PFX", nullptr},
    {"samples/bundle.p12", 2651, "PFX.authSafe.content.AuthenticatedSafe[1].content", "content"},
    {"samples/bundle.p12", 2684,
     "PFX.authSafe.content.AuthenticatedSafe[1].content.SafeContents[0].bagValue.PKCS8ShroudedKeyBag."
     "encryptionAlgorithm",
     nullptr},
    {"samples/bundle.p12", 4146, "PFX.macData.macSalt", nullptr},
    {"samples/p7-signed.der", 15, "ContentInfo.content", "content"},
    {"samples/p7-signed.der", 96, "ContentInfo.content.SignedData.certificates[0].certificate", "certificate"},
    {"tests/data/names/signed.der", 1059,
     "ContentInfo.content.SignedData.signerInfos[0].sid.issuerAndSerialNumber.serialNumber", nullptr},
    {"tests/data/names/signed.der", 1149,
     "ContentInfo.content.SignedData.signerInfos[0].signedAttrs[2].attrValues[0].MessageDigest", "MessageDigest"},
    {"tests/data/names/enveloped.der", 133,
     "ContentInfo.content.EnvelopedData.recipientInfos[0].ktri.rid.issuerAndSerialNumber.serialNumber", nullptr},
    {"tests/data/names/enveloped-pwri.der", 45,
     "ContentInfo.content.EnvelopedData.recipientInfos[0].pwri.keyDerivationAlgorithm.parameters.PBKDF2-params",
     nullptr},
    {"tests/data/names/digested.der", 51, "ContentInfo.content.DigestedData.digest", nullptr},
    {"tests/data/names/encrypted.der", 64, "ContentInfo.content.EncryptedData.encryptedContentInfo.encryptedContent",
     nullptr},
    {"tests/data/names/pbes2-key.der", 31,
     "EncryptedPrivateKeyInfo.encryptionAlgorithm.parameters.PBES2-params.keyDerivationFunc.parameters.PBKDF2-params",
     nullptr},
    {"tests/data/names/scrypt-key.der", 43,
     "EncryptedPrivateKeyInfo.encryptionAlgorithm.parameters.PBES2-params.keyDerivationFunc.parameters.Scrypt-params."
     "costParameter",
     nullptr},
    {"tests/data/names/ocsp-req.der", 65, "OCSPRequest.tbsRequest.requestList[0].reqCert.serialNumber", nullptr},
    {"tests/data/names/ocsp-resp.der", 4, "OCSPResponse.responseStatus", nullptr},
    {"tests/data/names/ocsp-resp.der", 211,
     "OCSPResponse.responseBytes.response.BasicOCSPResponse.tbsResponseData.responses[0].certID.serialNumber", nullptr},
    {"tests/data/names/ts-req.der", 56, "TimeStampReq.nonce", nullptr},
    {"tests/data/names/ts-resp.der", 133,
     "TimeStampResp.timeStampToken.content.SignedData.encapContentInfo.eContent.TSTInfo.serialNumber", nullptr},
    {"tests/data/names/rsa-pss-key.der", 24,
     "OneAsymmetricKey.privateKeyAlgorithm.parameters.RSASSA-PSS-params.hashAlgorithm", nullptr},
    {"tests/data/names/ec-explicit-key.der", 50, "ECPrivateKey.parameters.ecParameters.fieldID", nullptr},
    {"tests/data/names/dsa-params.der", 136, "Dss-Parms.q", nullptr},
    // ECDSA signatures are structure, typed by the signature algorithm beside them.
    {"tests/data/names/signed-ec.der", 1212, "ContentInfo.content.SignedData.signerInfos[0].signature.ECDSA-Sig-Value",
     nullptr},
    {"tests/data/names/ocsp-resp-ec.der", 256,
     "OCSPResponse.responseBytes.response.BasicOCSPResponse.signature.ECDSA-Sig-Value.s", nullptr},
    // X9.42 parameters with their validation parameters tell themselves from DSA's.
    {"tests/data/names/dhx-params.der", 136, "DomainParameters.g", nullptr},
};

TEST(SchemaNames, ElementsCarryTheirPaths) {
  for (const TPathRow& row : PathRows) {
    SCOPED_TRACE(std::string(row.Input) + " @" + std::to_string(row.Offset));
    const std::vector<std::uint8_t> bytes = ReadInput(row.Input);
    TWalkedTree tree(bytes);
    schema::TNames names;
    names.Build(tree, bytes, PemLabelOf(row.Input));
    const std::uint32_t e = tree.At(row.Offset);
    ASSERT_NE(e, asn::NoElement);
    EXPECT_EQ(names.Path(e), row.Path);
    if (row.Label != nullptr) {
      EXPECT_EQ(names.Label(e), row.Label);
    }
  }
}

// Items of the families of ManyItems(): by offset, as the generator lays them out.
TEST(SchemaNames, ItemsOfLargeListsCarryTheirPaths) {
  const auto inputs = ManyItems();
  struct TRow {
    std::size_t Input;
    std::uint32_t Element;  // counted from the start of the input's element list
    const char* Path;
  };
  // bundle: 70 certificates, the CRL (whose top level fits a certificate's,
  // but not its tbsCertList), a P-256 certificate, a NULL, a certificate.
  const std::uint32_t certElements = TWalkedTree(ReadInput("samples/cert.der")).ElementCount();
  const std::uint32_t p256 = certElements * 70 + TWalkedTree(inputs[1].second).ElementCount();
  const std::uint32_t null = p256 + TWalkedTree(ReadInput("samples/p256-cert.der")).ElementCount();
  const TRow rows[] = {
      {0, certElements * 69 + 1, "Certificate.tbsCertificate"},
      {0, certElements * 70, "CertificateList"},
      {0, certElements * 70 + 1, "CertificateList.tbsCertList"},
      {0, p256, "Certificate"},
      {0, null, ""},
      {0, null + 1, "Certificate"},
      {1, 0, "CertificateList"},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(inputs[row.Input].first);
    TWalkedTree tree(inputs[row.Input].second);
    schema::TNames names;
    names.Build(tree, inputs[row.Input].second);
    EXPECT_EQ(names.Path(row.Element), row.Path);
  }
  // The last entry of the CRL, its reason code, and the broken list's entries around the INTEGER.
  TWalkedTree crl(inputs[1].second);
  schema::TNames names;
  names.Build(crl, inputs[1].second);
  // Entry 99 ends in its reason, an ENUMERATED; the algorithm and the signature follow.
  EXPECT_EQ(names.Path(crl.ElementCount() - 5), "CertificateList.tbsCertList.revokedCertificates[99].crlEntryExtensions[0].extnValue.CRLReason");
  // The broken list: without a label the CRL is no CRL at all; with one, its
  // entries are named up to the INTEGER.
  TWalkedTree broken(inputs[4].second);
  for (const std::string_view label : {"", "X509 CRL"}) {
    SCOPED_TRACE(label);
    names.Build(broken, inputs[4].second, label);
    std::uint32_t named = 0, unnamed = 0;
    for (std::uint32_t e = broken.ElementCount(); e-- > 0;) {
      if (broken.Parent(e) == asn::NoElement || broken.ChildCount(broken.Parent(e)) != 101) continue;
      (names.IsNamed(e) ? named : unnamed)++;
    }
    EXPECT_EQ(named, label.empty() ? 0u : 40u);
    EXPECT_EQ(unnamed, label.empty() ? 101u : 61u);
  }
}

// Elements are named as they are asked about; whatever the order, every
// answer is the one a document named all at once gives.
TEST(SchemaNames, NamesDoNotDependOnTheOrderOfQuestions) {
  std::vector<std::pair<std::string, TBytes>> inputs;
  for (const char* input : WellFormed) inputs.emplace_back(input, ReadInput(input));
  std::mt19937 random(16);
  for (auto& [label, bytes] : ManyItems()) {
    inputs.emplace_back(label, bytes);
    // Damaged copies: a few octets changed anywhere.
    for (int copy = 0; copy < 2; ++copy) {
      TBytes damaged = bytes;
      for (int k = 0; k < 3; ++k) damaged[random() % damaged.size()] = static_cast<std::uint8_t>(random());
      inputs.emplace_back(std::string(label) + ", damaged " + std::to_string(copy), damaged);
    }
  }
  for (const auto& [input, bytes] : inputs) {
    SCOPED_TRACE(input);
    TWalkedTree tree(bytes);
    schema::TNames all;
    all.Build(tree, bytes);
    all.NameAll();
    std::vector<std::uint32_t> reverse(tree.ElementCount());
    for (std::uint32_t e = 0; e < reverse.size(); ++e) reverse[e] = static_cast<std::uint32_t>(reverse.size()) - 1 - e;
    std::vector<std::uint32_t> shuffled = reverse;
    std::shuffle(shuffled.begin(), shuffled.end(), random);
    for (const auto* order : {&reverse, &shuffled}) {
      schema::TNames names;
      names.Build(tree, bytes);
      for (const std::uint32_t e : *order) {
        ASSERT_EQ(names.Path(e), all.Path(e)) << "element " << e;
        ASSERT_EQ(names.Label(e), all.Label(e)) << "element " << e;
        ASSERT_EQ(names.TypeNode(e), all.TypeNode(e)) << "element " << e;
        ASSERT_EQ(names.Alternative(e), all.Alternative(e)) << "element " << e;
      }
      EXPECT_EQ(names.NamedCount(), all.NamedCount());
    }
  }
}

// A SEQUENCE of two INTEGERs could be many things: named only when the PEM
// label says which.
TEST(SchemaNames, PemLabelSettlesAnAmbiguousStructure) {
  const std::vector<std::uint8_t> bytes = ReadInput("tests/data/names/dh-params.der");
  TWalkedTree tree(bytes);
  schema::TNames names;
  names.Build(tree, bytes);
  EXPECT_FALSE(names.IsNamed(0));
  names.Build(tree, bytes, "DH PARAMETERS");
  EXPECT_EQ(names.Path(2), "DHParameter.base");
}

std::vector<std::uint8_t> Patched(std::vector<std::uint8_t> bytes, std::size_t at, std::uint8_t value) {
  bytes.at(at) = value;
  return bytes;
}

// Shapes that several types share are typed on evidence only, and the
// evidence decides which; a label never names what does not fit its type.
TEST(SchemaNames, TypesAreGivenOnlyWhereTheyFitOrOnEvidence) {
  const TBytes csr = ReadInput("samples/csr.der");
  const TBytes threeIntegers = Tlv(0x30, Cat({Tlv(0x02, {0x17}), Tlv(0x02, {0x05}), Tlv(0x02, {0x0B})}));
  struct TRow {
    const char* Label;
    TBytes Bytes;
    const char* PemLabel;
    std::int32_t Offset;
    const char* Path;
  } rows[] = {
      {"status-only OCSP response", Tlv(0x30, Tlv(0x0A, {0x06})), "", 2, "OCSPResponse.responseStatus"},
      {"three INTEGERs", threeIntegers, "", 5, ""},
      {"three INTEGERs as X9.42 parameters", threeIntegers, "X9.42 DH PARAMETERS", 5, "DomainParameters.g"},
      {"three INTEGERs as DSA parameters", threeIntegers, "DSA PARAMETERS", 5, "Dss-Parms.q"},
      {"a CRL labelled CERTIFICATE", ReadInput("samples/crl.der"), "CERTIFICATE", 8,
       "CertificateList.tbsCertList.version"},
      {"a CSR with an INTEGER more", Tlv(0x30, Cat({TBytes(csr.begin() + 4, csr.end()), Tlv(0x02, {0x01})})), "", 4,
       ""},
      {"a CSR, then an INTEGER", Cat({csr, Tlv(0x02, {0x01})}), "", 4, "CertificationRequest.certificationRequestInfo"},
      {"a CSR, then an INTEGER: the INTEGER", Cat({csr, Tlv(0x02, {0x01})}), "", static_cast<std::int32_t>(csr.size()),
       ""},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.Label);
    TWalkedTree tree(row.Bytes);
    schema::TNames names;
    names.Build(tree, row.Bytes, row.PemLabel);
    ASSERT_NE(tree.At(row.Offset), asn::NoElement);
    EXPECT_EQ(names.Path(tree.At(row.Offset)), row.Path);
  }
}

struct TDamageRow {
  const char* Label;
  std::vector<std::uint8_t> Bytes;
  const char* PemLabel;
  std::int32_t NamedOffset;    // still named, with this path; -1: nothing is named
  const char* NamedPath;
  std::int32_t UnnamedOffset;  // no longer named
  const char* Departures;      // their texts, each ending in "; "
};

void CheckDamageRows(std::span<const TDamageRow> rows) {
  for (const TDamageRow& row : rows) {
    SCOPED_TRACE(row.Label);
    TWalkedTree tree(row.Bytes);
    schema::TNames names;
    names.Build(tree, row.Bytes, row.PemLabel);
    if (row.NamedOffset >= 0) {
      EXPECT_EQ(names.Path(tree.At(row.NamedOffset)), row.NamedPath);
    } else {
      EXPECT_EQ(names.NamedCount(), 0u);
    }
    if (row.UnnamedOffset >= 0) {
      EXPECT_FALSE(names.IsNamed(tree.At(row.UnnamedOffset)));
    }
    std::string departures;
    for (const auto& d : names.Departures()) {
      departures += std::string(schema::SchemaWord(d.WithinName)) + ": ";
      departures += d.Name == 0 ? "end expected" : std::string(schema::SchemaWord(d.Name)) + " expected (" + schema::ExpectedText(d.Type) + ")";
      departures += d.Missing ? ", found nothing; " : ", found " + schema::TagText(schema::TagCode(tree.Header(d.Element))) + "; ";
    }
    EXPECT_EQ(departures, row.Departures);
  }
}

// Damage in samples/cert.der. Without a label a document that does not fit
// its type wholly gets no names; with one, names stop where the data leaves
// the schema (and the departure is kept) while the rest is named where it fits.
// A file cut short is named as far as it goes.
TEST(SchemaNames, DamagedInputIsNamedOnlyWhereItFits) {
  const std::vector<std::uint8_t> cert = ReadInput("samples/cert.der");
  // Cut after the validity, with the lengths made to fit: no subject, key,
  // extensions or signature.
  std::vector<std::uint8_t> shortened{0x30, 0x81, 0x99, 0x30, 0x81, 0x96};
  shortened.insert(shortened.end(), cert.begin() + 8, cert.begin() + 158);
  const std::vector<std::uint8_t> rsa = ReadInput("samples/rsa-key.der");
  // The RSA key without its prime1 (at offset 533, 132 octets).
  const std::vector<std::uint8_t> rsaShort =
      Tlv(0x30, Cat({TBytes(rsa.begin() + 4, rsa.begin() + 533), TBytes(rsa.begin() + 665, rsa.end())}));
  const TDamageRow rows[] = {
      // The serial number as an ENUMERATED.
      {"wrong tag", Patched(cert, 13, 0x0A), "", -1, "", 0, ""},
      {"wrong tag, labelled", Patched(cert, 13, 0x0A), "CERTIFICATE", 1114, "Certificate.signatureAlgorithm", 17,
       "tbsCertificate: serialNumber expected (INTEGER), found ENUMERATED; "},
      {"wrong tag, labelled, before it", Patched(cert, 13, 0x0A), "CERTIFICATE", 10,
       "Certificate.tbsCertificate.version", 13, "tbsCertificate: serialNumber expected (INTEGER), found ENUMERATED; "},
      // The extensions as [4]: an element the TBS does not have.
      {"extra element", Patched(cert, 590, 0xA4), "", -1, "", 0, ""},
      {"extra element, labelled", Patched(cert, 590, 0xA4), "CERTIFICATE", 296,
       "Certificate.tbsCertificate.subjectPublicKeyInfo", 590, "tbsCertificate: end expected, found [4]; "},
      {"extra element, labelled, after it", Patched(cert, 590, 0xA4), "CERTIFICATE", 1129, "Certificate.signature",
       598, "tbsCertificate: end expected, found [4]; "},
      // Components missing from whole SEQUENCEs: which one is missing nobody
      // can tell, so nothing below them is named.
      {"components missing", shortened, "", -1, "", 0, ""},
      {"components missing, labelled", shortened, "CERTIFICATE", 0, "Certificate", 8,
       "Certificate: signatureAlgorithm expected (SEQUENCE), found nothing; "
       "tbsCertificate: subject expected (SEQUENCE), found nothing; "},
      {"an INTEGER removed", rsaShort, "", -1, "", 0, ""},
      {"an INTEGER removed, labelled", rsaShort, "RSA PRIVATE KEY", 0, "RSAPrivateKey", 4,
       "RSAPrivateKey: coefficient expected (INTEGER), found nothing; "},
      // The validity's length runs past its parent's end: the parse stops
      // there, and what was read before is named.
      {"cut short", Patched(cert, 127, 0x7F), "", 13, "Certificate.tbsCertificate.serialNumber", -1, ""},
  };
  CheckDamageRows(rows);
}

// The octets [at, at + count) of a DER input replaced by insert, with the
// lengths of the elements around them made to fit (single-octet tags).
TBytes Spliced(const TBytes& der, std::size_t at, std::size_t count, const TBytes& insert, std::size_t from = 0,
               std::size_t to = 0) {
  if (to == 0) to = der.size();
  for (std::size_t pos = from; pos < to;) {
    std::size_t content = pos + 2;
    std::size_t length = der[pos + 1];
    if (length & 0x80) {
      const std::size_t octets = length & 0x7F;
      length = 0;
      for (std::size_t k = 0; k < octets; ++k) length = length << 8 | der[content++];
    }
    const std::size_t end = content + length;
    if (at >= content && at + count <= end) {
      return Cat({TBytes(der.begin() + static_cast<std::ptrdiff_t>(from), der.begin() + static_cast<std::ptrdiff_t>(pos)),
                  Tlv(der[pos], Spliced(der, at, count, insert, content, end)),
                  TBytes(der.begin() + static_cast<std::ptrdiff_t>(end), der.begin() + static_cast<std::ptrdiff_t>(to))});
    }
    pos = end;
  }
  return Cat({TBytes(der.begin() + static_cast<std::ptrdiff_t>(from), der.begin() + static_cast<std::ptrdiff_t>(at)),
              insert,
              TBytes(der.begin() + static_cast<std::ptrdiff_t>(at + count), der.begin() + static_cast<std::ptrdiff_t>(to))});
}

// A type is given only where the whole element fits it: an EXPLICIT tag holds
// one element, in constructed form; only strings come in segments, each of
// their own type; an open type's content is one element of the type its OID
// gives, or it stays unnamed (the element declared ANY keeps its field) while
// the rest is matched on. A document the parse stopped inside is named only
// when its start fits one type alone.
TEST(SchemaNames, TypesAreGivenOnlyWhereTheWholeElementFits) {
  const TBytes cert = ReadInput("samples/cert.der");
  const TBytes crl = ReadInput("samples/crl.der");
  const TBytes dsaParams = ReadInput("tests/data/names/dsa-params.der");
  const TBytes dsaKey =
      Tlv(0x30, Cat({Tlv(0x30, Cat({Tlv(0x06, {0x2A, 0x86, 0x48, 0xCE, 0x38, 0x04, 0x01}), dsaParams})),
                     Tlv(0x03, {0x00, 0x02, 0x01, 0x05})}));
  // The version [0] at 8 with a second INTEGER; as a primitive [0].
  const TBytes twoVersions = Spliced(cert, 8, 5, {0xA0, 0x06, 0x02, 0x01, 0x02, 0x02, 0x01, 0x05});
  const TBytes primitiveVersion = Spliced(cert, 8, 5, {0x80, 0x01, 0x02});
  // The serial number (at 13) as a constructed INTEGER.
  const TBytes segmentedSerial = Spliced(cert, 13, 4, Tlv(0x22, TBytes(cert.begin() + 13, cert.begin() + 17)));
  // The signature (at 1129) as a constructed BIT STRING holding an INTEGER.
  const TBytes segmentedSignature = Spliced(cert, 1129, cert.size() - 1129, Tlv(0x23, Tlv(0x02, {0x05})));
  // A directoryName with an INTEGER after its Name, first in the subjectAltName (at 734).
  const TBytes directoryName =
      Tlv(0xA4, Cat({Tlv(0x30, Tlv(0x31, Tlv(0x30, Cat({Tlv(0x06, {0x55, 0x04, 0x03}), Tlv(0x0C, {'x'})})))),
                     Tlv(0x02, {0x05})}));
  // The CRL's organizationName (its value at 50) as a SEQUENCE: of an INTEGER;
  // re-tagged, so that the parse stops inside it.
  const TBytes crlOrganization = Spliced(crl, 50, 17, Tlv(0x30, Tlv(0x02, {0x05})));
  const TBytes crlRetagged = Patched(crl, 50, 0x30);
  // The time-stamp token's eContent (its OCTET STRING at 69) inside a SEQUENCE.
  const TBytes tsResp = ReadInput("tests/data/names/ts-resp.der");
  const TBytes wrappedContent = Spliced(tsResp, 69, 100, Tlv(0x30, TBytes(tsResp.begin() + 69, tsResp.begin() + 169)));
  // A CRL with more entries than a first look takes in, the 301st an INTEGER.
  const TBytes longCrl = Crl(Cat({CrlEntries(300), Tlv(0x02, {0x07}), CrlEntries(10)}));
  // An entry of indefinite length, and one of definite length that ends in
  // end-of-contents octets all the same.
  const TBytes indefiniteEntry =
      Cat({{0x30, 0x80}, Tlv(0x02, {0x01, 0x00}), Tlv(0x17, TBytes(13, '0')), {0x00, 0x00}});
  const TBytes closedEntry = Tlv(0x30, Cat({Tlv(0x02, {0x01, 0x32}), Tlv(0x17, TBytes(13, '0')), {0x00, 0x00}}));
  const TBytes closedCrl = Crl(Cat({indefiniteEntry, CrlEntries(70), closedEntry, CrlEntries(5)}));
  const char* const end = "version: end expected, found INTEGER; ";
  const TDamageRow rows[] = {
      {"explicit tag, two elements", twoVersions, "", -1, "", 0, ""},
      {"explicit tag, two elements, labelled", twoVersions, "CERTIFICATE", 16, "Certificate.tbsCertificate.serialNumber",
       13, end},
      {"explicit tag, two elements, labelled, the first", twoVersions, "CERTIFICATE", 10,
       "Certificate.tbsCertificate.version", -1, end},
      {"explicit tag, primitive", primitiveVersion, "", -1, "", 0, ""},
      {"constructed INTEGER", segmentedSerial, "", -1, "", 0, ""},
      {"BIT STRING in segments of another type", segmentedSignature, "CERTIFICATE", 1129, "Certificate.signature",
       1131, "signature: signature expected (BIT STRING), found INTEGER; "},
      {"CHOICE alternative, two elements", Spliced(cert, 734, 0, directoryName), "", 730,
       "Certificate.tbsCertificate.extensions[5].extnValue", 732, "directoryName: end expected, found INTEGER; "},
      {"ANY of another type than its OID gives", crlOrganization, "", 50,
       "CertificateList.tbsCertList.issuer.rdnSequence[1][0].value", 52,
       "value: X520OrganizationName expected (X520OrganizationName), found SEQUENCE; "},
      {"ANY of another type, after it", crlOrganization, "", 55,
       "CertificateList.tbsCertList.issuer.rdnSequence[2]", -1,
       "value: X520OrganizationName expected (X520OrganizationName), found SEQUENCE; "},
      {"a content in an OCTET STRING's place that misfits", wrappedContent, "", 24,
       "TimeStampResp.timeStampToken.content", 32, "eContent: version expected (INTEGER), found OCTET STRING; "},
      {"end-of-contents in a definite length", Spliced(cert, 13, 4, Cat({{0x00, 0x00}, TBytes(cert.begin() + 13,
       cert.begin() + 17)})), "", -1, "", 0, ""},
      {"an item of a long list that misfits, labelled", longCrl, "X509 CRL", 0, "CertificateList", -1,
       "revokedCertificates: revokedCertificates expected (SEQUENCE), found INTEGER; "},
      {"end-of-contents in a definite length, in an entry of a CRL", closedCrl, "X509 CRL", 0, "CertificateList", -1,
       "revokedCertificates: end expected, found EOC; "},
      {"open type misfit, the parse stopped inside it", crlRetagged, "", -1, "", 0, ""},
      {"DSA parameters' q re-tagged", Patched(dsaKey, 153, 0x04), "", 17, "SubjectPublicKeyInfo.algorithm.parameters",
       21, "parameters: q expected (INTEGER), found OCTET STRING; "},
      {"DSA parameters' q a SEQUENCE, the parse stopped inside it", Patched(dsaKey, 153, 0x30), "", -1, "", 0, ""},
      {"DSA parameters' q a SEQUENCE, labelled", Patched(dsaKey, 153, 0x30), "PUBLIC KEY", 17,
       "SubjectPublicKeyInfo.algorithm.parameters", 21, "parameters: q expected (INTEGER), found SEQUENCE; "},
  };
  CheckDamageRows(rows);
}

// Elements that fit no top-level type stay unnamed; a nest of a hundred
// thousand SEQUENCEs is walked without recursion and named only as far as a
// schema has SEQUENCEs in SEQUENCEs.
TEST(SchemaNames, UnknownStructuresStayUnnamed) {
  const std::vector<std::uint8_t> oddities[] = {
      {0x05, 0x00},                                // a lone NULL
      {0x30, 0x06, 0x02, 0x01, 0x01, 0x02, 0x01, 0x02},  // two INTEGERs, no label
      {0x31, 0x03, 0x04, 0x01, 0x00},              // a SET of an OCTET STRING
  };
  for (const auto& bytes : oddities) {
    TWalkedTree tree(bytes);
    schema::TNames names;
    names.Build(tree, bytes);
    EXPECT_EQ(names.NamedCount(), 0u);
  }
  std::vector<std::uint8_t> deep;
  constexpr int Levels = 100000;
  for (int i = 0; i < Levels; ++i) {
    const std::size_t rest = static_cast<std::size_t>(Levels - 1 - i) * 6;
    deep.insert(deep.end(), {0x30, 0x84, static_cast<std::uint8_t>(rest >> 24), static_cast<std::uint8_t>(rest >> 16),
                             static_cast<std::uint8_t>(rest >> 8), static_cast<std::uint8_t>(rest)});
  }
  TWalkedTree tree(deep);
  schema::TNames names;
  names.Build(tree, deep);
  EXPECT_LT(names.NamedCount(), 10u);
}

// The PEM label of an element is its type's first label, found by the type's
// name where the schemas specialise it (a PKCS#12 authSafe's ContentInfo), by
// the one type it fits for a shape the matcher leaves unnamed (a bare RSA
// key), and the generic one for a type without a label of its own.
TEST(SchemaNames, PemLabelFromTheRecognisedType) {
  const struct {
    const char* Input;
    std::int32_t Offset;
    const char* Label;
  } rows[] = {
      {"samples/cert.der", 0, "CERTIFICATE"},
      {"samples/cert.der", 320, "RSA PUBLIC KEY"},  // subjectPublicKey's contents
      {"samples/cert.der", 4, "ASN1 DATA"},         // the TBSCertificate
      {"samples/crl.der", 0, "X509 CRL"},
      {"samples/csr.der", 0, "CERTIFICATE REQUEST"},
      {"samples/cms-stream.der", 0, "PKCS7"},  // indefinite lengths, end-of-contents among the children
      {"samples/bundle.p12", 0, "PKCS12"},
      {"samples/bundle.p12", 7, "PKCS7"},
      {"samples/rsa-key.der", 0, "RSA PRIVATE KEY"},
      {"samples/ec-key.der", 0, "EC PRIVATE KEY"},
      {"samples/ec-key.der", 39, "EC PARAMETERS"},
      {"samples/p7-signed.der", 43, "ASN1 DATA"},  // EncapsulatedContentInfo, not a ContentInfo
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.Input) + " @" + std::to_string(row.Offset));
    const std::vector<std::uint8_t> bytes = ReadInput(row.Input);
    const TWalkedTree tree(bytes);
    const std::uint32_t element = tree.At(row.Offset);
    ASSERT_NE(element, asn::NoElement);
    EXPECT_EQ(schema::PemLabel(tree, bytes, element), row.Label);
  }
}


// What the typing calls octets that hold no DER, so that nothing inside is
// decoded or checked: signatures and keys where the algorithm gives no
// structure, and named bits always; what the algorithm's OID types stays
// structure.
TEST(SchemaNames, OnlyOctetsThatHoldNoDerAreOpaque) {
  const struct {
    const char* Input;
    const char* Path;
    bool Opaque;
  } rows[] = {
      {"samples/cert.der", "Certificate.tbsCertificate.extensions[1].extnValue.KeyUsage", true},
      {"samples/csr.der", "CertificationRequest.certificationRequestInfo.attributes[2].values[0].ExtensionRequest[1]."
                          "extnValue.KeyUsage", true},
      {"samples/cert.der", "Certificate.signature", true},
      {"samples/cert.der", "Certificate.tbsCertificate.subjectPublicKeyInfo.subjectPublicKey", false},
      {"samples/p256-cert.der", "Certificate.tbsCertificate.subjectPublicKeyInfo.subjectPublicKey", true},
      {"samples/ed25519-cert.der", "Certificate.tbsCertificate.subjectPublicKeyInfo.subjectPublicKey", true},
      {"samples/csr.der", "CertificationRequest.signature", false},
      {"samples/crl.der", "CertificateList.signature", true},
      {"samples/ec-key.der", "ECPrivateKey.publicKey", true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.Input) + " " + row.Path);
    const TBytes bytes = ReadInput(row.Input);
    TWalkedTree tree(bytes);
    schema::TNames names;
    names.Build(tree, bytes);
    // The last of the path's elements: inside an EXPLICIT tag, not the tag.
    std::uint32_t found = asn::NoElement;
    for (std::uint32_t e = 0; e < tree.ElementCount(); ++e)
      if (names.Path(e) == row.Path) found = e;
    ASSERT_NE(found, asn::NoElement);
    EXPECT_EQ(names.IsOpaque(found), row.Opaque);
  }
}

}  // namespace
