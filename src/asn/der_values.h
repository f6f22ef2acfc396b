// The DER checks on the contents octets of one primitive element.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "asn/der_check.h"

namespace asn {

struct TValueFault {
  std::optional<TDerRule> Rule;  // none: the contents are sound DER
  std::int32_t Offset = 0;       // the octets at fault, from the contents' first octet
  std::int32_t Length = 0;
  std::string Explanation;
};

// The first DER fault of the contents of a primitive element of universal type
// u (TUniversalTag); types without contents rules always pass.
TValueFault CheckValue(std::uint8_t u, std::span<const std::uint8_t> contents);

}  // namespace asn
