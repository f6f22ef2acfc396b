// bramlet-dump --check, --element and --json.
#include "app/dump_check.h"

#include "app/dump_names.h"
#include "app/dump_printer.h"
#include "asn/utf.h"
#include "document/der_text.h"
#include "document/document_text.h"
#include "schema/names.h"
#include "settings/lang.h"
#include "text/ascii.h"
#include "text/base64.h"

namespace app {

namespace {

// The JSON output is handed to the stream in pieces of about this size.
constexpr std::size_t JsonFlushSize = 1 << 20;

// What a finding's line calls the element: its path, or its tag name when it has none.
std::string ElementName(const viewer::TDecodedDocument& document, std::uint32_t element) {
  const viewer::TTag tag = document.Elements().Element(element);
  std::string name;
  AppendShown(name, document.FieldPath(tag));
  if (name.empty()) AppendShown(name, tag.Name());
  return name;
}

}  // namespace

void AppendJsonString(std::string& out, std::string_view utf8) {
  out.push_back('"');
  for (char c : utf8) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out.push_back('\\');
      out.push_back(c);
    } else if (u < 0x20) {
      const char escaped[6] = {'\\', 'u', '0', '0', static_cast<char>(text::UpperHexDigit(u >> 4)),
                               static_cast<char>(text::UpperHexDigit(u & 15))};
      out.append(escaped, 6);
    } else {
      out.push_back(c);
    }
  }
  out.push_back('"');
}

void AppendJsonString(std::string& out, const std::u16string& text) { AppendJsonString(out, asn::Utf16ToUtf8(text)); }

namespace {

// "DER: " and what the finding says is wrong, in the built-in English.
std::string Explanation(const viewer::TDecodedDocument& document, const asn::TDerFinding& f) {
  return "DER: " + asn::Utf16ToUtf8(viewer::DerExplanation(document, f, settings::EnglishTextById));
}

void AppendFinding(std::string& out, const viewer::TDecodedDocument& document, const asn::TDerFinding& f) {
  out += "{\"rule\":";
  AppendJsonString(out, asn::DerRuleId(f.Rule()));
  out += ",\"offset\":" + std::to_string(f.Offset) + ",\"length\":" + std::to_string(f.Length) + ",\"explanation\":";
  AppendJsonString(out, Explanation(document, f));
  out += "}";
}

const char* ClassName(asn::TASN1TagClasses c) {
  switch (c) {
    case asn::ASN1Universal:
      return "universal";
    case asn::ASN1Application:
      return "application";
    case asn::ASN1ContextSpecific:
      return "context";
    case asn::ASN1Private:
      return "private";
  }
  return "";
}

// The element's own members, up to and including its findings.
void AppendElement(std::string& out, const viewer::TDecodedDocument& document, std::uint32_t element,
                   std::string_view path, std::span<const asn::TDerFinding> findings) {
  const viewer::TDocument& doc = document.Elements();
  const asn::TASNTag tag = doc.Element(element).ASNTag();
  out += "{\"offset\":" + std::to_string(tag.Offset) + ",\"header\":" + std::to_string(tag.HeaderLength()) +
         ",\"length\":" + std::to_string(tag.Length) + ",\"tag\":";
  AppendJsonString(out, tag.GetTagName());
  out += ",\"class\":\"";
  out += ClassName(tag.TagClass);
  out += "\",\"number\":";
  AppendJsonString(out, tag.Tag);
  out += tag.Constructed ? ",\"constructed\":true" : ",\"constructed\":false";
  // Octets whose type says they hold no DER (named bits, a signature) encapsulate nothing.
  if (tag.Encapsulates && !doc.ContentsHidden(element)) out += ",\"encapsulates\":true";
  out += ",\"path\":";
  AppendJsonString(out, path);
  if (!tag.Constructed && !tag.Encapsulates) {
    out += ",\"value\":";
    AppendJsonString(out, doc.Element(element).Text());
  }
  // With field names: the value as the element's type reads it, where that says more than its tag.
  if (document.TypedValue(doc.Element(element)) != nullptr) {
    out += ",\"typedValue\":";
    AppendJsonString(out, document.ValueText(doc.Element(element)));
  }
  if (!tag.Error.empty()) {
    out += ",\"error\":";
    AppendJsonString(out, tag.Error);
  }
  out += ",\"findings\":[";
  for (std::size_t i = 0; i < findings.size(); ++i) {
    if (i != 0) out.push_back(',');
    AppendFinding(out, document, findings[i]);
  }
  out += "]";
}

// Valid DER: at least one element, the whole input decoded, and no finding.
// An input that holds no document (an empty file) is not.
bool IsValidDer(const viewer::TDecodedDocument& document, const std::vector<asn::TDerFinding>& findings) {
  return document.Elements().ElementCount() > 0 && findings.empty() && !document.HasFatalError();
}

}  // namespace

