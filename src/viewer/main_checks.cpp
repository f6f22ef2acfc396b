// The DER checks in the viewer: the problem rows under the elements at fault
// and Next problem.
#include <algorithm>

#include "document/der_text.h"
#include "settings/lang.h"
#include "viewer/main.h"

namespace viewer {

const asn::TDerFinding* TMainForm::ProblemAt(TNodeId node) const {
  if (FDoc->DerFindings().empty() || !FTreeVT.Exists(node)) return nullptr;
  const TTag parent = FDoc->Elements().TagByKey(FTreeVT.SiblingData(node));
  const std::int32_t index = static_cast<std::int32_t>(FTreeVT.Index(node)) - parent.ChildsCount();
  if (index < 0) return nullptr;
  const std::span<const asn::TDerFinding> findings = FindingsOf(parent);
  return static_cast<std::size_t>(index) < findings.size() ? &findings[static_cast<std::size_t>(index)] : nullptr;
}

std::u16string TMainForm::ProblemRowText(const asn::TDerFinding& finding, TTextType textType) const {
  if (textType == TTextType::ttNormal) return u"DER:";
  return DerExplanation(*FDoc, finding, settings::GetLangTextById);
}

void TMainForm::NextProblem() {
  const std::vector<asn::TDerFinding>& findings = DerFindings();
  // The element of the focused row: the row itself, or the element an
  // attribute, error or problem row belongs to.
  std::uint32_t current = asn::NoElement;
  for (TNodeId node = FTreeVT.FocusedNode(); node != NoNode; node = FTreeVT.Parent(node)) {
    const TTag tag = GetTag(node);
    if (!tag.IsValid() || tag.TagType() != ttNode) continue;
    current = tag.ElementIndex();
    break;
  }
  auto after = [&](const asn::TDerFinding& f) {
    return f.Element != asn::NoElement && (current == asn::NoElement || f.Element > current);
  };
  auto next = std::find_if(findings.begin(), findings.end(), after);
  if (next == findings.end())
    next = std::find_if(findings.begin(), findings.end(),
                        [](const asn::TDerFinding& f) { return f.Element != asn::NoElement; });
  if (next == findings.end()) {
    FPlatform.Host.Beep();
    return;
  }
  // The element's own first octet: no element nested in it starts there.
  GetNodeByOffset(FDoc->Elements().Header(next->Element).Offset);
}

}  // namespace viewer
