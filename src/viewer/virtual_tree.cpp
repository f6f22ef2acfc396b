// Rows in contiguous child blocks, walks without recursion, and heights summed
// per block with lazily refreshed totals.
#include "viewer/virtual_tree.h"

#include <algorithm>
#include <cassert>

namespace viewer {

// Fixed-size chunks: no copying and no doubling slack as rows are added.
template <class T>
class VirtualTree::TChunkedArray {
 public:
  static constexpr std::size_t ChunkBits = 14;
  static constexpr std::size_t ChunkSize = std::size_t{1} << ChunkBits;

  std::size_t Size() const { return FSize; }
  T& operator[](std::size_t i) { return FChunks[i >> ChunkBits][i & (ChunkSize - 1)]; }
  const T& operator[](std::size_t i) const { return FChunks[i >> ChunkBits][i & (ChunkSize - 1)]; }
  void PushBack(const T& value) {
    if ((FSize & (ChunkSize - 1)) == 0 && (FSize >> ChunkBits) == FChunks.size())
      FChunks.push_back(std::make_unique_for_overwrite<T[]>(ChunkSize));
    (*this)[FSize++] = value;
  }
  void Clear() {
    FChunks.clear();
    FSize = 0;
  }
  std::size_t Bytes() const {
    return FChunks.size() * ChunkSize * sizeof(T) + FChunks.capacity() * sizeof(std::unique_ptr<T[]>);
  }

 private:
  std::vector<std::unique_ptr<T[]>> FChunks;
  std::size_t FSize = 0;
};

namespace {

enum TRowFlag : std::uint8_t {
  rfHasChildren = 1,
  rfChildrenInit = 2,  // OnInitChildren has answered
  rfExpanded = 4,
  rfVisible = 8,
  rfDead = 16,  // its block was dropped by a re-initialisation
};

enum TBlockFlag : std::uint8_t {
  bfDirty = 1,  // Total is stale; every ancestor block is then stale too
  bfDead = 2,
};

}  // namespace

struct VirtualTree::TStore {
  TChunkedArray<std::uint32_t> RowChildBlock;
  TChunkedArray<std::uint8_t> RowFlags;
  TChunkedArray<std::uint32_t> BlockStart;
  TChunkedArray<std::uint32_t> BlockParent;
  TChunkedArray<std::uint32_t> BlockParentBlock;  // so climbing needs no search
  TChunkedArray<std::uint64_t> BlockData;
  // Height of the block's rows as if shown; 32 bits hold 20 million rows of 200 pixels.
  TChunkedArray<std::uint32_t> BlockTotal;
  TChunkedArray<std::uint8_t> BlockFlags;
  // The two blocks asked about last: walks stay among siblings, or step
  // between a block and its parent's.
  mutable TBlockId LastBlock = 0;
  mutable TBlockId PreviousBlock = 0;

