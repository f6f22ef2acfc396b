// Tag names and the universal tag number of element records.
#include <gtest/gtest.h>

#include "test_util.h"

namespace asn {
namespace {

TEST(TagName, NamesByClassAndNumber) {
  struct Case {
    TASN1TagClasses Class;
    const char16_t* Tag;
    const char* Name;
    std::uint8_t Universal;
  };
  const Case cases[] = {
      {ASN1Universal, u"0", "EOC", 0},
      {ASN1Universal, u"5", "NULL", 5},
      {ASN1Universal, u"13", "RELATIVE-OID", 13},
      {ASN1Universal, u"14", "Unknown", 14},
      {ASN1Universal, u"15", "Unknown", 15},
      {ASN1Universal, u"16", "SEQUENCE", 16},
      {ASN1Universal, u"29", "CHARACTER STRING", 29},
      {ASN1Universal, u"30", "BMPString", 30},
      {ASN1Universal, u"31", "Unknown", 31},
      {ASN1Universal, u"99", "Unknown", 99},
      {ASN1Universal, u"100", "Unknown", 255},
      {ASN1Universal, u"4294967301", "Unknown", 255},            // 2^32 + 5
      {ASN1Universal, u"18446744073709551621", "Unknown", 255},  // 2^64 + 5: beyond TagNumber
      {ASN1ContextSpecific, u"0", "Context-specific[0]", 255},
      {ASN1Application, u"200", "APPLICATION[200]", 255},
      {ASN1Private, u"300", "PRIVATE[300]", 255},
  };
  for (const Case& c : cases) {
    TASNTag t;
    t.TagClass = c.Class;
    t.Tag = c.Tag;
    const std::string digits = test::U8(t.Tag);
    t.TagNumberFits = digits.size() < 20 && std::stoull(digits) <= 0xFFFFFFFFu;
    if (t.TagNumberFits) t.TagNumber = static_cast<std::uint32_t>(std::stoull(digits));
    SCOPED_TRACE(digits);
    EXPECT_EQ(test::U8(t.GetTagName()), c.Name);
    EXPECT_EQ(t.UniversalTag(), c.Universal);
  }
}

TEST(TagName, ParserKeepsTheNumberBesideItsText) {
  const struct {
    const char* Hex;
    const char* Tag;
    bool Fits;
    std::uint64_t Number;
    const char* Name;
  } cases[] = {
      {"05 00", "5", true, 5, "NULL"},
      {"1F 05 00", "5", true, 5, "NULL"},
      {"1F 81 00 00", "128", true, 128, "Unknown"},
      {"5F 81 48 00", "200", true, 200, "APPLICATION[200]"},
      // The record keeps up to 32 bits: 2^32 - 1 fits, 2^32 and above only as text,
      // 2^63 - 1 in nine octets of seven bits, 2^70 in eleven.
      {"1F 8F FF FF FF 7F 00", "4294967295", true, 4294967295u, "Unknown"},
      {"1F 90 80 80 80 00 00", "4294967296", false, 0, "Unknown"},
      {"1F FF FF FF FF FF FF FF FF 7F 00", "9223372036854775807", false, 0, "Unknown"},
      {"1F 81 80 80 80 80 80 80 80 80 80 00 00", "1180591620717411303424", false, 0, "Unknown"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Hex);
    test::ParseOutcome outcome = test::ParseHex(c.Hex);
    ASSERT_EQ(outcome.Trace.Tags.size(), 1u);
    const TASNTag& tag = outcome.Trace.Tags[0];
    EXPECT_EQ(test::U8(tag.Tag), c.Tag);
    EXPECT_EQ(tag.TagNumberFits, c.Fits);
    if (c.Fits) {
      EXPECT_EQ(tag.TagNumber, c.Number);
    }
    EXPECT_EQ(test::U8(tag.GetTagName()), c.Name);
  }
}

TEST(TagName, ConstructedBitStringIsABitString) {
  test::ParseOutcome outcome = test::ParseHex("23 03 03 01 00 05 00");
  ASSERT_EQ(outcome.Trace.Tags.size(), 3u);
  EXPECT_TRUE(outcome.Trace.Tags[0].Constructed);
  EXPECT_TRUE(outcome.Trace.Tags[0].IsBitString());
  EXPECT_TRUE(outcome.Trace.Tags[1].IsBitString());
  EXPECT_FALSE(outcome.Trace.Tags[2].IsBitString());  // the NULL after it
}

}  // namespace
}  // namespace asn
