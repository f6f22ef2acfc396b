// The 17 tree icons by name, and their 16 by 16 RGBA bitmaps, generated at
// build time from the artwork kept in icons/.
#pragma once

#include <cstdint>

namespace platform {

// The values are the indices of the image list the structure tree uses.
enum class TIcon : std::uint8_t {
  icAttribute = 0,      // glossy green ball
  icTime = 1,           // square clock face
  icString = 2,         // green tile, S
  icBitString = 3,      // green tile, B
  icOctetString = 4,    // green tile, O
  icObjectId = 5,       // golden-brown tile, O
  icInteger = 6,        // blue tile, I
  icBoolean = 7,        // purple tile, B
  icNull = 8,           // black tile, N
  icReal = 9,           // brown tile, R
  icPrimitive = 10,     // plain pale lilac tile
  icSequence = 11,      // yellow folder
  icSet = 12,           // cyan folder
  icConstructed = 13,   // green folder
  icContextFolder = 14, // grey folder: constructed, not universal
  icError = 15,         // glossy red ball
  icEndOfContents = 16  // circled digit 0
};

inline constexpr int IconCount = 17;
inline constexpr int IconSize = 16;

// Row-major pixels, each 0xAARRGGBB with straight (not premultiplied) alpha.
const std::uint32_t* IconPixels(TIcon icon);

}  // namespace platform
