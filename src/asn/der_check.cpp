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
  TChecker(const IElementTree& tree, Bytes bytes, std::vector<TDerFinding>& findings, const IDerTyping* typing)
      : FTree(tree), FBytes(bytes), FFindings(findings), FTyping(typing) {}

  // Checks every element in document order; nothing below an opaque one.
  void CheckAll() {
    const std::uint32_t count = FTree.ElementCount();
    for (std::uint32_t element = 0; element < count;) {
      CheckElement(element);
      element = FTyping != nullptr && FTyping->IsOpaque(element) ? FTree.SubtreeEnd(element) : element + 1;
    }
  }

  void CheckElement(std::uint32_t element) {
    const TElementHeader h = FTree.Header(element);
    if (h.IsEndOfContents()) return;
    FElement = element;
    CheckTag(h);
    CheckLength(h);
    // The universal type the tag names, else the one the schema says an IMPLICIT tag hides.
    std::uint8_t u = h.UniversalTag();
    if (u == utNone && FTyping != nullptr) u = FTyping->ImplicitUniversal(element);
    if (h.Constructed) {
      // An indefinite length needs the constructed form (X.690 8.1.3.2), so a
      // streamed string is reported once, by its length.
      if (IsStringType(u) && !IsIndefinite(h))
        Add(TDerText::dtConstructedString, h.Offset, h.TagLength, {u});
      const IDerTyping::TSetKind kind = FTyping != nullptr ? FTyping->SetKind(element) : IDerTyping::TSetKind::skNone;
      if (kind != IDerTyping::TSetKind::skNone || u == utSet) CheckSetOrder(element, kind);
      return;
    }
    const std::int32_t start = h.Offset + h.HeaderLength();
    // An encapsulating BIT STRING still has its unused-bits octet to check.
    if (h.Encapsulates && u != utBitString) return;
    if (u == utNone) return;
    const TValueFault fault = CheckValue(u, FBytes.subspan(static_cast<std::size_t>(start), static_cast<std::size_t>(h.Length)));
    if (fault.Text) Add(*fault.Text, start + fault.Offset, fault.Length, fault.Numbers);
  }

  bool IsIndefinite(const TElementHeader& h) const { return asn::IsIndefinite(h, FBytes); }

  void CheckTrailingData(const TDerOptions& options) {
    if (!options.RawFile) return;
    const std::uint32_t topLevel = FTree.ChildCount(NoElement);
    const auto size = static_cast<std::int32_t>(FBytes.size());
    // Each block (the whole buffer when there are none) is a unit whose first
    // top-level element is all it may hold.
    const std::size_t units = options.BlockStarts.empty() ? 1 : options.BlockStarts.size();
    std::uint32_t next = 0;  // the first top-level element not yet passed
    for (std::size_t unit = 0; unit < units; ++unit) {
      const std::int32_t start = options.BlockStarts.empty() ? 0 : options.BlockStarts[unit];
      const std::int32_t stop = unit + 1 < units ? options.BlockStarts[unit + 1] : size;
      while (next < topLevel && FTree.Header(FTree.Child(NoElement, next)).Offset < start) ++next;
      if (next == topLevel) return;
      const TElementHeader first = FTree.Header(FTree.Child(NoElement, next));
      if (first.Offset >= stop) continue;
      const std::int32_t end = first.Offset + first.FullLength();
      ++next;
      if (end >= stop) continue;
      // After a fatal error the octets from its offset on are the error's to report.
      if (std::binary_search(options.FatalOffsets.begin(), options.FatalOffsets.end(), end) && (next == topLevel || FTree.Header(FTree.Child(NoElement, next)).Offset >= stop))
        continue;
      const bool another = next < topLevel && FTree.Header(FTree.Child(NoElement, next)).Offset < stop;
      FElement = another ? FTree.Child(NoElement, next) : NoElement;
      Add(TDerText::dtTrailingData, end, stop - end, {static_cast<std::uint32_t>(stop - end)});
    }
  }

 private:
  void Add(TDerText text, std::int32_t offset, std::int32_t length, std::array<std::uint32_t, 4> numbers = {}) {
    FFindings.push_back({FElement, text, offset, length, numbers});
  }

  // X.690 8.1.2.4: the high-tag-number form only for numbers from 31 on, and
  // no leading 0x80 octet in the number.
  void CheckTag(const TElementHeader& h) {
    if (h.TagLength < 2) return;
    if (h.TagNumberFits && h.TagNumber < 31) {
      Add(TDerText::dtTagNumberLong, h.Offset, h.TagLength,
          {static_cast<std::uint32_t>(h.TagNumber), static_cast<std::uint32_t>(h.TagLength)});
      return;
    }
    if (FBytes[static_cast<std::size_t>(h.Offset) + 1] == 0x80)
      Add(TDerText::dtTagNumberLeading80, h.Offset, h.TagLength);
  }

  // X.690 10.1: definite form, in the fewest octets.
  void CheckLength(const TElementHeader& h) {
    const std::int32_t at = h.Offset + h.TagLength;
    if (IsIndefinite(h)) {
      Add(TDerText::dtIndefiniteLength, at, 1);
      return;
    }
    if (h.LengthLength < 2) return;
    const bool leadingZero = FBytes[static_cast<std::size_t>(at) + 1] == 0;
    if (!leadingZero && h.Length >= 0x80) return;
    Add(TDerText::dtLengthNotMinimal, at, h.LengthLength,
        {static_cast<std::uint32_t>(h.Length), static_cast<std::uint32_t>(h.LengthLength)});
  }

  // X.690 10.3 (SET: components in tag order) and 11.6 (SET OF: encodings in
  // ascending order). Where the schema says which of the two element is, its
  // rule applies. Otherwise the encoding alone does not tell, so a SET is
  // reported only when no reading accepts its order: members sharing a tag
  // make it a SET OF, whose encodings must ascend; members with distinct tags
  // may be either, and are at fault only when they are neither in tag order
  // nor in order of their encodings.
  void CheckSetOrder(std::uint32_t element, IDerTyping::TSetKind kind) {
    std::uint32_t count = FTree.ChildCount(element);
    if (count > 0 && FTree.Header(FTree.Child(element, count - 1)).IsEndOfContents()) --count;
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
    if (kind == IDerTyping::TSetKind::skSetOf) sharedTag = true;
    if (kind == IDerTyping::TSetKind::skSet) {
      if (firstTagFault < 0) return;
      const TElementHeader at = FTree.Header(FTree.Child(element, static_cast<std::uint32_t>(firstTagFault)));
      Add(TDerText::dtSetTagOrder, at.Offset, at.FullLength());
      return;
    }
    if (firstEncodingFault < 0) return;
    if (!sharedTag && firstTagFault < 0) return;
    const TElementHeader at = FTree.Header(FTree.Child(element, static_cast<std::uint32_t>(firstEncodingFault)));
    if (sharedTag)
      Add(TDerText::dtSetOfOrder, at.Offset, at.FullLength(), {static_cast<std::uint32_t>(firstEncodingFault + 1)});
    else
      Add(TDerText::dtSetOrder, at.Offset, at.FullLength());
  }

  Bytes Encoding(const TElementHeader& h) const { return FBytes.subspan(static_cast<std::size_t>(h.Offset), static_cast<std::size_t>(h.FullLength())); }

  const IElementTree& FTree;
  Bytes FBytes;
  std::vector<TDerFinding>& FFindings;
  const IDerTyping* FTyping;
  std::uint32_t FElement = NoElement;
};

}  // namespace

