// The field-name modes of bramlet-dump.
#include "app/dump_names.h"

#include <vector>

#include "app/dump_printer.h"
#include "viewer/document_text.h"

namespace app {

std::u16string NamedRowLine(const viewer::TDecodedDocument& document, viewer::TTag row) {
  std::u16string label = document.FieldLabel(row);
  if (label.empty()) return viewer::RowLine(row);
  return label + u" " + viewer::RowLine(row);
}

void PrintPaths(const viewer::TDecodedDocument& document, std::ostream& out) {
  const viewer::TDocument& elements = document.Elements();
  const schema::TNames& names = document.Names();
  const bool named = document.Settings().FieldNames;
  // Elements come parent first, children in order: a stack of the open
  // ancestors and the length of their paths builds every path from its parent's.
  struct TOpen {
    std::uint32_t Element;
    std::size_t Length;  // NoPath below an unnamed element
  };
  constexpr std::size_t NoPath = static_cast<std::size_t>(-1);
  std::vector<TOpen> open;
  std::string path;
  std::string buffer;
  const std::uint32_t count = elements.ElementCount();
  for (std::uint32_t e = 0; e < count; ++e) {
    const std::uint32_t parent = elements.Parent(e);
    while (!open.empty() && open.back().Element != parent) open.pop_back();
    const std::size_t base = open.empty() ? 0 : open.back().Length;
    const bool shown = named && names.IsNamed(e);
    // path still starts with the parent's path when the parent has one.
    if (shown) {
      path.resize(base == NoPath ? 0 : base);
      names.AppendOwnSteps(path, e);
    }
    open.push_back({e, shown ? path.size() : NoPath});
    viewer::TTag tag = elements.Element(e);
    buffer += std::to_string(tag.Offset());
    buffer.push_back('\t');
    if (shown) buffer += path;
    buffer.push_back('\t');
    AppendShown(buffer, tag.Name());
    buffer.push_back('\n');
    if (buffer.size() < (1u << 20)) continue;
    out << buffer;
    buffer.clear();
  }
  out << buffer;
}

}  // namespace app
