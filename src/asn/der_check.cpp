// The DER checks that need only the encoding: headers, the form of each
// universal type, the contents of primitives and the order of SET members.
#include "asn/der_check.h"

#include <algorithm>

#include "asn/asn.h"
#include "asn/der_values.h"
#include "asn/utf.h"

namespace asn {

namespace {

using Bytes = std::span<const std::uint8_t>;

std::string UniversalName(std::uint8_t number) {
  TASNTag tag;
  tag.TagNumber = number;
  const std::string digits = std::to_string(number);
  tag.Tag.assign(digits.begin(), digits.end());
  return Utf16ToUtf8(tag.GetTagName());
}

bool IsStringType(std::uint8_t u) {
  return u == utBitString || u == utOctetString || u == utUtf8String || (u >= utNumericString && u <= utVideotexString) ||
         u == utIA5String || (u >= utGraphicString && u <= utBmpString && u != utCharacterString);
}

// An end-of-contents pair, which belongs to its indefinite parent's encoding.
bool IsEndOfContents(const TElementHeader& h) {
  return h.UniversalTag() == utEndOfContents && !h.Constructed && h.Length == 0;
}

// Orders two tags as X.690 10.3 orders a SET's components: by class
// (universal, application, context-specific, private), then by number.
int CompareTags(const TElementHeader& a, const TElementHeader& b) {
  if (a.TagClass != b.TagClass) return a.TagClass < b.TagClass ? -1 : 1;
  if (!a.TagNumberFits || !b.TagNumberFits) return 0;  // above 32 bits: not told apart
  if (a.TagNumber != b.TagNumber) return a.TagNumber < b.TagNumber ? -1 : 1;
  return 0;
}

// Compares two encodings as X.690 11.6 orders a SET OF: as octet strings, the
// shorter one padded with zero octets at its end.
int CompareEncodings(Bytes a, Bytes b) {
  const std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i)
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
  Bytes rest = a.size() > common ? a.subspan(common) : b.subspan(common);
  const bool restIsZero = std::all_of(rest.begin(), rest.end(), [](std::uint8_t o) { return o == 0; });
  if (restIsZero) return 0;
  return a.size() > common ? 1 : -1;
}

class TChecker {
 public:
  TChecker(const IElementTree& tree, Bytes bytes, std::vector<TDerFinding>& findings)
      : FTree(tree), FBytes(bytes), FFindings(findings) {}

  void CheckElement(std::uint32_t element) {
    const TElementHeader h = FTree.Header(element);
    if (IsEndOfContents(h)) return;
    FElement = element;
    CheckTag(h);
    CheckLength(h);
    const std::uint8_t u = h.UniversalTag();
    if (h.Constructed) {
      // An indefinite length needs the constructed form (X.690 8.1.3.2), so a
      // streamed string is reported once, by its length.
      if (IsStringType(u) && !IsIndefinite(h))
        Add(TDerRule::drConstructedString, h.Offset, h.TagLength, "DER: " + UniversalName(u) + " in constructed form");
      if (u == utSet) CheckSetOrder(element);
      return;
    }
    const std::int32_t start = h.Offset + h.HeaderLength();
    // An encapsulating BIT STRING still has its unused-bits octet to check.
    if (h.Encapsulates && u != utBitString) return;
    if (u == utNone) return;
    TValueFault fault = CheckValue(u, FBytes.subspan(start, h.Length));
    if (fault.Rule) Add(*fault.Rule, start + fault.Offset, fault.Length, std::move(fault.Explanation));
  }

  bool IsIndefinite(const TElementHeader& h) const { return asn::IsIndefinite(h, FBytes); }

  void CheckTrailingData(const TDerOptions& options) {
    if (!options.RawFile) return;
    const std::uint32_t topLevel = FTree.ChildCount(NoElement);
    if (topLevel == 0) return;
    const TElementHeader first = FTree.Header(FTree.Child(NoElement, 0));
    const std::int32_t end = first.Offset + first.FullLength();
    const auto size = static_cast<std::int32_t>(FBytes.size());
    if (end >= size) return;
    // After a fatal error the octets from its offset on are the error's to report.
    if (topLevel == 1 && options.FatalOffset == end) return;
    FElement = topLevel > 1 ? FTree.Child(NoElement, 1) : NoElement;
    Add(TDerRule::drTrailingData, end, size - end,
        "DER: " + std::to_string(size - end) + " octets after the first element");
  }

 private:
  void Add(TDerRule rule, std::int32_t offset, std::int32_t length, std::string explanation) {
    FFindings.push_back({FElement, rule, offset, length, std::move(explanation)});
  }

  // X.690 8.1.2.4: the high-tag-number form only for numbers from 31 on, and
  // no leading 0x80 octet in the number.
  void CheckTag(const TElementHeader& h) {
    if (h.TagLength < 2) return;
    if (h.TagNumberFits && h.TagNumber < 31) {
      Add(TDerRule::drTagNotMinimal, h.Offset, h.TagLength,
          "DER: tag number " + std::to_string(h.TagNumber) + " written in " + std::to_string(h.TagLength) +
              " octets");
      return;
    }
    if (FBytes[h.Offset + 1] == 0x80)
      Add(TDerRule::drTagNotMinimal, h.Offset, h.TagLength, "DER: tag number with a leading 0x80 octet");
  }

