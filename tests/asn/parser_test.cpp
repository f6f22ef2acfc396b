// The walk: headers and their failures, event order, encapsulation, the ends
// of indefinite-form elements, balance after a failed encapsulated walk, depth
// and the input size limit.
#include <gtest/gtest.h>

#include <sys/mman.h>

#include "test_util.h"

namespace asn {
namespace {

using test::Hex;
using test::ParseHex;

struct WalkCase {
  const char* Label;
  const char* Input;
  const char* Events;
  const char* Error = "";  // message Parse leaves with, empty when it returns
  std::int32_t ErrorOffset = -2;
};

void CheckWalk(const WalkCase& c) {
  SCOPED_TRACE(c.Label);
  test::ParseOutcome outcome = ParseHex(c.Input);
  EXPECT_EQ(outcome.Trace.Joined(), c.Events);
  EXPECT_EQ(outcome.Error, c.Error);
  if (*c.Error != 0) {
    EXPECT_EQ(outcome.ErrorOffset, c.ErrorOffset);
  }
}

TEST(BerWalk, DeliversEventsInBufferOrderDepthFirst) {
  const WalkCase cases[] = {
      {"empty input", "", ""},
      {"NULL", "05 00", "P NULL@0/2/0="},
      {"SEQUENCE around an INTEGER", "30 03 02 01 05", "C SEQUENCE@0/2/3; P INTEGER@2/2/1=5; E"},
      {"two top-level elements", "05 00 05 00", "P NULL@0/2/0=; P NULL@2/2/0="},
      {"context-specific constructed", "A0 03 02 01 01", "C Context-specific[0]@0/2/3; P INTEGER@2/2/1=1; E"},
      {"context-specific primitive is hex", "80 02 AB CD", "P Context-specific[0]@0/2/2=AB CD"},
      {"high tag form of NULL", "1F 05 00", "P NULL@0/3/0="},
      {"high tag 128", "1F 81 00 00", "P Unknown@0/4/0="},
      {"application tag 200", "5F 81 48 00", "P APPLICATION[200]@0/4/0="},
      {"long form with a leading zero octet", "04 82 00 01 AA", "P OCTET STRING@0/4/1=AA"},
      {"value failure does not stop the walk", "30 06 01 02 FF FF 05 00",
       "C SEQUENCE@0/2/6; P BOOLEAN@2/2/2=FF FF!Incorrect length; P NULL@6/2/0=; E"},
      {"empty constructed", "30 00 05 00", "C SEQUENCE@0/2/0; E; P NULL@2/2/0="},
      {"nested levels close in order", "30 06 31 02 05 00 05 00",
       "C SEQUENCE@0/2/6; C SET@2/2/2; P NULL@4/2/0=; E; P NULL@6/2/0=; E"},
  };
  for (const WalkCase& c : cases) CheckWalk(c);
}

TEST(BerWalk, MalformedHeaderStopsTheParseWithItsOffset) {
  const WalkCase cases[] = {
      {"high tag form without its last octet", "1F 81", "", "Bad tag length format", 0},
      {"no length octet", "02", "", "No tag length found", 0},
      {"six length octets", "04 86 00 00 00 00 00 01 00", "", "Data length is too long", 0},
      {"reserved length octet FF", "04 FF", "", "Data length is too long", 0},
      {"indefinite without end-of-contents", "30 80 01 02", "", "Bad data length format", 0},
      {"contents past the end", "30 05 02 01 05", "", "Incorrect data length", 0},
      {"length octets past the end", "02 82 01", "", "Incorrect data length", 0},
      // 2^32 must not wrap to a small length.
      {"five-octet length beyond the input", "04 85 01 00 00 00 00 00", "", "Incorrect data length", 0},
      {"inside a SEQUENCE: no end event for it", "30 03 02 05 00", "C SEQUENCE@0/2/3", "Incorrect data length", 2},
      {"after a good element", "05 00 02", "P NULL@0/2/0=", "No tag length found", 2},
  };
  for (const WalkCase& c : cases) CheckWalk(c);
}

TEST(BerWalk, IndefiniteLengthEndsAtItsOwnEndOfContents) {
  const WalkCase cases[] = {
      {"INTEGER then end-of-contents", "30 80 02 01 05 00 00",
       "C SEQUENCE@0/2/5; P INTEGER@2/2/1=5; P EOC@5/2/0=; E"},
      {"an empty OCTET STRING's length octet is not the end", "30 80 04 00 00 00",
       "C SEQUENCE@0/2/4; P OCTET STRING@2/2/0=; P EOC@4/2/0=; E"},
      {"nested indefinite SEQUENCEs", "30 80 30 80 02 01 05 00 00 00 00",
       "C SEQUENCE@0/2/9; C SEQUENCE@2/2/5; P INTEGER@4/2/1=5; P EOC@7/2/0=; E; P EOC@9/2/0=; E"},
      {"definite element holding zero octets is skipped", "30 80 04 03 00 00 00 00 00",
       "C SEQUENCE@0/2/7; P OCTET STRING@2/2/3=00 00 00; P EOC@7/2/0=; E"},
      {"primitive indefinite ends at the first pair", "04 80 AA 00 00", "P OCTET STRING@0/2/3=AA 00 00"},
      {"primitive indefinite inside constructed", "30 80 04 80 AA 00 00 00 00",
       "C SEQUENCE@0/2/7; P OCTET STRING@2/2/3=AA 00 00; P EOC@7/2/0=; E"},
      {"followed by a sibling", "30 80 00 00 05 00", "C SEQUENCE@0/2/2; P EOC@2/2/0=; E; P NULL@4/2/0="},
      // The walk inside cannot finish (the INTEGER runs past the input), so
      // the first 00 00 pair ends the SEQUENCE and the INTEGER fails there.
      {"unfinished walk falls back to the pair scan", "30 80 02 05 00 00", "C SEQUENCE@0/2/4",
       "Incorrect data length", 2},
      {"no end-of-contents at its level falls back", "30 80 30 80 00 00",
       "C SEQUENCE@0/2/4; C SEQUENCE@2/2/2; P EOC@4/2/0=; E; E"},
  };
  for (const WalkCase& c : cases) CheckWalk(c);
}

TEST(BerWalk, EncapsulationTrialOpensOctetAndBitStrings) {
  const WalkCase cases[] = {
      {"OCTET STRING holding one INTEGER", "04 03 02 01 07", "X OCTET STRING@0/2/3; P INTEGER@2/2/1=7; E"},
      {"trailing octet: plain OCTET STRING", "04 04 02 01 07 00", "P OCTET STRING@0/2/4=02 01 07 00"},
      {"BIT STRING holding one INTEGER", "03 04 00 02 01 07", "X BIT STRING@0/2/4; P INTEGER@3/2/1=7; E"},
      {"unused-bits octet is not examined", "03 04 05 02 01 07", "X BIT STRING@0/2/4; P INTEGER@3/2/1=7; E"},
      {"empty OCTET STRING", "04 00", "P OCTET STRING@0/2/0="},
      {"BIT STRING of only the unused-bits octet", "03 01 00", "P BIT STRING@0/2/1="},
      {"malformed nested header: rendered by value", "04 02 02 05", "P OCTET STRING@0/2/2=02 05"},
      {"bad unused bits after a failed trial", "03 02 08 00",
       "P BIT STRING@0/2/2=08 00!Invalid number of unused bits"},
      {"nested constructed", "04 05 30 03 02 01 01",
       "X OCTET STRING@0/2/5; C SEQUENCE@2/2/3; P INTEGER@4/2/1=1; E; E"},
      {"nested indefinite", "04 06 30 80 05 00 00 00",
       "X OCTET STRING@0/2/6; C SEQUENCE@2/2/4; P NULL@4/2/0=; P EOC@6/2/0=; E; E"},
      {"high tag form of OCTET STRING", "1F 04 03 02 01 07", "X OCTET STRING@0/3/3; P INTEGER@3/2/1=7; E"},
      {"constructed OCTET STRING is never tried", "24 03 04 01 AA",
       "C OCTET STRING@0/2/3; P OCTET STRING@2/2/1=AA; E"},
  };
  for (const WalkCase& c : cases) CheckWalk(c);
}

// A header failure inside an element that passed the trial closes the levels
// opened inside it and the walk goes on after the encapsulating element.
TEST(BerWalk, FailedEncapsulatedWalkKeepsEventsBalanced) {
  const WalkCase cases[] = {
      {"sibling after the broken encapsulation", "04 05 30 03 02 05 00 05 00",
       "X OCTET STRING@0/2/5; C SEQUENCE@2/2/3; E; E; P NULL@7/2/0="},
      {"inside a SEQUENCE", "30 09 04 05 30 03 02 05 00 05 00",
       "C SEQUENCE@0/2/9; X OCTET STRING@2/2/5; C SEQUENCE@4/2/3; E; E; P NULL@9/2/0=; E"},
      {"only the innermost encapsulation is closed", "04 07 04 05 30 03 02 05 00",
       "X OCTET STRING@0/2/7; X OCTET STRING@2/2/5; C SEQUENCE@4/2/3; E; E; E"},
      {"BIT STRING", "03 06 00 30 03 02 05 00", "X BIT STRING@0/2/6; C SEQUENCE@3/2/3; E; E"},
      {"failure after the encapsulation closed still stops the parse", "30 07 04 03 02 01 07 02 05",
       "C SEQUENCE@0/2/7; X OCTET STRING@2/2/3; P INTEGER@4/2/1=7; E", "Incorrect data length", 7},
  };
  for (const WalkCase& c : cases) {
    CheckWalk(c);
    test::ParseOutcome outcome = ParseHex(c.Input);
    if (*c.Error == 0) {
      EXPECT_EQ(outcome.Trace.Depth, 0) << c.Label;
    }
  }
}

TEST(BerWalk, RecordFieldsMatchTheEvent) {
  test::ParseOutcome outcome = ParseHex("03 04 00 02 01 07 1F 81 00 00");
  ASSERT_EQ(outcome.Trace.Tags.size(), 3u);
  const TASNTag& bits = outcome.Trace.Tags[0];
  EXPECT_TRUE(bits.Encapsulates);
  EXPECT_FALSE(bits.Constructed);
  EXPECT_TRUE(bits.Value.empty());
  EXPECT_FALSE(bits.IsHex);
  EXPECT_EQ(bits.UnusedBits, 0);
  const TASNTag& high = outcome.Trace.Tags[2];
  EXPECT_EQ(high.Tag, u"128");
  EXPECT_EQ(high.TagLength, 3);
  EXPECT_EQ(high.LengthLength, 1);
  EXPECT_EQ(high.Length, 0);
  EXPECT_EQ(high.Offset, 6);
}

TEST(BerWalk, LongFormHeaderLengths) {
  // Five NULLs, then a SEQUENCE 30 82 01 0A at offset 10 around one OCTET STRING.
  std::vector<std::uint8_t> bytes = Hex("05 00 05 00 05 00 05 00 05 00 30 82 01 0A 04 82 01 06");
  bytes.resize(bytes.size() + 262, 0x11);
  TASNParser parser;
  test::EventTrace trace;
  trace.Attach(parser);
  parser.Parse(bytes);
  ASSERT_EQ(trace.Tags.size(), 7u);
  const TASNTag& seq = trace.Tags[5];
  EXPECT_EQ(seq.Offset, 10);
  EXPECT_EQ(seq.TagLength, 1);
  EXPECT_EQ(seq.LengthLength, 3);
  EXPECT_EQ(seq.Length, 266);
  EXPECT_EQ(seq.HeaderLength(), 4);
  EXPECT_EQ(seq.FullLength(), 270);
  EXPECT_EQ(trace.Tags[6].Offset, 14);
}

TEST(BerWalk, SpaceInHexSeparatesPairs) {
  EXPECT_EQ(ParseHex("04 04 02 01 07 00", /*spaceInHex=*/false).Trace.Joined(), "P OCTET STRING@0/2/4=02010700");
  EXPECT_EQ(ParseHex("03 03 00 F0 0F", /*spaceInHex=*/false).Trace.Joined(), "P BIT STRING@0/2/3=1111000000001111");
  EXPECT_EQ(ParseHex("03 03 00 F0 0F", /*spaceInHex=*/true).Trace.Joined(), "P BIT STRING@0/2/3=11110000 00001111");
}

TEST(BerWalk, UnsetEventsAreSkipped) {
  std::vector<std::uint8_t> bytes = Hex("30 05 04 03 02 01 07");
  TASNParser parser;
  EXPECT_NO_THROW(parser.Parse(bytes));
}

// Counts events without keeping them, for inputs of millions of elements.
struct EventCounter {
  std::int64_t Begins = 0, Primitives = 0, Ends = 0;
  int Depth = 0, MaxDepth = 0;
  std::vector<std::int32_t> Lengths;  // of the constructed elements, in order

