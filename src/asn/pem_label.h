// The PEM label for an element's encoding, from the shape of the structure it
// holds: CERTIFICATE, X509 CRL, CERTIFICATE REQUEST, PKCS7, PRIVATE KEY, ...
#pragma once

#include <cstdint>
#include <span>

#include "asn/element_tree.h"

namespace asn {

// The label of the structure element holds, recognised by its outline (the
// classes, tags and counts of its first two levels, and the OID of a
// PKCS#7 content type); "ASN1 DATA" for anything else.
const char* PemLabel(const IElementTree& tree, std::span<const std::uint8_t> bytes, std::uint32_t element);

}  // namespace asn