void WriteFatalErrors(const viewer::TDecodedDocument& document, bool rowLine, std::ostream& err) {
  const viewer::TDocument& doc = document.Elements();
  for (std::int32_t i = 0; i < doc.RootErrorCount(); ++i) {
    const viewer::TTag row = doc.RootError(i);
    std::string line = "bramlet-dump: ";
    if (const std::int32_t block = document.FailedBlock(i); block >= 0)
      line += "block " + std::to_string(block + 1) + " of " + std::to_string(document.BlockCount()) + ": ";
    line += asn::Utf16ToUtf8(rowLine ? viewer::RowLine(row) : row.Text());
    err << line << '\n';
  }
}

std::vector<asn::TDerFinding> CheckDocument(const viewer::TDecodedDocument& document) {
  return document.CheckDer();
}

int WriteCheck(const viewer::TDecodedDocument& document, std::ostream& out, std::ostream& err) {
  const viewer::TDocument& doc = document.Elements();
  const std::vector<asn::TDerFinding> findings = CheckDocument(document);
  std::string lines;
  for (const asn::TDerFinding& f : findings) {
    const bool onElement = f.Element != asn::NoElement;
    lines += std::to_string(onElement ? doc.Header(f.Element).Offset : f.Offset);
    lines += '\t';
    lines += asn::DerRuleId(f.Rule());
    lines += '\t';
    if (onElement) lines += ElementName(document, f.Element);
    else lines += '-';
    lines += '\t';
    lines += Explanation(document, f);
    lines += '\n';
  }
  out << lines;
  if (document.HasFatalError()) {
    out.flush();
    WriteFatalErrors(document, /*rowLine=*/false, err);
  }
  return IsValidDer(document, findings) ? 0 : 1;
}

int WriteElement(const viewer::TDecodedDocument& document, std::int64_t offset, bool pem, std::ostream& out, std::ostream& err) {
  const viewer::TDocument& doc = document.Elements();
  const std::uint32_t count = doc.ElementCount();
  for (std::uint32_t e = 0; e < count; ++e) {
    const asn::TElementHeader h = doc.Header(e);
    if (h.Offset != offset) continue;
    const std::span<const std::uint8_t> encoding =
        std::span<const std::uint8_t>(*document.Bytes())
            .subspan(static_cast<std::size_t>(h.Offset), static_cast<std::size_t>(h.FullLength()));
    if (pem) {
      out << text::PemBlock(schema::PemLabel(doc, *document.Bytes(), e, document.PemLabel()), encoding);
    } else {
      out.write(reinterpret_cast<const char*>(encoding.data()), static_cast<std::streamsize>(encoding.size()));
    }
    return 0;
  }
  err << "bramlet-dump: no element starts at offset " << offset << '\n';
  return 1;
}

void WriteJson(const viewer::TDecodedDocument& document, const std::string& fileName, std::ostream& out) {
  const viewer::TDocument& doc = document.Elements();
  const std::vector<asn::TDerFinding> findings = CheckDocument(document);
  std::string json = "{\"file\":";
  AppendJsonString(json, fileName);
  json += ",\"bytes\":" + std::to_string(document.Bytes()->size());
  json += document.FromBase64() ? ",\"base64\":true" : ",\"base64\":false";
  json += IsValidDer(document, findings) ? ",\"der\":true" : ",\"der\":false";
  json += ",\"elements\":[";

  // Open elements with children, innermost last; each level's next member
  // needs a comma when one was written before it.
  std::vector<std::uint32_t> open;
  TPathWalk paths(document);
  bool needComma = false;
  std::size_t nextFinding = 0;
  const std::uint32_t count = doc.ElementCount();
  for (std::uint32_t e = 0; e < count; ++e) {
    const std::uint32_t parent = doc.Parent(e);
    while (!open.empty() && open.back() != parent) {
      json += "]}";
      open.pop_back();
      needComma = true;
    }
    if (needComma) json.push_back(',');
    const std::size_t first = nextFinding;
    while (nextFinding < findings.size() && findings[nextFinding].Element == e) ++nextFinding;
    AppendElement(json, document, e, paths.Next(e), std::span(findings).subspan(first, nextFinding - first));
    if (doc.ContentsHidden(e)) {
      json += "}";
      needComma = true;
      e = doc.SubtreeEnd(e) - 1;
    } else if (doc.ChildCount(e) > 0) {
      json += ",\"children\":[";
      open.push_back(e);
      needComma = false;
    } else {
      json += "}";
      needComma = true;
    }
    if (json.size() < JsonFlushSize) continue;
    out << json;
    json.clear();
  }
  for (; !open.empty(); open.pop_back()) json += "]}";
  json += "],\"findings\":[";
  for (std::size_t i = nextFinding; i < findings.size(); ++i) {
    if (i != nextFinding) json.push_back(',');
    AppendFinding(json, document, findings[i]);
  }
  json += "],\"errors\":[";
  const viewer::TTag root = document.Root();
  bool firstError = true;
  for (std::int32_t i = root.TagChildsStart(); i < root.ChildsCount(); ++i) {
    const viewer::TTag row = root.Childs(i);
    if (row.TagType() != viewer::ttError) continue;
    if (!firstError) json.push_back(',');
    firstError = false;
    json += "{\"offset\":" + std::to_string(row.Offset()) + ",\"message\":";
    AppendJsonString(json, row.Text());
    json += "}";
  }
  json += "]}\n";
  out << json;
}

}  // namespace app
