// Decimal big numbers.
#include "asn/longar.h"

#include <algorithm>

#include "text/ascii.h"

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

namespace {

// Limbs of base 10^9 fit a 32-bit word, and limb * 2^32 + carry fits 64 bits,
// so four octets go in per step.
constexpr std::uint64_t SmallLimbBase = 1000000000;
constexpr int SmallLimbDigits = 9;

void MulAddLimbs(std::vector<std::uint32_t>& limbs, std::uint64_t m, std::uint64_t a) {
  std::uint64_t carry = a;
  for (std::uint32_t& limb : limbs) {
    std::uint64_t t = limb * m + carry;
    limb = static_cast<std::uint32_t>(t % SmallLimbBase);
    carry = t / SmallLimbBase;
  }
  while (carry != 0) {
    limbs.push_back(static_cast<std::uint32_t>(carry % SmallLimbBase));
    carry /= SmallLimbBase;
  }
}

}  // namespace

void AppendBigDecimalPortable(std::u16string& out, std::span<const std::uint8_t> bytes, bool complement,
                              std::uint8_t scale, bool addOne) {
  const std::uint8_t flip = complement ? 0xFF : 0x00;
  std::vector<std::uint32_t> limbs(1, 0);
  limbs.reserve(bytes.size() * 8 / 29 + 2);
  std::size_t i = 0;
  const std::size_t head = bytes.size() % 4;
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
  for (std::size_t k = top; k-- > 0;) text::AppendPaddedDecimal(out, limbs[k], SmallLimbDigits);
}

#if defined(__SIZEOF_INT128__)

namespace {

using u128 = unsigned __int128;

// Limbs of 19 decimal digits. 10^19 has its top bit set, so it needs no
// normalising for division by a precomputed reciprocal (Moller and Granlund,
// "Improved division by invariant integers").
constexpr std::uint64_t LimbBase = 10000000000000000000ull;
constexpr int LimbDigits = 19;
constexpr std::uint64_t Reciprocal = static_cast<std::uint64_t>(~u128{0} / LimbBase);  // the 2^64 bit drops

// (high:low) / LimbBase for high < LimbBase; the remainder goes to rem.
inline std::uint64_t DivideLimb(std::uint64_t high, std::uint64_t low, std::uint64_t& rem) {
  u128 q = static_cast<u128>(Reciprocal) * high;
  q += (static_cast<u128>(high + 1) << 64) | low;
  std::uint64_t qh = static_cast<std::uint64_t>(q >> 64);
  const std::uint64_t ql = static_cast<std::uint64_t>(q);
  std::uint64_t r = low - qh * LimbBase;
  if (r > ql) {
    --qh;
    r += LimbBase;
  }
  if (r >= LimbBase) {
    ++qh;
    r -= LimbBase;
  }
  rem = r;
  return qh;
}

}  // namespace

void AppendBigDecimal(std::u16string& out, std::span<const std::uint8_t> bytes, bool complement,
                      std::uint8_t scale, bool addOne) {
  const std::uint8_t flip = complement ? 0xFF : 0x00;
  // Little-endian 64-bit words, with room for the scale's and the one's carry.
  std::vector<std::uint64_t> words((bytes.size() + 7) / 8 + 1, 0);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const std::size_t bit = (bytes.size() - 1 - i) * 8;
    words[bit / 64] |= static_cast<std::uint64_t>(bytes[i] ^ flip) << (bit % 64);
  }
  if (scale != 0) {
    std::uint64_t carry = 0;
    for (std::uint64_t& w : words) {
      const u128 t = static_cast<u128>(w) * scale + carry;
      w = static_cast<std::uint64_t>(t);
      carry = static_cast<std::uint64_t>(t >> 64);
    }
  }
  if (addOne) {
    for (std::uint64_t& w : words)
      if (++w != 0) break;
  }
  std::size_t used = words.size();
  while (used > 0 && words[used - 1] == 0) --used;
  std::vector<std::uint64_t> limbs;
  limbs.reserve(used * 64 / 63 + 1);
  while (used > 0) {
    std::uint64_t rem = 0;
    for (std::size_t k = used; k-- > 0;) words[k] = DivideLimb(rem, words[k], rem);
    limbs.push_back(rem);
    while (used > 0 && words[used - 1] == 0) --used;
  }
  if (limbs.empty()) limbs.push_back(0);
  AppendDecimal(out, limbs.back());
  for (std::size_t k = limbs.size() - 1; k-- > 0;) text::AppendPaddedDecimal(out, limbs[k], LimbDigits);
}

#else

void AppendBigDecimal(std::u16string& out, std::span<const std::uint8_t> bytes, bool complement,
                      std::uint8_t scale, bool addOne) {
  AppendBigDecimalPortable(out, bytes, complement, scale, addOne);
}

#endif

}  // namespace asn
