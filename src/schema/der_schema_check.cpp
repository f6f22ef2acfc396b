#include "schema/der_schema_check.h"

#include <algorithm>

#include "schema/schema_tables.h"

namespace schema {

namespace {

using Bytes = std::span<const std::uint8_t>;

// X.690 11.2.2: the zero bits a named bit list ends in, which DER leaves out;
// 0 when the last bit is set or the value is empty. contents starts with the
// unused-bits octet; malformed padding is bitstring-padding's to report.
std::uint32_t TrailingZeroBits(Bytes contents) {
  if (contents.size() < 2 || contents[0] > 7) return 0;
  std::uint32_t zeros = 0;
  for (std::size_t i = contents.size() - 1; i >= 1; --i) {
    const unsigned used = i == contents.size() - 1 ? 8u - contents[0] : 8u;
    const unsigned octet = contents[i] >> (8u - used);
    if (octet != 0) {
      unsigned low = 0;
      while ((octet >> low & 1u) == 0) ++low;
      return zeros + low;
    }
    zeros += used;
  }
  return zeros;  // no bit set: all of them should have gone
}

}  // namespace

void TSchemaDerCheck::Run(const asn::IElementTree& tree, Bytes bytes, std::vector<asn::TDerFinding>& findings) const {
  FNames.NameAll();  // every element is looked at
  if (FNames.NamedCount() == 0) return;
  for (const TNames::TDeparture& departure : FNames.Departures()) {
    const asn::TElementHeader h = tree.Header(departure.Element);
    const std::uint32_t found = TagCode(h);
    if (departure.Name == 0)
      findings.push_back({departure.Element, asn::TDerText::dtSchemaEndExpected, h.Offset, h.FullLength(),
                          {departure.WithinName, found}});
    else if (departure.Missing)
      findings.push_back({departure.Element, asn::TDerText::dtSchemaExpectedNothing, h.Offset, h.FullLength(),
                          {departure.WithinName, departure.Name, departure.Type}});
    else
      findings.push_back({departure.Element, asn::TDerText::dtSchemaExpected, h.Offset, h.FullLength(),
                          {departure.WithinName, departure.Name, departure.Type, found}});
  }
  const std::uint32_t count = tree.ElementCount();
  for (std::uint32_t e = 0; e < count; ++e) {
    const tables::TTypeNode* node = FNames.TypeNode(e);
    if (node == nullptr) continue;
    const asn::TElementHeader h = tree.Header(e);
    if (h.Offset < 0 || h.Length < 0) continue;
    const auto offset = static_cast<std::size_t>(h.Offset);
    const auto full = static_cast<std::size_t>(h.FullLength());
    if (offset + full > bytes.size()) continue;  // cut short: the walk reports it
    if (node->DefaultLength != 0 && full == node->DefaultLength &&
        std::equal(bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                   bytes.begin() + static_cast<std::ptrdiff_t>(offset + full), tables::DefaultOctets + node->Default))
      findings.push_back({e, asn::TDerText::dtDefaultEncoded, h.Offset, h.FullLength()});
    if (node->NamedBits != 0 && !h.Constructed) {
      const Bytes contents = bytes.subspan(offset + static_cast<std::size_t>(h.HeaderLength()),
                                           static_cast<std::size_t>(h.Length));
      const std::uint32_t zeros = TrailingZeroBits(contents);
      if (zeros != 0)
        findings.push_back({e, asn::TDerText::dtNamedBitsTrailingZero, h.Offset + h.HeaderLength(), h.Length,
                            {0, zeros}});
    }
  }
}

std::uint8_t TDerTyping::ImplicitUniversal(std::uint32_t element) const {
  const tables::TTypeNode* node = FNames.TypeNode(element);
  if (node == nullptr || node->Kind != kPrimitive || node->Universal == 0) return asn::utNone;
  return node->Universal;
}

asn::IDerTyping::TSetKind TDerTyping::SetKind(std::uint32_t element) const {
  const tables::TTypeNode* node = FNames.TypeNode(element);
  if (node == nullptr) return TSetKind::skNone;
  if (node->Kind == kSet) return TSetKind::skSet;
  if (node->Kind == kSetOf) return TSetKind::skSetOf;
  return TSetKind::skNone;
}

}  // namespace schema
