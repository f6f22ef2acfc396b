// Base64 and PEM text from octets.
#include "text/base64.h"

namespace text {

namespace {

constexpr char Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
// RFC 7468: lines of exactly 64 characters but the last.
constexpr std::size_t PemLineLength = 64;

}  // namespace

std::string EncodeBase64(std::span<const std::uint8_t> bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  std::size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    const std::uint32_t v = (bytes[i] << 16) | (bytes[i + 1] << 8) | bytes[i + 2];
    out += {Alphabet[v >> 18], Alphabet[(v >> 12) & 63], Alphabet[(v >> 6) & 63], Alphabet[v & 63]};
  }
  const std::size_t rest = bytes.size() - i;
  if (rest == 0) return out;
  const std::uint32_t v = (bytes[i] << 16) | (rest == 2 ? bytes[i + 1] << 8 : 0);
  out += {Alphabet[v >> 18], Alphabet[(v >> 12) & 63], rest == 2 ? Alphabet[(v >> 6) & 63] : '=', '='};
  return out;
}

std::string PemBlock(std::string_view label, std::span<const std::uint8_t> bytes, std::string_view eol) {
  const std::string body = EncodeBase64(bytes);
  std::string out;
  out.reserve(body.size() + body.size() / PemLineLength * eol.size() + 2 * label.size() + 40);
  out.append("-----BEGIN ").append(label).append("-----").append(eol);
  for (std::size_t at = 0; at < body.size(); at += PemLineLength)
    out.append(body, at, PemLineLength).append(eol);
  out.append("-----END ").append(label).append("-----").append(eol);
  return out;
}

}  // namespace text
