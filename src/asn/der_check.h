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
  drNullNotEmpty,
  drOidEmpty,
  drTimeNotInstant,
  drSchemaMismatch,  // needs the schema: a document given its type by evidence departs from it
  drTrailingData,
};

// A rule's fixed identifier ("length-not-minimal"), what it asks for in one
// line and the clause it comes from.
struct TDerRuleInfo {
  TDerRule Rule;
  const char* Id;
  const char* Meaning;
  const char* Clause;
};
// Every rule, in the order of TDerRule.
std::span<const TDerRuleInfo> DerRules();
const char* DerRuleId(TDerRule rule);

// How a finding's number is written into its text: in decimal, as an octet
// (two hexadecimal digits), as a code point (hexadecimal, at least four
// digits) or as the name of the universal tag it numbers. The field's name
// and label take no number: they are read from the element's names. The
// schema's words are numbered by the schema: a field or type name by its
// string, an expected type by its type node; a tag by its code as the schema
// writes tags (class in the top two bits).
enum class TDerArg : std::uint8_t {
  daNone,
  daDecimal,
  daOctet,
  daCodePoint,
  daTagName,
  daFieldName,
  daFieldLabel,
  daSchemaWord,
  daSchemaType,
  daTag,
};

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
  dtNullContents,
  dtOidEmpty,
  dtTimeNotInstant,
  dtSchemaExpected,
  dtSchemaExpectedNothing,
  dtSchemaEndExpected,
  dtSetTagOrder,
  dtTrailingData,
};

// A text's rule and how it is worded: the text of TextId in the language
// tables, with %0 to %3 standing for the finding's numbers written as
// Args says; ManyTextId, when not 0, is the text used instead when the last
// decimal number is not 1.
struct TDerTextInfo {
  TDerText Text;
  TDerRule Rule;
  int TextId;
  int ManyTextId;
  TDerArg Args[4];
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
  std::array<std::uint32_t, 4> Numbers{};
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

// What the schema says of an element, for the rules that follow its type
// rather than its tag; the document's typing answers.
class IDerTyping {
 public:
  enum class TSetKind : std::uint8_t { skNone, skSet, skSetOf };
  virtual ~IDerTyping() = default;
  // The universal type an IMPLICIT tag hides, or utNone.
  virtual std::uint8_t ImplicitUniversal(std::uint32_t element) const = 0;
  // Whether element holds no DER (a digest, a signature, key material):
  // nothing decoded inside it is checked.
  virtual bool IsOpaque(std::uint32_t element) const = 0;
  // Whether element is a SET or a SET OF by its type, whatever its tag.
  virtual TSetKind SetKind(std::uint32_t element) const = 0;
};

struct TDerOptions {
  // The buffer is a raw binary file (not decoded from text armour): octets
  // after its first top-level element are trailing data.
  bool RawFile = true;
  // For a buffer decoded from armour: where each block's octets start. Each
  // block is then checked for octets after its first element on its own.
  std::span<const std::int32_t> BlockStarts;
  // Where decoding stopped at a malformed header (the whole buffer's, or one
  // per block), ascending; octets the tree does not cover from there on are
  // left to the fatal error rather than reported as trailing data.
  std::span<const std::int32_t> FatalOffsets;
  std::span<const IDerCheck* const> Extra;
  // The elements' types, where a schema gives them; without, rules go by the tags.
  const IDerTyping* Typing = nullptr;
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
