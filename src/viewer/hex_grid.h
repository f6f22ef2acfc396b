// Row and column arithmetic of the hex panel and the texts of its cells. A
// grid shows width bytes per row; row r, column c holds offset r * width + c.
#pragma once

#include <cstdint>
#include <string>

namespace viewer {

// Rows needed for size bytes: the last one may be partial.
std::int32_t HexLineCount(std::int64_t size, int width);

// Offset of a cell; -1 for a negative row or column. Not checked against the size.
std::int32_t HexOffset(std::int64_t row, int column, int width);

// Row of an offset, truncating towards zero (so -1 gives row 0).
std::int32_t HexRowOf(std::int32_t offset, int width);

// Column of the last byte when the last row is partial: size mod width - 1.
std::int32_t HexLastColumn(std::int64_t size, int width);

// Two upper-case hexadecimal digits.
std::u16string HexByteText(std::uint8_t byte);

// The byte as one Latin-1 character; the control bytes 0x00-0x1F and 0x80-0x9F
// show as ".".
std::u16string HexCharText(std::uint8_t byte);

}  // namespace viewer