  void Attach(TASNParser& parser) {
    parser.OnNewConstructed = [this](const TASNTag& t) {
      ++Begins;
      Lengths.push_back(t.Length);
      MaxDepth = std::max(MaxDepth, ++Depth);
    };
    parser.OnNewPrimitive = [this](const TASNTag&) { ++Primitives; };
    parser.OnEndConstructed = [this] {
      ++Ends;
      --Depth;
    };
  }
};

std::vector<std::uint8_t> Nested(std::size_t depth, const char* opening, const char* closing) {
  std::vector<std::uint8_t> open = Hex(opening), close = Hex(closing), out;
  out.reserve(depth * (open.size() + close.size()));
  for (std::size_t i = 0; i < depth; ++i) out.insert(out.end(), open.begin(), open.end());
  for (std::size_t i = 0; i < depth; ++i) out.insert(out.end(), close.begin(), close.end());
  return out;
}

TEST(BerWalk, MillionNestedIndefiniteLevelsDecode) {
  constexpr std::size_t Depth = 1000000;
  std::vector<std::uint8_t> bytes = Nested(Depth, "30 80", "00 00");
  TASNParser parser;
  EventCounter counter;
  counter.Attach(parser);
  parser.Parse(bytes);
  EXPECT_EQ(counter.Begins, static_cast<std::int64_t>(Depth));
  EXPECT_EQ(counter.Primitives, static_cast<std::int64_t>(Depth));  // one end-of-contents each
  EXPECT_EQ(counter.Ends, static_cast<std::int64_t>(Depth));
  EXPECT_EQ(counter.MaxDepth, static_cast<int>(Depth));
  EXPECT_EQ(counter.Lengths.front(), static_cast<std::int32_t>(bytes.size() - 2));
  EXPECT_EQ(counter.Lengths.back(), 2);
}

TEST(BerWalk, MillionNestedLevelsWithoutEndFailCleanly) {
  std::vector<std::uint8_t> bytes = Nested(1000000, "30 80", "");
  TASNParser parser;
  EventCounter counter;
  counter.Attach(parser);
  try {
    parser.Parse(bytes);
    FAIL() << "Parse returned";
  } catch (const EParserException& e) {
    EXPECT_STREQ(e.what(), "Bad data length format");
    EXPECT_EQ(e.Offset, 0);
  }
  EXPECT_EQ(counter.Begins, 0);
}

TEST(BerWalk, MillionNestedDefiniteLevelsInEncapsulationsDecode) {
  // Each OCTET STRING holds the next one; the innermost holds a NULL.
  constexpr int Depth = 1000000;
  std::vector<std::uint8_t> bytes;
  bytes.reserve(Depth * 6 + 2);
  for (int i = 0; i < Depth; ++i) {
    const std::uint32_t contents = static_cast<std::uint32_t>((Depth - 1 - i) * 6 + 2);
    const std::uint8_t header[] = {0x04, 0x84, static_cast<std::uint8_t>(contents >> 24),
                                   static_cast<std::uint8_t>(contents >> 16), static_cast<std::uint8_t>(contents >> 8),
                                   static_cast<std::uint8_t>(contents)};
    bytes.insert(bytes.end(), std::begin(header), std::end(header));
  }
  bytes.push_back(0x05);
  bytes.push_back(0x00);
  TASNParser parser;
  EventCounter counter;
  counter.Attach(parser);
  parser.Parse(bytes);
  EXPECT_EQ(counter.Begins, Depth);
  EXPECT_EQ(counter.Ends, Depth);
  EXPECT_EQ(counter.Primitives, 1);
}

// Every level's walk fails (the only 00 00 closes the innermost one), so every
// level falls back to the pair scan; the index keeps that linear.
TEST(BerWalk, NestedIndefiniteLevelsFallingBackStayLinear) {
  constexpr std::size_t Depth = 100000;
  std::vector<std::uint8_t> bytes = Nested(Depth, "30 80", "");
  bytes.push_back(0);
  bytes.push_back(0);
  TASNParser parser;
  EventCounter counter;
  counter.Attach(parser);
  parser.Parse(bytes);
  EXPECT_EQ(counter.Begins, static_cast<std::int64_t>(Depth));
  EXPECT_EQ(counter.Primitives, 1);
  EXPECT_EQ(counter.Ends, static_cast<std::int64_t>(Depth));
  // All levels end at the one pair.
  EXPECT_EQ(counter.Lengths[1], static_cast<std::int32_t>(bytes.size() - 4));
}

TEST(BerWalk, SiblingIndefiniteElementsEachEndAtTheirOwnEnd) {
  // 100,000 SEQUENCEs side by side inside one, each holding an empty OCTET STRING.
  constexpr int Count = 100000;
  std::vector<std::uint8_t> bytes = Hex("30 80");
  for (int i = 0; i < Count; ++i) {
    for (std::uint8_t b : Hex("30 80 04 00 00 00")) bytes.push_back(b);
  }
  bytes.push_back(0);
  bytes.push_back(0);
  TASNParser parser;
  EventCounter counter;
  counter.Attach(parser);
  parser.Parse(bytes);
  EXPECT_EQ(counter.Begins, Count + 1);
  EXPECT_EQ(counter.MaxDepth, 2);
  EXPECT_EQ(counter.Lengths[0], static_cast<std::int32_t>(bytes.size() - 2));
  EXPECT_EQ(counter.Lengths[Count], 4);
}

TEST(BerWalk, InputsOfTwoGigabytesAreRefused) {
  constexpr std::size_t TooLarge = std::size_t{1} << 31;
  EXPECT_NO_THROW(CheckInputSize(MaxInputSize));
  try {
    CheckInputSize(TooLarge);
    FAIL() << "accepted";
  } catch (const EParserException& e) {
    EXPECT_STREQ(e.what(), "Input of 2147483648 bytes is too large: at most 2147483647 are supported");
    EXPECT_EQ(e.Offset, 0);
  }
  // A reserved region that may not be touched: Parse must refuse it before
  // reading a single octet.
  void* region = mmap(nullptr, TooLarge, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  ASSERT_NE(region, MAP_FAILED);
  TASNParser parser;
  int events = 0;
  parser.OnNewPrimitive = [&](const TASNTag&) { ++events; };
  EXPECT_THROW(parser.Parse({static_cast<const std::uint8_t*>(region), TooLarge}), EParserException);
  EXPECT_EQ(events, 0);
  munmap(region, TooLarge);
}

}  // namespace
}  // namespace asn
