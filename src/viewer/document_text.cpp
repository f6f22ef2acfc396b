// Row lines of the document as text.
#include "viewer/document_text.h"

namespace viewer {

std::u16string RowLine(TTag tag) {
  std::u16string line = tag.Name();
  std::u16string text = tag.Text();
  if (tag.TagType() != ttNode || !text.empty()) line.append(u": ").append(text);
  return line;
}

}  // namespace viewer
