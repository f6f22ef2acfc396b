// The field-name modes of bramlet-dump: rows with their names, and --paths.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "document/document.h"

namespace app {

// Every element's path along a walk in document order, each built from its
// parent's: a stack of the open ancestors and the length of their paths.
class TPathWalk {
 public:
  explicit TPathWalk(const viewer::TDecodedDocument& document);
  // The path of element, the next one in document order after the last asked
  // for; empty when it is unnamed or the form shows no names. Valid until the
  // next call.
  std::string_view Next(std::uint32_t element);

 private:
  struct TOpen {
    std::uint32_t Element;
    std::size_t Length;      // NoPath below an unnamed element
    std::uint32_t Children;  // seen so far
  };
  static constexpr std::size_t NoPath = static_cast<std::size_t>(-1);
  const viewer::TDocument& FDocument;
  const schema::TNames& FNames;
  bool FNamed;
  std::vector<TOpen> FOpen;
  std::string FPath;
};

// One line per element in document order: its offset in decimal, a tab, its
// path (empty when unnamed), a tab, its tag name.
void PrintPaths(const viewer::TDecodedDocument& document, std::ostream& out);

}  // namespace app
