// Decimal big numbers.
#include "asn/longar.h"

#include <algorithm>

namespace asn {

void TBigNum::MultAdd(std::int64_t m, std::int64_t a) {
  std::int64_t carry = a;
  for (std::int64_t& limb : Nums) {
    std::int64_t t = limb * m + carry;
    if (t >= Base) {
      carry = t / Base;
      limb = t % Base;
    } else {
      carry = 0;
      limb = t;
    }
  }
  if (carry > 0) Nums.push_back(carry);
}

void TBigNum::Sub(std::int64_t s) {
  for (std::int64_t& limb : Nums) {
    limb -= s;
    if (limb >= 0) return;
    limb += Base;
    s = 1;
  }
}

void TBigNum::Reset() { Nums.assign(1, 0); }

bool TBigNum::ToInt(std::int64_t& num) const {
  if (Nums.size() != 1) return false;
  num = Nums[0];
  return true;
}

std::string TBigNum::ToString() const {
  std::string text;
  text.reserve(Nums.size() * 15);
  for (auto it = Nums.rbegin(); it != Nums.rend(); ++it) {
    std::string group = std::to_string(*it + Base);
    text.append(group, 1, std::string::npos);
  }
  std::size_t first = text.find_first_not_of('0');
  if (first == std::string::npos) return "0";
  return text.substr(first);
}

void AppendDecimal(std::u16string& out, std::uint64_t v) {
  char16_t digits[20];
  int n = 0;
  do {
    digits[n++] = static_cast<char16_t>(u'0' + v % 10);
    v /= 10;
  } while (v != 0);
  while (n > 0) out.push_back(digits[--n]);
}

namespace {

// Limbs of base 10^9 fit a 32-bit word, and limb * 2^32 + carry fits 64 bits,
// so four octets go in per step.
constexpr std::uint64_t LimbBase = 1000000000;

void MulAddLimbs(std::vector<std::uint32_t>& limbs, std::uint64_t m, std::uint64_t a) {
  std::uint64_t carry = a;
  for (std::uint32_t& limb : limbs) {
    std::uint64_t t = limb * m + carry;
    limb = static_cast<std::uint32_t>(t % LimbBase);
    carry = t / LimbBase;
  }
  while (carry != 0) {
    limbs.push_back(static_cast<std::uint32_t>(carry % LimbBase));
    carry /= LimbBase;
  }
}

}  // namespace

void AppendBigDecimal(std::u16string& out, std::span<const std::uint8_t> bytes, bool complement,
                      std::uint8_t scale, bool addOne) {
  const std::uint8_t flip = complement ? 0xFF : 0x00;
  std::vector<std::uint32_t> limbs(1, 0);
  limbs.reserve(bytes.size() * 8 / 29 + 2);
  std::size_t i = 0;
  std::size_t head = bytes.size() % 4;
  if (head != 0) {
    std::uint64_t word = 0;
    for (; i < head; ++i) word = (word << 8) | (bytes[i] ^ flip);
    MulAddLimbs(limbs, 1, word);
  }
  for (; i < bytes.size(); i += 4) {
    std::uint64_t word = 0;
    for (std::size_t k = 0; k < 4; ++k) word = (word << 8) | (bytes[i + k] ^ flip);
    MulAddLimbs(limbs, std::uint64_t{1} << 32, word);
  }
  if (scale != 0) MulAddLimbs(limbs, scale, 0);
  if (addOne) MulAddLimbs(limbs, 1, 1);

  std::size_t top = limbs.size() - 1;
  while (top > 0 && limbs[top] == 0) --top;
  AppendDecimal(out, limbs[top]);
  for (std::size_t k = top; k-- > 0;) {
    char16_t group[9];
    std::uint32_t v = limbs[k];
    for (int d = 8; d >= 0; --d) {
      group[d] = static_cast<char16_t>(u'0' + v % 10);
      v /= 10;
    }
    out.append(group, 9);
  }
}

}  // namespace asn
