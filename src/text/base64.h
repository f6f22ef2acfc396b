// Base64 (RFC 4648) both ways and octets as a PEM block (RFC 7468): the
// element toolbox and bramlet-dump write them, the viewer's input reads them.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace text {

// Base64 with padding, on one line.
std::string EncodeBase64(std::span<const std::uint8_t> bytes);
// "-----BEGIN label-----", the Base64 in lines of 64 characters, then
// "-----END label-----"; every line ends in eol.
std::string PemBlock(std::string_view label, std::span<const std::uint8_t> bytes, std::string_view eol = "\n");

// Whether c is in the Base64 alphabet or is the padding "=".
bool IsBase64Char(char16_t c);
// Appends the octets of Base64 text. Characters outside the alphabet ("="
// included) are skipped wherever they stand; two leftover characters give one
// octet, three give two, one gives none. Never fails.
void AppendBase64(std::u16string_view text, std::vector<std::uint8_t>& out);
std::vector<std::uint8_t> DecodeBase64(std::u16string_view text);

}  // namespace text
