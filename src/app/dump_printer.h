// The element lines of bramlet-dump.
#pragma once

#include <cstdint>
#include <ostream>
#include <span>
#include <string>

#include "asn/asn.h"

namespace app {

// Appends text as UTF-8 with control characters shown as \xNN.
void AppendShown(std::string& line, const std::u16string& text);

// Walks bytes and writes one line per element to out: offset, header length
// and length in columns, then two blanks per level of depth, the tag name and,
// for a primitive element, ": " and its value, " - " and the OID description,
// and " [error: ...]" when the value failed. Control characters are shown as
// \xNN so that every element stays on one line. After a malformed
// header the lines before it stand and "Fatal error: <message> for tag at
// offset <n>" goes to err; the result is then 1, otherwise 0.
// OBJECT IDENTIFIERs take their descriptions from oids.
int DumpElements(std::span<const std::uint8_t> bytes, const asn::TOIDDictionary& oids, std::ostream& out,
                 std::ostream& err);

}  // namespace app