  std::size_t Bytes() const {
    return RowChildBlock.Bytes() + RowFlags.Bytes() + BlockStart.Bytes() + BlockParent.Bytes() +
           BlockParentBlock.Bytes() + BlockData.Bytes() + BlockTotal.Bytes() + BlockFlags.Bytes();
  }
};

VirtualTree::VirtualTree(bool flat) : FFlat(flat), FStore(flat ? nullptr : std::make_unique<TStore>()) {}

VirtualTree::~VirtualTree() = default;

bool VirtualTree::IsValidNode(TNodeId node) const {
  if (node == NoNode) return false;
  if (FFlat) return node < FRootCount;
  return node < FStore->RowFlags.Size() && !(FStore->RowFlags[node] & rfDead);
}

bool VirtualTree::Exists(TNodeId node) const { return IsValidNode(node); }

void VirtualTree::Clear() {
  TNodeId oldFocus = FFocused;
  FRootCount = 0;
  if (!FFlat) {
    FStore = std::make_unique<TStore>();
  }
  FSelection.clear();
  FHeights.clear();
  FFocused = NoNode;
  FOffsetY = 0;
  if (oldFocus != NoNode && OnFocusChanged) OnFocusChanged(*this, NoNode, FFocusedColumn);
  Invalidate();
}

void VirtualTree::SetRootNodeCount(std::uint32_t count, std::uint64_t rootData) {
  BeginUpdate();
  Clear();
  FRootCount = count;
  if (!FFlat) CreateBlock(NoNode, count, rootData);
  EndUpdate();
}

VirtualTree::TBlockId VirtualTree::BlockOf(TNodeId node) const {
  const TStore& s = *FStore;
  std::size_t blocks = s.BlockStart.Size();
  auto holds = [&](TBlockId block) {
    return block < blocks && s.BlockStart[block] <= node && node < s.BlockStart[block] + BlockSize(block);
  };
  if (holds(s.LastBlock)) return s.LastBlock;
  if (holds(s.PreviousBlock)) {
    std::swap(s.LastBlock, s.PreviousBlock);
    return s.LastBlock;
  }
  // The last block starting at or before node; empty blocks hold no rows, so
  // the one found is the one that holds it.
  std::size_t lo = 0, hi = blocks;
  while (hi - lo > 1) {
    std::size_t mid = lo + (hi - lo) / 2;
    if (s.BlockStart[mid] <= node)
      lo = mid;
    else
      hi = mid;
  }
  s.PreviousBlock = s.LastBlock;
  s.LastBlock = static_cast<TBlockId>(lo);
  return s.LastBlock;
}

std::uint32_t VirtualTree::BlockSize(TBlockId block) const {
  const TStore& s = *FStore;
  std::size_t end = block + 1 < s.BlockStart.Size() ? s.BlockStart[block + 1] : s.RowFlags.Size();
  return static_cast<std::uint32_t>(end - s.BlockStart[block]);
}

void VirtualTree::Remember(TBlockId block) const {
  TStore& s = *FStore;
  if (s.LastBlock == block) return;
  s.PreviousBlock = s.LastBlock;
  s.LastBlock = block;
}

VirtualTree::TBlockId VirtualTree::CreateBlock(TNodeId parent, std::uint32_t count, std::uint64_t data) {
  TStore& s = *FStore;
  assert(s.RowFlags.Size() + count < NoNode && "row ids exhausted");
  auto block = static_cast<TBlockId>(s.BlockStart.Size());
  auto start = static_cast<std::uint32_t>(s.RowFlags.Size());
  s.BlockStart.PushBack(start);
  s.BlockParent.PushBack(parent);
  s.BlockParentBlock.PushBack(parent == NoNode ? NoBlock : BlockOf(parent));
  s.BlockData.PushBack(data);
  s.BlockTotal.PushBack(0);
  s.BlockFlags.PushBack(bfDirty);
  for (std::uint32_t i = 0; i < count; ++i) {
    s.RowChildBlock.PushBack(NoBlock);
    s.RowFlags.PushBack(rfVisible);
  }
  if (parent != NoNode) {
    s.RowChildBlock[parent] = block;
    MarkDirty(s.BlockParentBlock[block]);
  }
  Remember(block);
  for (std::uint32_t i = 0; i < count; ++i) InitRow(parent, start + i);
  return block;
}

void VirtualTree::InitRow(TNodeId parent, TNodeId node) {
  TNodeInit init;
  if (OnInitNode) OnInitNode(*this, parent, node, init);
  std::uint8_t& flags = FStore->RowFlags[node];
  flags = static_cast<std::uint8_t>(flags & ~(rfHasChildren | rfVisible));
  if (init.HasChildren) flags |= rfHasChildren;
  if (init.Visible) flags |= rfVisible;
  if (!init.HasChildren) flags &= static_cast<std::uint8_t>(~rfExpanded);
}

VirtualTree::TBlockId VirtualTree::EnsureChildren(TNodeId node) {
  TStore& s = *FStore;
  std::uint8_t flags = s.RowFlags[node];
  if (!(flags & rfHasChildren)) return NoBlock;
  if (flags & rfChildrenInit) return s.RowChildBlock[node];
  std::uint64_t data = 0;
  std::uint32_t count = OnInitChildren ? OnInitChildren(*this, node, data) : 0;
  s.RowFlags[node] |= rfChildrenInit;
  if (count == 0) {
    s.RowFlags[node] &= static_cast<std::uint8_t>(~(rfHasChildren | rfExpanded));
    MarkDirty(BlockOf(node));
    return NoBlock;
  }
  return CreateBlock(node, count, data);
}

TNodeId VirtualTree::Parent(TNodeId node) const {
  if (!IsValidNode(node) || FFlat) return NoNode;
  return FStore->BlockParent[BlockOf(node)];
}

std::uint32_t VirtualTree::Index(TNodeId node) const {
  if (!IsValidNode(node)) return 0;
  if (FFlat) return node;
  return node - FStore->BlockStart[BlockOf(node)];
}

std::uint32_t VirtualTree::Level(TNodeId node) const {
  if (!IsValidNode(node) || FFlat) return 0;
  std::uint32_t level = 0;
  for (TBlockId b = BlockOf(node); FStore->BlockParentBlock[b] != NoBlock; b = FStore->BlockParentBlock[b]) ++level;
  return level;
}

std::uint32_t VirtualTree::ChildCount(TNodeId node) {
  if (node == NoNode) return FRootCount;
  if (!IsValidNode(node) || FFlat) return 0;
  TBlockId block = EnsureChildren(node);
  return block == NoBlock ? 0 : BlockSize(block);
}

TNodeId VirtualTree::Child(TNodeId parent, std::uint32_t index) {
  if (parent == NoNode) {
    if (index >= FRootCount) return NoNode;
    return FFlat ? index : FStore->BlockStart[0] + index;
  }
  if (!IsValidNode(parent) || FFlat) return NoNode;
  TBlockId block = EnsureChildren(parent);
  if (block == NoBlock || index >= BlockSize(block)) return NoNode;
  return FStore->BlockStart[block] + index;
}

std::uint64_t VirtualTree::SiblingData(TNodeId node) const {
  if (!IsValidNode(node) || FFlat) return 0;
  return FStore->BlockData[BlockOf(node)];
}

bool VirtualTree::HasChildren(TNodeId node) const {
  return IsValidNode(node) && !FFlat && (FStore->RowFlags[node] & rfHasChildren);
}

bool VirtualTree::IsVisible(TNodeId node) const {
  if (!IsValidNode(node)) return false;
  return FFlat || (FStore->RowFlags[node] & rfVisible);
}

void VirtualTree::SetVisible(TNodeId node, bool visible) {
  if (!IsValidNode(node) || FFlat || IsVisible(node) == visible) return;
  FStore->RowFlags[node] ^= rfVisible;
  MarkDirty(BlockOf(node));
  ClampOffset();
  Invalidate();
}

bool VirtualTree::IsFullyVisible(TNodeId node) const {
  if (!IsVisible(node)) return false;
  if (FFlat) return true;
  const TStore& s = *FStore;
  for (TBlockId b = BlockOf(node); s.BlockParent[b] != NoNode; b = s.BlockParentBlock[b]) {
    std::uint8_t flags = s.RowFlags[s.BlockParent[b]];
    if (!(flags & rfVisible) || !(flags & rfExpanded)) return false;
  }
  return true;
}

bool VirtualTree::IsExpanded(TNodeId node) const {
  return IsValidNode(node) && !FFlat && (FStore->RowFlags[node] & rfExpanded);
}

void VirtualTree::SetExpanded(TNodeId node, bool expanded) {
  if (!IsValidNode(node) || FFlat || IsExpanded(node) == expanded) return;
  if (expanded && EnsureChildren(node) == NoBlock) return;
  FStore->RowFlags[node] ^= rfExpanded;
  MarkDirty(BlockOf(node));
  if (!expanded) ClampOffset();
  Invalidate();
}

void VirtualTree::SetSelected(TNodeId node, bool selected) {
  if (!IsValidNode(node) || IsSelected(node) == selected) return;
  FSelection.clear();
  if (selected) FSelection.insert(node);
  InvalidateNode(node);
}

void VirtualTree::ClearSelection() {
  if (FSelection.empty()) return;
  FSelection.clear();
  Invalidate();
}

void VirtualTree::SetFocusedNode(TNodeId node) {
  if (!IsValidNode(node)) node = NoNode;
  if (node == FFocused) return;
  FFocused = node;
  Invalidate();
  if (OnFocusChanged) OnFocusChanged(*this, node, FFocusedColumn);
}

void VirtualTree::SetFocusedColumn(int column) {
  if (column == FFocusedColumn) return;
  FFocusedColumn = column;
  Invalidate();
  if (OnFocusChanged) OnFocusChanged(*this, FFocused, column);
}

TNodeId VirtualTree::GetFirst() { return FRootCount == 0 ? NoNode : Child(NoNode, 0); }

TNodeId VirtualTree::NextSiblingOrUp(TNodeId node) const {
  if (FFlat) return node + 1 < FRootCount ? node + 1 : NoNode;
  if (node == NoNode) return NoNode;
  const TStore& s = *FStore;
  for (TBlockId block = BlockOf(node); block != NoBlock; block = s.BlockParentBlock[block]) {
    if (node + 1 < s.BlockStart[block] + BlockSize(block)) {
      Remember(block);
      return node + 1;
    }
    node = s.BlockParent[block];
  }
  return NoNode;
}

TNodeId VirtualTree::GetNext(TNodeId node) {
  if (!IsValidNode(node)) return NoNode;
  if (!FFlat) {
    TBlockId block = EnsureChildren(node);
    if (block != NoBlock) return FStore->BlockStart[block];
  }
  return NextSiblingOrUp(node);
}

TNodeId VirtualTree::GetPrevious(TNodeId node) {
  if (!IsValidNode(node)) return NoNode;
  if (FFlat) return node == 0 ? NoNode : node - 1;
  if (Index(node) == 0) return Parent(node);
  TNodeId prev = node - 1;
  for (;;) {
    TBlockId block = EnsureChildren(prev);
    if (block == NoBlock) return prev;
    prev = FStore->BlockStart[block] + BlockSize(block) - 1;
  }
}

TNodeId VirtualTree::GetLast() {
  if (FRootCount == 0) return NoNode;
  TNodeId last = Child(NoNode, FRootCount - 1);
  if (FFlat) return last;
  for (;;) {
    TBlockId block = EnsureChildren(last);
    if (block == NoBlock) return last;
    last = FStore->BlockStart[block] + BlockSize(block) - 1;
  }
}

TNodeId VirtualTree::GetFirstVisible() const {
  if (FRootCount == 0) return NoNode;
  if (FFlat) return 0;
  TNodeId node = FStore->BlockStart[0];
  while (node != NoNode && !IsVisible(node)) node = NextSiblingOrUp(node);
  return node;
}

// The outermost row on node's path from the top that hides node: a row whose
// own flag is off, or an ancestor that is collapsed. NoNode when node is shown.
TNodeId VirtualTree::VisibleBreak(TNodeId node) const {
  TNodeId found = IsVisible(node) ? NoNode : node;
  const TStore& s = *FStore;
  for (TBlockId b = BlockOf(node); s.BlockParent[b] != NoNode; b = s.BlockParentBlock[b]) {
    TNodeId p = s.BlockParent[b];
    if (!(s.RowFlags[p] & rfVisible) || !(s.RowFlags[p] & rfExpanded)) found = p;
  }
  return found;
}

TNodeId VirtualTree::GetNextVisible(TNodeId node) const {
  if (!IsValidNode(node)) return NoNode;
  if (FFlat) return NextSiblingOrUp(node);
  TNodeId hidden = VisibleBreak(node);
  TNodeId next;
  if (hidden != NoNode)
    next = NextSiblingOrUp(hidden);
  else if (IsExpanded(node))
    next = FStore->BlockStart[FStore->RowChildBlock[node]];
  else
    next = NextSiblingOrUp(node);
  while (next != NoNode && !IsVisible(next)) next = NextSiblingOrUp(next);
  return next;
}

TNodeId VirtualTree::LastVisibleDescendantOrSelf(TNodeId node) const {
  while (IsExpanded(node)) {
    TBlockId block = FStore->RowChildBlock[node];
    TNodeId first = FStore->BlockStart[block];
    TNodeId child = first + BlockSize(block);
    while (child > first && !IsVisible(child - 1)) --child;
    if (child == first) break;
    node = child - 1;
  }
  return node;
}

TNodeId VirtualTree::GetPreviousVisible(TNodeId node) const {
  if (!IsValidNode(node)) return NoNode;
  if (FFlat) return node == 0 ? NoNode : node - 1;
  TNodeId hidden = VisibleBreak(node);
  if (hidden != NoNode) {
    // A collapsed shown ancestor comes right before everything inside it.
    if (hidden != node && IsVisible(hidden)) return hidden;
    node = hidden;
  }
  for (;;) {
    if (Index(node) == 0) return Parent(node);
    --node;
    if (IsVisible(node)) return LastVisibleDescendantOrSelf(node);
  }
}

TNodeId VirtualTree::GetLastVisible() const {
  if (FRootCount == 0) return NoNode;
  if (FFlat) return FRootCount - 1;
  TNodeId first = FStore->BlockStart[0];
  TNodeId node = first + FRootCount;
  while (node > first && !IsVisible(node - 1)) --node;
  if (node == first) return NoNode;
  return LastVisibleDescendantOrSelf(node - 1);
}

// Document order inside top's subtree; create decides whether missing
// children are made or passed over.
TNodeId VirtualTree::NextInSubtree(TNodeId node, TNodeId top, bool create) {
  TBlockId block = create ? EnsureChildren(node) : FStore->RowChildBlock[node];
  if (block != NoBlock) return FStore->BlockStart[block];
  for (TBlockId own = BlockOf(node); node != top; own = FStore->BlockParentBlock[own]) {
    if (node + 1 < FStore->BlockStart[own] + BlockSize(own)) {
      Remember(own);
      return node + 1;
    }
    node = FStore->BlockParent[own];
  }
  return NoNode;
}

void VirtualTree::FullExpand(TNodeId node) {
  if (FFlat) return;
  BeginUpdate();
  if (node == NoNode) {
    for (TNodeId n = GetFirst(); n != NoNode; n = GetNext(n))
      if (HasChildren(n)) SetExpanded(n, true);
  } else if (IsValidNode(node)) {
    for (TNodeId n = node; n != NoNode; n = NextInSubtree(n, node, /*create=*/true))
      if (HasChildren(n)) SetExpanded(n, true);
  }
  EndUpdate();
}

void VirtualTree::FullCollapse(TNodeId node) {
  if (FFlat) return;
  BeginUpdate();
  TStore& s = *FStore;
  if (node == NoNode) {
    for (std::size_t i = 0; i < s.RowFlags.Size(); ++i) s.RowFlags[i] &= static_cast<std::uint8_t>(~rfExpanded);
    MarkAllDirty();
  } else if (IsValidNode(node)) {
    for (TNodeId n = node; n != NoNode; n = NextInSubtree(n, node, /*create=*/false)) {
      if (!(s.RowFlags[n] & rfExpanded)) continue;
      s.RowFlags[n] &= static_cast<std::uint8_t>(~rfExpanded);
      MarkDirty(BlockOf(n));
    }
  }
  ClampOffset();
  Invalidate();
  EndUpdate();
}

void VirtualTree::ReinitAll() {
  BeginUpdate();
  if (!FFlat && FStore->BlockStart.Size() != 0) {
    TStore& s = *FStore;
    auto rows = static_cast<TNodeId>(s.RowFlags.Size());
    auto blocks = static_cast<TBlockId>(s.BlockStart.Size());
    TBlockId block = 0;
    // Ids run parent before children, so a dropped block is seen before its rows.
    for (TNodeId r = 0; r < rows; ++r) {
      while (block + 1 < blocks && s.BlockStart[block + 1] <= r) ++block;
      if (s.BlockFlags[block] & bfDead) {
        s.RowFlags[r] |= rfDead;
        if (s.RowChildBlock[r] != NoBlock) s.BlockFlags[s.RowChildBlock[r]] |= bfDead;
        continue;
      }
      bool hadChildren = s.RowFlags[r] & rfChildrenInit;
      TBlockId oldChildren = s.RowChildBlock[r];
      InitRow(s.BlockParent[block], r);
      if (!hadChildren) continue;
      s.RowFlags[r] &= static_cast<std::uint8_t>(~rfChildrenInit);
      std::uint32_t count = 0;
      std::uint64_t data = 0;
      if ((s.RowFlags[r] & rfHasChildren) && OnInitChildren) count = OnInitChildren(*this, r, data);
      if (oldChildren != NoBlock && count == BlockSize(oldChildren)) {
        s.BlockData[oldChildren] = data;
        s.RowFlags[r] |= rfChildrenInit;
        continue;
      }
      if (oldChildren != NoBlock) s.BlockFlags[oldChildren] |= bfDead;
      s.RowChildBlock[r] = NoBlock;
      if (count == 0) {
        s.RowFlags[r] = static_cast<std::uint8_t>((s.RowFlags[r] & ~(rfHasChildren | rfExpanded)) | rfChildrenInit);
        continue;
      }
      // A new block at the end; its rows are initialised as it is made.
      CreateBlock(r, count, data);
      s.RowFlags[r] |= rfChildrenInit;
    }
    MarkAllDirty();
    for (auto it = FSelection.begin(); it != FSelection.end();)
      it = IsValidNode(*it) ? std::next(it) : FSelection.erase(it);
    for (auto it = FHeights.begin(); it != FHeights.end();)
      it = IsValidNode(it->first) ? std::next(it) : FHeights.erase(it);
    DropDeadFocus();
    ClampOffset();
  }
  Invalidate();
  EndUpdate();
}

void VirtualTree::DropDeadFocus() {
  if (FFocused == NoNode || IsValidNode(FFocused)) return;
  FFocused = NoNode;
  if (OnFocusChanged) OnFocusChanged(*this, NoNode, FFocusedColumn);
}

void VirtualTree::BeginUpdate() { ++FUpdateCount; }

void VirtualTree::EndUpdate() {
  assert(FUpdateCount > 0 && "EndUpdate without BeginUpdate");
  if (--FUpdateCount > 0 || !FPendingInvalidate) return;
  FPendingInvalidate = false;
  if (OnInvalidate) OnInvalidate(*this, NoNode);
}

void VirtualTree::Invalidate() {
  if (FUpdateCount > 0) {
    FPendingInvalidate = true;
    return;
  }
  if (OnInvalidate) OnInvalidate(*this, NoNode);
}

void VirtualTree::InvalidateNode(TNodeId node) {
  if (FUpdateCount > 0) {
    FPendingInvalidate = true;
    return;
  }
  if (OnInvalidate && IsValidNode(node)) OnInvalidate(*this, node);
}

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
  FHeights[node] = height;
  if (!FFlat) MarkDirty(BlockOf(node));
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
  FColumns.at(index).Width = width;
  Invalidate();
}

