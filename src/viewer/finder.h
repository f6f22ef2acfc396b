// Find over a decoded document: which row, in the structure tree's order, next
// holds a text in its name, its text or the hexadecimal digits of its bytes.
// It answers with the row's place in the tree; focusing it is the window's job.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace viewer {

class TDecodedDocument;

// A row of the structure tree: the child indexes from the root down to it.
using TRowPath = std::vector<std::int32_t>;

class TFinder {
 public:
  // Over doc's rows as the tree shows them: attribute rows only while
  // attributes are shown, field labels and typed values only with fieldNames.
  // doc must outlive the finder.
  TFinder(const TDecodedDocument& doc, bool attributes, bool fieldNames);

  // The first row after from (from itself too when inclusive) whose name, text
  // or bytes contain searchString, case folded; going backwards, the last one
  // before it. An empty from stands before the first row. None when no row
  // does or searchString is empty. A from past the document's rows (a problem
  // row of the DER checks) walks the rows as the tree nests them.
  std::optional<TRowPath> Find(std::u16string_view searchString, bool backwards, const TRowPath& from,
                               bool inclusive) const;

 private:
  const TDecodedDocument& FDoc;
  bool FAttributes;
  bool FFieldNames;
};

}  // namespace viewer
