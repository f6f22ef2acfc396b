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
      {ASN1Universal, u"", "Unknown", 255},
      {ASN1Universal, u"x", "Unknown", 255},
      {ASN1ContextSpecific, u"0", "Context-specific[0]", 255},
      {ASN1Application, u"200", "APPLICATION[200]", 255},
      {ASN1Private, u"300", "PRIVATE[300]", 255},
  };
  for (const Case& c : cases) {
    TASNTag t;
    t.TagClass = c.Class;
    t.Tag = c.Tag;
    SCOPED_TRACE(test::U8(t.Tag));
    EXPECT_EQ(test::U8(t.GetTagName()), c.Name);
    EXPECT_EQ(t.GetUniversalTag(), c.Universal);
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