namespace {

using TA = TDerArg;
using TR = TDerRule;
using TT = TDerText;

// One row per text, in the order of TDerText.
constexpr TDerTextInfo DerTexts[] = {
    {TT::dtLengthNotMinimal, TR::drLengthNotMinimal, 801, 0, {TA::daDecimal, TA::daDecimal}},
    {TT::dtIndefiniteLength, TR::drIndefiniteLength, 802, 0, {}},
    {TT::dtConstructedString, TR::drConstructedString, 803, 0, {TA::daTagName}},
    {TT::dtTagNumberLong, TR::drTagNotMinimal, 804, 0, {TA::daDecimal, TA::daDecimal}},
    {TT::dtTagNumberLeading80, TR::drTagNotMinimal, 805, 0, {}},
    {TT::dtBooleanLength, TR::drBooleanNotCanonical, 806, 0, {TA::daDecimal}},
    {TT::dtBooleanTrue, TR::drBooleanNotCanonical, 807, 0, {TA::daOctet}},
    {TT::dtIntegerEmpty, TR::drIntegerNotMinimal, 808, 0, {TA::daTagName}},
    {TT::dtIntegerLeadingOctet, TR::drIntegerNotMinimal, 809, 0, {TA::daTagName, TA::daOctet}},
    {TT::dtBitStringEmpty, TR::drBitstringPadding, 810, 0, {}},
    {TT::dtUnusedBitsAbove7, TR::drBitstringPadding, 811, 0, {TA::daDecimal}},
    {TT::dtUnusedBitsWithoutContent, TR::drBitstringPadding, 812, 0, {TA::daDecimal}},
    {TT::dtUnusedBitsNotZero, TR::drBitstringPadding, 813, 0, {TA::daDecimal}},
    {TT::dtNamedBitsTrailingZero, TR::drNamedBitsTrailingZero, 814, 815, {TA::daFieldLabel, TA::daDecimal}},
    {TT::dtSetOfOrder, TR::drSetNotSorted, 816, 0, {TA::daDecimal}},
    {TT::dtSetOrder, TR::drSetNotSorted, 817, 0, {}},
    {TT::dtTimeWithoutZ, TR::drTimeNotDer, 818, 0, {TA::daTagName}},
    {TT::dtUtcTimeWithoutSeconds, TR::drTimeNotDer, 819, 0, {}},
    {TT::dtUtcTimeForm, TR::drTimeNotDer, 820, 0, {}},
    {TT::dtGeneralizedTimeWithoutSeconds, TR::drTimeNotDer, 821, 0, {}},
    {TT::dtGeneralizedTimeComma, TR::drTimeNotDer, 822, 0, {}},
    {TT::dtGeneralizedTimeForm, TR::drTimeNotDer, 823, 0, {}},
    {TT::dtGeneralizedTimeEmptyFraction, TR::drTimeNotDer, 824, 0, {}},
    {TT::dtGeneralizedTimeTrailingZero, TR::drTimeNotDer, 825, 0, {}},
    {TT::dtOidLeading80, TR::drOidNotMinimal, 826, 0, {}},
    {TT::dtCharsetOctet, TR::drStringCharset, 827, 0, {TA::daOctet, TA::daTagName}},
    {TT::dtUtf8Malformed, TR::drStringCharset, 828, 0, {TA::daOctet}},
    {TT::dtFixedWidthLength, TR::drStringCharset, 829, 0, {TA::daTagName, TA::daDecimal, TA::daDecimal}},
    {TT::dtSurrogate, TR::drStringCharset, 830, 0, {TA::daTagName, TA::daCodePoint}},
    {TT::dtAboveUnicode, TR::drStringCharset, 831, 0, {TA::daTagName, TA::daCodePoint}},
    {TT::dtDefaultEncoded, TR::drDefaultEncoded, 832, 0, {TA::daFieldName}},
    {TT::dtNullContents, TR::drNullNotEmpty, 838, 839, {TA::daDecimal}},
    {TT::dtOidEmpty, TR::drOidEmpty, 808, 0, {TA::daTagName}},
    {TT::dtTimeNotInstant, TR::drTimeNotInstant, 840, 0, {TA::daTagName}},
    {TT::dtSchemaExpected, TR::drSchemaMismatch, 834, 0, {TA::daSchemaWord, TA::daSchemaWord, TA::daSchemaType, TA::daTag}},
    {TT::dtSchemaExpectedNothing, TR::drSchemaMismatch, 835, 0, {TA::daSchemaWord, TA::daSchemaWord, TA::daSchemaType}},
    {TT::dtSchemaEndExpected, TR::drSchemaMismatch, 836, 0, {TA::daSchemaWord, TA::daTag}},
    {TT::dtSetTagOrder, TR::drSetNotSorted, 837, 0, {}},
    {TT::dtTrailingData, TR::drTrailingData, 833, 0, {TA::daDecimal}},
};

constexpr TDerRuleInfo Rules[] = {
    {TR::drLengthNotMinimal, "length-not-minimal", "a definite length in the fewest octets", "X.690 10.1"},
    {TR::drIndefiniteLength, "indefinite-length", "no indefinite length", "X.690 10.1"},
    {TR::drConstructedString, "constructed-string", "strings in the primitive form", "X.690 10.2"},
    {TR::drTagNotMinimal, "tag-not-minimal", "a tag number in the fewest octets", "X.690 8.1.2.4"},
    {TR::drBooleanNotCanonical, "boolean-not-canonical", "a BOOLEAN of one octet, TRUE as FF", "X.690 11.1"},
    {TR::drIntegerNotMinimal, "integer-not-minimal", "an INTEGER or ENUMERATED in the fewest octets", "X.690 8.3.2"},
    {TR::drBitstringPadding, "bitstring-padding", "a BIT STRING's unused bits at most 7, and zero", "X.690 11.2.1"},
    {TR::drNamedBitsTrailingZero, "named-bits-trailing-zero", "a named bit list without trailing zero bits",
     "X.690 11.2.2"},
    {TR::drSetNotSorted, "set-not-sorted", "SET members in tag order, SET OF members in the order of their encodings",
     "X.690 10.3, 11.6"},
    {TR::drTimeNotDer, "time-not-der", "UTCTime as YYMMDDHHMMSSZ, GeneralizedTime as YYYYMMDDHHMMSS[.fff]Z",
     "X.690 11.7, 11.8"},
    {TR::drOidNotMinimal, "oid-not-minimal", "OBJECT IDENTIFIER sub-identifiers in the fewest octets",
     "X.690 8.19.2"},
    {TR::drStringCharset, "string-charset", "a string's octets within its character set and encoding",
     "X.680 41, 43; RFC 3629"},
    {TR::drDefaultEncoded, "default-encoded", "a component equal to its DEFAULT left out", "X.690 11.5"},
    {TR::drNullNotEmpty, "null-not-empty", "a NULL without contents octets", "X.690 8.8.2"},
    {TR::drOidEmpty, "oid-empty", "an OBJECT IDENTIFIER with at least one sub-identifier", "X.690 8.19.2"},
    {TR::drTimeNotInstant, "time-not-instant", "a time that names an instant: a month of 1 to 12, a day in that month, an hour below 24",
     "X.680 46, 47"},
    {TR::drSchemaMismatch, "schema-mismatch", "a document typed by its label or an enclosing OID fits that type",
     "the type's module"},
    {TR::drTrailingData, "trailing-data", "nothing after the first element", "X.690 8.1.1"},
};

constexpr bool RulesInOrder() {
  for (std::size_t i = 0; i < std::size(Rules); ++i)
    if (static_cast<std::size_t>(Rules[i].Rule) != i) return false;
  return true;
}
static_assert(RulesInOrder() && std::size(Rules) == static_cast<std::size_t>(TDerRule::drTrailingData) + 1,
              "one row per rule, in the order of TDerRule");

constexpr bool RowsInOrder() {
  for (std::size_t i = 0; i < std::size(DerTexts); ++i)
    if (static_cast<std::size_t>(DerTexts[i].Text) != i) return false;
  return true;
}
static_assert(RowsInOrder() && std::size(DerTexts) == static_cast<std::size_t>(TDerText::dtTrailingData) + 1,
              "one row per text, in the order of TDerText");

}  // namespace

const TDerTextInfo& DerTextInfo(TDerText text) { return DerTexts[static_cast<std::size_t>(text)]; }

std::span<const TDerRuleInfo> DerRules() { return Rules; }

const char* DerRuleId(TDerRule rule) { return Rules[static_cast<std::size_t>(rule)].Id; }

std::vector<TDerFinding> CheckDer(const IElementTree& tree, std::span<const std::uint8_t> bytes,
                                  const TDerOptions& options) {
  std::vector<TDerFinding> findings;
  TChecker checker(tree, bytes, findings, options.Typing);
  checker.CheckAll();
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
    ++summary.Counts[static_cast<int>(f.Rule())];
    ++summary.Total;
  }
  return summary;
}

}  // namespace asn
