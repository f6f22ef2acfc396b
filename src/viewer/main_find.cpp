// Find in the window: the finder answers which row matches, from the focused
// row on; the window focuses it.
#include <algorithm>

#include "viewer/finder.h"
#include "viewer/main.h"

namespace viewer {

namespace {

// The document's child indexes from the root down to node; empty for no row.
TRowPath PathOf(const VirtualTree& tree, TNodeId node, const TRowIndexMap& toDocument) {
  TRowPath indexes;
  for (; node != NoNode; node = tree.Parent(node))
    indexes.push_back(static_cast<std::int32_t>(toDocument(tree.Parent(node), tree.Index(node))));
  std::reverse(indexes.begin(), indexes.end());
  return indexes;
}

// Focuses, selects and shows the row at the end of path; false when the tree
// no longer matches the document.
bool FocusPath(VirtualTree& tree, const TRowPath& path, const TRowIndexMap& toTree) {
  TNodeId node = NoNode;
  for (std::int32_t index : path) {
    node = tree.Child(node, toTree(node, static_cast<std::uint32_t>(index)));
    if (node == NoNode) return false;
  }
  tree.SetFocusedNode(node);
  tree.SetSelected(node, true);
  tree.ScrollIntoView(node, true);
  return true;
}

}  // namespace

bool TMainForm::Find(const std::u16string& searchString, bool backwards) {
  // Nothing to search before the tree holds the document.
  if (searchString.empty() || FTreeVT.RootNodeCount() == 0) return false;
  // From the focused row on; without one, from the first row or back from the last shown one.
  TNodeId from = FTreeVT.FocusedNode();
  const bool inclusive = from == NoNode;
  if (from == NoNode && backwards && (from = FTreeVT.GetLastVisible()) == NoNode) return false;
  const TFinder finder(*FDoc, FSettings.ShowAttributes, FSettings.FieldNames);
  // The finder counts the document's rows; the tree's may hold the rows of a comparison among them.
  const TRowIndexMap toDocument = [this](TNodeId parent, std::uint32_t row) { return DocumentRowAt(parent, row); };
  const TRowIndexMap toTree = [this](TNodeId parent, std::uint32_t row) { return TreeRowAt(parent, row); };
  const std::optional<TRowPath> found = finder.Find(searchString, backwards, PathOf(FTreeVT, from, toDocument), inclusive);
  return found && FocusPath(FTreeVT, *found, toTree);
}

}  // namespace viewer
