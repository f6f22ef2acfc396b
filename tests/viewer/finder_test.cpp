// The finder without a window: every row it answers, forwards and backwards,
// against a plain reading of each row's name, text and bytes.
#include "viewer/finder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "settings/text.h"
#include "text/ascii.h"
#include "text/upper_case.h"
#include "document/document.h"
#include "viewer_test_util.h"

namespace viewer {
namespace {

std::u16string Folded(std::u16string_view text) {
  std::u16string out(text);
  std::transform(out.begin(), out.end(), out.begin(), text::UpperCase);
  return out;
}

// The document's rows in the tree's order, as paths.
std::vector<TRowPath> Rows(const TDecodedDocument& doc, bool attributes) {
  std::vector<TRowPath> rows;
  std::vector<std::pair<TTag, TRowPath>> stack{{doc.Root(), {}}};
  while (!stack.empty()) {
    auto [tag, path] = stack.back();
    stack.pop_back();
    if (!path.empty()) rows.push_back(path);
    if (!tag.HasChildren(attributes)) continue;
    for (std::int32_t i = tag.ChildsCount() - 1; i >= 0; --i) {
      if (!attributes && tag.Childs(i).TagType() == ttAttrib) continue;
      TRowPath child = path;
      child.push_back(i);
      stack.push_back({tag.Childs(i), child});
    }
  }
  return rows;
}

TTag RowAt(const TDecodedDocument& doc, const TRowPath& path) {
  TTag tag = doc.Root();
  for (std::int32_t i : path) tag = tag.Childs(i);
  return tag;
}

// Whether the row shows wanted in its name or text or, as hexadecimal digits
// without blanks, in the bytes it stands for.
bool Holds(const TDecodedDocument& doc, TTag tag, const std::u16string& wanted) {
  const std::u16string folded = Folded(wanted);
  if (Folded(tag.Name()).find(folded) != std::u16string::npos) return true;
  if (Folded(tag.Text()).find(folded) != std::u16string::npos) return true;
  std::u16string digits;
  for (char16_t c : folded)
    if (c != u' ') digits += c;
  const bool coversBytes = tag.TagType() == ttNode || (tag.TagType() == ttError && tag.Parent().TagType() == ttRoot);
  if (digits.empty() || !coversBytes || !std::all_of(digits.begin(), digits.end(), [](char16_t c) {
        return text::HexDigitValue(c) >= 0;
      }))
    return false;
  const std::size_t size = doc.Bytes()->size();
  const auto first = static_cast<std::size_t>(tag.Offset());
  if (first >= size) return false;
  const std::size_t end = std::min(size, first + static_cast<std::size_t>(std::max(0, tag.FullLength())));
  std::u16string bytes;
  text::AppendHexOctets(bytes, std::span<const std::uint8_t>(*doc.Bytes()).subspan(first, end - first));
  return bytes.find(digits) != std::u16string::npos;
}

std::vector<TRowPath> Hits(const TFinder& finder, const std::u16string& text, bool backwards, TRowPath from) {
  std::vector<TRowPath> hits;
  bool inclusive = true;
  for (std::optional<TRowPath> hit; hits.size() < 1000 && (hit = finder.Find(text, backwards, from, inclusive));) {
    hits.push_back(*hit);
    from = *hit;
    inclusive = false;
  }
  return hits;
}

TEST(Finder, AnswersEveryRowThatShowsTheTextInOrderBothWays) {
  const struct {
    const char* Hex;
    std::vector<std::int32_t> Blocks = {};  // where the blocks start, decoded each on its own
  } documents[] = {
      // Indefinite SEQUENCE: INTEGER, BOOLEAN, OCTET STRING, OBJECT IDENTIFIER.
      {"30 80 02 01 05 01 01 FF 04 03 0A 0B 0C 06 03 2A 86 48 00 00"},
      // UTCTime, BIT STRING, a BOOLEAN of two octets (an error row, its value in hexadecimal).
      {"30 18 17 0D 32 30 30 31 30 31 30 30 30 30 30 30 5A 03 03 00 A5 5A 01 02 00 FF"},
      // Context tags and strings, then an octet that is no element (a top-level error row).
      {"A0 0A 30 08 A1 06 04 04 DE AD BE EF 13 05 48 65 6C 6C 6F 0C 03 41 42 43 FF"},
      // Blocks: a bad one, a SEQUENCE, one cut after its INTEGER, a NULL: error rows among the elements.
      {"1F FF 30 03 02 01 05 02 01 05 02 05 00 05 00", {0, 2, 7, 13}},
  };
  const std::u16string texts[] = {u"0",     u"05",     u"a5",   u"DE AD", u"EAD",    u"true", u"5",
                                  u"seq",   u"STRING", u"hello", u"offset", u"length", u"2A8648", u"1.2.840",
                                  u"20-01", u":",      u"Z",     u" ",      u"ff",     u"error", u"b e"};
  TDocumentOptions options;
  for (const auto& [hex, blocks] : documents) {
    TDecodedDocument doc(options);
    doc.RunCaptured([&] { doc.ParseASN(test::Shared(test::HexBytes(hex)), blocks); });
    for (bool attributes : {false, true}) {
      const std::vector<TRowPath> rows = Rows(doc, attributes);
      ASSERT_FALSE(rows.empty());
      const TFinder finder(doc, attributes, /*fieldNames=*/false);
      for (const std::u16string& text : texts) {
        SCOPED_TRACE(std::string(hex) + (attributes ? " with attributes, " : ", ") + settings::Utf16ToUtf8(text));
        std::vector<TRowPath> expected;
        for (const TRowPath& row : rows)
          if (Holds(doc, RowAt(doc, row), text)) expected.push_back(row);
        EXPECT_EQ(Hits(finder, text, /*backwards=*/false, {}), expected);
        std::reverse(expected.begin(), expected.end());
        EXPECT_EQ(Hits(finder, text, /*backwards=*/true, rows.back()), expected);
      }
    }
  }
}

TEST(Finder, FromAProblemRowWalksOnPastItsElementsRows) {
  // A problem row follows all of its element's other rows: the SEQUENCE's here.
  TDocumentOptions options;
  TDecodedDocument doc(options);
  doc.RunCaptured([&] { doc.ParseASN(test::Shared(test::HexBytes("30 06 02 01 05 02 01 07 02 01 09"))); });
  const TFinder finder(doc, /*attributes=*/true, /*fieldNames=*/false);
  const std::int32_t rows = doc.Root().Childs(0).ChildsCount();
  struct {
    const char* Label;
    std::u16string Text;
    bool Backwards;
    TRowPath From;
    std::optional<TRowPath> Expected;
  } cases[] = {
      {"forwards to the next top-level element", u"INTEGER", false, {0, rows}, TRowPath{1}},
      {"from the second problem row", u"INTEGER", false, {0, rows + 1}, TRowPath{1}},
      {"backwards into the last child", u"INTEGER", true, {0, rows}, TRowPath{0, rows - 1}},
      {"backwards past other problem rows", u"SEQUENCE", true, {0, rows + 2}, TRowPath{0}},
      {"backwards to an attribute row", u"Offset", true, {0, rows}, TRowPath{0, rows - 1, 0}},
      {"nothing after it", u"SEQUENCE", false, {0, rows}, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    EXPECT_EQ(finder.Find(c.Text, c.Backwards, c.From, /*inclusive=*/false), c.Expected);
  }
}

}  // namespace
}  // namespace viewer
