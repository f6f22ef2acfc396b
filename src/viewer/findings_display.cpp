// The DER checks' findings in the views: problem rows, the verdict, Next problem.
#include "viewer/findings_display.h"

#include <algorithm>

#include "settings/lang.h"
#include "document/der_text.h"
#include "document/document.h"

namespace viewer {

const asn::TDerFinding* TFindingsDisplay::ProblemAt(TTag parent, std::uint32_t index) const {
  if (FDoc.DerFindings().empty() || index < static_cast<std::uint32_t>(std::max(0, parent.ChildsCount())))
    return nullptr;
  const std::span<const asn::TDerFinding> findings = FDoc.FindingsOf(parent);
  const std::size_t problem = index - static_cast<std::uint32_t>(parent.ChildsCount());
  return problem < findings.size() ? &findings[problem] : nullptr;
}

std::u16string TFindingsDisplay::StatusText() const { return FDoc.DerStatusText(settings::GetLangTextById); }

std::u16string TFindingsDisplay::Explanation(const asn::TDerFinding& finding) const {
  return DerExplanation(FDoc, finding, settings::GetLangTextById);
}

std::uint32_t TFindingsDisplay::NextProblemElement(std::span<const asn::TDerFinding> findings, std::uint32_t current) {
  auto after = [&](const asn::TDerFinding& f) {
    return f.Element != asn::NoElement && (current == asn::NoElement || f.Element > current);
  };
  auto next = std::find_if(findings.begin(), findings.end(), after);
  if (next == findings.end())
    next = std::find_if(findings.begin(), findings.end(),
                        [](const asn::TDerFinding& f) { return f.Element != asn::NoElement; });
  return next == findings.end() ? asn::NoElement : next->Element;
}

}  // namespace viewer
