// The field-name modes of bramlet-dump.
#include "app/dump_names.h"

#include <charconv>
#include <unordered_map>
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
    std::size_t Length;     // NoPath below an unnamed element
    std::uint32_t Children;  // seen so far
  };
  constexpr std::size_t NoPath = static_cast<std::size_t>(-1);
  std::vector<TOpen> open;
  std::string path;
  std::string buffer;
  // Tag names by class and number: a document repeats a few dozen of them.
  std::unordered_map<std::uint64_t, std::string> tagNames;
  const std::uint32_t count = elements.ElementCount();
  for (std::uint32_t e = 0; e < count; ++e) {
    const std::uint32_t parent = elements.Parent(e);
    while (!open.empty() && open.back().Element != parent) open.pop_back();
    const std::size_t base = open.empty() ? 0 : open.back().Length;
    const std::uint32_t index = open.empty() ? 0 : open.back().Children++;
    const bool shown = named && names.IsNamed(e);
    // path still starts with the parent's path when the parent has one.
    if (shown) {
      path.resize(base == NoPath ? 0 : base);
      names.AppendOwnSteps(path, e, index);
    }
    open.push_back({e, shown ? path.size() : NoPath, 0});
    const asn::TElementHeader h = elements.Header(e);
    char digits[16];
    buffer.append(digits, std::to_chars(digits, digits + sizeof digits, h.Offset).ptr);
    buffer.push_back('\t');
    if (shown) buffer += path;
    buffer.push_back('\t');
    if (h.TagNumberFits) {
      auto [name, added] = tagNames.try_emplace(std::uint64_t{h.TagClass} << 32 | h.TagNumber);
      if (added) AppendShown(name->second, elements.Element(e).Name());
      buffer += name->second;
    } else {
      AppendShown(buffer, elements.Element(e).Name());
    }
    buffer.push_back('\n');
    if (buffer.size() < (1u << 20)) continue;
    out << buffer;
    buffer.clear();
  }
  out << buffer;
}

}  // namespace app
