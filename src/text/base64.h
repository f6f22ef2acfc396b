// Writing octets as Base64 (RFC 4648) and as a PEM block (RFC 7468), for the
// element toolbox and bramlet-dump.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace text {

// Base64 with padding, on one line.
std::string EncodeBase64(std::span<const std::uint8_t> bytes);
// "-----BEGIN label-----", the Base64 in lines of 64 characters, then
// "-----END label-----"; every line ends in eol.
std::string PemBlock(std::string_view label, std::span<const std::uint8_t> bytes, std::string_view eol = "\n");

}  // namespace text
