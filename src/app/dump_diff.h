// bramlet-dump --diff: the differences between two documents, as lines or as JSON.
#pragma once

#include <ostream>

#include "document/document.h"

namespace app {

// One line per difference, in document order: kind (-, +, ~, #), tab, A's
// offset, tab, B's offset ("-" where absent), tab, the path, tab, the row text
// (for ~, A's value, a tab and B's value); with json, an array of objects with
// the same facts. encodings adds the # lines. 0 when the values are the same
// (# lines do not count), 1 when they differ.
int WriteDiff(const viewer::TDecodedDocument& a, const viewer::TDecodedDocument& b, bool encodings, bool json,
              std::ostream& out);

}  // namespace app
