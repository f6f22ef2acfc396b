// Value renderers: each one's edge cases, the fast integer paths against the
// plain big-number arithmetic, and the dispatch by tag number.
#include <gtest/gtest.h>

#include <random>

#include "asn/longar.h"
#include "test_util.h"

namespace asn {
namespace {

using test::Hex;
using test::U8;

// Outcome of one renderer call: its text, or "!" and the message it raised.
template <typename F>
std::string Rendered(F render) {
  try {
    return U8(render());
  } catch (const EParserException& e) {
    EXPECT_EQ(e.Offset, -1);
    return std::string("!") + e.what();
  }
}

struct TextCase {
  const char* Label;
  const char* Input;  // hex
  const char* Expected;
};

TEST(Render, Boolean) {
  TASNParser p;
  const TextCase cases[] = {
      {"zero", "00", "False"}, {"one", "01", "True"}, {"FF", "FF", "True"},
      {"empty", "", "!Incorrect length"}, {"two octets", "00 00", "!Incorrect length"},
  };
  for (const TextCase& c : cases) {
    SCOPED_TRACE(c.Label);
    EXPECT_EQ(Rendered([&] { return p.DecodeBoolean(Hex(c.Input)); }), c.Expected);
  }
}

TEST(Render, IntegerInDecimalWithBitLength) {
  struct Case {
    const char* Label;
    const char* Input;
    const char* Expected;
    std::int32_t BitLength;
  };
  const Case cases[] = {
      {"zero", "00", "0", 0},
      {"127", "7F", "127", 0},
      {"-128", "80", "-128", 0},
      {"-1", "FF", "-1", 0},
      {"128", "00 80", "128", 0},
      {"empty", "", "", 0},
      {"four octets never set a bit length", "7F FF FF FF", "2147483647", 0},
      {"2^31 in five octets", "00 80 00 00 00", "2147483648", 32},
      {"2^32", "01 00 00 00 00", "4294967296", 33},
      {"all sign extension keeps the bit length", "FF FF FF FF FF", "-1", 0},
      {"negative five octets", "FF 7F FF FF FF", "-2147483649", 32},
      {"largest 64-bit", "7F FF FF FF FF FF FF FF", "9223372036854775807", 63},
      {"smallest 64-bit", "80 00 00 00 00 00 00 00", "-9223372036854775808", 63},
      {"2^64", "01 00 00 00 00 00 00 00 00", "18446744073709551616", 65},
      {"-2^64", "FF 00 00 00 00 00 00 00 00", "-18446744073709551616", 64},
      {"20 octets", "01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10 11 12 13 14",
       "5753854965885600108575829560559299546819203860", 153},
      {"20 octets negative", "FF 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10 11 12 13",
       "-5686514774863348898809019543577045781676223981", 152},
  };
  TASNParser p;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Label);
    std::int32_t bitLength = 0;
    EXPECT_EQ(U8(p.DecodeInteger(Hex(c.Input), bitLength, 0)), c.Expected);
    EXPECT_EQ(bitLength, c.BitLength);
  }
}

// The magnitude exactly as the big-number arithmetic builds it, octet by octet.
std::string ReferenceInteger(const std::vector<std::uint8_t>& s, std::uint8_t scale) {
  if (s.empty()) return "";
  const bool negative = s[0] >= 0x80;
  TBigNum magnitude;
  for (std::uint8_t b : s) magnitude.MultAdd(256, negative ? b ^ 0xFF : b);
  if (scale != 0) magnitude.MultAdd(scale, 0);
  if (negative) magnitude.MultAdd(1, 1);
  return (negative ? "-" : "") + magnitude.ToString();
}

TEST(Render, IntegerAgreesWithBigNumArithmeticAtEverySize) {
  std::mt19937 random(20240601);
  TASNParser p;
  for (int length = 1; length <= 40; ++length) {
    for (std::uint8_t scale : {0, 1, 2, 8, 255}) {
      for (int round = 0; round < 20; ++round) {
        std::vector<std::uint8_t> s(length);
        for (std::uint8_t& b : s) b = static_cast<std::uint8_t>(random());
        // Edge patterns: all ones, all zeros after the sign, a lone top bit.
        if (round == 0) std::fill(s.begin(), s.end(), 0xFF);
        if (round == 1) std::fill(s.begin() + 1, s.end(), 0x00);
        if (round == 2) {
          std::fill(s.begin(), s.end(), 0x00);
          s[0] = 0x80;
        }
        SCOPED_TRACE(U8(HexString(s, true)) + " scale " + std::to_string(scale));
        std::int32_t bitLength = 0;
        const std::string expected = ReferenceInteger(s, scale);
        ASSERT_EQ(U8(p.DecodeInteger(s, bitLength, scale)), expected);
        // The form for targets without 128-bit products gives the same digits.
        const bool negative = s[0] >= 0x80;
        std::u16string portable = negative ? u"-" : u"";
        AppendBigDecimalPortable(portable, s, negative, scale, negative);
        ASSERT_EQ(U8(portable), expected);
      }
    }
  }
}

