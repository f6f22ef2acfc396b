// BER element records, the parser that walks them and its value renderers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

namespace asn {

// The top two bits of the first identifier octet.
enum TASN1TagClasses : std::uint8_t {
  ASN1Universal = 0,
  ASN1Application = 1,
  ASN1ContextSpecific = 2,
  ASN1Private = 3,
};

// The universal tag numbers that have a name (X.680 8.6), and utNone for "not
// universal, or a number of three digits or more". UniversalTag answers in
// these terms.
enum TUniversalTag : std::uint8_t {
  utEndOfContents = 0,
  utBoolean = 1,
  utInteger = 2,
  utBitString = 3,
  utOctetString = 4,
  utNull = 5,
  utObjectIdentifier = 6,
  utObjectDescriptor = 7,
  utExternal = 8,
  utReal = 9,
  utEnumerated = 10,
  utEmbeddedPdv = 11,
  utUtf8String = 12,
  utRelativeOid = 13,
  utSequence = 16,
  utSet = 17,
  utNumericString = 18,
  utPrintableString = 19,
  utT61String = 20,
  utVideotexString = 21,
  utIA5String = 22,
  utUtcTime = 23,
  utGeneralizedTime = 24,
  utGraphicString = 25,
  utVisibleString = 26,
  utGeneralString = 27,
  utUniversalString = 28,
  utCharacterString = 29,
  utBmpString = 30,
  utNone = 255,
};

// The header of one element and where its parts lie in the buffer: what the
// analyses over an element tree read (IElementTree::Header), and the part of
// the walk's record (TASNTag) that comes from the identifier and length octets.
struct TElementHeader {
  TASN1TagClasses TagClass = ASN1Universal;
  std::uint32_t TagNumber = 0;  // valid when TagNumberFits
  bool TagNumberFits = true;    // false for a number above 32 bits
  bool Constructed = false;
  // An OCTET STRING or BIT STRING whose children are its decoded contents.
  bool Encapsulates = false;
  std::int32_t Offset = 0;
  std::int32_t TagLength = 0;
  std::int32_t LengthLength = 0;
  std::int32_t Length = 0;  // indefinite form: includes the end-of-contents octets

  std::int32_t HeaderLength() const { return TagLength + LengthLength; }
  std::int32_t FullLength() const { return TagLength + LengthLength + Length; }
  bool IsUniversal() const { return TagClass == ASN1Universal; }
  // The universal tag number, or utNone (255) when the class is not universal
  // or the number has more than two digits.
  std::uint8_t UniversalTag() const {
    return TagClass == ASN1Universal && TagNumberFits && TagNumber < 100 ? static_cast<std::uint8_t>(TagNumber)
                                                                         : std::uint8_t{utNone};
  }
  bool IsBitString() const { return UniversalTag() == utBitString; }
  // An end-of-contents pair, which belongs to its indefinite parent's encoding.
  bool IsEndOfContents() const { return UniversalTag() == utEndOfContents && !Constructed && Length == 0; }
};

// One BER element as the walk reports it: its header, the tag number as text
// and, for a primitive element, the display text of its value.
struct TASNTag : TElementHeader {
  // The tag number in decimal digits, any length: the only form of a number
  // above 32 bits.
  std::u16string Tag;
  std::uint8_t UnusedBits = 0;
  std::int32_t BitLength = 0;
  std::u16string Value;
  std::u16string OIDDescr;
  bool IsHex = false;
  std::u16string Error;

  std::u16string GetTagClassName() const;
  std::u16string GetTagName() const;
  // Back to the cleared state (empty texts, zeros, false, universal); the
  // strings keep their capacity.
  void Clear();
};

// A malformed header (Offset = its first identifier octet) or a rejected value
// (Offset = -1). The message is ASCII.
class EParserException : public std::runtime_error {
 public:
  EParserException(const std::string& msg, std::int32_t offset)
      : std::runtime_error(msg), Offset(offset) {}
  std::int32_t Offset;
};

class TOIDDictionary;

// Renders the contents of a primitive, non-encapsulating element the way the
// walk does: sets tag's Value, OIDDescr, IsHex, UnusedBits and BitLength, or
// for malformed contents Error with the hexadecimal text as Value. tag needs
// its class and tag number; its texts should be empty.
void RenderContents(TASNTag& tag, std::span<const std::uint8_t> contents, bool spaceInHex,
                    const TOIDDictionary* dictionary);
// The Error message RenderContents would set, without building the value
// text; empty when the contents render.
std::string ContentsFault(const TASNTag& tag, std::span<const std::uint8_t> contents);

using TASNTagParserEvent = std::function<void(const TASNTag&)>;
using TASNParserEvent = std::function<void()>;

// Largest input the 32-bit offsets of the records can address.
inline constexpr std::size_t MaxInputSize = 0x7FFFFFFF;

// Raises EParserException (Offset 0) when an input of this many octets is too
// large for 32-bit offsets; Parse calls it before touching the input.
void CheckInputSize(std::size_t size);

// Hexadecimal rendering of bytes: uppercase pairs, optionally blank-separated.
std::u16string HexString(std::span<const std::uint8_t> s, bool addSpace);

class IndefiniteEnds;

// OBJECT IDENTIFIER descriptions from an "oid.txt": lines of name=value, a
// byte-order mark selecting UTF-8 or UTF-16, otherwise Latin-1. The plug-in
// keeps one from library load to unload; the CLI has its own.
class TOIDDictionary {
 public:
  // Each Load replaces the entries. LoadFolder reads "oid.txt" from a folder
  // (UTF-8 path, with or without a trailing delimiter), LoadFile a named file;
  // both return false when the file could not be read (the dictionary is then
  // empty).
  bool LoadFolder(const std::string& folderUtf8);
  bool LoadFile(const std::string& fileUtf8);
  // From the octets of a file.
  void LoadBytes(std::span<const std::uint8_t> bytes);
  void Clear() { FEntries.clear(); }
  // The description of the first entry whose name equals oid, ignoring letter
  // case; empty when there is none.
  const std::u16string& Lookup(const std::u16string& oid) const;

