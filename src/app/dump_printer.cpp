// The element lines of bramlet-dump.
#include "app/dump_printer.h"

#include <cstdio>

#include "asn/utf.h"

namespace app {

void AppendShown(std::string& line, const std::u16string& text) {
  std::string utf8 = asn::Utf16ToUtf8(text);
  for (char c : utf8) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u >= 0x20 && u != 0x7F) {
      line.push_back(c);
      continue;
    }
    char escaped[5];
    std::snprintf(escaped, sizeof escaped, "\\x%02X", u);
    line += escaped;
  }
}

std::string FormatElementLine(const asn::TASNTag& tag, int depth) {
  char columns[40];
  std::snprintf(columns, sizeof columns, "%8d %2d %8d ", tag.Offset, tag.HeaderLength(), tag.Length);
  std::string line = columns;
  line.append(static_cast<std::size_t>(depth) * 2, ' ');
  AppendShown(line, tag.GetTagName());
  if (tag.Encapsulates) {
    line += " (encapsulates)";
  } else if (!tag.Constructed && !tag.Value.empty()) {
    line += ": ";
    AppendShown(line, tag.Value);
  }
  if (!tag.OIDDescr.empty()) {
    line += " - ";
    AppendShown(line, tag.OIDDescr);
  }
  if (!tag.Error.empty()) {
    line += " [error: ";
    AppendShown(line, tag.Error);
    line += "]";
  }
  line.push_back('\n');
  return line;
}

int DumpElements(std::span<const std::uint8_t> bytes, const asn::TOIDDictionary& oids, std::ostream& out,
                 std::ostream& err) {
  asn::TASNParser parser;
  parser.OIDDictionary = &oids;
  int depth = 0;
  parser.OnNewConstructed = [&](const asn::TASNTag& tag) { out << FormatElementLine(tag, depth++); };
  parser.OnNewPrimitive = [&](const asn::TASNTag& tag) { out << FormatElementLine(tag, depth); };
  parser.OnEndConstructed = [&] { --depth; };
  try {
    parser.Parse(bytes);
  } catch (const asn::EParserException& e) {
    out.flush();
    err << "Fatal error: " << e.what() << " for tag at offset " << e.Offset << '\n';
    return 1;
  }
  return 0;
}

}  // namespace app
