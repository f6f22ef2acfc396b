// Wording a DER finding: its text from the table, each number written as the
// text's row in the checks' table says.
#include "document/der_text.h"

#include <vector>

#include "document/document.h"
#include "schema/names.h"
#include "text/ascii.h"

namespace viewer {

namespace {

std::u16string Widen(std::string_view ascii) { return std::u16string(ascii.begin(), ascii.end()); }

std::u16string UniversalName(std::uint32_t number) {
  asn::TASNTag tag;
  tag.TagNumber = number;
  tag.Tag = text::DecimalText(number);
  return tag.GetTagName();
}

// The element's own tag name, for a field the names do not reach.
std::u16string ElementName(const TDecodedDocument& document, std::uint32_t element) {
  if (element == asn::NoElement) return {};
  return document.Elements().Element(element).Name();
}

std::u16string Argument(const TDecodedDocument& document, const asn::TDerFinding& finding, asn::TDerArg kind,
                        std::uint32_t number) {
  std::u16string out;
  switch (kind) {
    case asn::TDerArg::daNone:
      break;
    case asn::TDerArg::daDecimal:
      text::AppendDecimal(out, number);
      break;
    case asn::TDerArg::daOctet:
      text::AppendHex(out, number, 2);
      break;
    case asn::TDerArg::daCodePoint:
      text::AppendHex(out, number, 4);
      break;
    case asn::TDerArg::daTagName:
      out = UniversalName(number);
      break;
    case asn::TDerArg::daFieldName:
      if (finding.Element != asn::NoElement) out = Widen(document.Names().FieldName(finding.Element));
      if (out.empty()) out = ElementName(document, finding.Element);
      break;
    case asn::TDerArg::daFieldLabel:
      if (finding.Element != asn::NoElement) out = Widen(document.Names().Label(finding.Element));
      if (out.empty()) out = ElementName(document, finding.Element);
      break;
    case asn::TDerArg::daSchemaWord:
      out = Widen(schema::SchemaWord(number));
      break;
    case asn::TDerArg::daSchemaType:
      out = Widen(schema::ExpectedText(number));
      break;
    case asn::TDerArg::daTag:
      out = Widen(schema::TagText(number));
      break;
  }
  return out;
}

}  // namespace

std::u16string DerExplanation(const TDecodedDocument& document, const asn::TDerFinding& finding, TTextById text) {
  const asn::TDerTextInfo& info = asn::DerTextInfo(finding.Text);
  std::vector<std::u16string> values;
  bool many = false;
  for (std::size_t i = 0; i < std::size(info.Args); ++i) {
    values.push_back(Argument(document, finding, info.Args[i], finding.Numbers[i]));
    if (info.Args[i] == asn::TDerArg::daDecimal) many = finding.Numbers[i] != 1;
  }
  const int id = many && info.ManyTextId != 0 ? info.ManyTextId : info.TextId;
  return text::Placeholders(text(id), values);
}

std::u16string CountedText(std::size_t count, int oneId, int manyId, TTextById text) {
  const std::u16string number = text::DecimalText(static_cast<std::int64_t>(count));
  return text::Placeholders(text(count == 1 ? oneId : manyId), std::span(&number, 1));
}

}  // namespace viewer
