// Row heights, summed per block with lazily refreshed totals; columns,
// geometry, scrolling and the keys a tree or grid control handles itself.
#include <algorithm>
#include <cassert>

#include "viewer/virtual_tree.h"
#include "viewer/virtual_tree_store.h"

namespace viewer {

using namespace vtree;

void VirtualTree::SetDefaultNodeHeight(int height) {
  if (height < 1) height = 1;
  if (height == FDefaultHeight) return;
  FDefaultHeight = height;
  MarkAllDirty();
  ClampOffset();
  Invalidate();
}

int VirtualTree::NodeHeight(TNodeId node) const {
  if (FHeights.empty()) return FDefaultHeight;
  auto it = FHeights.find(node);
  return it == FHeights.end() ? FDefaultHeight : it->second;
}

void VirtualTree::SetNodeHeight(TNodeId node, int height) {
  if (!IsValidNode(node) || height < 1 || NodeHeight(node) == height) return;
  // A run not made yet counts default heights only.
  Ready(node);
  FHeights[node] = height;
  if (!FFlat) MarkRowDirty(node);
  ClampOffset();
  Invalidate();
}

void VirtualTree::ResetNodeHeights() {
  if (FHeights.empty()) return;
  FHeights.clear();
  MarkAllDirty();
  ClampOffset();
  Invalidate();
}

void VirtualTree::ClearColumns() {
  FColumns.clear();
  FFocusedColumn = 0;
  Invalidate();
}

int VirtualTree::AddColumn(const TColumn& column) {
  FColumns.push_back(column);
  Invalidate();
  return ColumnCount() - 1;
}

void VirtualTree::SetColumnWidth(int index, int width) {
  FColumns.at(static_cast<std::size_t>(index)).Width = width;
  Invalidate();
}

int VirtualTree::TotalColumnWidth() const {
  int sum = 0;
  for (const TColumn& c : FColumns) sum += c.Width;
  return sum;
}

VirtualTree::TBlockIndex* VirtualTree::IndexOf(TBlockId block) const {
  if (BlockSize(block) <= IndexChunkRows) return nullptr;
  auto it = FStore->Indexes.find(block);
  return it == FStore->Indexes.end() ? nullptr : &it->second;
}

// A stale block has stale ancestors, and the run holding its parent row is
// stale in the parent's block, so the climb stops at the first stale block.
void VirtualTree::MarkRowDirty(TNodeId node) const {
  TStore& s = *FStore;
  FShownHint = NoNode;
  for (TBlockId block = BlockOf(node); block != NoBlock; block = s.BlockParentBlock[block]) {
    if (TBlockIndex* index = IndexOf(block)) index->MarkChunk((node - s.BlockStart[block]) / IndexChunkRows);
    if (s.BlockFlags[block] & bfDirty) return;
    s.BlockFlags[block] |= bfDirty;
    node = s.BlockParent[block];
  }
}

void VirtualTree::MarkAllDirty() const {
  FShownHint = NoNode;
  if (FFlat) return;
  TStore& s = *FStore;
  for (std::size_t b = 0; b < s.BlockFlags.Size(); ++b) s.BlockFlags[b] |= bfDirty;
  for (auto& [block, index] : s.Indexes) index.MarkAll();
}

std::uint64_t VirtualTree::RowTotal(TNodeId node) const {
  const TStore& s = *FStore;
  std::uint8_t flags = s.RowFlags[node];
  if (!(flags & rfVisible)) return 0;
  auto total = static_cast<std::uint64_t>(NodeHeight(node));
  if (flags & rfExpanded) total += s.BlockTotal[s.RowChildBlock[node]];
  return total;
}

// Refreshes every stale block total, children before parents, with an
// explicit stack of (block, next row to look at, end of the rows to look at).
// A stale child block hangs below a stale run, so only those runs are looked at.
void VirtualTree::EnsureTotals() const {
  if (FFlat || FStore->BlockStart.Size() == 0) return;
  TStore& s = *FStore;
  if (!(s.BlockFlags[0] & bfDirty)) return;
  struct TFrame {
    TBlockId Block;
    TNodeId Next;
    TNodeId End;
  };
  auto frame = [&](TBlockId block) {
    TNodeId start = s.BlockStart[block];
    TNodeId end = start + BlockSize(block);
    const TBlockIndex* index = IndexOf(block);
    if (index == nullptr) return TFrame{block, start, end};
    TNodeId from = start + index->DirtyFrom * IndexChunkRows;
    return TFrame{block, std::min(from, end), std::min(start + index->DirtyTo * IndexChunkRows, end)};
  };
  std::vector<TFrame> stack{frame(0)};
  while (!stack.empty()) {
    TFrame& top = stack.back();
    TNodeId r = top.Next;
    TBlockId child = NoBlock;
    const TNodeId start = s.BlockStart[top.Block];
    for (; r < top.End; ++r) {
      // Rows not made yet have no children: their whole run is passed over.
      if ((s.RowFlags[r] & rfUnready) && (r - start) % IndexChunkRows == 0) {
        r += IndexChunkRows - 1;
        continue;
      }
      child = s.RowChildBlock[r];
      if (child != NoBlock && (s.BlockFlags[child] & bfDirty)) break;
    }
    top.Next = r;
    if (r < top.End) {
      stack.push_back(frame(child));
      continue;
    }
    SumBlock(top.Block);
    stack.pop_back();
  }
}

// The block's total from its rows, whose own child blocks are up to date;
// with an index only the stale runs are summed again.
void VirtualTree::SumBlock(TBlockId block) const {
  TStore& s = *FStore;
  TNodeId start = s.BlockStart[block];
  TNodeId end = start + BlockSize(block);
  std::uint64_t total = 0;
  if (TBlockIndex* index = IndexOf(block)) {
    std::uint32_t chunks = index->Chunks();
    std::uint32_t from = std::min(index->DirtyFrom, chunks);
    std::vector<std::uint32_t>& prefix = index->Prefix;
    total = prefix[from];
    std::uint32_t oldStart = prefix[from];
    for (std::uint32_t k = from; k < chunks; ++k) {
      std::uint32_t oldEnd = prefix[k + 1];
      if (k < index->DirtyTo) {
        TNodeId first = start + k * IndexChunkRows;
        TNodeId last = std::min<TNodeId>(first + IndexChunkRows, end);
        if (s.RowFlags[first] & rfUnready) {
          // A run not made yet: collapsed rows of the default height.
          auto& self = const_cast<VirtualTree&>(*this);
          total += std::uint64_t{OnCountVisible(self, s.BlockParent[block], first - start, last - first, s.BlockData[block])} *
                   static_cast<std::uint64_t>(FDefaultHeight);
        } else {
          for (TNodeId q = first; q < last; ++q) total += RowTotal(q);
        }
      } else {
        total += oldEnd - oldStart;
      }
      oldStart = oldEnd;
      assert(total <= 0xFFFFFFFFu && "tree taller than 4 gigapixels");
      prefix[k + 1] = static_cast<std::uint32_t>(total);
    }
    index->DirtyFrom = index->DirtyTo = chunks;
  } else {
    for (TNodeId q = start; q < end; ++q) total += RowTotal(q);
  }
  assert(total <= 0xFFFFFFFFu && "tree taller than 4 gigapixels");
  s.BlockTotal[block] = static_cast<std::uint32_t>(total);
  s.BlockFlags[block] &= static_cast<std::uint8_t>(~bfDirty);
}

std::uint64_t VirtualTree::RowsBefore(TBlockId block, TNodeId node) const {
  TNodeId first = FStore->BlockStart[block];
  std::uint64_t total = 0;
  if (const TBlockIndex* index = IndexOf(block)) {
    std::uint32_t chunk = (node - first) / IndexChunkRows;
    total = index->Prefix[chunk];
    first += chunk * IndexChunkRows;
  }
  for (TNodeId q = first; q < node; ++q) total += RowTotal(q);
  return total;
}

std::int64_t VirtualTree::TotalHeight() const {
  if (FFlat) {
    std::int64_t total = std::int64_t{FRootCount} * FDefaultHeight;
    for (const auto& [node, height] : FHeights) total += height - FDefaultHeight;
    return total;
  }
  if (FStore->BlockStart.Size() == 0) return 0;
  EnsureTotals();
  return static_cast<std::int64_t>(FStore->BlockTotal[0]);
}

void VirtualTree::SetClientSize(int width, int height) {
  FClientWidth = width;
  FClientHeight = height;
  ClampOffset();
  Invalidate();
}

void VirtualTree::ClampOffset() {
  std::int64_t limit = std::max<std::int64_t>(0, TotalHeight() - FClientHeight);
  std::int64_t clamped = std::clamp<std::int64_t>(FOffsetY, 0, limit);
  if (clamped == FOffsetY) return;
  std::int64_t delta = FOffsetY - clamped;
  FOffsetY = clamped;
  if (OnScroll) OnScroll(*this, delta);
}

void VirtualTree::SetOffsetY(std::int64_t offset) {
  std::int64_t limit = std::max<std::int64_t>(0, TotalHeight() - FClientHeight);
  offset = std::clamp<std::int64_t>(offset, 0, limit);
  if (offset == FOffsetY) return;
  std::int64_t delta = FOffsetY - offset;
  FOffsetY = offset;
  Invalidate();
  if (OnScroll) OnScroll(*this, delta);
}

std::int64_t VirtualTree::NodeTop(TNodeId node) const {
  if (!IsValidNode(node)) return 0;
  if (FFlat) {
    std::int64_t top = std::int64_t{node} * FDefaultHeight;
    for (auto it = FHeights.begin(); it != FHeights.end() && it->first < node; ++it)
      top += it->second - FDefaultHeight;
    return top;
  }
  EnsureTotals();
  const TStore& s = *FStore;
  std::int64_t top = 0;
  for (TBlockId block = BlockOf(node); block != NoBlock; block = s.BlockParentBlock[block]) {
    top += static_cast<std::int64_t>(RowsBefore(block, node));
    node = s.BlockParent[block];
    if (node != NoNode) top += NodeHeight(node);
  }
  return top;
}

TNodeId VirtualTree::GetNodeAt(int clientY) const {
  std::int64_t y = clientY + FOffsetY;
  if (y < 0) return NoNode;
  if (FFlat) {
    // Walk the rows with heights of their own in order, skipping the runs between.
    TNodeId row = 0;
    for (const auto& [node, height] : FHeights) {
      std::int64_t run = std::int64_t{node - row} * FDefaultHeight;
      if (y < run) break;
      y -= run;
      if (y < height) return node;
      y -= height;
      row = node + 1;
    }
    std::int64_t index = row + y / FDefaultHeight;
    return index < FRootCount ? static_cast<TNodeId>(index) : NoNode;
  }
  if (FStore->BlockStart.Size() == 0) return NoNode;
  EnsureTotals();
  const TStore& s = *FStore;
  TBlockId block = 0;
  for (;;) {
    TNodeId r = s.BlockStart[block];
    TNodeId end = r + BlockSize(block);
    if (const TBlockIndex* index = IndexOf(block)) {
      // The last run starting at or above y; runs of hidden rows are empty and passed over.
      const std::vector<std::uint32_t>& prefix = index->Prefix;
      auto chunk = static_cast<std::uint32_t>(std::upper_bound(prefix.begin(), prefix.end(), y) - prefix.begin() - 1);
      if (chunk == index->Chunks()) return NoNode;
      y -= prefix[chunk];
      r += chunk * IndexChunkRows;
    }
    for (; r < end; ++r) {
      Ready(r);
      auto total = static_cast<std::int64_t>(RowTotal(r));
      if (y >= total) {
        y -= total;
        continue;
      }
      int height = NodeHeight(r);
      if (y < height) {
        FShownHint = r;
        return r;
      }
      y -= height;
      block = s.RowChildBlock[r];
      break;
    }
    if (r == end) return NoNode;
  }
}

TRect VirtualTree::GetDisplayRect(TNodeId node) const {
  if (!IsFullyVisible(node)) return {};
  auto top = static_cast<int>(NodeTop(node) - FOffsetY);
  int left = FFlat ? 0 : static_cast<int>(Level(node)) * Look.Indent;
  int width = FColumns.empty() ? FClientWidth : TotalColumnWidth();
  return {left, top, std::max(left, width), top + NodeHeight(node)};
}

bool VirtualTree::ScrollIntoView(TNodeId node, bool center) {
  if (!IsValidNode(node)) return false;
  if (!FFlat) {
    BeginUpdate();
    const TStore& s = *FStore;
    for (TBlockId b = BlockOf(node); s.BlockParent[b] != NoNode; b = s.BlockParentBlock[b])
      SetExpanded(s.BlockParent[b], true);
    EndUpdate();
  }
  std::int64_t old = FOffsetY;
  std::int64_t top = NodeTop(node);
  int height = NodeHeight(node);
  if (center) {
    SetOffsetY(top + height / 2 - FClientHeight / 2);
  } else if (top < FOffsetY) {
    SetOffsetY(top);
  } else if (top + height > FOffsetY + FClientHeight) {
    SetOffsetY(height > FClientHeight ? top : top + height - FClientHeight);
  }
  return FOffsetY != old;
}

void VirtualTree::FocusAndShow(TNodeId node) {
  if (node == NoNode) return;
  SetFocusedNode(node);
  SetSelected(node, true);
  ScrollIntoView(node, /*center=*/false);
}

bool VirtualTree::KeyDown(TTreeKey key, bool shift, bool ctrl) {
  TNodeId focused = FFocused;
  int rowsPerPage = std::max(1, FClientHeight / std::max(1, FDefaultHeight));
  switch (key) {
    case TTreeKey::tkUp:
      FocusAndShow(focused == NoNode ? GetFirstVisible() : GetPreviousVisible(focused));
      return true;
    case TTreeKey::tkDown:
      FocusAndShow(focused == NoNode ? GetFirstVisible() : GetNextVisible(focused));
      return true;
    case TTreeKey::tkHome:
      FocusAndShow(GetFirstVisible());
      if (FFlat && !FColumns.empty()) SetFocusedColumn(0);
      return true;
    case TTreeKey::tkEnd:
      FocusAndShow(GetLastVisible());
      if (FFlat && !FColumns.empty()) SetFocusedColumn(ColumnCount() - 1);
      return true;
    case TTreeKey::tkPageUp:
    case TTreeKey::tkPageDown: {
      TNodeId node = focused == NoNode ? GetFirstVisible() : focused;
      for (int i = 0; i < rowsPerPage && node != NoNode; ++i) {
        TNodeId next = key == TTreeKey::tkPageUp ? GetPreviousVisible(node) : GetNextVisible(node);
        if (next == NoNode) break;
        node = next;
      }
      FocusAndShow(node);
      return true;
    }
    case TTreeKey::tkLeft:
      if (!FColumns.empty()) {
        if (FFocusedColumn > 0) SetFocusedColumn(FFocusedColumn - 1);
        return true;
      }
      if (focused == NoNode) return true;
      if (IsExpanded(focused))
        SetExpanded(focused, false);
      else
        FocusAndShow(Parent(focused));
      return true;
    case TTreeKey::tkRight:
      if (!FColumns.empty()) {
        if (FFocusedColumn + 1 < ColumnCount()) SetFocusedColumn(FFocusedColumn + 1);
        return true;
      }
      if (focused == NoNode || !HasChildren(focused)) return true;
      if (!IsExpanded(focused))
        SetExpanded(focused, true);
      else
        FocusAndShow(GetNextVisible(focused));
      return true;
    case TTreeKey::tkPlus:
      if (shift && ctrl) {
        FullExpand();
        return true;
      }
      if (focused != NoNode) SetExpanded(focused, true);
      return focused != NoNode;
    case TTreeKey::tkMinus:
      if (shift && ctrl) {
        FullCollapse();
        return true;
      }
      if (focused != NoNode) SetExpanded(focused, false);
      return focused != NoNode;
  }
  return false;
}

}  // namespace viewer
