// bramlet-dump's modes over a loaded document: the DER check, one element's
// encoding, and the document as JSON.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "asn/der_check.h"
#include "document/document.h"

namespace app {

// The DER findings of the document: trailing data counts in raw
// binary input only, and octets after a fatal error are the error's.
std::vector<asn::TDerFinding> CheckDocument(const viewer::TDecodedDocument& document);

// Writes each top-level "Fatal error" row to err as "bramlet-dump: " and its
// text (its whole row line with rowLine), after "block 1 of 2: " where it
// stopped one of several blocks.
void WriteFatalErrors(const viewer::TDecodedDocument& document, bool rowLine, std::ostream& err);

// --check: one line per finding (element offset, rule, path or tag name,
// explanation, separated by tabs); fatal errors go to err. 0 when the
// document is valid DER, 1 otherwise.
int WriteCheck(const viewer::TDecodedDocument& document, std::ostream& out, std::ostream& err);

// --element: the whole encoding of the outermost element starting at offset,
// raw or as a PEM block; 1 (with a message to err) when no element starts there.
int WriteElement(const viewer::TDecodedDocument& document, std::int64_t offset, bool pem, std::ostream& out, std::ostream& err);

// Appends text as a JSON string, quotes included: quote, backslash and control
// characters escaped, the rest as UTF-8.
void AppendJsonString(std::string& out, std::string_view utf8);
void AppendJsonString(std::string& out, const std::u16string& text);

// --json: one object for the document, elements nested in "children", in
// document order without recursion; written out in pieces as it grows.
void WriteJson(const viewer::TDecodedDocument& document, const std::string& fileName, std::ostream& out);

}  // namespace app
