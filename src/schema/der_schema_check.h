// The DER rules that need the schema: a named bit list (keyUsage) must not end
// in zero bits, and a field must not be encoded with its DEFAULT value. They
// look only at the elements the field names reached.
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

}  // namespace schema
