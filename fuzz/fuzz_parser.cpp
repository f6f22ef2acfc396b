// Parses arbitrary bytes, with and without blanks in hex renderings, and
// checks the event stream: every element lies inside the input and inside its
// parent, levels open and close in pairs, and each record is self-consistent.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <vector>

#include "asn/asn.h"

namespace {

void Check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

void ParseOnce(std::span<const std::uint8_t> bytes, bool spaceInHex) {
  const std::int64_t size = static_cast<std::int64_t>(bytes.size());
  std::vector<std::int64_t> ends{size};  // end of each open level
  std::int64_t last = -1;                // offsets increase in buffer order
  auto checkRecord = [&](const asn::TASNTag& t) {
    Check(!t.Tag.empty(), "tag number present");
    Check(t.Offset >= 0 && t.Offset > last, "offsets increase");
    Check(t.TagLength >= 1 && t.LengthLength >= 1 && t.Length >= 0, "lengths");
    Check(static_cast<std::int64_t>(t.Offset) + t.FullLength() <= ends.back(), "inside the parent");
    last = t.Offset;
  };
  asn::TASNParser parser;
  parser.SpaceInHex = spaceInHex;
  parser.OnNewConstructed = [&](const asn::TASNTag& t) {
    checkRecord(t);
    Check(t.Constructed != t.Encapsulates, "constructed or encapsulating");
    Check(t.Value.empty() && !t.IsHex && t.Error.empty(), "no value on a level");
    ends.push_back(static_cast<std::int64_t>(t.Offset) + t.FullLength());
  };
  parser.OnNewPrimitive = [&](const asn::TASNTag& t) {
    checkRecord(t);
    Check(!t.Constructed && !t.Encapsulates, "primitive");
  };
  parser.OnEndConstructed = [&] {
    Check(ends.size() > 1, "end without begin");
    ends.pop_back();
  };
  try {
    parser.Parse(bytes);
  } catch (const asn::EParserException& e) {
    Check(e.Offset >= 0 && e.Offset < size, "failure offset inside the input");
    return;
  }
  Check(ends.size() == 1, "balanced events");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ParseOnce({data, size}, /*spaceInHex=*/false);
  ParseOnce({data, size}, /*spaceInHex=*/true);
  return 0;
}
