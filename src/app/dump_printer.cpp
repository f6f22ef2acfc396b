// The element lines of bramlet-dump.
#include "app/dump_printer.h"

#include <charconv>
#include <string_view>

#include "asn/utf.h"
#include "text/ascii.h"

namespace app {

namespace {

// Text is handed to the stream in pieces of about this size.
constexpr std::size_t FlushThreshold = 1 << 20;

void AppendEscaped(std::string& line, unsigned char u) {
  const char escaped[4] = {'\\', 'x', static_cast<char>(text::UpperHexDigit(u >> 4)),
                           static_cast<char>(text::UpperHexDigit(u & 15))};
  line.append(escaped, 4);
}

// value right-aligned in width columns, as printf's %*d.
void AppendPadded(std::string& line, std::int32_t value, int width) {
  char digits[16];
  auto [end, error] = std::to_chars(digits, digits + sizeof digits, value);
  auto length = static_cast<int>(end - digits);
  if (length < width) line.append(static_cast<std::size_t>(width - length), ' ');
  line.append(digits, end);
}

void AppendElementLine(std::string& line, const asn::TASNTag& tag, int depth) {
  AppendPadded(line, tag.Offset, 8);
  line.push_back(' ');
  AppendPadded(line, tag.HeaderLength(), 2);
  line.push_back(' ');
  AppendPadded(line, tag.Length, 8);
  line.push_back(' ');
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
}

}  // namespace

void AppendShown(std::string& line, const std::u16string& text) {
  // ASCII directly; a run of other characters through the UTF-8 conversion,
  // whose octets are all above 0x7F and so never escaped.
  const std::u16string_view view(text);
  for (std::size_t i = 0; i < view.size();) {
    char16_t c = view[i];
    if (c < 0x80) {
      if (c >= 0x20 && c != 0x7F)
        line.push_back(static_cast<char>(c));
      else
        AppendEscaped(line, static_cast<unsigned char>(c));
      ++i;
      continue;
    }
    std::size_t end = i + 1;
    while (end < view.size() && view[end] >= 0x80) ++end;
    line += asn::Utf16ToUtf8(view.substr(i, end - i));
    i = end;
  }
}

int DumpElements(std::span<const std::uint8_t> bytes, const asn::TOIDDictionary& oids, std::ostream& out,
                 std::ostream& err) {
  asn::TASNParser parser;
  parser.OIDDictionary = &oids;
  int depth = 0;
  // Lines gather in one buffer that goes out a megabyte at a time.
  std::string buffer;
  auto write = [&](const asn::TASNTag& tag, int level) {
    AppendElementLine(buffer, tag, level);
    if (buffer.size() < FlushThreshold) return;
    out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    buffer.clear();
  };
  parser.OnNewConstructed = [&](const asn::TASNTag& tag) { write(tag, depth++); };
  parser.OnNewPrimitive = [&](const asn::TASNTag& tag) { write(tag, depth); };
  parser.OnEndConstructed = [&] { --depth; };
  try {
    parser.Parse(bytes);
  } catch (const asn::EParserException& e) {
    out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    out.flush();
    err << "Fatal error: " << e.what() << " for tag at offset " << e.Offset << '\n';
    return 1;
  }
  out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
  return 0;
}

}  // namespace app