TEST(Render, BitString) {
  struct Case {
    const char* Label;
    const char* Input;
    bool Space;
    const char* Expected;
    std::uint8_t UnusedBits;
  };
  const Case cases[] = {
      {"only the unused-bits octet", "00", true, "", 0},
      {"four unused bits", "04 A0", true, "1010", 4},
      {"with spaces", "00 F0 0F", true, "11110000 00001111", 0},
      {"without spaces", "00 F0 0F", false, "1111000000001111", 0},
      {"dropped bits are not examined", "07 FF", true, "1", 7},
      {"eight unused bits", "08 00", true, "!Invalid number of unused bits", 8},
      {"empty", "", true, "", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Label);
    TASNParser p;
    p.SpaceInHex = c.Space;
    std::uint8_t unused = 0;
    EXPECT_EQ(Rendered([&] { return p.DecodeBitString(Hex(c.Input), unused); }), c.Expected);
    EXPECT_EQ(unused, c.UnusedBits);
  }
}

TEST(Render, ObjectIdentifier) {
  struct Case {
    const char* Label;
    const char* Input;
    bool Relative;
    const char* Expected;
  };
  const Case cases[] = {
      {"rsaEncryption", "2A 86 48 86 F7 0D 01 01 01", false, "1.2.840.113549.1.1.1"},
      {"commonName", "55 04 03", false, "2.5.4.3"},
      {"first arc 0", "09 92 26", false, "0.9.2342"},
      {"first subidentifier 1079", "88 37", false, "2.999"},
      {"incomplete last subidentifier dropped", "2A 86", false, "1.2"},
      {"empty", "", false, ""},
      {"leading 0x80 octets in a long subidentifier", "80 80 80 80 80 80 80 80 80 01", false, "0.1"},
      {"first subidentifier 2^56", "81 80 80 80 80 80 80 80 00", false, "2.72057594037927856"},
      {"arc 2^64", "2A 82 80 80 80 80 80 80 80 80 00", false, "1.2.18446744073709551616"},
      {"relative", "81 00 05", true, "128.5"},
      {"relative first arc is not split", "2A", true, "42"},
  };
  TASNParser p;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Label);
    std::u16string descr = u"stale";
    EXPECT_EQ(U8(p.DecodeOID(Hex(c.Input), descr, c.Relative)), c.Expected);
    EXPECT_EQ(descr, u"");
  }
}

