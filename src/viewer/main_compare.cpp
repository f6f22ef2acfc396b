// Comparing with another file in the window: the file asked for and read, the
// comparison run as idle work (comparison.h), its rows mapped among the
// document's, and the differences focused in turn.
#include "settings/lang.h"
#include "text/ascii.h"
#include "viewer/main.h"

namespace viewer {

namespace {

constexpr int CompareWithText = 130;   // "Compare with..."
constexpr int AllFilesText = 302;      // "All files"
constexpr int NoDataText = 705;        // "%0 holds no ASN.1 data to compare with."

std::u16string FilePart(const std::u16string& path) { return path.substr(path.find_last_of(u"/\\") + 1); }

}  // namespace

void TMainForm::CompareWith() {
  const std::optional<std::u16string> chosen = FPlatform.Dialogs.OpenFileDialog(
      settings::GetLangTextById(AllFilesText) + u" (*.*)|*.*", settings::GetLangTextById(CompareWithText));
  if (!chosen) return;
  std::unique_ptr<TDecodedDocument> other = MakeDocument();
  other->OnClear = nullptr;  // its clearing is no business of the views
  other->SetFileName(*chosen);
  {
    platform::TBusyCursor busy(FPlatform.Host);
    other->LoadFile();  // a file that cannot be read throws, reported as the command's failure
  }
  if (other->Root().GetTagChildsCount() == 0) {
    const std::u16string name = FilePart(*chosen);
    FPlatform.Dialogs.MessageBox(text::Placeholders(settings::GetLangTextById(NoDataText), std::span(&name, 1)),
                                 settings::GetLangTextById(CompareWithText), platform::TMessageBoxKind::mbError);
    return;
  }
  StopComparing();
  FComparison = std::make_unique<TComparison>(std::move(other), FilePart(*chosen));
  UpdateMainStatusBar();
  if (FEvents != nullptr) FEvents->IdleWorkQueued();
}

void TMainForm::StopComparing() {
  FDifferenceNode = NoNode;
  if (FComparison == nullptr) return;
  const TTreeViewState state = SaveDocumentView();
  FComparison.reset();
  RebuildTreeRows(state);
}

void TMainForm::GoToDifference(bool backwards) {
  while (HasIdleWork()) RunIdleWork();  // the comparison, if it is still idle work
  const std::size_t count = FComparison != nullptr ? FComparison->Differences().size() : 0;
  const TNodeId focused = FTreeVT.FocusedNode();
  std::int64_t next = -1;
  if (count == 0) {
    // Nothing to go to.
  } else if (focused != NoNode && focused == FDifferenceNode) {
    // Still on the last one gone to: the one after it, even where several share a row.
    next = FComparison->Step(FDifferenceIndex, backwards);
  } else if (const TGhostRow* ghost = GhostAt(focused)) {
    next = FComparison->Step(ghost->Difference, backwards);
  } else {
    const TTag element = ElementOfRow(focused);
    next = FComparison->NextDifference(
        element.IsValid() ? FComparison->ElementPosition(element.ElementIndex()) : TComparison::Start, backwards);
  }
  // One whose row the tree does not show is passed over.
  for (std::size_t tries = 0; next >= 0 && tries < count; ++tries) {
    const auto index = static_cast<std::uint32_t>(next);
    if (const TNodeId node = FocusDifference(index); node != NoNode) {
      FDifferenceNode = node;
      FDifferenceIndex = index;
      return;
    }
    next = FComparison->Step(index, backwards);
  }
  FPlatform.Host.Beep();
}

TNodeId TMainForm::FocusDifference(std::uint32_t index) {
  const TDifference& difference = FComparison->Differences()[index];
  if (difference.ElementA != asn::NoElement) return GetNodeByOffset(FDoc->Elements().Header(difference.ElementA).Offset);
  // A ghost row: its parent's row shown expanded, then the ghost among its rows.
  TNodeId parent = NoNode;
  TTag parentTag = Root();
  if (difference.ParentA != asn::NoElement) {
    parent = GetNodeByOffset(FDoc->Elements().Header(difference.ParentA).Offset);
    parentTag = GetTag(parent);
    if (parent == NoNode || parentTag.ElementIndex() != difference.ParentA) return NoNode;
    FTreeVT.SetExpanded(parent, true);
  }
  const std::span<const TGhostRow> ghosts = GhostsUnder(parentTag);
  for (std::size_t j = 0; j < ghosts.size(); ++j) {
    if (ghosts[j].Difference != index) continue;
    const auto row = static_cast<std::uint32_t>(parentTag.TagChildsStart()) + ghosts[j].Before + static_cast<std::uint32_t>(j);
    const TNodeId node = FTreeVT.Child(parent, row);
    if (node == NoNode) return NoNode;
    FTreeVT.SetFocusedNode(node);
    FTreeVT.SetSelected(node, true);
    FTreeVT.ScrollIntoView(node, /*center=*/true);
    return node;
  }
  return NoNode;
}

std::span<const TGhostRow> TMainForm::GhostsUnder(TTag parent) const {
  if (FComparison == nullptr || !FComparison->Done() || !parent.IsValid()) return {};
  if (parent.TagType() == ttRoot) return FComparison->GhostsIn(asn::NoElement);
  if (parent.TagType() == ttNode) return FComparison->GhostsIn(parent.ElementIndex());
  return {};
}

TRowPlace TMainForm::PlaceOf(TNodeId node) const {
  const TTag parent = FDoc->Elements().TagByKey(FTreeVT.SiblingData(node));
  return PlaceOfRow(GhostsUnder(parent), static_cast<std::uint32_t>(parent.TagChildsStart()), FTreeVT.Index(node));
}

const TGhostRow* TMainForm::GhostAt(TNodeId node) const {
  if (FComparison == nullptr || !FTreeVT.Exists(node)) return nullptr;
  const TTag parent = FDoc->Elements().TagByKey(FTreeVT.SiblingData(node));
  const std::span<const TGhostRow> ghosts = GhostsUnder(parent);
  const TRowPlace place = PlaceOfRow(ghosts, static_cast<std::uint32_t>(parent.TagChildsStart()), FTreeVT.Index(node));
  return place.Ghost ? &ghosts[place.Index] : nullptr;
}

std::uint32_t TMainForm::DocumentRowAt(TNodeId parent, std::uint32_t row) const {
  const TTag tag = parent == NoNode ? Root() : GetTag(parent);
  const std::span<const TGhostRow> ghosts = GhostsUnder(tag);
  const auto start = static_cast<std::uint32_t>(std::max(0, tag.TagChildsStart()));
  const TRowPlace place = PlaceOfRow(ghosts, start, row);
  // A ghost row stands for the document row after it.
  return place.Ghost ? start + ghosts[place.Index].Before : place.Index;
}

std::uint32_t TMainForm::TreeRowAt(TNodeId parent, std::uint32_t documentRow) const {
  return TreeRowOf(parent == NoNode ? Root() : GetTag(parent), documentRow);
}

TTreeViewState TMainForm::SaveDocumentView() const {
  return SaveTreeView(FTreeVT, [this](TNodeId parent, std::uint32_t row) { return DocumentRowAt(parent, row); });
}

void TMainForm::RestoreDocumentView(const TTreeViewState& state) {
  RestoreTreeView(FTreeVT, state, [this](TNodeId parent, std::uint32_t row) { return TreeRowAt(parent, row); });
}

void TMainForm::RebuildTreeRows(const TTreeViewState& state) {
  // Rows whose children exist are asked again, which rebuilds the blocks that
  // change, and the tree is put back as it stood (expanded rows, focus, scroll).
  FTreeVT.BeginUpdate();
  // The top level's rows come and go with the other file's top-level elements.
  if (RootRowCount() != FTreeVT.RootNodeCount()) FTreeVT.SetRootNodeCount(RootRowCount(), Root().Key());
  else FTreeVT.ReinitAll();
  RestoreDocumentView(state);
  FTreeVT.Invalidate();
  FTreeVT.EndUpdate();
  FHex1VT.Invalidate();
  FHex2VT.Invalidate();
  UpdateMainStatusBar();
}

void TMainForm::RunComparison() {
  // Saved while the rows are as they were: the ghost rows come with the run.
  const TTreeViewState state = SaveDocumentView();
  {
    platform::TBusyCursor busy(FPlatform.Host);
    FComparison->Run(*FDoc);
  }
  RebuildTreeRows(state);
  FDifferenceNode = NoNode;
}

}  // namespace viewer