int VirtualTree::TotalColumnWidth() const {
  int sum = 0;
  for (const TColumn& c : FColumns) sum += c.Width;
  return sum;
}

void VirtualTree::MarkDirty(TBlockId block) const {
  TStore& s = *FStore;
  while (block != NoBlock && !(s.BlockFlags[block] & bfDirty)) {
    s.BlockFlags[block] |= bfDirty;
    block = s.BlockParentBlock[block];
  }
}

void VirtualTree::MarkAllDirty() const {
  if (FFlat) return;
  TStore& s = *FStore;
  for (std::size_t b = 0; b < s.BlockFlags.Size(); ++b) s.BlockFlags[b] |= bfDirty;
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
// explicit stack of (block, next row to look at).
void VirtualTree::EnsureTotals() const {
  if (FFlat || FStore->BlockStart.Size() == 0) return;
  TStore& s = *FStore;
  if (!(s.BlockFlags[0] & bfDirty)) return;
  struct TFrame {
    TBlockId Block;
    TNodeId Next;
  };
  std::vector<TFrame> stack{{0, s.BlockStart[0]}};
  while (!stack.empty()) {
    TBlockId block = stack.back().Block;
    TNodeId end = s.BlockStart[block] + BlockSize(block);
    TNodeId r = stack.back().Next;
    while (r < end) {
      TBlockId child = s.RowChildBlock[r];
      if (child != NoBlock && (s.BlockFlags[child] & bfDirty)) break;
      ++r;
    }
    stack.back().Next = r;
    if (r < end) {
      TBlockId child = s.RowChildBlock[r];
      stack.push_back({child, s.BlockStart[child]});
      continue;
    }
    std::uint64_t total = 0;
    for (TNodeId q = s.BlockStart[block]; q < end; ++q) total += RowTotal(q);
    assert(total <= 0xFFFFFFFFu && "tree taller than 4 gigapixels");
    s.BlockTotal[block] = static_cast<std::uint32_t>(total);
    s.BlockFlags[block] &= static_cast<std::uint8_t>(~bfDirty);
    stack.pop_back();
  }
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
    for (TNodeId q = s.BlockStart[block]; q < node; ++q) top += static_cast<std::int64_t>(RowTotal(q));
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
    TNodeId end = s.BlockStart[block] + BlockSize(block);
    TNodeId r = s.BlockStart[block];
    for (; r < end; ++r) {
      auto total = static_cast<std::int64_t>(RowTotal(r));
      if (y >= total) {
        y -= total;
        continue;
      }
      int height = NodeHeight(r);
      if (y < height) return r;
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

std::size_t VirtualTree::AllocatedRowCount() const { return FFlat ? 0 : FStore->RowFlags.Size(); }

std::size_t VirtualTree::MemoryBytes() const {
  std::size_t bytes = sizeof(*this) + FSelection.size() * 48 + FHeights.size() * 48;
  if (!FFlat) bytes += sizeof(TStore) + FStore->Bytes();
  return bytes;
}

}  // namespace viewer
