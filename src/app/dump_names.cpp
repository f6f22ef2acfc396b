// The field-name modes of bramlet-dump.
#include "app/dump_names.h"

#include <charconv>
#include <unordered_map>
#include <vector>

#include "app/dump_printer.h"
#include "document/document_text.h"

namespace app {

TPathWalk::TPathWalk(const viewer::TDecodedDocument& document)
    : FDocument(document.Elements()), FNames(document.Names()), FNamed(document.Options().FieldNames) {
  // Every element will be asked about: name them in one go.
  if (FNamed) FNames.NameAll();
}

std::string_view TPathWalk::Next(std::uint32_t element) {
  const std::uint32_t parent = FDocument.Parent(element);
  while (!FOpen.empty() && FOpen.back().Element != parent) FOpen.pop_back();
  const std::size_t base = FOpen.empty() ? 0 : FOpen.back().Length;
  const std::uint32_t index = FOpen.empty() ? 0 : FOpen.back().Children++;
  const bool shown = FNamed && FNames.IsNamed(element);
  // FPath still starts with the parent's path when the parent has one.
  if (shown) {
    FPath.resize(base == NoPath ? 0 : base);
    FNames.AppendOwnSteps(FPath, element, index);
  }
  FOpen.push_back({element, shown ? FPath.size() : NoPath, 0});
  return shown ? std::string_view(FPath) : std::string_view();
}

void PrintPaths(const viewer::TDecodedDocument& document, std::ostream& out) {
  const viewer::TDocument& elements = document.Elements();
  TPathWalk paths(document);
  std::string buffer;
  // Tag names by class and number: a document repeats a few dozen of them.
  std::unordered_map<std::uint64_t, std::string> tagNames;
  const std::uint32_t count = elements.ElementCount();
  for (std::uint32_t e = 0; e < count; ++e) {
    const std::string_view path = paths.Next(e);
    const asn::TElementHeader h = elements.Header(e);
    char digits[16];
    buffer.append(digits, std::to_chars(digits, digits + sizeof digits, h.Offset).ptr);
    buffer.push_back('\t');
    buffer += path;
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
