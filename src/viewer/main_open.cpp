// Opening an element as a document of its own in the same window, and going
// back: the documents it was opened from wait on a stack with what the
// structure tree showed of them.
#include <string_view>

#include "settings/lang.h"
#include "text/ascii.h"
#include "viewer/main.h"

namespace viewer {

namespace {

// "%0 at offset %1 of %2": the element, its offset, where its document lies.
constexpr int LocationText = 710;
// "clipboard": where a document loaded from the clipboard lies.
constexpr int ClipboardText = 604;
// The expanded rows kept for going back; the rest of a huge tree opens as it did first.
constexpr std::size_t MaxSavedExpandedRows = 100000;

std::u16string Widen(std::string_view ascii) { return std::u16string(ascii.begin(), ascii.end()); }

// The bytes the element opens as: an encapsulating OCTET STRING's contents, an
// encapsulating BIT STRING's after its unused-bits octet, else the whole encoding.
std::span<const std::uint8_t> OpenedBytes(const TDecodedDocument& document, TTag element) {
  const asn::TElementHeader header = document.Elements().Header(element.ElementIndex());
  const std::span<const std::uint8_t> whole = document.ElementEncoding(element);
  if (!header.Encapsulates) return whole;
  const std::size_t skip = static_cast<std::size_t>(header.HeaderLength()) + (header.UniversalTag() == asn::utBitString ? 1 : 0);
  return skip <= whole.size() ? whole.subspan(skip) : whole;
}

}  // namespace

void TMainForm::OpenElement() {
  const TTag element = ElementOfRow(FTreeVT.FocusedNode());
  if (!element.IsValid()) return;
  const std::span<const std::uint8_t> bytes = OpenedBytes(*FDoc, element);
  if (bytes.size() == Bytes()->size()) {
    // The element is the whole document already.
    FPlatform.Host.Beep();
    return;
  }
  std::u16string name = Widen(FDoc->Names().TypeName(element.ElementIndex()));
  if (name.empty() || !FSettings.FieldNames) name = element.Name();
  std::u16string where = FLocation;
  if (where.empty() && FDoc->FromClipboard()) where = settings::GetLangTextById(ClipboardText);
  if (where.empty()) where = FileName().substr(FileName().find_last_of(u"/\\") + 1);
  const std::u16string parts[] = {name, text::DecimalText(element.Offset()), where};
  std::u16string location = text::Placeholders(settings::GetLangTextById(LocationText), parts);

  auto opened = MakeDocument();
  TOpenedFrame frame{std::move(FDoc), SaveTreeView(), std::move(FLocation)};
  FOpened.push_back(std::move(frame));
  FDoc = std::move(opened);
  FLocation = std::move(location);
  FDoc->LoadBytes(std::make_shared<const std::vector<std::uint8_t>>(bytes.begin(), bytes.end()));
  FillTrees();
  TNodeId first = FTreeVT.GetFirst();
  if (first != NoNode) {
    FTreeVT.SetFocusedNode(first);
    FTreeVT.SetSelected(first, true);
  }
}

void TMainForm::GoBack() {
  if (FOpened.empty()) {
    FPlatform.Host.Beep();
    return;
  }
  ClearViews();
  TOpenedFrame frame = std::move(FOpened.back());
  FOpened.pop_back();
  FDoc = std::move(frame.Document);
  FLocation = std::move(frame.Location);
  FillTrees();
  RestoreTreeView(frame.View);
}

void TMainForm::CloseOpened() {
  if (FOpened.empty()) return;
  ClearViews();
  FDoc = std::move(FOpened.front().Document);
  FOpened.clear();
  FLocation.clear();
  FillTrees();
}

TMainForm::TTreeViewState TMainForm::SaveTreeView() {
  auto pathOf = [this](TNodeId node) {
    std::vector<std::uint32_t> path;
    for (; node != NoNode; node = FTreeVT.Parent(node)) path.insert(path.begin(), FTreeVT.Index(node));
    return path;
  };
  TTreeViewState state;
  for (TNodeId node = FTreeVT.GetFirstVisible(); node != NoNode && state.Expanded.size() < MaxSavedExpandedRows;
       node = FTreeVT.GetNextVisible(node))
    if (FTreeVT.IsExpanded(node)) state.Expanded.push_back(pathOf(node));
  state.Focused = pathOf(FTreeVT.FocusedNode());
  state.FocusedColumn = FTreeVT.FocusedColumn();
  state.OffsetY = FTreeVT.OffsetY();
  return state;
}

void TMainForm::RestoreTreeView(const TTreeViewState& state) {
  auto nodeAt = [this](const std::vector<std::uint32_t>& path) {
    TNodeId node = NoNode;
    for (std::uint32_t index : path)
      if (node = FTreeVT.Child(node, index); node == NoNode) break;
    return node;
  };
  FTreeVT.BeginUpdate();
  FTreeVT.FullCollapse();
  // Parents come before their children, so each row is shown when it opens.
  for (const std::vector<std::uint32_t>& path : state.Expanded) {
    const TNodeId node = nodeAt(path);
    if (node != NoNode) FTreeVT.SetExpanded(node, true);
  }
  FTreeVT.EndUpdate();
  const TNodeId focused = state.Focused.empty() ? NoNode : nodeAt(state.Focused);
  if (focused != NoNode) {
    FTreeVT.SetFocusedNode(focused);
    FTreeVT.SetFocusedColumn(state.FocusedColumn);
    FTreeVT.SetSelected(focused, true);
  }
  FTreeVT.SetOffsetY(state.OffsetY);
}

}  // namespace viewer
