// A DER finding in words, from a table of texts by id: the viewer passes the
// language in effect, bramlet-dump the built-in English.
#pragma once

#include <string>

#include "asn/der_check.h"
#include "document/options.h"

namespace viewer {

class TDecodedDocument;

// What the finding says is wrong ("length 5 written in 2 octets"): its text
// with its numbers filled in, and the element's field name or label where the
// text names one (its tag name when it has none).
std::u16string DerExplanation(const TDecodedDocument& document, const asn::TDerFinding& finding, TTextById text);

// The text of oneId with count in it, or of manyId when count is not 1.
std::u16string CountedText(std::size_t count, int oneId, int manyId, TTextById text);

}  // namespace viewer