  // X.690 10.1: definite form, in the fewest octets.
  void CheckLength(const TElementHeader& h) {
    const std::int32_t at = h.Offset + h.TagLength;
    if (IsIndefinite(h)) {
      Add(TDerRule::drIndefiniteLength, at, 1, "DER: indefinite length");
      return;
    }
    if (h.LengthLength < 2) return;
    const bool leadingZero = FBytes[at + 1] == 0;
    if (!leadingZero && h.Length >= 0x80) return;
    Add(TDerRule::drLengthNotMinimal, at, h.LengthLength,
        "DER: length " + std::to_string(h.Length) + " written in " + std::to_string(h.LengthLength) + " octets");
  }

  // X.690 10.3 (SET: components in tag order) and 11.6 (SET OF: encodings in
  // ascending order). The encoding alone does not say which of the two a SET
  // is, so a SET is reported only when no reading accepts its order: members
  // sharing a tag make it a SET OF, whose encodings must ascend; members with
  // distinct tags may be either, and are at fault only when they are neither
  // in tag order nor in order of their encodings.
  void CheckSetOrder(std::uint32_t element) {
    std::uint32_t count = FTree.ChildCount(element);
    if (count > 0 && IsEndOfContents(FTree.Header(FTree.Child(element, count - 1)))) --count;
    if (count < 2) return;
    bool sharedTag = false;
    std::int32_t firstEncodingFault = -1;  // child index
    std::int32_t firstTagFault = -1;
    TElementHeader previous = FTree.Header(FTree.Child(element, 0));
    for (std::uint32_t i = 1; i < count; ++i) {
      const TElementHeader current = FTree.Header(FTree.Child(element, i));
      const int byTag = CompareTags(previous, current);
      if (byTag == 0) sharedTag = true;
      if (byTag >= 0 && firstTagFault < 0) firstTagFault = static_cast<std::int32_t>(i);
      if (firstEncodingFault < 0 && CompareEncodings(Encoding(previous), Encoding(current)) > 0)
        firstEncodingFault = static_cast<std::int32_t>(i);
      previous = current;
    }
    if (firstEncodingFault < 0) return;
    if (!sharedTag && firstTagFault < 0) return;
    const TElementHeader at = FTree.Header(FTree.Child(element, static_cast<std::uint32_t>(firstEncodingFault)));
    Add(TDerRule::drSetNotSorted, at.Offset, at.FullLength(),
        sharedTag ? "DER: SET OF member " + std::to_string(firstEncodingFault + 1) +
                        " sorts before the one ahead of it"
                  : "DER: SET members in neither tag order nor the order of their encodings");
  }

  Bytes Encoding(const TElementHeader& h) const { return FBytes.subspan(h.Offset, h.FullLength()); }

  const IElementTree& FTree;
  Bytes FBytes;
  std::vector<TDerFinding>& FFindings;
  std::uint32_t FElement = NoElement;
};

}  // namespace

const char* DerRuleId(TDerRule rule) {
  switch (rule) {
    case TDerRule::drLengthNotMinimal:
      return "length-not-minimal";
    case TDerRule::drIndefiniteLength:
      return "indefinite-length";
    case TDerRule::drConstructedString:
      return "constructed-string";
    case TDerRule::drTagNotMinimal:
      return "tag-not-minimal";
    case TDerRule::drBooleanNotCanonical:
      return "boolean-not-canonical";
    case TDerRule::drIntegerNotMinimal:
      return "integer-not-minimal";
    case TDerRule::drBitstringPadding:
      return "bitstring-padding";
    case TDerRule::drNamedBitsTrailingZero:
      return "named-bits-trailing-zero";
    case TDerRule::drSetNotSorted:
      return "set-not-sorted";
    case TDerRule::drTimeNotDer:
      return "time-not-der";
    case TDerRule::drOidNotMinimal:
      return "oid-not-minimal";
    case TDerRule::drStringCharset:
      return "string-charset";
    case TDerRule::drDefaultEncoded:
      return "default-encoded";
    case TDerRule::drSchemaMismatch:
      return "schema-mismatch";
    case TDerRule::drTrailingData:
      return "trailing-data";
  }
  return "";
}

std::vector<TDerFinding> CheckDer(const IElementTree& tree, std::span<const std::uint8_t> bytes,
                                  const TDerOptions& options) {
  std::vector<TDerFinding> findings;
  TChecker checker(tree, bytes, findings);
  const std::uint32_t count = tree.ElementCount();
  for (std::uint32_t element = 0; element < count; ++element) checker.CheckElement(element);
  checker.CheckTrailingData(options);
  for (const IDerCheck* extra : options.Extra) extra->Run(tree, bytes, findings);
  // Elements are numbered in document order; NoElement sorts last.
  std::stable_sort(findings.begin(), findings.end(), [](const TDerFinding& a, const TDerFinding& b) {
    if (a.Element != b.Element) return a.Element < b.Element;
    return a.Offset < b.Offset;
  });
  return findings;
}

TDerSummary SummariseDer(std::span<const TDerFinding> findings) {
  TDerSummary summary;
  for (const TDerFinding& f : findings) {
    ++summary.Counts[static_cast<int>(f.Rule)];
    ++summary.Total;
  }
  return summary;
}

}  // namespace asn
