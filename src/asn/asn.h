// BER element records, the parser that walks them and its value renderers.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <stdexcept>
#include <string>

namespace asn {

// The top two bits of the first identifier octet.
enum TASN1TagClasses : std::uint8_t {
  ASN1Universal = 0,
  ASN1Application = 1,
  ASN1ContextSpecific = 2,
  ASN1Private = 3,
};

// One BER element as the parser describes it: where it lies, how its header is
// built and, for a primitive element, the display text of its value.
struct TASNTag {
  TASN1TagClasses TagClass = ASN1Universal;
  std::u16string Tag;  // tag number in decimal digits, any length
  bool Constructed = false;
  bool Encapsulates = false;
  std::int32_t Offset = 0;
  std::int32_t TagLength = 0;
  std::int32_t LengthLength = 0;
  std::int32_t Length = 0;  // indefinite form: includes the end-of-contents octets
  std::uint8_t UnusedBits = 0;
  std::int32_t BitLength = 0;
  std::u16string Value;
  std::u16string OIDDescr;
  bool IsHex = false;
  std::u16string Error;

  std::int32_t FullLength() const { return TagLength + LengthLength + Length; }
  std::int32_t HeaderLength() const { return TagLength + LengthLength; }
  bool IsUniversal() const { return TagClass == ASN1Universal; }
  bool IsBitString() const { return IsUniversal() && GetUniversalTag() == 3; }
  // The universal tag number, or 255 when the class is not universal or the
  // number has more than two digits.
  std::uint8_t GetUniversalTag() const;
  std::u16string GetTagClassName() const;
  std::u16string GetTagName() const;
};

// A malformed header (Offset = its first identifier octet) or a rejected value
// (Offset = -1). The message is ASCII.
class EParserException : public std::runtime_error {
 public:
  EParserException(const std::string& msg, std::int32_t offset)
      : std::runtime_error(msg), Offset(offset) {}
  std::int32_t Offset;
};

using TASNTagParserEvent = std::function<void(const TASNTag&)>;
using TASNParserEvent = std::function<void()>;

// Largest input the 32-bit offsets of the records can address.
inline constexpr std::size_t MaxInputSize = 0x7FFFFFFF;

// Hexadecimal rendering of bytes: uppercase pairs, optionally blank-separated.
std::u16string HexString(std::span<const std::uint8_t> s, bool addSpace);

// Walks a buffer of BER elements depth first and reports each one through
// three events. One parser serves one Parse call.
class TASNParser {
 public:
  TASNTagParserEvent OnNewConstructed;
  TASNTagParserEvent OnNewPrimitive;
  TASNParserEvent OnEndConstructed;
  bool SpaceInHex = false;

  // Walks every element of s (which must outlive the call) and delivers the
  // events. Leaves with EParserException on a malformed header, after the
  // events of everything before it.
  void Parse(std::span<const std::uint8_t> s);
  std::span<const std::uint8_t> Content;

  // Value renderers: contents octets in, display text out; EParserException
  // (Offset -1) on malformed contents.
  std::u16string DecodeBoolean(std::span<const std::uint8_t> s) const;
  std::u16string DecodeInteger(std::span<const std::uint8_t> s, std::int32_t& bitLength, std::uint8_t scale) const;
  std::u16string DecodeBitString(std::span<const std::uint8_t> s, std::uint8_t& unusedBits) const;
  std::u16string DecodeOctetString(std::span<const std::uint8_t> s) const;
  std::u16string DecodeOID(std::span<const std::uint8_t> s, std::u16string& oidDescr, bool relative) const;
  std::u16string DecodeUniversalString(std::span<const std::uint8_t> s) const;
  std::u16string DecodeUTCTime(std::span<const std::uint8_t> s) const;
  std::u16string DecodeGeneralizedTime(std::span<const std::uint8_t> s) const;
  std::u16string DecodeReal(std::span<const std::uint8_t> s) const;

 private:
  // The walk's own state and helpers are added by the implementation.
};

}  // namespace asn
