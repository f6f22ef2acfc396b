// The document as lines of text, one per row in document order, the way the
// structure tree lists it: for the command-line dump and for tests.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "document/tag.h"

namespace viewer {

// "SEQUENCE", "INTEGER: 5", "Offset: 0", "Error: Incorrect length".
std::u16string RowLine(TTag tag);
// The same with text as the row's value (a typed value).
std::u16string RowLine(TTag tag, std::u16string_view text);

// Calls visit(row, depth) for every row below root in document order (depth 0
// for the top level), attribute rows included only when withAttributes is set.
// Walks with an explicit stack, so any nesting depth is fine.
template <typename TVisit>
void WalkRows(TTag root, bool withAttributes, TVisit&& visit) {
  struct TFrame {
    TTag Tag;
    std::int32_t Next;
  };
  std::vector<TFrame> stack{{root, 0}};
  while (!stack.empty()) {
    TFrame& top = stack.back();
    if (top.Next >= top.Tag.ChildsCount()) {
      stack.pop_back();
      continue;
    }
    TTag child = top.Tag.Childs(top.Next++);
    if (!withAttributes && child.TagType() == ttAttrib) continue;
    visit(child, static_cast<std::int32_t>(stack.size()) - 1);
    stack.push_back({child, 0});
  }
}

}  // namespace viewer
