// The DER rules that need the schema: a named bit list (keyUsage) must not end
// in zero bits, a field must not be encoded with its DEFAULT value, and a
// document given its type by evidence must fit it. They look only at the
// elements the field names reached. The typing also tells the encoding's rules
// what a tag hides: the type under an IMPLICIT tag, a SET OF under any tag,
// octets that hold no DER.
#pragma once

#include "asn/der_check.h"
#include "schema/names.h"

namespace schema {

class TSchemaDerCheck final : public asn::IDerCheck {
 public:
  // names must have been built over the tree the check runs on, and outlive it.
  explicit TSchemaDerCheck(const TNames& names) : FNames(names) {}
  void Run(const asn::IElementTree& tree, std::span<const std::uint8_t> bytes,
           std::vector<asn::TDerFinding>& findings) const override;

 private:
  const TNames& FNames;
};

class TDerTyping final : public asn::IDerTyping {
 public:
  // names must have been built over the tree the checks run on, and outlive
  // them. Every element will be asked about: they are named in one go, not
  // item by item as the checks reach them.
  explicit TDerTyping(const TNames& names) : FNames(names) { FNames.NameAll(); }
  std::uint8_t ImplicitUniversal(std::uint32_t element) const override;
  bool IsOpaque(std::uint32_t element) const override { return FNames.IsOpaque(element); }
  TSetKind SetKind(std::uint32_t element) const override;

 private:
  const TNames& FNames;
};

}  // namespace schema
