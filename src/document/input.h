// Where a document's bytes come from: telling binary files from text, finding
// the text armour (PEM, begin-base64, bare Base64) and the clipboard's
// hexadecimal or Base64 text. Pure functions; TDecodedDocument's LoadFile and
// LoadFromText put them together.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace viewer {

// The binary test looks at this many leading octets and no more.
inline constexpr std::size_t BinaryTestLength = 513;

// Whether the first BinaryTestLength octets of data (the file after its
// byte-order mark) hold an octet below 0x80 other than tab, line feed, carriage
// return and 0x20..0x7F, or octets above 0x7F that are not well-formed UTF-8. A
// character cut by the end of those octets is well-formed when data goes on,
// not when data ends there. An empty buffer is text.
bool IsBinary(std::span<const std::uint8_t> data);

// Length of a UTF-8 byte-order mark at the start of data: 3 or 0.
std::size_t Utf8BomLength(std::span<const std::uint8_t> data);

// One match of the armour pattern: the whole match and, for a PEM block, the
// body between its markers (empty for the other armours).
struct TArmourMatch {
  std::u16string_view Whole;
  std::u16string_view PemBody;
};

// Every non-overlapping match of the armour pattern in text, left to right.
// Throws std::runtime_error when the search needs more than matchLimit steps or
// PCRE2 fails otherwise.
std::vector<TArmourMatch> FindArmour(std::u16string_view text, std::uint32_t matchLimit);

// Appends the octets of one armoured block: its lines without an END line and a
// BEGIN or begin-base64 line, decoded as Base64. A PEM block on a single line
// decodes the body between its markers.
void AppendArmourBlock(const TArmourMatch& match, std::vector<std::uint8_t>& out);

// The label of the PEM blocks among matches ("CERTIFICATE" for "-----BEGIN
// CERTIFICATE-----") when every block is a PEM block with that one label;
// empty otherwise, and for a label that is not ASCII.
std::string CommonPemLabel(std::span<const TArmourMatch> matches);

// The octets of all armoured blocks of text, one after the other; nothing when
// the text has no armour. pemLabel, when given, receives CommonPemLabel;
// blockStarts, where each block's octets start. With markedOnly, a text of
// Base64 alone is no armour: only PEM and begin-base64 blocks are.
std::optional<std::vector<std::uint8_t>> DecodeArmouredText(std::u16string_view text, std::uint32_t matchLimit,
                                                            std::string* pemLabel = nullptr,
                                                            std::vector<std::int32_t>* blockStarts = nullptr,
                                                            bool markedOnly = false);

enum class TClipboardKind { ckNone, ckHex, ckBase64 };

// The text without spaces, carriage returns and line feeds.
std::u16string StripClipboardText(std::u16string_view text);
// Hexadecimal when the length is even and every character a hex digit (this wins);
// Base64 when the length is a multiple of 4 and every character in the alphabet or
// "="; ckNone otherwise, and for empty text.
TClipboardKind ClassifyClipboardText(std::u16string_view stripped);
// One octet per pair of hex digits, the first giving the high four bits.
std::vector<std::uint8_t> DecodeHexText(std::u16string_view hex);

// Throws std::runtime_error when a file of this size cannot be decoded with
// 32-bit offsets.
void CheckInputFileSize(std::uintmax_t size);

}  // namespace viewer
