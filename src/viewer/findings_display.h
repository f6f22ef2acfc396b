// The DER checks' findings as the viewer shows them: the problem rows under the
// elements at fault, the status bar's verdict and where Next problem goes. Works
// on the document's findings; the window maps its rows and focuses.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "asn/der_check.h"
#include "document/tag.h"

namespace viewer {

class TDecodedDocument;

class TFindingsDisplay {
 public:
  // doc must outlive the display.
  explicit TFindingsDisplay(const TDecodedDocument& doc) : FDoc(doc) {}

  // The finding the tree child at index of parent's row shows, or null when
  // that child is no problem row: an element's problem rows follow all its
  // other child rows, one a finding.
  const asn::TDerFinding* ProblemAt(TTag parent, std::uint32_t index) const;
  // "DER", "BER (6 indefinite lengths)" or "3 DER problems" in the language in
  // effect; empty with the checks off and while they are still to run.
  std::u16string StatusText() const;
  // A problem row's caption, and its value: what is wrong, in the language in effect.
  static std::u16string Caption() { return u"DER:"; }
  std::u16string Explanation(const asn::TDerFinding& finding) const;

  // The element Next problem goes to from current (asn::NoElement: none): the
  // first after it with a finding, wrapping round; asn::NoElement when no
  // finding is an element's. findings are in document order.
  static std::uint32_t NextProblemElement(std::span<const asn::TDerFinding> findings, std::uint32_t current);

 private:
  const TDecodedDocument& FDoc;
};

}  // namespace viewer
