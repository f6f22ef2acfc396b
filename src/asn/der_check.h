// Whether a decoded document is valid DER (X.690 clause 10 and 11), checked
// beside the walk: the checks read the element tree and the bytes and never
// change what the parser decoded. Each finding names its rule, the element and
// the octets at fault.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "asn/element_tree.h"

namespace asn {

enum class TDerRule : std::uint8_t {
  drLengthNotMinimal,
  drIndefiniteLength,
  drConstructedString,
  drTagNotMinimal,
  drBooleanNotCanonical,
  drIntegerNotMinimal,
  drBitstringPadding,
  drNamedBitsTrailingZero,  // needs the schema
  drSetNotSorted,
  drTimeNotDer,
  drOidNotMinimal,
  drStringCharset,
  drDefaultEncoded,  // needs the schema
  drSchemaMismatch,  // needs the schema: a document given its type by evidence departs from it
  drTrailingData,
};

// The rule's fixed identifier, such as "length-not-minimal".
const char* DerRuleId(TDerRule rule);

// How a finding's number is written into its text: in decimal, as an octet
// (two hexadecimal digits), as a code point (hexadecimal, at least four
// digits) or as the name of the universal tag it numbers. The field's name
// and label take no number: they are read from the element's names.
enum class TDerArg : std::uint8_t { daNone, daDecimal, daOctet, daCodePoint, daTagName, daFieldName, daFieldLabel };

// Each way a finding is put in words.
enum class TDerText : std::uint8_t {
  dtLengthNotMinimal,
  dtIndefiniteLength,
  dtConstructedString,
  dtTagNumberLong,
  dtTagNumberLeading80,
  dtBooleanLength,
  dtBooleanTrue,
  dtIntegerEmpty,
  dtIntegerLeadingOctet,
  dtBitStringEmpty,
  dtUnusedBitsAbove7,
  dtUnusedBitsWithoutContent,
  dtUnusedBitsNotZero,
  dtNamedBitsTrailingZero,
  dtSetOfOrder,
  dtSetOrder,
  dtTimeWithoutZ,
  dtUtcTimeWithoutSeconds,
  dtUtcTimeForm,
  dtGeneralizedTimeWithoutSeconds,
  dtGeneralizedTimeComma,
  dtGeneralizedTimeForm,
  dtGeneralizedTimeEmptyFraction,
  dtGeneralizedTimeTrailingZero,
  dtOidLeading80,
  dtCharsetOctet,
  dtUtf8Malformed,
  dtFixedWidthLength,
  dtSurrogate,
  dtAboveUnicode,
  dtDefaultEncoded,
  dtTrailingData,
};

// A text's rule and how it is worded: the text of TextId in the language
// tables, with %0, %1 and %2 standing for the finding's numbers written as
// Args says; ManyTextId, when not 0, is the text used instead when the last
// decimal number is not 1.
struct TDerTextInfo {
  TDerText Text;
  TDerRule Rule;
  int TextId;
  int ManyTextId;
  TDerArg Args[3];
};
const TDerTextInfo& DerTextInfo(TDerText text);

struct TDerFinding {
  // The element at fault; NoElement for trailing octets that decoded to none.
  std::uint32_t Element = NoElement;
  TDerText Text = TDerText::dtLengthNotMinimal;
  // The octets at fault, in the decoded buffer.
  std::int32_t Offset = 0;
  std::int32_t Length = 0;
  // What its text says, one per argument: "length 5 written in 2 octets"
  // holds 5 and 2; an argument that takes no number (a field name) leaves its
  // place unused.
  std::array<std::uint32_t, 3> Numbers{};
  TDerRule Rule() const { return DerTextInfo(Text).Rule; }
};

// A check that needs more than the encoding (a schema's named bit lists and
// DEFAULT values) plugs in here; CheckDer runs it after its own checks.
class IDerCheck {
 public:
  virtual ~IDerCheck() = default;
  // Appends its findings in any order.
  virtual void Run(const IElementTree& tree, std::span<const std::uint8_t> bytes,
                   std::vector<TDerFinding>& findings) const = 0;
};

struct TDerOptions {
  // The buffer is a raw binary file (not decoded from text armour): octets
  // after its first top-level element are trailing data.
  bool RawFile = true;
  // Decoding stopped at a malformed header; octets the tree does not cover are
  // then left to the fatal error rather than reported as trailing data.
  std::int32_t FatalOffset = -1;
  std::span<const IDerCheck* const> Extra;
};

// Checks every element of tree, whose offsets point into bytes, in one pass
// over the elements in document order (no recursion). Findings come back in
// document order of their elements, the ones without an element last;
// several findings of one element in the order of their octets.
std::vector<TDerFinding> CheckDer(const IElementTree& tree, std::span<const std::uint8_t> bytes,
                                  const TDerOptions& options = {});

// How many findings of each rule, indexed by the rule's value.
struct TDerSummary {
  std::uint32_t Counts[static_cast<int>(TDerRule::drTrailingData) + 1] = {};
  std::uint32_t Total = 0;
  std::uint32_t Of(TDerRule rule) const { return Counts[static_cast<int>(rule)]; }
};
TDerSummary SummariseDer(std::span<const TDerFinding> findings);

}  // namespace asn
