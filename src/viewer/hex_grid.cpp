// Kept apart from the panel's event handlers so the arithmetic is tested alone.
#include "viewer/hex_grid.h"

#include "text/ascii.h"

namespace viewer {

std::int32_t HexLineCount(std::int64_t size, int width) {
  if (size <= 0 || width <= 0) return 0;
  return static_cast<std::int32_t>(size / width + (size % width != 0 ? 1 : 0));
}

std::int32_t HexOffset(std::int64_t row, int column, int width) {
  if (row < 0 || column < 0) return -1;
  return static_cast<std::int32_t>(row * width + column);
}

std::int32_t HexRowOf(std::int32_t offset, int width) { return width <= 0 ? 0 : offset / width; }

std::int32_t HexLastColumn(std::int64_t size, int width) {
  if (width <= 0) return -1;
  return static_cast<std::int32_t>(size % width) - 1;
}

std::u16string HexByteText(std::uint8_t byte) {
  return {text::UpperHexDigit(byte >> 4), text::UpperHexDigit(byte & 0xF)};
}

std::u16string HexCharText(std::uint8_t byte) {
  // The C0 and C1 controls have no glyph: most faces would draw a box.
  if (byte < 0x20 || (byte >= 0x80 && byte <= 0x9F)) return u".";
  return std::u16string(1, static_cast<char16_t>(byte));
}

}  // namespace viewer
