// What decoding, naming, checking and the document's own words read of the
// user's choices: the viewer hands its settings over, bramlet-dump and the
// fuzzers fill one in.
#pragma once

#include <functional>
#include <string>

namespace viewer {

// A text table: the text of an id, empty for an unknown one.
using TTextById = std::u16string (*)(int id);

struct TDocumentOptions {
  // Hexadecimal values with a blank between octets.
  bool SpaceInHex = true;
  // Field names (and typed values) from the schemas.
  bool FieldNames = true;
  // The DER checks over each decoding.
  bool DerChecks = true;
  // The texts of the rows the document words itself (out of memory); nullptr
  // leaves them empty.
  TTextById Text = nullptr;
};

// Gives the options as they stand whenever the document reads them, so that a
// change of a setting is seen without rebuilding the document.
using TDocumentOptionsSource = std::function<TDocumentOptions()>;

}  // namespace viewer
