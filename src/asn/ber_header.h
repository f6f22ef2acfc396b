// Reading BER identifier and length octets, and finding where an element of
// the indefinite form ends.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

namespace asn {

enum class HeaderFault : std::uint8_t {
  hfNone,
  hfBadTagFormat,     // high tag number form running to the end of the level
  hfNoLength,         // no octet left for the first length octet
  hfLengthTooLong,    // more than 5 length octets
  hfNoEndOfContents,  // indefinite form without a 00 00 pair inside the level
  hfLengthPastEnd,    // the element runs past the end of the level
};

// The message a header fault is reported with.
const char* HeaderFaultMessage(HeaderFault fault);

// Identifier and length octets of one element.
struct RawHeader {
  std::uint8_t First = 0;  // first identifier octet
  std::int32_t TagLength = 0;
  std::int32_t LengthLength = 0;
  std::int64_t Length = 0;  // definite form only
  bool Indefinite = false;
  bool TagNumberFits = true;  // TagNumber holds the whole number
  std::uint64_t TagNumber = 0;

  bool Constructed() const { return First & 0x20; }
  std::uint8_t Class() const { return First >> 6; }
};

// Reads the header at pos of the level that ends at bound (pos < bound). A
// definite element must end at or before bound; the end of an indefinite one
// is left to IndefiniteEnds.
HeaderFault ReadRawHeader(std::span<const std::uint8_t> buf, std::int32_t pos, std::int32_t bound, RawHeader& h);

// Writes the tag number in decimal; numbers too large for 64 bits are read
// again from the tag octets at pos.
void AppendTagNumber(std::u16string& out, std::span<const std::uint8_t> buf, std::int32_t pos, const RawHeader& h);

// Finds the ends of indefinite-form elements of one buffer. A constructed one
// ends at the first 00 00 at its own level, found by walking the elements
// inside it; when that walk cannot finish inside the level (or for a
// primitive element) the end is the first 00 00 pair after the contents
// start. Walk results are memoised by offset and the pairs are indexed, so
// the ends of all elements of a buffer cost time linear in its size.
class IndefiniteEnds {
 public:
  explicit IndefiniteEnds(std::span<const std::uint8_t> buf) : FBuf(buf) {}

  // One past the end-of-contents of the element at offset whose contents
  // start at contentStart, inside a level ending at bound; -1 when none.
  std::int32_t FindEnd(std::int32_t offset, std::int32_t contentStart, bool constructed, std::int32_t bound);

 private:
  struct WalkResult {
    std::int32_t Bound;
    std::int32_t End;  // -1: the walk failed within Bound
  };
  struct WalkFrame {
    std::int32_t Offset;
    std::int32_t Pos;
  };
  enum class Known : std::uint8_t { knUnknown, knEnd, knFailed };

  // What a walk within bound is known to give, from a memoised walk within
  // another bound: a walk that succeeded touched only octets before its end,
  // and a narrower bound only cuts a walk short.
  Known Lookup(std::int32_t offset, std::int32_t bound, std::int32_t& end) const;
  std::int32_t WalkToEnd(std::int32_t offset, std::int32_t contentStart, std::int32_t bound);
  std::int32_t ScanToEnd(std::int32_t contentStart, std::int32_t bound);
  // First i >= from with octets i and i+1 both zero; -1 when none.
  std::int32_t NextPair(std::int32_t from);
  void BuildPairIndex();

  std::span<const std::uint8_t> FBuf;
  std::unordered_map<std::int32_t, WalkResult> FWalks;
  std::vector<WalkFrame> FStack;
  // For each block of PairBlock octets, the first pair at or after its start.
  std::vector<std::int32_t> FBlockPairs;
  bool FIndexed = false;
};

}  // namespace asn
