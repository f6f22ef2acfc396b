// The DER checks in the viewer: running them over each decoded document, the
// problem rows under the elements at fault, the status panel and Next problem.
#include <algorithm>

#include "schema/der_schema_check.h"
#include "text/ascii.h"
#include "viewer/main.h"

namespace viewer {

namespace {

// Every finding is of this rule: the encoding is BER, streamed.
bool OnlyIndefiniteLengths(std::span<const asn::TDerFinding> findings) {
  return std::all_of(findings.begin(), findings.end(),
                     [](const asn::TDerFinding& f) { return f.Rule == asn::TDerRule::drIndefiniteLength; });
}

std::u16string Counted(std::size_t count, std::u16string_view one, std::u16string_view many) {
  return text::DecimalText(static_cast<std::int64_t>(count)) + u" " + std::u16string(count == 1 ? one : many);
}

}  // namespace

void TMainForm::RunDerChecks() {
  FDerFindings.clear();
  if (!Settings.DerChecks) return;
  asn::TDerOptions options;
  options.RawFile = !FromBase64 && !FromClipboard;
  const TTag root = Root();
  const std::int32_t rows = root.ChildsCount();
  if (rows > 0 && root.Childs(rows - 1).TagType() == ttError) options.FatalOffset = std::max(0, root.Childs(rows - 1).Offset());
  // The rules that need the schema see the names built with the document.
  const schema::TSchemaDerCheck schemaCheck(FNames);
  const asn::IDerCheck* const extra[] = {&schemaCheck};
  options.Extra = extra;
  FDerFindings = asn::CheckDer(FDocument, *Bytes, options);
}

std::span<const asn::TDerFinding> TMainForm::FindingsOf(TTag tag) const {
  if (FDerFindings.empty() || !tag.IsValid() || tag.TagType() != ttNode) return {};
  const std::uint32_t element = tag.ElementIndex();
  auto byElement = [](const asn::TDerFinding& f, std::uint32_t e) { return f.Element < e; };
  auto first = std::lower_bound(FDerFindings.begin(), FDerFindings.end(), element, byElement);
  auto last = first;
  while (last != FDerFindings.end() && last->Element == element) ++last;
  return {first, last};
}

const asn::TDerFinding* TMainForm::ProblemAt(TNodeId node) const {
  if (FDerFindings.empty() || !TreeVT.Exists(node)) return nullptr;
  const TTag parent = FDocument.TagByKey(TreeVT.SiblingData(node));
  const std::int32_t index = static_cast<std::int32_t>(TreeVT.Index(node)) - parent.ChildsCount();
  if (index < 0) return nullptr;
  const std::span<const asn::TDerFinding> findings = FindingsOf(parent);
  return static_cast<std::size_t>(index) < findings.size() ? &findings[static_cast<std::size_t>(index)] : nullptr;
}

std::u16string TMainForm::DerStatusText() const {
  const TTag root = Root();
  const std::int32_t rows = root.ChildsCount();
  if (!Settings.DerChecks || rows == 0) return {};
  // Decoding stopped at a malformed header.
  if (root.Childs(rows - 1).TagType() == ttError) return u"Not BER";
  if (FDerFindings.empty()) return u"DER";
  if (OnlyIndefiniteLengths(FDerFindings))
    return u"BER (" + Counted(FDerFindings.size(), u"indefinite length", u"indefinite lengths") + u")";
  return Counted(FDerFindings.size(), u"DER problem", u"DER problems");
}

std::u16string TMainForm::ProblemRowText(const asn::TDerFinding& finding, TTextType textType) {
  if (textType == TTextType::ttNormal) return u"DER:";
  std::string_view explanation = finding.Explanation;
  if (explanation.rfind("DER: ", 0) == 0) explanation.remove_prefix(5);
  return std::u16string(explanation.begin(), explanation.end());
}

void TMainForm::NextProblem() {
  // The element of the focused row: the row itself, or the element an
  // attribute, error or problem row belongs to.
  std::uint32_t current = asn::NoElement;
  for (TNodeId node = TreeVT.FocusedNode(); node != NoNode; node = TreeVT.Parent(node)) {
    const TTag tag = GetTag(node);
    if (!tag.IsValid() || tag.TagType() != ttNode) continue;
    current = tag.ElementIndex();
    break;
  }
  auto after = [&](const asn::TDerFinding& f) {
    return f.Element != asn::NoElement && (current == asn::NoElement || f.Element > current);
  };
  auto next = std::find_if(FDerFindings.begin(), FDerFindings.end(), after);
  if (next == FDerFindings.end())
    next = std::find_if(FDerFindings.begin(), FDerFindings.end(),
                        [](const asn::TDerFinding& f) { return f.Element != asn::NoElement; });
  if (next == FDerFindings.end()) {
    Platform.Host.Beep();
    return;
  }
  // The element's own first octet: no element nested in it starts there.
  GetNodeByOffset(FDocument.Header(next->Element).Offset);
}

}  // namespace viewer
