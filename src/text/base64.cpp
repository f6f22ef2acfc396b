// Base64 and PEM text from octets, and octets from Base64 text.
#include "text/base64.h"

namespace text {

namespace {

constexpr char Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
// RFC 7468: lines of exactly 64 characters but the last.
constexpr std::size_t PemLineLength = 64;

// The value of each ASCII character in Alphabet, -1 for the others.
struct TAlphabetValues {
  signed char Values[128];
  constexpr TAlphabetValues() : Values() {
    for (signed char& value : Values) value = -1;
    for (int i = 0; i < 64; ++i) Values[static_cast<unsigned char>(Alphabet[i])] = static_cast<signed char>(i);
  }
};
constexpr TAlphabetValues AlphabetValues;

int Base64Value(char16_t c) { return c < 128 ? AlphabetValues.Values[c] : -1; }

}  // namespace

std::string EncodeBase64(std::span<const std::uint8_t> bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  std::size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    const std::uint32_t v = std::uint32_t{bytes[i]} << 16 | std::uint32_t{bytes[i + 1]} << 8 | bytes[i + 2];
    out += {Alphabet[v >> 18], Alphabet[(v >> 12) & 63], Alphabet[(v >> 6) & 63], Alphabet[v & 63]};
  }
  const std::size_t rest = bytes.size() - i;
  if (rest == 0) return out;
  const std::uint32_t v = std::uint32_t{bytes[i]} << 16 | (rest == 2 ? std::uint32_t{bytes[i + 1]} << 8 : 0u);
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

bool IsBase64Char(char16_t c) { return Base64Value(c) >= 0 || c == u'='; }

void AppendBase64(std::u16string_view text, std::vector<std::uint8_t>& out) {
  std::uint32_t group = 0;
  int count = 0;
  for (char16_t c : text) {
    int value = Base64Value(c);
    if (value < 0) continue;
    group = (group << 6) | static_cast<std::uint32_t>(value);
    if (++count < 4) continue;
    out.push_back(static_cast<std::uint8_t>(group >> 16));
    out.push_back(static_cast<std::uint8_t>(group >> 8));
    out.push_back(static_cast<std::uint8_t>(group));
    group = 0;
    count = 0;
  }
  if (count == 2) out.push_back(static_cast<std::uint8_t>(group >> 4));
  if (count == 3) {
    out.push_back(static_cast<std::uint8_t>(group >> 10));
    out.push_back(static_cast<std::uint8_t>(group >> 2));
  }
}

std::vector<std::uint8_t> DecodeBase64(std::u16string_view text) {
  std::vector<std::uint8_t> out;
  out.reserve(text.size() / 4 * 3 + 2);
  AppendBase64(text, out);
  return out;
}

}  // namespace text
