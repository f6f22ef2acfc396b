// Value renderers that append to a caller's text, so the walk reuses one
// buffer for every element. They raise EParserException (Offset -1) on
// malformed contents, as the public Decode* members do.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <utility>

namespace asn {

using Bytes = std::span<const std::uint8_t>;

void RenderBoolean(std::u16string& out, Bytes s);
void RenderInteger(std::u16string& out, Bytes s, std::int32_t& bitLength, std::uint8_t scale);
// The unsigned big-endian number in s times scale (0 meaning 1).
void RenderUnsigned(std::u16string& out, Bytes s, std::uint8_t scale);
void RenderBitString(std::u16string& out, Bytes s, std::uint8_t& unusedBits, bool addSpace);
class TOIDDictionary;

// Without relative, oidDescr receives the dictionary's description (none
// without a dictionary).
void RenderOID(std::u16string& out, Bytes s, std::u16string& oidDescr, bool relative,
               const TOIDDictionary* dictionary);
void RenderUniversalString(std::u16string& out, Bytes s);
void RenderBMPString(std::u16string& out, Bytes s);
void RenderUTCTime(std::u16string& out, Bytes s);
void RenderGeneralizedTime(std::u16string& out, Bytes s);
void RenderReal(std::u16string& out, Bytes s);

// The text an appending renderer produces on its own, for the Decode* members.
template <typename Render, typename... Args>
std::u16string Rendered(Render render, Bytes s, Args&&... args) {
  std::u16string out;
  render(out, s, std::forward<Args>(args)...);
  return out;
}

}  // namespace asn
