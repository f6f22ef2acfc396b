// Recognising the common PEM-armoured structures by their outline.
#include "asn/pem_label.h"

#include <algorithm>

#include "asn/asn.h"

namespace asn {

namespace {

// 1.2.840.113549.1.7: the PKCS#7 content types.
constexpr std::uint8_t Pkcs7Arc[] = {0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01, 0x07};

class TOutline {
 public:
  TOutline(const IElementTree& tree, std::span<const std::uint8_t> bytes) : FTree(tree), FBytes(bytes) {}

  std::uint32_t Count(std::uint32_t e) const { return FTree.ChildCount(e); }
  std::uint32_t Child(std::uint32_t e, std::uint32_t i) const { return FTree.Child(e, i); }
  bool Is(std::uint32_t e, std::uint8_t universal, bool constructed) const {
    const TElementHeader h = FTree.Header(e);
    return h.UniversalTag() == universal && h.Constructed == constructed;
  }
  bool IsSequence(std::uint32_t e) const { return Is(e, utSequence, true); }
  bool IsContext(std::uint32_t e, std::uint32_t number) const {
    const TElementHeader h = FTree.Header(e);
    return h.TagClass == ASN1ContextSpecific && h.TagNumberFits && h.TagNumber == number;
  }
  bool IsTime(std::uint32_t e) const { return Is(e, utUtcTime, false) || Is(e, utGeneralizedTime, false); }
  // A primitive INTEGER of one content octet with this value.
  bool IsSmallInteger(std::uint32_t e, std::uint8_t value) const {
    const TElementHeader h = FTree.Header(e);
    return Is(e, utInteger, false) && h.Length == 1 && FBytes[h.Offset + h.HeaderLength()] == value;
  }
  bool IsPkcs7ContentType(std::uint32_t e) const {
    const TElementHeader h = FTree.Header(e);
    if (!Is(e, utObjectIdentifier, false) || h.Length != sizeof Pkcs7Arc + 1) return false;
    const auto contents = FBytes.subspan(h.Offset + h.HeaderLength(), sizeof Pkcs7Arc);
    return std::equal(contents.begin(), contents.end(), std::begin(Pkcs7Arc));
  }

 private:
  const IElementTree& FTree;
  std::span<const std::uint8_t> FBytes;
};

// SEQUENCE { tbs SEQUENCE, algorithm SEQUENCE, signature BIT STRING }.
const char* SignedLabel(const TOutline& o, std::uint32_t tbs) {
  const std::uint32_t n = o.Count(tbs);
  std::uint32_t i = 0;
  if (n > 0 && o.IsContext(o.Child(tbs, 0), 0)) ++i;  // certificate version [0]
  if (i + 1 < n && o.Is(o.Child(tbs, i), utInteger, false) && o.IsSequence(o.Child(tbs, i + 1))) {
    // certificate: serial, signature, issuer, validity, subject, key
    if (n >= i + 6 && o.IsSequence(o.Child(tbs, i + 3))) return "CERTIFICATE";
    // request: version, subject, key, attributes [0]
    if (n == 4 && o.IsSequence(o.Child(tbs, 2)) && o.IsContext(o.Child(tbs, 3), 0)) return "CERTIFICATE REQUEST";
  }
  // CRL: [version] signature issuer thisUpdate ...
  const std::uint32_t v = n > 0 && o.Is(o.Child(tbs, 0), utInteger, false) ? 1 : 0;
  if (n >= v + 3 && o.IsSequence(o.Child(tbs, v)) && o.IsSequence(o.Child(tbs, v + 1)) && o.IsTime(o.Child(tbs, v + 2)))
    return "X509 CRL";
  return nullptr;
}

}  // namespace

const char* PemLabel(const IElementTree& tree, std::span<const std::uint8_t> bytes, std::uint32_t element) {
  constexpr const char* Neutral = "ASN1 DATA";
  const TOutline o(tree, bytes);
  if (element >= tree.ElementCount() || !o.IsSequence(element)) return Neutral;
  const std::uint32_t n = o.Count(element);
  if (n == 0) return Neutral;
  const std::uint32_t first = o.Child(element, 0);
  if (n == 3 && o.IsSequence(first) && o.IsSequence(o.Child(element, 1)) && o.Is(o.Child(element, 2), utBitString, false)) {
    if (const char* label = SignedLabel(o, first)) return label;
  }
  if (n == 2 && o.IsPkcs7ContentType(first) && o.IsContext(o.Child(element, 1), 0)) return "PKCS7";
  if (n == 2 && o.IsSequence(first) && o.Is(o.Child(element, 1), utBitString, false)) return "PUBLIC KEY";
  if (n >= 3 && o.IsSmallInteger(first, 0) && o.IsSequence(o.Child(element, 1)) &&
      o.Is(o.Child(element, 2), utOctetString, false))
    return "PRIVATE KEY";
  if (n == 9 && o.IsSmallInteger(first, 0)) return "RSA PRIVATE KEY";
  if (n >= 2 && o.IsSmallInteger(first, 1) && o.Is(o.Child(element, 1), utOctetString, false)) return "EC PRIVATE KEY";
  if (n >= 2 && o.IsSmallInteger(first, 3) && o.IsSequence(o.Child(element, 1)) && o.Count(o.Child(element, 1)) > 0 &&
      o.IsPkcs7ContentType(o.Child(o.Child(element, 1), 0)))
    return "PKCS12";
  return Neutral;
}

}  // namespace asn
