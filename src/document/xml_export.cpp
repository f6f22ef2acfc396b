// XML export: one element per decoded ASN.1 element, header facts as
// attributes, the display value as text. Written through a line sink, without
// native recursion, so any nesting depth exports.
#include "document/xml_export.h"

#include <array>
#include <vector>

#include "document/document.h"
#include "text/ascii.h"
#include "text/utf.h"

namespace viewer {

namespace {

// Text is handed to the stream in pieces of about this size.
constexpr std::size_t FlushThreshold = 1 << 20;

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

bool IsXmlChar(char16_t c) {
  if (c < 0x20) return c == 0x09 || c == 0x0A || c == 0x0D;
  return c != 0xFFFE && c != 0xFFFF;
}

// text as UTF-8: ASCII runs copied unit by unit, the others through the conversion,
// which works per character, so splitting at ASCII changes nothing.
void AppendUtf8(std::string& out, std::u16string_view text) {
  const std::size_t n = text.size();
  // ASCII goes through a small buffer in whole runs: no byte-wise appends.
  char ascii[256];
  for (std::size_t i = 0; i < n;) {
    std::size_t k = 0;
    // Eight units at a time while all eight are ASCII, then one at a time.
    while (k + 8 <= sizeof ascii && i + 8 <= n) {
      char16_t any = 0;
      for (std::size_t j = 0; j < 8; ++j) any |= text[i + j];
      if (any >= 0x80) break;
      for (std::size_t j = 0; j < 8; ++j) ascii[k + j] = static_cast<char>(text[i + j]);
      i += 8;
      k += 8;
    }
    while (k < sizeof ascii && i < n && text[i] < 0x80) ascii[k++] = static_cast<char>(text[i++]);
    out.append(ascii, k);
    std::size_t end = i;
    while (end < n && text[end] >= 0x80) ++end;
    if (end > i) {
      out += text::Utf16ToUtf8(text.substr(i, end - i));
      i = end;
    }
  }
}

void AppendAttribute(std::u16string& line, std::u16string_view name, std::u16string_view value) {
  line.append(u" ").append(name).append(u"=\"").append(value).append(u"\"");
}

// The same for a number, in decimal.
void AppendAttribute(std::u16string& line, std::u16string_view name, std::int64_t value) {
  line.append(u" ").append(name).append(u"=\"");
  // The magnitude of the most negative value fits the unsigned type.
  auto magnitude = static_cast<std::uint64_t>(value);
  if (value < 0) {
    line.push_back(u'-');
    magnitude = 0 - magnitude;
  }
  text::AppendDecimal(line, magnitude);
  line.push_back(u'"');
}

// A character that EscapeXML passes on as it is.
bool IsPlain(char16_t c) {
  return c >= 0x20 ? c < 0xD800 || (c > 0xDFFF && c < 0xFFFE) : c == 0x09 || c == 0x0A || c == 0x0D;
}

void AppendEscaped(std::u16string& out, std::u16string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    // Runs of plain characters go in one append.
    std::size_t run = i;
    while (run < text.size() && IsPlain(text[run]) && text[run] != u'&' && text[run] != u'<' && text[run] != u'>' &&
           text[run] != u'"')
      ++run;
    if (run > i) {
      out.append(text.substr(i, run - i));
      i = run;
      if (i == text.size()) break;
    }
    char16_t c = text[i];
    switch (c) {
      case u'&':
        out.append(u"&amp;");
        continue;
      case u'<':
        out.append(u"&lt;");
        continue;
      case u'>':
        out.append(u"&gt;");
        continue;
      case u'"':
        out.append(u"&quot;");
        continue;
      default:
        break;
    }
    if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      out.push_back(c);
      out.push_back(text[++i]);
      continue;
    }
    bool lone = IsHighSurrogate(c) || IsLowSurrogate(c);
    out.push_back(lone || !IsXmlChar(c) ? u'\uFFFD' : c);
  }
}

}  // namespace

std::u16string EscapeXML(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  AppendEscaped(out, text);
  return out;
}

std::u16string XmlElementName(std::u16string_view name) {
  std::u16string out;
  out.reserve(name.size());
  for (char16_t c : name) {
    if (c == u']') continue;
    out.push_back(c == u' ' || c == u'[' ? u'_' : c);
  }
  return out;
}

// ---- Writers

TXmlStreamWriter::TXmlStreamWriter(std::ostream& out)
    : TXmlStreamWriter([&out](std::string_view bytes) { out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())); }) {}

TXmlStreamWriter::TXmlStreamWriter(TOutput out) : FOut(std::move(out)) {
  FBuffer.reserve(FlushThreshold + (FlushThreshold >> 2));
  FBuffer = "\xEF\xBB\xBF";
}

