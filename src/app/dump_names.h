// The field-name modes of bramlet-dump: rows with their names, and --paths.
#pragma once

#include <ostream>
#include <string>

#include "viewer/document.h"

namespace app {

// The row as the structure tree shows it: the field label (when the document has
// one for the row), a blank, then the row's own line.
std::u16string NamedRowLine(const viewer::TDecodedDocument& document, viewer::TTag row);

// One line per element in document order: its offset in decimal, a tab, its
// path (empty when unnamed), a tab, its tag name.
void PrintPaths(const viewer::TDecodedDocument& document, std::ostream& out);

}  // namespace app
