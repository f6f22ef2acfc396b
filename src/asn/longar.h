// Decimal big numbers: an accumulator for numbers of any length read octet by
// octet, printed exactly in decimal.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "text/ascii.h"

namespace asn {

// Unsigned number in limbs of base 10^15, least significant first. Callers
// keep M in 0..256, A in 0..255 and S in 0..10^15-1 and never above the number.
class TBigNum {
 public:
  static constexpr std::int64_t Base = 1000000000000000;

  TBigNum() : Nums(1, 0) {}
  // number := number * m + a
  void MultAdd(std::int64_t m, std::int64_t a);
  // number := number - s
  void Sub(std::int64_t s);
  void Reset();
  // The value when the number has one limb; false (num untouched) otherwise.
  bool ToInt(std::int64_t& num) const;
  std::string ToString() const;

  std::vector<std::int64_t> Nums;
};

// Appends the decimal digits of the big-endian unsigned number in bytes (each
// octet complemented when complement is set), multiplied by scale unless scale
// is 0, plus addOne. Exact like TBigNum, but whole machine words per step,
// for the long INTEGERs of keys and signatures.
void AppendBigDecimal(std::u16string& out, std::span<const std::uint8_t> bytes, bool complement,
                      std::uint8_t scale, bool addOne);

// The same in limbs of 9 digits, four octets per step: for targets without
// 128-bit products.
void AppendBigDecimalPortable(std::u16string& out, std::span<const std::uint8_t> bytes, bool complement,
                              std::uint8_t scale, bool addOne);

using text::AppendDecimal;

}  // namespace asn
