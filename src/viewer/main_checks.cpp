// The DER checks in the window: its rows and the status bar asked of the
// findings display (findings_display.h), and Next problem focused.
#include "viewer/findings_display.h"
#include "viewer/main.h"

namespace viewer {

const asn::TDerFinding* TMainForm::ProblemAt(TNodeId node) const {
  if (FDoc->DerFindings().empty() || !FTreeVT.Exists(node)) return nullptr;
  const TTag parent = FDoc->Elements().TagByKey(FTreeVT.SiblingData(node));
  const TRowPlace place = PlaceOf(node);
  return place.Ghost ? nullptr : TFindingsDisplay(*FDoc).ProblemAt(parent, place.Index);
}

std::u16string TMainForm::DerStatusText() const { return TFindingsDisplay(*FDoc).StatusText(); }

std::u16string TMainForm::ProblemRowText(const asn::TDerFinding& finding, TTextType textType) const {
  if (textType == TTextType::ttNormal) return TFindingsDisplay::Caption();
  return TFindingsDisplay(*FDoc).Explanation(finding);
}

void TMainForm::NextProblem() {
  const std::vector<asn::TDerFinding>& findings = DerFindings();
  const TTag current = ElementOfRow(FTreeVT.FocusedNode());
  const std::uint32_t next =
      TFindingsDisplay::NextProblemElement(findings, current.IsValid() ? current.ElementIndex() : asn::NoElement);
  if (next == asn::NoElement) {
    FPlatform.Host.Beep();
    return;
  }
  // The element's own first octet: no element nested in it starts there.
  GetNodeByOffset(FDoc->Elements().Header(next).Offset);
}

}  // namespace viewer
