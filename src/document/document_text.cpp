// Row lines of the document as text.
#include "document/document_text.h"

namespace viewer {

std::u16string RowLine(TTag tag) { return RowLine(tag, tag.Text()); }

std::u16string RowLine(TTag tag, std::u16string_view text) {
  std::u16string line = tag.Name();
  if (tag.TagType() != ttNode || !text.empty()) line.append(u": ").append(text);
  return line;
}

}  // namespace viewer
