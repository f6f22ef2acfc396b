// Where Next problem goes among a document's findings, without a window.
#include "viewer/findings_display.h"

#include <gtest/gtest.h>

#include <vector>

namespace viewer {
namespace {

TEST(FindingsDisplay, NextProblemIsTheFirstElementAfterTheCurrentOneWrappingRound) {
  constexpr std::uint32_t None = asn::NoElement;
  struct {
    const char* Label;
    std::vector<std::uint32_t> Elements;  // the findings' elements, in document order
    std::uint32_t Current;
    std::uint32_t Expected;
  } cases[] = {
      {"no element focused", {3, 7, 7, 12}, None, 3},
      {"between findings", {3, 7, 7, 12}, 5, 7},
      {"past an element's several findings", {3, 7, 7, 12}, 7, 12},
      {"wraps after the last", {3, 7, 7, 12}, 12, 3},
      {"wraps from beyond every finding", {3, 7, 7, 12}, 40, 3},
      {"trailing octets are no element", {3, None}, 3, 3},
      {"only trailing octets", {None}, None, None},
      {"no findings", {}, 2, None},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    std::vector<asn::TDerFinding> findings;
    for (std::uint32_t element : c.Elements) findings.push_back({.Element = element});
    EXPECT_EQ(TFindingsDisplay::NextProblemElement(findings, c.Current), c.Expected);
  }
}

}  // namespace
}  // namespace viewer
