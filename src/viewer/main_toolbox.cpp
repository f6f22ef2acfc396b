// The element toolbox, core side: the encoding of the focused row's element
// copied as Base64, PEM or a C array.
#include <cstdio>

#include "asn/pem_label.h"
#include "text/base64.h"
#include "viewer/main.h"

namespace viewer {

namespace {

// Octets per line of a C array.
constexpr std::size_t CArrayColumns = 12;

std::u16string Widened(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

}  // namespace

TTag TMainForm::ElementOfRow(TNodeId node) const {
  // Attribute, error and problem rows stand for the element they belong to.
  for (; node != NoNode; node = FTreeVT.Parent(node)) {
    const TTag tag = GetTag(node);
    if (tag.IsValid() && tag.TagType() == ttNode) return tag;
    if (tag.IsValid() && tag.TagType() == ttError && FTreeVT.Parent(node) == NoNode) return {};
  }
  return {};
}

void TMainForm::CopyAsBase64() {
  const TTag element = ElementOfRow(FTreeVT.FocusedNode());
  if (!element.IsValid()) return;
  WriteClipboard(Widened(text::EncodeBase64(ElementEncoding(element))));
}

void TMainForm::CopyAsPem() {
  const TTag element = ElementOfRow(FTreeVT.FocusedNode());
  if (!element.IsValid()) return;
  const char* label = asn::PemLabel(FDoc->Elements(), *Bytes(), element.ElementIndex());
  WriteClipboard(Widened(text::PemBlock(label, ElementEncoding(element))));
}

void TMainForm::CopyAsCArray() {
  const TTag element = ElementOfRow(FTreeVT.FocusedNode());
  if (!element.IsValid()) return;
  const std::span<const std::uint8_t> encoding = ElementEncoding(element);
  std::string out = "const unsigned char element[" + std::to_string(encoding.size()) + "] = {";
  for (std::size_t i = 0; i < encoding.size(); ++i) {
    out += i % CArrayColumns == 0 ? "\n    " : " ";
    char octet[8];
    std::snprintf(octet, sizeof octet, "0x%02X,", encoding[i]);
    out += octet;
  }
  out += "\n};\n";
  WriteClipboard(Widened(out));
}

}  // namespace viewer
