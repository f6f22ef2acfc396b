// Base64 both ways: the decoder's tolerance of what surrounds the alphabet, and
// the encoder and decoder agreeing on every length of a last group.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "text/ascii.h"
#include "text/base64.h"

namespace text {
namespace {

std::u16string Hex(const std::vector<std::uint8_t>& bytes) {
  std::u16string out;
  AppendHexOctets(out, bytes, u' ');
  return out;
}

TEST(Base64Test, SkipsEverythingOutsideTheAlphabet) {
  struct {
    const char* Label;
    std::u16string_view Text;
    std::u16string_view Hex;
  } cases[] = {
      {"padded group", u"MAMCAQU=", u"30 03 02 01 05"},
      {"breaks and blanks", u"MAMC\r\n AQU", u"30 03 02 01 05"},
      {"padding in the middle is skipped", u"MA=MCAQU", u"30 03 02 01 05"},
      {"two leftovers give one octet", u"QQ", u"41"},
      {"three leftovers give two", u"QUI", u"41 42"},
      {"one leftover gives none", u"QUJDR", u"41 42 43"},
      {"terminator contributes nothing", u"QUJD\n====\n", u"41 42 43"},
      {"non-ASCII skipped", u"QU\u00e9JD", u"41 42 43"},
      {"url-safe characters are not in the alphabet", u"-_QUJD", u"41 42 43"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    EXPECT_EQ(Hex(DecodeBase64(c.Text)), c.Hex);
  }
}

TEST(Base64Test, DecodingUndoesEncodingForEveryOctetAndLength) {
  // Every octet value in every position of a group, and last groups of one,
  // two and three octets.
  std::vector<std::uint8_t> all;
  for (int i = 0; i < 256; ++i) all.push_back(static_cast<std::uint8_t>(i));
  for (std::size_t length : {0, 1, 2, 3, 4, 254, 255, 256}) {
    SCOPED_TRACE(length);
    const std::vector<std::uint8_t> bytes(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(length));
    const std::string encoded = EncodeBase64(bytes);
    EXPECT_EQ(encoded.size() % 4, 0u);
    EXPECT_EQ(DecodeBase64(std::u16string(encoded.begin(), encoded.end())), bytes);
  }
}

TEST(Base64Test, ClassifiesTheAlphabetAndPaddingOnly) {
  const std::u16string_view inside = u"AZaz09+/=";
  const std::u16string_view outside = u"-_ .\r\n\u00c0\uff21";
  for (char16_t c : inside) EXPECT_TRUE(IsBase64Char(c)) << static_cast<int>(c);
  for (char16_t c : outside) EXPECT_FALSE(IsBase64Char(c)) << static_cast<int>(c);
}

}  // namespace
}  // namespace text
