// The DER checks on the contents octets of one primitive element.
#pragma once

#include <cstdint>
#include <array>
#include <optional>
#include <span>

#include "asn/der_check.h"

namespace asn {

struct TValueFault {
  std::optional<TDerText> Text;  // none: the contents are sound DER
  std::int32_t Offset = 0;       // the octets at fault, from the contents' first octet
  std::int32_t Length = 0;
  std::array<std::uint32_t, 4> Numbers{};  // what the text says
};

// The first DER fault of the contents of a primitive element of universal type
// u (TUniversalTag); types without contents rules always pass.
TValueFault CheckValue(std::uint8_t u, std::span<const std::uint8_t> contents);

}  // namespace asn