TEST(Render, CharacterStrings) {
  TASNParser p;
  const struct {
    const char* Label;
    const char* Input;
    std::u16string (TASNParser::*Decode)(std::span<const std::uint8_t>) const;
    std::u16string Expected;
  } cases[] = {
      {"UniversalString with a pair", "00 00 00 41 00 01 F6 00", &TASNParser::DecodeUniversalString, u"A\U0001F600"},
      {"UniversalString above U+10FFFF", "00 11 00 00", &TASNParser::DecodeUniversalString, u"\uFFFD"},
      {"BMPString drops an odd octet", "00 41 00 42 00", &TASNParser::DecodeBMPString, u"AB"},
      {"BMPString passes surrogates", "D8 3D DE 00", &TASNParser::DecodeBMPString, u"\U0001F600"},
      {"UTF-8", "41 E2 82 AC F0 9F 98 80", &TASNParser::DecodeUTF8String, u"A\u20AC\U0001F600"},
      {"UTF-8 overlong", "C0 80", &TASNParser::DecodeUTF8String, u"\uFFFD\uFFFD"},
      {"UTF-8 truncated", "41 E2 82", &TASNParser::DecodeUTF8String, u"A\uFFFD"},
      {"UTF-8 surrogate", "ED A0 80", &TASNParser::DecodeUTF8String, u"\uFFFD\uFFFD\uFFFD"},
      {"UTF-8 above U+10FFFF", "F4 90 80 80", &TASNParser::DecodeUTF8String, u"\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"UTF-8 bad continuation", "E2 28 A1", &TASNParser::DecodeUTF8String, u"\uFFFD(\uFFFD"},
      {"US-ASCII octets above 0x7F as Latin-1", "41 E9 FF", &TASNParser::DecodeASCIIString, u"A\u00E9\u00FF"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    EXPECT_EQ((p.*c.Decode)(Hex(c.Input)), c.Expected);
  }
  EXPECT_EQ(Rendered([&] { return p.DecodeUniversalString(Hex("00 00 41")); }), "!Incorrect length");
}

std::vector<std::uint8_t> Chars(const char* text) { return {text, text + std::char_traits<char>::length(text)}; }

TEST(Render, Times) {
  struct Case {
    const char* Label;
    bool Utc;
    const char* Input;  // characters
    const char* Expected;
  };
  const Case cases[] = {
      {"UTC", true, "230115123045Z", "2023-01-15 12:30:45 UTC"},
      {"1999", true, "991231235959Z", "1999-12-31 23:59:59 UTC"},
      {"69 is 2069", true, "691231235959Z", "2069-12-31 23:59:59 UTC"},
      {"70 is 1970", true, "700101000000Z", "1970-01-01 00:00:00 UTC"},
      {"plus offset", true, "230115123045+0530", "2023-01-15 12:30:45 UTC+05:30"},
      {"minus offset", true, "230115123045-0800", "2023-01-15 12:30:45 UTC-08:00"},
      {"other last character kept", true, "230115123045X", "2023-01-15 12:30:45X"},
      {"no seconds", true, "2301151230Z", "!Incorrect length"},
      {"no seconds with offset", true, "2301151230+0100", "!Incorrect length"},
      {"year not a number", true, "AB0115123045Z", "!Decoding error"},
      {"second year character not a digit", true, "2A0115123045+0530", "!Decoding error"},
      {"generalized UTC", false, "20230115123045Z", "2023-01-15 12:30:45 UTC"},
      {"fraction of a second", false, "20230115123045.123Z", "2023-01-15 12:30:45.123 UTC"},
      {"generalized offset", false, "20230115123045-0800", "2023-01-15 12:30:45 UTC-08:00"},
      {"hour offset", false, "20230115123045+01", "2023-01-15 12:30:45 UTC+01:00"},
      {"local time", false, "20230115123045", "2023-01-15 12:30:45"},
      {"fraction of a minute", false, "202301151230.5Z", "2023-01-15 12:30.5 UTC"},
      {"fraction of an hour", false, "2023011512.5Z", "2023-01-15 12.5 UTC"},
      {"hour only", false, "2023011512Z", "2023-01-15 12 UTC"},
      {"minutes without colon", false, "202301151230", "2023-01-15 1230"},
      {"offset with a fraction left unchanged", false, "20230115123045-08.5", "2023-01-15 12:30:45 UTC-08.5"},
      {"nine characters", false, "202301151", "!Incorrect length"},
      {"empty", false, "", "!Incorrect length"},
  };
  TASNParser p;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Label);
    std::vector<std::uint8_t> s = Chars(c.Input);
    std::string got;
    if (c.Utc) {
      got = Rendered([&] { return p.DecodeUTCTime(s); });
    } else {
      got = Rendered([&] { return p.DecodeGeneralizedTime(s); });
    }
    EXPECT_EQ(got, c.Expected);
    // A walk that leaves values unrendered names the same fault without rendering.
    TASNTag tag;
    tag.TagNumber = c.Utc ? utUtcTime : utGeneralizedTime;
    std::string fault = ContentsFault(tag, s);
    EXPECT_EQ(fault.empty() ? "" : "!" + fault, !got.empty() && got[0] == '!' ? got : "");
  }
}

TEST(Render, Real) {
  const TextCase cases[] = {
      {"empty", "", ""},
      {"plus infinity, extra octets ignored", "40 00", "PLUS-INFINITY"},
      {"minus infinity", "41", "MINUS-INFINITY"},
      {"not a number", "42", "NOT-A-NUMBER"},
      {"minus zero", "43", "-0"},
      {"decimal form as text", "03 31 2E 35", "1.5"},
      {"decimal form of one octet", "01", ""},
      {"one", "80 00 01", "1E(2)0"},
      {"negative exponent", "C0 FF 03", "-3E(2)-1"},
      {"scale factor", "84 00 03", "6E(2)0"},
      {"base 16", "A0 02 01", "1E(16)2"},
      {"base 8", "90 01 01", "1E(8)1"},
      {"two exponent octets", "81 01 00 05", "5E(2)256"},
      {"counted exponent", "83 01 05 07", "7E(2)5"},
      {"zero-octet exponent", "83 00 05", "5E(2)"},
      {"mantissa top bit is not a sign", "80 00 81", "129E(2)0"},
      {"negative mantissa", "C0 00 81", "-129E(2)0"},
      {"reserved special value read as binary", "44 00 01", "-2E(2)0"},
      {"long mantissa with scale", "8C 00 FF FF FF FF FF FF FF FF FF", "37778931862957161709560E(2)0"},
      {"one octet", "80", "!Incorrect length"},
      {"no mantissa", "80 00", "!Incorrect length"},
      {"counted exponent too long", "83 02 01 05", "!Incorrect length"},
      {"base bits 11", "B0 00 01", "!Incorrect base value"},
  };
  TASNParser p;
  for (const TextCase& c : cases) {
    SCOPED_TRACE(c.Label);
    EXPECT_EQ(Rendered([&] { return p.DecodeReal(Hex(c.Input)); }), c.Expected);
  }
}

TEST(Render, DispatchByUniversalTag) {
  struct Case {
    const char* Label;
    const char* Input;
    const char* Value;
    bool IsHex;
    const char* Error;
  };
  const Case cases[] = {
      {"BOOLEAN", "01 01 FF", "True", false, ""},
      {"ENUMERATED", "0A 01 05", "5", false, ""},
      {"OBJECT IDENTIFIER", "06 03 55 04 03", "2.5.4.3", false, ""},
      {"REAL", "09 03 80 00 01", "1E(2)0", false, ""},
      {"UTF8String", "0C 02 C3 A9", "\xC3\xA9", false, ""},
      {"RELATIVE-OID", "0D 02 81 00", "128", false, ""},
      {"PrintableString", "13 02 41 42", "AB", false, ""},
      {"T61String with Latin-1", "14 01 E9", "\xC3\xA9", false, ""},
      {"UTCTime", "17 0D 32 33 30 31 31 35 31 32 33 30 34 35 5A", "2023-01-15 12:30:45 UTC", false, ""},
      {"GeneralizedTime", "18 0A 32 30 32 33 30 31 31 35 31 32", "2023-01-15 12", false, ""},
      {"UniversalString", "1C 04 00 00 00 41", "A", false, ""},
      {"BMPString", "1E 02 00 41", "A", false, ""},
      {"NULL", "05 00", "", true, ""},
      {"NULL with contents", "05 01 AB", "AB", true, ""},
      {"primitive SEQUENCE", "10 01 AB", "AB", true, ""},
      {"unnamed universal tag", "1F 2A 01 AB", "AB", true, ""},
      {"CHARACTER STRING", "1D 01 AB", "AB", true, ""},
      {"bad UTCTime", "17 02 32 33", "32 33", true, "Incorrect length"},
      {"UTCTime year not a number", "17 0D 41 42 30 31 31 35 31 32 33 30 34 35 5A",
       "41 42 30 31 31 35 31 32 33 30 34 35 5A", true, "Decoding error"},
      {"bad REAL", "09 01 80", "80", true, "Incorrect length"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Label);
    test::ParseOutcome outcome = test::ParseHex(c.Input);
    ASSERT_EQ(outcome.Trace.Tags.size(), 1u);
    const TASNTag& t = outcome.Trace.Tags[0];
    EXPECT_EQ(U8(t.Value), c.Value);
    EXPECT_EQ(t.IsHex, c.IsHex);
    EXPECT_EQ(U8(t.Error), c.Error);
  }
}

TEST(Render, HexString) {
  EXPECT_EQ(HexString(Hex("0A FF"), true), u"0A FF");
  EXPECT_EQ(HexString(Hex("0A FF"), false), u"0AFF");
  EXPECT_EQ(HexString(Hex(""), true), u"");
  EXPECT_EQ(HexString(Hex("00"), true), u"00");
}

}  // namespace
}  // namespace asn
