// Grid arithmetic at its edges: partial last rows, exact multiples, negative
// offsets, and the texts of the two grids.
#include "viewer/hex_grid.h"

#include <gtest/gtest.h>

namespace viewer {
namespace {

TEST(HexGrid, RowsColumnsAndOffsetsAgree) {
  struct {
    const char* Label;
    std::int64_t Size;
    int Width;
    std::int32_t Lines;
    std::int32_t LastColumn;
  } cases[] = {
      {"empty", 0, 8, 0, -1},
      {"one byte", 1, 8, 1, 0},
      {"exact multiple", 16, 8, 2, -1},
      {"20 bytes of 16", 20, 16, 2, 3},
      {"one byte past a row", 17, 16, 2, 0},
      {"100 MB", 100'000'000, 8, 12'500'000, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    EXPECT_EQ(HexLineCount(c.Size, c.Width), c.Lines);
    EXPECT_EQ(HexLastColumn(c.Size, c.Width), c.LastColumn);
    if (c.Size > 0) {
      std::int32_t last = static_cast<std::int32_t>(c.Size - 1);
      EXPECT_EQ(HexRowOf(last, c.Width), c.Lines - 1);
      EXPECT_EQ(HexOffset(HexRowOf(last, c.Width), last % c.Width, c.Width), last);
    }
  }
}

TEST(HexGrid, NegativeOffsetsAndCells) {
  EXPECT_EQ(HexOffset(2, 1, 8), 17);
  EXPECT_EQ(HexOffset(-1, 0, 8), -1);
  EXPECT_EQ(HexOffset(0, -1, 8), -1);
  EXPECT_EQ(HexRowOf(-1, 8), 0) << "truncation towards zero";
}

TEST(HexGrid, CellTexts) {
  struct {
    std::uint8_t Byte;
    std::u16string Hex;
    std::u16string Char;
  } cases[] = {
      {0x00, u"00", u"."}, {0x0A, u"0A", u"."}, {0x1F, u"1F", u"."},      {0x20, u"20", u" "},
      {0x41, u"41", u"A"}, {0x7F, u"7F", u"\u007F"}, {0xE9, u"E9", u"\u00E9"},      {0xFF, u"FF", u"\u00FF"},
      // The C1 controls have no glyph in most faces: they take the dot too.
      {0x80, u"80", u"."}, {0x9F, u"9F", u"."}, {0xA0, u"A0", u"\u00A0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Byte);
    EXPECT_EQ(HexByteText(c.Byte), c.Hex);
    EXPECT_EQ(HexCharText(c.Byte), c.Char);
  }
}

}  // namespace
}  // namespace viewer