TXmlStreamWriter::~TXmlStreamWriter() = default;

void TXmlStreamWriter::AddLine(std::int32_t level, std::u16string_view text) {
  FBuffer.append(static_cast<std::size_t>(level) * 4, ' ');
  AppendUtf8(FBuffer, text);
  FBuffer.append("\r\n");
  if (FBuffer.size() >= FlushThreshold) Flush();
}

void TXmlStreamWriter::Flush() {
  FOut(FBuffer);
  FBuffer.clear();
}

TXmlFileWriter::TXmlFileWriter(std::filesystem::path target)
    : FFile(std::move(target)), FWriter([this](std::string_view bytes) { FFile.Write(bytes); }) {}

void TXmlFileWriter::AddLine(std::int32_t level, std::u16string_view text) { FWriter.AddLine(level, text); }

void TXmlFileWriter::Commit() {
  FWriter.Flush();
  FFile.Commit();
}

// ---- The document's export

void TDecodedDocument::WriteTag(TTag tag, IXmlLineSink& strList, std::int32_t level) const {
  // One line buffer for every element.
  std::u16string line;
  // Element names by tag class and number, made once each.
  std::array<std::u16string, 4 * 64> names;
  std::u16string otherName;
  auto elementName = [&](TTag node) -> const std::u16string& {
    const asn::TElementHeader h = FElements.Header(node.ElementIndex());
    if (h.TagNumberFits && h.TagNumber < 64) {
      std::u16string& known = names[h.TagClass * 64 + h.TagNumber];
      if (known.empty()) known = XmlElementName(node.Name());
      return known;
    }
    otherName = XmlElementName(node.Name());
    return otherName;
  };
  auto writeStart = [&](TTag node, std::int32_t depth) {
    if (node.TagType() == ttRoot) {
      strList.AddLine(depth, u"<Root Size=\"" + text::DecimalText(static_cast<std::int64_t>(FBytes->size())) + u"\">");
      return;
    }
    asn::TASNTag record = node.ASNTag();
    std::uint8_t universal = record.UniversalTag();
    line.assign(u"<").append(elementName(node));
    AppendAttribute(line, u"TagClass", std::int64_t{record.TagClass});
    AppendAttribute(line, u"TagNumber", record.Tag);
    AppendAttribute(line, u"Constructed", record.Constructed ? u"True" : u"False");
    AppendAttribute(line, u"Offset", std::int64_t{record.Offset});
    AppendAttribute(line, u"HeaderLength", std::int64_t{record.HeaderLength()});
    AppendAttribute(line, u"Length", std::int64_t{record.Length});
    if (universal == asn::utBitString) AppendAttribute(line, u"UnusedBits", std::int64_t{record.UnusedBits});
    if (universal == asn::utInteger && record.Length > 4) AppendAttribute(line, u"BitLength", std::int64_t{record.BitLength});
    if (!record.OIDDescr.empty()) {
      line.append(u" Description=\"");
      AppendEscaped(line, record.OIDDescr);
      line.append(u"\"");
    }
    line.append(u">");
    strList.AddLine(depth, line);
    if (record.Value.empty()) return;
    line.clear();
    AppendEscaped(line, record.Value);
    strList.AddLine(depth + 1, line);
  };
  auto writeEnd = [&](TTag node, std::int32_t depth) {
    if (node.TagType() == ttRoot) {
      strList.AddLine(depth, u"</Root>");
      return;
    }
    line.assign(u"</").append(elementName(node)).append(u">");
    strList.AddLine(depth, line);
  };

  if (tag.TagType() == ttAttrib || tag.TagType() == ttError) return;
  // Open elements and the next element child of each; attribute and error rows
  // are not exported, so only element children are visited. The export is the
  // decoding's: it walks the element tree, which keeps the contents the rows
  // of an opaque field leave out.
  struct TFrame {
    TTag Tag;
    std::uint32_t NextChild;
  };
  auto element = [](TTag node) { return node.TagType() == ttRoot ? asn::NoElement : node.ElementIndex(); };
  std::vector<TFrame> stack;
  writeStart(tag, level);
  stack.push_back({tag, 0});
  while (!stack.empty()) {
    TFrame& top = stack.back();
    auto depth = level + static_cast<std::int32_t>(stack.size()) - 1;
    const std::uint32_t parent = element(top.Tag);
    if (top.NextChild < FElements.ChildCount(parent)) {
      TTag child = FElements.Element(FElements.Child(parent, top.NextChild++));
      writeStart(child, depth + 1);
      stack.push_back({child, 0});
      continue;
    }
    writeEnd(top.Tag, depth);
    stack.pop_back();
  }
}

}  // namespace viewer