 private:
  std::unordered_map<std::u16string, std::u16string> FEntries;
};

// Walks a buffer of BER elements depth first and reports each one through
// three events. One parser serves one Parse call, or the calls over the
// ranges of one buffer.
class TASNParser {
 public:
  TASNParser();
  ~TASNParser();
  TASNParser(const TASNParser&) = delete;
  TASNParser& operator=(const TASNParser&) = delete;

  TASNTagParserEvent OnNewConstructed;
  TASNTagParserEvent OnNewPrimitive;
  TASNParserEvent OnEndConstructed;
  bool SpaceInHex = false;
  // Where OBJECT IDENTIFIER values find their OIDDescr; none gives no descriptions.
  const TOIDDictionary* OIDDictionary = nullptr;
  // Off: primitive values are not rendered during the walk (Value, OIDDescr,
  // IsHex, UnusedBits and BitLength stay cleared); only Error is set, for
  // contents RenderContents would reject, and the Tag text only for a number
  // TagNumber cannot hold. For stores that render on demand.
  bool RenderValues = true;

  // Walks every element of s (which must outlive the call) and delivers the
  // events. Leaves with EParserException on a malformed header, after the
  // events of everything before it. A malformed header inside an element that
  // passed the encapsulation trial instead closes the levels opened inside it
  // (OnEndConstructed for each, the encapsulating element's own included) and
  // the walk goes on after that element. Nesting depth is bounded only by
  // memory: the walk keeps its own stack of levels.
  void Parse(std::span<const std::uint8_t> s);
  // Walks the elements of s[from, to) only (from <= to <= s.size()), as Parse
  // walks s: offsets count from the start of s. Calls over ranges of one s
  // share the index of end-of-contents octets: for a buffer of several blocks.
  void Parse(std::span<const std::uint8_t> s, std::int32_t from, std::int32_t to);
  std::span<const std::uint8_t> Content;

  // Value renderers: contents octets in, display text out; EParserException
  // (Offset -1) on malformed contents.
  std::u16string DecodeBoolean(std::span<const std::uint8_t> s) const;
  std::u16string DecodeInteger(std::span<const std::uint8_t> s, std::int32_t& bitLength, std::uint8_t scale) const;
  std::u16string DecodeBitString(std::span<const std::uint8_t> s, std::uint8_t& unusedBits) const;
  std::u16string DecodeOID(std::span<const std::uint8_t> s, std::u16string& oidDescr, bool relative) const;
  std::u16string DecodeUniversalString(std::span<const std::uint8_t> s) const;
  std::u16string DecodeUTCTime(std::span<const std::uint8_t> s) const;
  std::u16string DecodeGeneralizedTime(std::span<const std::uint8_t> s) const;
  std::u16string DecodeReal(std::span<const std::uint8_t> s) const;
  // UTF8String (malformed sequences become U+FFFD), BMPString (big-endian
  // code units, a trailing odd octet dropped) and the US-ASCII group (octets
  // above 0x7F read as Latin-1). None of them fails.
  std::u16string DecodeUTF8String(std::span<const std::uint8_t> s) const;
  std::u16string DecodeBMPString(std::span<const std::uint8_t> s) const;
  std::u16string DecodeASCIIString(std::span<const std::uint8_t> s) const;

 private:
  // One open level of the walk: the contents [Cursor, End) still to read.
  struct LevelFrame {
    std::int32_t Cursor;
    std::int32_t End;
    bool Encapsulated;  // the contents of an OCTET STRING or BIT STRING that passed the trial
  };

  // Reads the header at FTag.Offset into FTag and sets next to the offset just
  // past the element; returns the fault's message, or nullptr when the header
  // is sound.
  const char* ReadHeader(std::int32_t levelEnd, std::int32_t& next);
  // Renders FTag's value; returns true instead when the element is an OCTET
  // STRING or BIT STRING that passed the encapsulation trial.
  bool RenderPrimitive();
  bool PassesEncapsulationTrial(bool isBitString);
  // Closes the levels up to and including the innermost encapsulated one;
  // false when no level is encapsulated.
  bool UnwindEncapsulation();

  std::vector<LevelFrame> FLevels;
  TASNTag FTag;
  std::uint8_t FUniversalTag = utNone;  // FTag's UniversalTag, known from the header
  std::unique_ptr<IndefiniteEnds> FEnds;
};

}  // namespace asn
