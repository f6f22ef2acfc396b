// bramlet-dump --diff.
#include "app/dump_diff.h"

#include <string>

#include "app/dump_check.h"
#include "app/dump_printer.h"
#include "document/compare.h"

namespace app {

namespace {

// The output is handed to the stream in pieces of about this size.
constexpr std::size_t FlushSize = 1 << 20;

const char* KindMark(viewer::TDiffKind kind) {
  switch (kind) {
    case viewer::TDiffKind::dkRemoved:
      return "-";
    case viewer::TDiffKind::dkAdded:
      return "+";
    case viewer::TDiffKind::dkChanged:
      return "~";
    case viewer::TDiffKind::dkEncoding:
      return "#";
  }
  return "?";
}

// The facts of one line: the offsets (-1 where absent), the path and the texts.
struct TLine {
  std::int32_t OffsetA = -1;
  std::int32_t OffsetB = -1;
  std::string Path;
  std::u16string Text;   // the row, or A's value for ~
  std::u16string TextB;  // B's value for ~
};

TLine LineOf(const viewer::TDecodedDocument& a, const viewer::TDecodedDocument& b, const viewer::TDifference& d) {
  TLine line;
  if (d.ElementA != asn::NoElement) line.OffsetA = a.Elements().Header(d.ElementA).Offset;
  if (d.ElementB != asn::NoElement) line.OffsetB = b.Elements().Header(d.ElementB).Offset;
  // A's path wherever A has the element.
  const bool inA = d.ElementA != asn::NoElement;
  const viewer::TDecodedDocument& side = inA ? a : b;
  const std::uint32_t element = inA ? d.ElementA : d.ElementB;
  line.Path = viewer::ElementPath(side, element);
  if (d.Kind == viewer::TDiffKind::dkChanged) {
    line.Text = viewer::ComparedValue(a, d.ElementA);
    line.TextB = viewer::ComparedValue(b, d.ElementB);
  } else {
    line.Text = side.RowText(side.Elements().Element(element));
  }
  return line;
}

void AppendOffset(std::string& out, std::int32_t offset) {
  if (offset < 0) out.push_back('-');
  else out += std::to_string(offset);
}

void AppendTextLine(std::string& out, viewer::TDiffKind kind, const TLine& line) {
  out += KindMark(kind);
  out.push_back('\t');
  AppendOffset(out, line.OffsetA);
  out.push_back('\t');
  AppendOffset(out, line.OffsetB);
  out.push_back('\t');
  out += line.Path;
  out.push_back('\t');
  AppendShown(out, line.Text);
  if (kind == viewer::TDiffKind::dkChanged) {
    out.push_back('\t');
    AppendShown(out, line.TextB);
  }
  out.push_back('\n');
}

void AppendJsonOffset(std::string& out, std::int32_t offset) {
  if (offset < 0) out += "null";
  else out += std::to_string(offset);
}

void AppendJsonLine(std::string& out, viewer::TDiffKind kind, const TLine& line) {
  out += "{\"kind\":\"";
  out += KindMark(kind);
  out += "\",\"offsetA\":";
  AppendJsonOffset(out, line.OffsetA);
  out += ",\"offsetB\":";
  AppendJsonOffset(out, line.OffsetB);
  out += ",\"path\":";
  AppendJsonString(out, std::string_view(line.Path));
  if (kind == viewer::TDiffKind::dkChanged) {
    out += ",\"textA\":";
    AppendJsonString(out, line.Text);
    out += ",\"textB\":";
    AppendJsonString(out, line.TextB);
  } else {
    out += ",\"text\":";
    AppendJsonString(out, line.Text);
  }
  out.push_back('}');
}

}  // namespace

int WriteDiff(const viewer::TDecodedDocument& a, const viewer::TDecodedDocument& b, bool encodings, bool json,
              std::ostream& out) {
  viewer::TCompareOptions options;
  options.Encodings = encodings;
  const std::vector<viewer::TDifference> differences = viewer::CompareDocuments(a, b, options);
  std::string text = json ? "[" : "";
  bool differ = false;
  for (std::size_t i = 0; i < differences.size(); ++i) {
    const viewer::TDifference& d = differences[i];
    differ = differ || d.Kind != viewer::TDiffKind::dkEncoding;
    const TLine line = LineOf(a, b, d);
    if (json) {
      text += i == 0 ? "\n" : ",\n";
      AppendJsonLine(text, d.Kind, line);
    } else {
      AppendTextLine(text, d.Kind, line);
    }
    if (text.size() < FlushSize) continue;
    out << text;
    text.clear();
  }
  if (json) text += "]\n";
  out << text;
  return differ ? 1 : 0;
}

}  // namespace app
