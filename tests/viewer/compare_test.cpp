// CompareDocuments on crafted pairs without field names: what pairs with what,
// which encodings count as the same value, where a line goes, and a pair a
// million levels deep. The named documents are compared in tests/app.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "document/compare.h"
#include "document/list_alignment.h"
#include "settings/text.h"
#include "viewer_test_util.h"

namespace viewer {
namespace {

using test::HexBytes;
using test::Shared;

std::unique_ptr<TDecodedDocument> Load(const TDocumentOptions& options, std::vector<std::uint8_t> bytes) {
  auto document = std::make_unique<TDecodedDocument>(options);
  document->LoadBytes(Shared(std::move(bytes)));
  return document;
}

// "KIND OFFSET_A OFFSET_B PATH", and for ~ " (A's value / B's value)".
std::vector<std::string> Lines(const TDecodedDocument& a, const TDecodedDocument& b, bool encodings) {
  TCompareOptions options;
  options.Encodings = encodings;
  std::vector<std::string> lines;
  for (const TDifference& d : CompareDocuments(a, b, options)) {
    const char* kinds[] = {"-", "+", "~", "#"};
    auto offset = [](const TDecodedDocument& doc, std::uint32_t e) {
      return e == asn::NoElement ? std::string("-") : std::to_string(doc.Elements().Header(e).Offset);
    };
    std::string line = std::string(kinds[static_cast<int>(d.Kind)]) + " " + offset(a, d.ElementA) + " " +
                       offset(b, d.ElementB) + " " +
                       (d.ElementA != asn::NoElement ? ElementPath(a, d.ElementA) : ElementPath(b, d.ElementB));
    if (d.Kind == TDiffKind::dkChanged)
      line += " (" + settings::Utf16ToUtf8(ComparedValue(a, d.ElementA)) + " / " +
              settings::Utf16ToUtf8(ComparedValue(b, d.ElementB)) + ")";
    lines.push_back(line);
  }
  return lines;
}

struct TCompareCase {
  const char* Label;
  const char* A;
  const char* B;
  std::vector<std::string> Lines;
  std::vector<std::string> WithEncodings;  // the lines with the encoding notes asked for
};

TEST(Compare, PairsElementsAndComparesDecodedValues) {
  const TCompareCase cases[] = {
      {"the same bytes", "30 03 02 01 05", "30 03 02 01 05", {}, {}},
      {"an indefinite length is not a value", "30 80 02 01 05 00 00", "30 03 02 01 05", {}, {"# 0 0 SEQUENCE[0]"}},
      {"a long-form length marks only its own element", "30 04 02 81 01 05", "30 03 02 01 05", {},
       {"# 2 2 SEQUENCE[0].INTEGER[0]"}},
      {"a changed value is one line, its parents none", "30 08 30 06 02 01 05 02 01 06",
       "30 08 30 06 02 01 05 02 01 07", {"~ 7 7 SEQUENCE[0].SEQUENCE[0].INTEGER[1] (6 / 7)"},
       {"~ 7 7 SEQUENCE[0].SEQUENCE[0].INTEGER[1] (6 / 7)"}},
      {"no encoding note over a changed value", "30 80 02 01 05 00 00", "30 03 02 01 06",
       {"~ 2 2 SEQUENCE[0].INTEGER[0] (5 / 6)"}, {"~ 2 2 SEQUENCE[0].INTEGER[0] (5 / 6)"}},
      {"another tag is a line each way", "30 03 02 01 05", "30 03 0A 01 05",
       {"- 2 - SEQUENCE[0].INTEGER[0]", "+ - 2 SEQUENCE[0].ENUMERATED[0]"},
       {"- 2 - SEQUENCE[0].INTEGER[0]", "+ - 2 SEQUENCE[0].ENUMERATED[0]"}},
      {"an optional element more moves no other", "30 06 02 01 05 04 01 AA", "30 09 80 01 00 02 01 05 04 01 AB",
       {"+ - 2 SEQUENCE[0].Context-specific[0][0]", "~ 5 8 SEQUENCE[0].OCTET STRING[1] (AA / AB)"},
       {"+ - 2 SEQUENCE[0].Context-specific[0][0]", "~ 5 8 SEQUENCE[0].OCTET STRING[1] (AA / AB)"}},
      {"an item taken out of a list is one line", "30 0F 30 03 02 01 01 30 03 02 01 02 30 03 02 01 03",
       "30 0A 30 03 02 01 01 30 03 02 01 03", {"- 7 - SEQUENCE[0].SEQUENCE[1]"}, {"- 7 - SEQUENCE[0].SEQUENCE[1]"}},
      {"an item put first goes first", "30 0A 30 03 02 01 01 30 03 02 01 03",
       "30 0F 30 03 02 01 00 30 03 02 01 01 30 03 02 01 03", {"+ - 2 SEQUENCE[0].SEQUENCE[0]"},
       {"+ - 2 SEQUENCE[0].SEQUENCE[0]"}},
      {"equal items pair in order", "30 0A 30 03 02 01 01 30 03 02 01 01",
       "30 0F 30 03 02 01 01 30 03 02 01 01 30 03 02 01 01", {"+ - 12 SEQUENCE[0].SEQUENCE[2]"},
       {"+ - 12 SEQUENCE[0].SEQUENCE[2]"}},
      {"an item with its key kept shows what changed in it",
       "30 10 30 06 02 01 01 01 01 00 30 06 02 01 02 01 01 00",
       "30 10 30 06 02 01 02 01 01 FF 30 06 02 01 01 01 01 00",
       {"~ 15 7 SEQUENCE[0].SEQUENCE[1].BOOLEAN[1] (False / True)"},
       {"~ 15 7 SEQUENCE[0].SEQUENCE[1].BOOLEAN[1] (False / True)"}},
      {"items without a common key are taken out and put in",
       "30 10 30 06 02 01 01 01 01 00 30 06 02 01 03 01 01 00",
       "30 10 30 06 02 01 02 01 01 00 30 06 02 01 03 01 01 00",
       {"- 2 - SEQUENCE[0].SEQUENCE[0]", "+ - 2 SEQUENCE[0].SEQUENCE[0]"},
       {"- 2 - SEQUENCE[0].SEQUENCE[0]", "+ - 2 SEQUENCE[0].SEQUENCE[0]"}},
      {"a SET OF in another order", "31 0A 30 03 02 01 01 30 03 02 01 02", "31 0A 30 03 02 01 02 30 03 02 01 01",
       {}, {"# 0 0 SET[0]"}},
      {"a SET's components in another order", "31 06 02 01 01 01 01 FF", "31 06 01 01 FF 02 01 01", {},
       {"# 0 0 SET[0]"}},
      {"a string in segments", "24 80 04 02 41 42 04 01 43 00 00", "04 03 41 42 43", {}, {"# 0 0 OCTET STRING[0]"}},
      {"a changed string in segments shows its octets joined", "24 80 04 01 41 04 01 42 00 00", "04 02 41 43",
       {"~ 0 0 OCTET STRING[0] (41 42 / 41 43)"}, {"~ 0 0 OCTET STRING[0] (41 42 / 41 43)"}},
      {"a BIT STRING in segments", "23 80 03 02 00 41 03 02 04 B0 00 00", "03 03 04 41 B0", {},
       {"# 0 0 BIT STRING[0]"}},
      {"unused bits that are not zero", "03 02 04 B0", "03 02 04 BF", {}, {"# 0 0 BIT STRING[0]"}},
      {"a BOOLEAN true in any octet but zero", "01 01 01", "01 01 FF", {}, {"# 0 0 BOOLEAN[0]"}},
      {"an INTEGER's redundant leading 00 is no value", "30 04 02 02 00 50", "30 03 02 01 50", {},
       {"# 2 2 SEQUENCE[0].INTEGER[0]"}},
      {"nor an ENUMERATED's redundant leading FF", "0A 02 FF 80", "0A 01 80", {}, {"# 0 0 ENUMERATED[0]"}},
      {"an OBJECT IDENTIFIER's redundant 80 octets are no arc", "06 05 2A 80 80 86 48", "06 03 2A 86 48", {},
       {"# 0 0 OBJECT IDENTIFIER[0]"}},
      {"a leading 00 that makes a number positive is its value", "02 02 00 80", "02 01 80",
       {"~ 0 0 INTEGER[0] (128 / -128)"}, {"~ 0 0 INTEGER[0] (128 / -128)"}},
      {"an encapsulated value is compared inside", "04 03 02 01 05", "04 03 02 01 06",
       {"~ 2 2 OCTET STRING[0].INTEGER[0] (5 / 6)"}, {"~ 2 2 OCTET STRING[0].INTEGER[0] (5 / 6)"}},
      {"octets one side holds in segments and the other decodes", "24 80 04 01 02 04 02 01 05 00 00",
       "04 03 02 01 05", {}, {"# 0 0 OCTET STRING[0]"}},
      {"one item on each side is no list: paired by tag", "30 08 30 06 02 01 01 01 01 00",
       "30 08 30 06 02 01 02 01 01 00", {"~ 4 4 SEQUENCE[0].SEQUENCE[0].INTEGER[0] (1 / 2)"},
       {"~ 4 4 SEQUENCE[0].SEQUENCE[0].INTEGER[0] (1 / 2)"}},
      {"a list inside a changed item pairs its own items",
       "30 22 30 0F 02 01 01 30 0A 30 03 02 01 01 30 03 02 01 02 30 0F 02 01 02 30 0A 30 03 02 01 03 30 03 02 01 04",
       "30 22 30 0F 02 01 01 30 0A 30 03 02 01 01 30 03 02 01 02 30 0F 02 01 02 30 0A 30 03 02 01 03 30 03 02 01 05",
       {"- 31 - SEQUENCE[0].SEQUENCE[1].SEQUENCE[1].SEQUENCE[1]",
        "+ - 31 SEQUENCE[0].SEQUENCE[1].SEQUENCE[1].SEQUENCE[1]"},
       {"- 31 - SEQUENCE[0].SEQUENCE[1].SEQUENCE[1].SEQUENCE[1]",
        "+ - 31 SEQUENCE[0].SEQUENCE[1].SEQUENCE[1].SEQUENCE[1]"}},
      {"a top-level element more", "05 00", "05 00 02 01 01", {"+ - 2 INTEGER[1]"}, {"+ - 2 INTEGER[1]"}},
      {"a top-level element less", "30 03 02 01 01 30 03 02 01 02", "30 03 02 01 02", {"- 0 - SEQUENCE[0]"},
       {"- 0 - SEQUENCE[0]"}},
      {"what is left at the top pairs in order by type", "30 03 02 01 01 30 03 02 01 02 05 00",
       "30 03 02 01 03 30 03 02 01 04",
       {"~ 2 2 SEQUENCE[0].INTEGER[0] (1 / 3)", "~ 7 7 SEQUENCE[1].INTEGER[0] (2 / 4)", "- 10 - NULL[2]"},
       {"~ 2 2 SEQUENCE[0].INTEGER[0] (1 / 3)", "~ 7 7 SEQUENCE[1].INTEGER[0] (2 / 4)", "- 10 - NULL[2]"}},
  };
  TDocumentOptions options;
  options.FieldNames = false;
  for (const TCompareCase& c : cases) {
    SCOPED_TRACE(c.Label);
    auto a = Load(options, HexBytes(c.A));
    auto b = Load(options, HexBytes(c.B));
    ASSERT_FALSE(a->EndsWithFatalError());
    ASSERT_FALSE(b->EndsWithFatalError());
    EXPECT_EQ(Lines(*a, *b, /*encodings=*/false), c.Lines);
    EXPECT_EQ(Lines(*a, *b, /*encodings=*/true), c.WithEncodings);
  }
}

TEST(Compare, AlignsListsOnUniqueItemsThenOnCommonSubsequences) {
  struct TCase {
    const char* Label;
    std::vector<std::uint64_t> A, B;
    TAlignedPairs Pairs;
  };
  const TCase cases[] = {
      {"the same", {1, 2, 3}, {1, 2, 3}, {{0, 0}, {1, 1}, {2, 2}}},
      {"one taken out, one put in", {1, 2, 3}, {2, 3, 4}, {{1, 0}, {2, 1}}},
      {"two swapped: one stays", {1, 2}, {2, 1}, {{1, 0}}},
      {"items that are not unique", {5, 7, 7}, {7, 7, 9}, {{1, 0}, {2, 1}}},
      {"unique items anchor, the rest aligns between them", {7, 1, 7, 8, 2, 7}, {1, 7, 7, 2, 9, 7},
       {{1, 0}, {2, 1}, {4, 3}, {5, 5}}},
      {"nothing in common", {1, 2}, {3, 4}, {}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Label);
    EXPECT_EQ(AlignHashes(c.A, c.B), c.Pairs);
  }
}

TEST(Compare, AlignmentStaysWithinItsBound) {
  // Alike items (none unique) align within the table's bound, and not beyond it.
  auto alike = [](std::size_t count) { return std::vector<std::uint64_t>(count, 7); };
  EXPECT_EQ(AlignHashes(alike(1000), alike(1000)).size(), 1000u);
  EXPECT_TRUE(AlignHashes(alike(1100), alike(1100)).empty());
  // A long list with scattered changes aligns on its unique items, however far apart.
  std::vector<std::uint64_t> a(200'000), b;
  for (std::uint64_t i = 0; i < a.size(); ++i) a[i] = i;
  for (std::uint64_t i = 0; i < a.size(); ++i) {
    if (i % 50'000 == 10) b.push_back(1'000'000 + i);  // put in
    if (i % 40'000 != 20) b.push_back(i);              // 5 taken out
  }
  EXPECT_EQ(AlignHashes(a, b).size(), a.size() - 5);
}

TEST(Compare, MillionLevelsDeepFindsTheInnermostChange) {
  constexpr std::size_t Depth = 1'000'000;
  auto nest = [&](std::uint8_t value) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(Depth * 4 + 3);
    for (std::size_t i = 0; i < Depth; ++i) bytes.insert(bytes.end(), {0x30, 0x80});
    bytes.insert(bytes.end(), {0x02, 0x01, value});
    for (std::size_t i = 0; i < Depth; ++i) bytes.insert(bytes.end(), {0x00, 0x00});
    return bytes;
  };
  TDocumentOptions options;
  options.FieldNames = false;
  auto a = Load(options, nest(5));
  auto b = Load(options, nest(6));
  const std::vector<TDifference> differences = CompareDocuments(*a, *b);
  ASSERT_EQ(differences.size(), 1u);
  EXPECT_EQ(differences[0].Kind, TDiffKind::dkChanged);
  EXPECT_EQ(a->Elements().Header(differences[0].ElementA).Offset, static_cast<std::int32_t>(Depth * 2));
  EXPECT_EQ(b->Elements().Header(differences[0].ElementB).Offset, static_cast<std::int32_t>(Depth * 2));
  EXPECT_TRUE(CompareDocuments(*a, *a).empty());
}

// Lists nested levels deep in indefinite lengths, the innermost INTEGER value
// at offset 7 * levels. Each level is a list of two items: one holds a key
// (INTEGER 0) and the next level, the other is empty; the item with the key
// pairs by key at every level.
std::vector<std::uint8_t> NestedLists(std::size_t levels, std::uint8_t value) {
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i < levels; ++i) bytes.insert(bytes.end(), {0x30, 0x80, 0x30, 0x80, 0x02, 0x01, 0x00});
  bytes.insert(bytes.end(), {0x02, 0x01, value});
  for (std::size_t i = 0; i < levels; ++i) bytes.insert(bytes.end(), {0x00, 0x00, 0x30, 0x00, 0x00, 0x00});
  return bytes;
}

TEST(Compare, ListsNestedDeepFindTheInnermostChange) {
  constexpr std::size_t Levels = 100'000;
  TDocumentOptions options;
  options.FieldNames = false;
  auto a = Load(options, NestedLists(Levels, 5));
  auto b = Load(options, NestedLists(Levels, 6));
  const std::vector<TDifference> differences = CompareDocuments(*a, *b);
  ASSERT_EQ(differences.size(), 1u);
  EXPECT_EQ(differences[0].Kind, TDiffKind::dkChanged);
  EXPECT_EQ(a->Elements().Header(differences[0].ElementA).Offset, static_cast<std::int32_t>(Levels * 7));
}

TEST(Compare, ListsNestedDeepInBerAndDerDifferOnlyInEncoding) {
  // The nested lists with the innermost value alike, once with indefinite
  // lengths and once with definite ones.
  constexpr std::size_t Levels = 100'000;
  const std::vector<std::uint8_t> ber = NestedLists(Levels, 5);
  // Sizes from the inside out first, then the bytes from the start.
  auto headerSize = [](std::size_t length) {
    std::size_t size = 2;
    if (length >= 0x80)
      for (; length != 0; length >>= 8) ++size;
    return size;
  };
  auto appendHeader = [](std::vector<std::uint8_t>& out, std::size_t length) {
    out.push_back(0x30);
    if (length < 0x80) {
      out.push_back(static_cast<std::uint8_t>(length));
      return;
    }
    std::vector<std::uint8_t> octets;
    for (; length != 0; length >>= 8) octets.insert(octets.begin(), static_cast<std::uint8_t>(length));
    out.push_back(static_cast<std::uint8_t>(0x80 | octets.size()));
    out.insert(out.end(), octets.begin(), octets.end());
  };
  std::vector<std::size_t> xContent(Levels), lContent(Levels);
  std::size_t inner = 3;  // what level k holds after its key: the next level, or the innermost INTEGER
  for (std::size_t k = Levels; k-- > 0;) {
    xContent[k] = 3 + inner;
    lContent[k] = headerSize(xContent[k]) + xContent[k] + 2;
    inner = headerSize(lContent[k]) + lContent[k];
  }
  std::vector<std::uint8_t> der;
  for (std::size_t k = 0; k < Levels; ++k) {
    appendHeader(der, lContent[k]);
    appendHeader(der, xContent[k]);
    der.insert(der.end(), {0x02, 0x01, 0x00});
  }
  der.insert(der.end(), {0x02, 0x01, 0x05});
  for (std::size_t k = 0; k < Levels; ++k) der.insert(der.end(), {0x30, 0x00});
  TDocumentOptions options;
  options.FieldNames = false;
  auto a = Load(options, ber);
  auto b = Load(options, der);
  ASSERT_FALSE(b->EndsWithFatalError());
  EXPECT_TRUE(CompareDocuments(*a, *b).empty());
  TCompareOptions encodings;
  encodings.Encodings = true;
  const std::vector<TDifference> differences = CompareDocuments(*a, *b, encodings);
  EXPECT_EQ(differences.size(), 2 * Levels);  // each list and each keyed item: indefinite against definite
  EXPECT_TRUE(std::all_of(differences.begin(), differences.end(),
                          [](const TDifference& d) { return d.Kind == TDiffKind::dkEncoding; }));
}

}  // namespace
}  // namespace viewer
