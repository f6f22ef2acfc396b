// The upper-case mapping as runs of letters, from the table gen_upper_case.py
// makes.
#include "text/upper_case.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace text {

namespace {

struct TUpperRun {
  char16_t First;
  char16_t Last;
  std::int32_t Delta;
  std::int32_t Stride;  // 1 every letter, 2 every other one, 0 a run of one
};

constexpr TUpperRun UpperRuns[] = {
#include "upper_case_table.inc"
};

}  // namespace

char16_t UpperCaseBeyondAscii(char16_t c) {
  // The last run that starts at or before c.
  const auto* run = std::upper_bound(std::begin(UpperRuns), std::end(UpperRuns), c,
                                     [](char16_t value, const TUpperRun& r) { return value < r.First; });
  if (run == std::begin(UpperRuns)) return c;
  --run;
  if (c > run->Last || (run->Stride == 2 && (c - run->First) % 2 != 0)) return c;
  return static_cast<char16_t>(c + run->Delta);
}

}  // namespace text
