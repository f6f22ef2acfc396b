// Language tables and the reading of language files, shared by the process-wide
// language state, its tests and the fuzz target.
#pragma once

#include <array>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/platform.h"

namespace settings {

// A language file that cannot be used; what() is the reason in UTF-8.
class ELanguageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// name=value lines. The name is the part before the first "=" and is matched
// without regard to ASCII case; the first line with a name wins.
class TLangTable {
 public:
  TLangTable() = default;
  // Splits text at CR, LF and CRLF; lines without "=" are kept out of the lookup.
  explicit TLangTable(std::u16string_view text);
  // The value as written, or an empty optional when no line has that name.
  std::optional<std::u16string_view> Find(std::u16string_view name) const;
  // The value as written, or empty.
  std::u16string_view Value(std::u16string_view name) const;

 private:
  std::unordered_map<std::u16string, std::u16string> FValues;  // keys folded to lower case
};

// Decodes the bytes of a language file: a byte-order mark (UTF-8, UTF-16 LE or BE)
// picks the encoding, otherwise the system's default code page; a "codepage" value
// that names another code page decodes the bytes again with it. Throws
// ELanguageError("Invalid code page") for a code page the system does not know.
TLangTable ReadLanguageText(std::string_view bytes, platform::ISystem& system);

// Reads and decodes the file at path (UTF-8). Throws ELanguageError when it cannot
// be read.
TLangTable ReadLanguageFile(const std::string& path, platform::ISystem& system);

struct TBuiltInText {
  std::u16string_view Name;
  std::u16string_view Text;
};

// The built-in English table in the order it is built.
inline constexpr std::array<TBuiltInText, 155> DefaultLanguage{{
    {u"Language", u"English"},
    {u"101", u"Copy value"},
    {u"102", u"Copy row"},
    {u"103", u"Copy bytes"},
    {u"104", u"Search"},
    {u"105", u"Expand node"},
    {u"106", u"Collapse node"},
    {u"107", u"Expand tree"},
    {u"108", u"Collapse tree"},
    {u"109", u"Show attributes"},
    {u"110", u"Show hex panel"},
    {u"111", u"Load from Clipboard"},
    {u"112", u"Reload"},
    {u"113", u"Save to XML"},
    {u"114", u"Settings"},
    {u"115", u"About"},
    {u"116", u"Copy path"},
    {u"117", u"Field names"},
    {u"118", u"Next problem"},
    {u"119", u"Copy as Base64"},
    {u"120", u"Copy as PEM"},
    {u"121", u"Copy as C array"},
    {u"122", u"Element info"},
    {u"123", u"Go to offset"},
    {u"124", u"Save element as"},
    {u"128", u"Open element"},
    {u"129", u"Back"},
    {u"200", u"Settings"},
    {u"271", u"Close"},
    {u"272", u"Defaults"},
    {u"273", u"Restore default settings?"},
    {u"201", u"Tree"},
    {u"202", u"Font"},
    {u"203", u"Size"},
    {u"204", u"Indent, pxs"},
    {u"205", u"Background"},
    {u"206", u"Constructed"},
    {u"207", u"Primitive"},
    {u"208", u"Attribute"},
    {u"209", u"Value"},
    {u"210", u"Hex value"},
    {u"211", u"Focused"},
    {u"212", u"Line"},
    {u"213", u"Dotted"},
    {u"214", u"Show icons"},
    {u"215", u"Separate bytes in binary strings"},
    {u"216", u"Names"},
    {u"217", u"Field names"},
    {u"218", u"DER problem"},
    {u"219", u"DER checks"},
    {u"221", u"Hex panel"},
    {u"222", u"Font"},
    {u"223", u"Size"},
    {u"224", u"Bytes in row"},
    {u"225", u"Background"},
    {u"226", u"Data"},
    {u"227", u"Tag"},
    {u"228", u"Length"},
    {u"229", u"Unused bits"},
    {u"230", u"Text"},
    {u"231", u"Selection"},
    {u"232", u"Focused"},
    {u"233", u"Line"},
    {u"234", u"Dotted"},
    {u"235", u"DER problem"},
    {u"251", u"INI File"},
    {u"252", u"Plugin's folder"},
    {u"253", u"Host program's settings folder"},
    {u"261", u"Interface"},
    {u"262", u"Language"},
    {u"301", u"XML files"},
    {u"302", u"All files"},
    {u"280", u"Element info"},
    {u"281", u"Offset"},
    {u"282", u"Header length"},
    {u"283", u"Content length"},
    {u"284", u"Path"},
    {u"285", u"SHA-256"},
    {u"286", u"SHA-1"},
    {u"287", u"SHA-256 of the content"},
    {u"288", u"SHA-1 of the content"},
    {u"289", u"Copy"},
    {u"290", u"Go to offset"},
    {u"291", u"Offset (decimal, $hex or 0xhex):"},
    {u"292", u"Go"},
    {u"293", u"Cancel"},
    {u"294", u"DER files"},
    {u"295", u"PEM files"},
    {u"601", u"Tags"},
    {u"602", u"Objects"},
    {u"603", u"Bytes"},
    {u"604", u"clipboard"},
    {u"605", u"DER"},
    {u"606", u"Not BER"},
    {u"607", u"%0 DER problem"},
    {u"608", u"%0 DER problems"},
    {u"609", u"BER (%0 indefinite length)"},
    {u"610", u"BER (%0 indefinite lengths)"},
    {u"701", u"Not enough memory to show this file"},
    {u"702", u"Not an offset. Type decimal digits, or hexadecimal digits after $ or 0x."},
    {u"703", u"No byte at that offset. The data's offsets run from 0 to"},
    {u"704", u"There is no data to go to."},
    {u"710", u"%0 at offset %1 of %2"},
    {u"801", u"length %0 written in %1 octets"},
    {u"802", u"indefinite length"},
    {u"803", u"%0 in constructed form"},
    {u"804", u"tag number %0 written in %1 octets"},
    {u"805", u"tag number with a leading 0x80 octet"},
    {u"806", u"BOOLEAN of %0 octets, not 1"},
    {u"807", u"BOOLEAN TRUE written as %0, not FF"},
    {u"808", u"%0 with no content"},
    {u"809", u"%0 with a redundant leading %1 octet"},
    {u"810", u"BIT STRING without its unused-bits octet"},
    {u"811", u"%0 unused bits, at most 7 allowed"},
    {u"812", u"%0 unused bits in an empty BIT STRING"},
    {u"813", u"the %0 unused bits are not zero"},
    {u"814", u"named bit list %0 ends in %1 zero bit"},
    {u"815", u"named bit list %0 ends in %1 zero bits"},
    {u"816", u"SET OF member %0 sorts before the one ahead of it"},
    {u"817", u"SET members in neither tag order nor the order of their encodings"},
    {u"818", u"%0 not ending in Z"},
    {u"819", u"UTCTime without seconds"},
    {u"820", u"UTCTime not in the form YYMMDDHHMMSSZ"},
    {u"821", u"GeneralizedTime without seconds or not in the form YYYYMMDDHHMMSSZ"},
    {u"822", u"GeneralizedTime fraction after a comma, not a full stop"},
    {u"823", u"GeneralizedTime not in the form YYYYMMDDHHMMSS[.fff]Z"},
    {u"824", u"GeneralizedTime with an empty fraction"},
    {u"825", u"GeneralizedTime fraction with a trailing zero"},
    {u"826", u"sub-identifier with a leading 80 octet"},
    {u"827", u"octet %0 is not allowed in a %1"},
    {u"828", u"malformed UTF-8 at octet %0"},
    {u"829", u"%0 of %1 octets, not a multiple of %2"},
    {u"830", u"%0 holds the surrogate U+%1, which is not a character"},
    {u"831", u"%0 holds U+%1, above U+10FFFF, which is not a character"},
    {u"832", u"%0 encoded with its DEFAULT value"},
    {u"833", u"%0 octets after the first element"},
    {u"834", u"%0: %1 expected (%2), found %3"},
    {u"835", u"%0: %1 expected (%2), found nothing"},
    {u"836", u"%0: end expected, found %1"},
    {u"837", u"SET members not in the order of their tags"},
    {u"838", u"NULL with %0 octet of content"},
    {u"839", u"NULL with %0 octets of content"},
    {u"840", u"%0 that names no instant (month, day or time of day out of range)"},
    {u"130", u"Compare with..."},
    {u"131", u"Next difference"},
    {u"132", u"Previous difference"},
    {u"133", u"Stop comparing"},
    {u"611", u"Comparing with %0..."},
    {u"612", u"No differences with %0"},
    {u"613", u"%0 difference with %1"},
    {u"614", u"%0 differences with %1"},
    {u"615", u"only in %0"},
    {u"621", u"Block %0 of %1: not BER"},
    {u"622", u"Blocks %0 of %1: not BER"},
    {u"705", u"%0 holds no ASN.1 data to compare with."},
}};

}  // namespace settings
