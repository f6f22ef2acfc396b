// The shared text helpers: decimal and hexadecimal text and digits, offsets,
// case folding, upper case, byte-order marks, lines and name=value pairs.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "text/ascii.h"
#include "text/lines.h"
#include "text/offset.h"
#include "text/upper_case.h"
#include "text/utf.h"

namespace text {
namespace {

TEST(TextNumbers, DecimalTextCoversTheWholeRange) {
  const std::pair<std::int64_t, const char16_t*> cases[] = {
      {0, u"0"},
      {7, u"7"},
      {10, u"10"},
      {-1, u"-1"},
      {1234567890123, u"1234567890123"},
      {std::numeric_limits<std::int64_t>::max(), u"9223372036854775807"},
      {std::numeric_limits<std::int64_t>::min(), u"-9223372036854775808"},
  };
  for (const auto& [value, expected] : cases) {
    SCOPED_TRACE(value);
    EXPECT_EQ(DecimalText(value), expected);
  }
  std::u16string padded = u"x";
  AppendPaddedDecimal(padded, 42, 5);
  AppendPaddedDecimal(padded, 123, 2);
  EXPECT_EQ(padded, u"x00042123") << "a number wider than the width is not cut";
}

TEST(TextNumbers, HexDigitValueTakesBothCasesOnly) {
  const std::pair<char16_t, int> cases[] = {
      {u'0', 0}, {u'9', 9}, {u'A', 10}, {u'F', 15}, {u'a', 10}, {u'f', 15},
      {u'G', -1}, {u'g', -1}, {u'/', -1}, {u':', -1}, {u'@', -1}, {u'`', -1}, {u'\uFF10', -1},
  };
  for (const auto& [c, value] : cases) {
    SCOPED_TRACE(static_cast<int>(c));
    EXPECT_EQ(HexDigitValue(c), value);
  }
}

TEST(TextNumbers, HexOctetsArePairsOfCapitalsWithTheSeparatorBetween) {
  const std::vector<std::uint8_t> octets = {0x00, 0x9A, 0xF0, 0xFF};
  const struct {
    const char* Label;
    std::size_t Count;
    char16_t Separator;
    std::u16string_view Text;
  } cases[] = {
      {"none", 0, u' ', u"x"},
      {"one octet has no separator", 1, u' ', u"x00"},
      {"blanks", 4, u' ', u"x00 9A F0 FF"},
      {"colons", 4, u':', u"x00:9A:F0:FF"},
      {"together", 4, 0, u"x009AF0FF"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    std::u16string out = u"x";
    AppendHexOctets(out, std::span(octets).first(c.Count), c.Separator);
    EXPECT_EQ(out, c.Text);
  }
  std::u16string number;
  AppendHex(number, 0xB, 2);
  AppendHex(number, 0x80000000, 1);
  EXPECT_EQ(number, u"0B80000000");
}

TEST(TextNumbers, OffsetsAreDecimalOrHexadecimalUpToTheLargestOffset) {
  const struct {
    std::u16string_view Text;
    std::optional<std::int32_t> Offset;
  } cases[] = {
      {u"0", 0},
      {u"1386", 1386},
      {u"0x56A", 0x56A},
      {u"0Xff", 0xFF},
      {u"$7fFfFfFf", MaxOffset},
      {u"2147483647", MaxOffset},
      {u"000000000000001", 1},  // leading zeros do not count against the limit
      {u"2147483648", std::nullopt},
      {u"$80000000", std::nullopt},
      {u"99999999999999999999999", std::nullopt},  // stops before it overflows
      {u"1A", std::nullopt},  // hexadecimal digits need their prefix
      {u"0x", std::nullopt},
      {u"$", std::nullopt},
      {u"", std::nullopt},
      {u"$0x1", std::nullopt},
      {u"-1", std::nullopt},
      {u"+1", std::nullopt},
      {u" 1", std::nullopt},
      {u"0x1G", std::nullopt},
      {u"\uFF11", std::nullopt},  // a full-width digit
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.Text));
    EXPECT_EQ(ParseOffset(c.Text), c.Offset);
  }
}

TEST(TextNames, FoldingTouchesAsciiCapitalsOnly) {
  EXPECT_EQ(FoldedAscii(u"Codepage@[Z]\u00C4"), u"codepage@[z]\u00C4");
  EXPECT_TRUE(SameAsciiName(u"LANGUAGE", u"language"));
  EXPECT_FALSE(SameAsciiName(u"\u00C4", u"\u00E4"));
  EXPECT_FALSE(SameAsciiName(u"ab", u"abc"));
}

TEST(TextUpperCase, ALetterBecomesOneLetter) {
  const std::pair<char16_t, char16_t> cases[] = {
      {u'a', u'A'}, {u'z', u'Z'}, {u'{', u'{'}, {u'A', u'A'},
      {u'\u00E9', u'\u00C9'},  // Latin-1
      {u'\u00F7', u'\u00F7'},  // the division sign amid the small letters
      {u'\u00FF', u'\u0178'}, {u'\u00B5', u'\u039C'},
      {u'\u00DF', u'\u00DF'},  // sharp s: its upper case is two letters
      {u'\u0101', u'\u0100'}, {u'\u0100', u'\u0100'}, {u'\u0103', u'\u0102'},  // every other letter
      {u'\u0131', u'I'}, {u'\u017F', u'S'},  // to ASCII
      {u'\u01C5', u'\u01C4'}, {u'\u01C6', u'\u01C4'},
      {u'\u03C2', u'\u03A3'}, {u'\u03C9', u'\u03A9'}, {u'\u044F', u'\u042F'}, {u'\u0451', u'\u0401'},
      {u'\u1FB3', u'\u1FBC'},  // with ypogegrammeni: the title-case letter
      {u'\u2170', u'\u2160'}, {u'\uAB70', u'\u13A0'}, {u'\uFF41', u'\uFF21'}, {u'\uFFFF', u'\uFFFF'},
      {0xD801, 0xD801}, {0xDC28, 0xDC28},  // the halves of a supplementary letter stay
  };
  for (const auto& [letter, upper] : cases) {
    SCOPED_TRACE(static_cast<int>(letter));
    EXPECT_EQ(static_cast<int>(UpperCase(letter)), static_cast<int>(upper));
  }
}

TEST(TextLines, ByteOrderMarksAreRecognisedByTheirOctets) {
  const struct {
    const char* Label;
    std::string Bytes;
    TByteOrderMark Mark;
    std::size_t Length;
  } cases[] = {
      {"UTF-8", "\xEF\xBB\xBFx", TByteOrderMark::bomUtf8, 3},
      {"UTF-16 LE", "\xFF\xFEx", TByteOrderMark::bomUtf16Le, 2},
      {"UTF-16 BE", "\xFE\xFFx", TByteOrderMark::bomUtf16Be, 2},
      {"UTF-8 mark cut short", "\xEF\xBB", TByteOrderMark::bomNone, 0},
      {"plain", "x=y", TByteOrderMark::bomNone, 0},
      {"empty", "", TByteOrderMark::bomNone, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    EXPECT_EQ(DetectByteOrderMark(c.Bytes), c.Mark);
    EXPECT_EQ(ByteOrderMarkLength(c.Mark), c.Length);
  }
  EXPECT_EQ(Utf16BytesToUtf16(std::string_view("\x41\x00\x3A\x04\x42", 5), /*bigEndian=*/false), u"A\u043A");
  EXPECT_EQ(Utf16BytesToUtf16(std::string_view("\x00\x41\x04\x3A", 4), /*bigEndian=*/true), u"A\u043A");
}

TEST(TextLines, LinesEndAtEveryBreakKind) {
  const std::pair<const char16_t*, std::vector<std::u16string>> cases[] = {
      {u"", {}},
      {u"a", {u"a"}},
      {u"a\n", {u"a"}},
      {u"a\r\nb\rc\nd", {u"a", u"b", u"c", u"d"}},
      {u"a\n\r\nb", {u"a", u"", u"b"}},
      {u"a\n\nb\r\r", {u"a", u"", u"b", u""}},
      {u"\r\n", {u""}},
  };
  for (const auto& [content, expected] : cases) {
    SCOPED_TRACE(Utf16ToUtf8(content));
    std::vector<std::u16string> lines;
    ForEachLine(content, [&](std::u16string_view line) { lines.emplace_back(line); });
    EXPECT_EQ(lines, expected);
  }
}

TEST(TextLines, NameValueSplitsAtTheFirstEqualsAndTrimsNothing) {
  auto pair = SplitNameValue(u" 1.2.3 = a=b ");
  ASSERT_TRUE(pair);
  EXPECT_EQ(pair->Name, u" 1.2.3 ");
  EXPECT_EQ(pair->Value, u" a=b ");
  EXPECT_FALSE(SplitNameValue(u"no equals sign"));
  EXPECT_EQ(TrimControls(u"\t\x01 x y\r\n"), u"x y");
  EXPECT_EQ(TrimBlanks(u"\t x\x01 \t"), u"x\x01");
}

}  // namespace
}  // namespace text
