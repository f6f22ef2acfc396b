// The stack of documents an opened element came from, and the structure tree's
// view saved as index paths so that it survives the rows being rebuilt.
#include "viewer/document_stack.h"

#include <string_view>

#include "settings/lang.h"
#include "text/ascii.h"

namespace viewer {

namespace {

// "%0 at offset %1 of %2": the element, its offset, where its document lies.
constexpr int LocationText = 710;
// "clipboard": where a document loaded from the clipboard lies.
constexpr int ClipboardText = 604;

std::u16string Widen(std::string_view ascii) { return std::u16string(ascii.begin(), ascii.end()); }

}  // namespace

TTreeViewState SaveTreeView(const VirtualTree& tree, const TRowIndexMap& toSaved) {
  auto pathOf = [&](TNodeId node) {
    std::vector<std::uint32_t> path;
    for (; node != NoNode; node = tree.Parent(node))
      path.insert(path.begin(), toSaved ? toSaved(tree.Parent(node), tree.Index(node)) : tree.Index(node));
    return path;
  };
  TTreeViewState state;
  for (TNodeId node = tree.GetFirstVisible(); node != NoNode && state.Expanded.size() < MaxSavedExpandedRows;
       node = tree.GetNextVisible(node))
    if (tree.IsExpanded(node)) state.Expanded.push_back(pathOf(node));
  state.Focused = pathOf(tree.FocusedNode());
  state.FocusedColumn = tree.FocusedColumn();
  state.OffsetY = tree.OffsetY();
  return state;
}

void RestoreTreeView(VirtualTree& tree, const TTreeViewState& state, const TRowIndexMap& toTree) {
  auto nodeAt = [&](const std::vector<std::uint32_t>& path) {
    TNodeId node = NoNode;
    for (std::uint32_t index : path)
      if (node = tree.Child(node, toTree ? toTree(node, index) : index); node == NoNode) break;
    return node;
  };
  tree.BeginUpdate();
  tree.FullCollapse();
  // Parents come before their children, so each row is shown when it opens.
  for (const std::vector<std::uint32_t>& path : state.Expanded) {
    const TNodeId node = nodeAt(path);
    if (node != NoNode) tree.SetExpanded(node, true);
  }
  tree.EndUpdate();
  const TNodeId focused = state.Focused.empty() ? NoNode : nodeAt(state.Focused);
  if (focused != NoNode) {
    tree.SetFocusedNode(focused);
    tree.SetFocusedColumn(state.FocusedColumn);
    tree.SetSelected(focused, true);
  }
  tree.SetOffsetY(state.OffsetY);
}

std::span<const std::uint8_t> OpenedBytes(const TDecodedDocument& document, TTag element) {
  const asn::TElementHeader header = document.Elements().Header(element.ElementIndex());
  const std::span<const std::uint8_t> whole = document.ElementEncoding(element);
  if (!header.Encapsulates) return whole;
  const std::size_t skip = static_cast<std::size_t>(header.HeaderLength()) + (header.UniversalTag() == asn::utBitString ? 1 : 0);
  return skip <= whole.size() ? whole.subspan(skip) : whole;
}

std::u16string TDocumentStack::LocationOf(const TDecodedDocument& shown, TTag element, bool typeNames) const {
  std::u16string name = Widen(shown.Names().TypeName(element.ElementIndex()));
  if (name.empty() || !typeNames) name = element.Name();
  std::u16string where = FLocation;
  if (where.empty() && shown.FromClipboard()) where = settings::GetLangTextById(ClipboardText);
  if (where.empty()) where = shown.FileName().substr(shown.FileName().find_last_of(u"/\\") + 1);
  const std::u16string parts[] = {name, text::DecimalText(element.Offset()), where};
  return text::Placeholders(settings::GetLangTextById(LocationText), parts);
}

void TDocumentStack::Push(std::unique_ptr<TDecodedDocument> shown, TTreeViewState view, std::u16string location) {
  FFrames.push_back({std::move(shown), std::move(view), std::move(FLocation)});
  FLocation = std::move(location);
}

TDocumentStack::TFrame TDocumentStack::Pop() {
  if (FFrames.empty()) return {};
  TSaved saved = std::move(FFrames.back());
  FFrames.pop_back();
  FLocation = std::move(saved.Location);
  return {std::move(saved.Document), std::move(saved.View)};
}

std::unique_ptr<TDecodedDocument> TDocumentStack::PopAll() {
  if (FFrames.empty()) return nullptr;
  std::unique_ptr<TDecodedDocument> own = std::move(FFrames.front().Document);
  Clear();
  return own;
}

void TDocumentStack::Clear() {
  FFrames.clear();
  FLocation.clear();
}

}  // namespace viewer
