// TBigNum: limbs, carries, borrows and printing.
#include <gtest/gtest.h>

#include "asn/longar.h"
#include "test_util.h"

namespace asn {
namespace {

TEST(BigNum, StartsAtZeroWithOneLimb) {
  TBigNum n;
  EXPECT_EQ(n.ToString(), "0");
  n.MultAdd(256, 0);
  EXPECT_EQ(n.ToString(), "0");
  EXPECT_EQ(n.Nums.size(), 1u);
}

TEST(BigNum, CarriesIntoNewLimbs) {
  struct Case {
    const char* Label;
    const char* Octets;
    const char* Expected;
    std::size_t Limbs;
  };
  const Case cases[] = {
      {"2^64", "01 00 00 00 00 00 00 00 00", "18446744073709551616", 2},
      {"largest one-limb value", "03 8D 7E A4 C6 7F FF", "999999999999999", 1},
      {"10^15", "03 8D 7E A4 C6 80 00", "1000000000000000", 2},
      {"2^128 - 1", "FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF", "340282366920938463463374607431768211455", 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Label);
    TBigNum n;
    for (std::uint8_t b : test::Hex(c.Octets)) n.MultAdd(256, b);
    EXPECT_EQ(n.ToString(), c.Expected);
    EXPECT_EQ(n.Nums.size(), c.Limbs);
  }
}

TEST(BigNum, AddingOneCarriesAcrossTheLimb) {
  TBigNum n;
  n.Nums = {999999999999999};
  n.MultAdd(1, 1);
  EXPECT_EQ(n.ToString(), "1000000000000000");
  ASSERT_EQ(n.Nums.size(), 2u);
  EXPECT_EQ(n.Nums[0], 0);
}

TEST(BigNum, SubBorrowsAndKeepsTheZeroLimb) {
  TBigNum n;
  n.Nums = {79, 1};  // 1000000000000079
  n.Sub(80);
  EXPECT_EQ(n.ToString(), "999999999999999");
  EXPECT_EQ(n.Nums.size(), 2u);
  EXPECT_EQ(n.Nums[1], 0);
  n.Sub(999999999999999);
  EXPECT_EQ(n.ToString(), "0");
}

TEST(BigNum, ToIntOnlyForOneLimb) {
  TBigNum n;
  n.Nums = {999999999999999};
  std::int64_t v = -1;
  EXPECT_TRUE(n.ToInt(v));
  EXPECT_EQ(v, 999999999999999);
  n.MultAdd(1, 1);
  v = -1;
  EXPECT_FALSE(n.ToInt(v));
  EXPECT_EQ(v, -1);
  n.Reset();
  EXPECT_TRUE(n.ToInt(v));
  EXPECT_EQ(v, 0);
}

TEST(BigNum, ToStringPadsInnerLimbs) {
  TBigNum n;
  n.Nums = {5, 0, 7};
  EXPECT_EQ(n.ToString(), "7000000000000000000000000000005");
}

}  // namespace
}  // namespace asn
