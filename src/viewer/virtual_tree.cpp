// Rows in contiguous child blocks: structure, per-row state, walks without
// recursion, expansion and re-initialisation.
#include "viewer/virtual_tree.h"

#include <algorithm>
#include <cassert>

#include "viewer/virtual_tree_store.h"

namespace viewer {

using namespace vtree;

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
  FShownHint = NoNode;
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
  // A large block's rows wait for OnInitNodes until their run is reached.
  const bool lazy = count > IndexChunkRows && OnInitNodes && OnCountVisible;
  // Rows not made yet have no child block: theirs is written as their run is made.
  if (lazy)
    s.RowChildBlock.Grow(count);
  else
    s.RowChildBlock.Append(count, NoBlock);
  s.RowFlags.Append(count, lazy ? rfUnready : rfVisible);
  if (count > IndexChunkRows) {
    TBlockIndex& index = s.Indexes[block];
    index.Prefix.assign((count + IndexChunkRows - 1) / IndexChunkRows + 1, 0);
    index.MarkAll();
  }
  if (parent != NoNode) {
    s.RowChildBlock[parent] = block;
    MarkRowDirty(parent);
  }
  Remember(block);
  if (lazy) return block;
  if (OnInitNodes) {
    FShownHint = NoNode;
    std::vector<TNodeInit> inits(count);
    OnInitNodes(*this, parent, start, count, data, inits.data());
    for (std::uint32_t i = 0; i < count; ++i) ApplyInit(start + i, inits[i]);
  } else {
    for (std::uint32_t i = 0; i < count; ++i) InitRow(parent, start + i);
  }
  return block;
}

void VirtualTree::InitRow(TNodeId parent, TNodeId node) {
  TNodeInit init;
  FShownHint = NoNode;
  if (OnInitNode) OnInitNode(*this, parent, node, init);
  ApplyInit(node, init);
}

void VirtualTree::ReadyRun(TNodeId node) const {
  TStore& s = *FStore;
  TBlockId block = BlockOf(node);
  TNodeId start = s.BlockStart[block];
  TNodeId first = start + (node - start) / IndexChunkRows * IndexChunkRows;
  std::uint32_t count = std::min<std::uint32_t>(IndexChunkRows, start + BlockSize(block) - first);
  TNodeInit inits[IndexChunkRows];
  for (std::uint32_t i = 0; i < count; ++i) s.RowChildBlock[first + i] = NoBlock;
  auto& self = const_cast<VirtualTree&>(*this);
  OnInitNodes(self, s.BlockParent[block], first, count, s.BlockData[block], inits);
  std::uint32_t visible = 0;
  for (std::uint32_t i = 0; i < count; ++i) {
    self.ApplyInit(first + i, inits[i]);
    visible += inits[i].Visible ? 1 : 0;
  }
  // The run's height was counted before it was made.
  assert(visible == OnCountVisible(self, s.BlockParent[block], first - start, count, s.BlockData[block]) &&
         "OnCountVisible disagrees with OnInitNodes");
  (void)visible;
}

void VirtualTree::ApplyInit(TNodeId node, const TNodeInit& init) {
  std::uint8_t& flags = FStore->RowFlags[node];
  flags = static_cast<std::uint8_t>(flags & ~(rfHasChildren | rfVisible | rfUnready));
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
    MarkRowDirty(node);
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
    return FFlat ? index : Ready(FStore->BlockStart[0] + index);
  }
  if (!IsValidNode(parent) || FFlat) return NoNode;
  TBlockId block = EnsureChildren(parent);
  if (block == NoBlock || index >= BlockSize(block)) return NoNode;
  return Ready(FStore->BlockStart[block] + index);
}

std::uint64_t VirtualTree::SiblingData(TNodeId node) const {
  if (!IsValidNode(node) || FFlat) return 0;
  return FStore->BlockData[BlockOf(node)];
}

bool VirtualTree::HasChildren(TNodeId node) const {
  return IsValidNode(node) && !FFlat && (FStore->RowFlags[Ready(node)] & rfHasChildren);
}

bool VirtualTree::IsVisible(TNodeId node) const {
  if (!IsValidNode(node)) return false;
  return FFlat || (FStore->RowFlags[Ready(node)] & rfVisible);
}

void VirtualTree::SetVisible(TNodeId node, bool visible) {
  if (!IsValidNode(node) || FFlat || IsVisible(node) == visible) return;
  FStore->RowFlags[node] ^= rfVisible;
  MarkRowDirty(node);
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
  return IsValidNode(node) && !FFlat && (FStore->RowFlags[Ready(node)] & rfExpanded);
}

void VirtualTree::SetExpanded(TNodeId node, bool expanded) {
  if (!IsValidNode(node) || FFlat || IsExpanded(node) == expanded) return;
  if (expanded && EnsureChildren(node) == NoBlock) return;
  FStore->RowFlags[node] ^= rfExpanded;
  MarkRowDirty(node);
  if (!expanded) ClampOffset();
  Invalidate();
}

void VirtualTree::SetSelected(TNodeId node, bool selected) {
  if (!IsValidNode(node) || IsSelected(node) == selected) return;
  FSelection.clear();
  if (selected) FSelection.insert(node);
  InvalidateNode(node);
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
      return Ready(node + 1);
    }
    node = s.BlockParent[block];
  }
  return NoNode;
}

TNodeId VirtualTree::GetNext(TNodeId node) {
  if (!IsValidNode(node)) return NoNode;
  if (!FFlat) {
    TBlockId block = EnsureChildren(node);
    if (block != NoBlock) return Ready(FStore->BlockStart[block]);
  }
  return NextSiblingOrUp(node);
}

TNodeId VirtualTree::GetPrevious(TNodeId node) {
  if (!IsValidNode(node)) return NoNode;
  if (FFlat) return node == 0 ? NoNode : node - 1;
  if (Index(node) == 0) return Parent(node);
  TNodeId prev = Ready(node - 1);
  for (;;) {
    TBlockId block = EnsureChildren(prev);
    if (block == NoBlock) return prev;
    prev = Ready(FStore->BlockStart[block] + BlockSize(block) - 1);
  }
}

TNodeId VirtualTree::GetLast() {
  if (FRootCount == 0) return NoNode;
  TNodeId last = Child(NoNode, FRootCount - 1);
  if (FFlat) return last;
  for (;;) {
    TBlockId block = EnsureChildren(last);
    if (block == NoBlock) return last;
    last = Ready(FStore->BlockStart[block] + BlockSize(block) - 1);
  }
}

TNodeId VirtualTree::GetFirstVisible() const {
  if (FRootCount == 0) return NoNode;
  if (FFlat) return 0;
  TNodeId node = Ready(FStore->BlockStart[0]);
  while (node != NoNode && !IsVisible(node)) node = NextSiblingOrUp(node);
  FShownHint = node;
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
  TNodeId hidden = node == FShownHint ? NoNode : VisibleBreak(node);
  TNodeId next;
  if (hidden != NoNode)
    next = NextSiblingOrUp(hidden);
  else if (IsExpanded(node))
    next = Ready(FStore->BlockStart[FStore->RowChildBlock[node]]);
  else
    next = NextSiblingOrUp(node);
  while (next != NoNode && !IsVisible(next)) next = NextSiblingOrUp(next);
  if (next != NoNode) FShownHint = next;
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
  auto shown = [this](TNodeId row) {
    if (row != NoNode) FShownHint = row;
    return row;
  };
  TNodeId hidden = node == FShownHint ? NoNode : VisibleBreak(node);
  if (hidden != NoNode) {
    // A collapsed shown ancestor comes right before everything inside it.
    if (hidden != node && IsVisible(hidden)) return shown(hidden);
    node = hidden;
  }
  for (;;) {
    if (Index(node) == 0) return shown(Parent(node));
    --node;
    if (IsVisible(node)) return shown(LastVisibleDescendantOrSelf(node));
  }
}

TNodeId VirtualTree::GetLastVisible() const {
  if (FRootCount == 0) return NoNode;
  if (FFlat) return FRootCount - 1;
  TNodeId first = FStore->BlockStart[0];
  TNodeId node = first + FRootCount;
  while (node > first && !IsVisible(node - 1)) --node;
  if (node == first) return NoNode;
  FShownHint = LastVisibleDescendantOrSelf(node - 1);
  return FShownHint;
}

// Document order inside top's subtree; create decides whether missing
// children are made or passed over.
TNodeId VirtualTree::NextInSubtree(TNodeId node, TNodeId top, bool create) {
  TBlockId block = create ? EnsureChildren(node) : FStore->RowChildBlock[node];
  if (block != NoBlock) return Ready(FStore->BlockStart[block]);
  for (TBlockId own = BlockOf(node); node != top; own = FStore->BlockParentBlock[own]) {
    if (node + 1 < FStore->BlockStart[own] + BlockSize(own)) {
      Remember(own);
      return Ready(node + 1);
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
      MarkRowDirty(n);
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
        bool unready = s.RowFlags[r] & rfUnready;
        s.RowFlags[r] |= rfDead;
        if (!unready && s.RowChildBlock[r] != NoBlock) s.BlockFlags[s.RowChildBlock[r]] |= bfDead;
        continue;
      }
      // Not made yet: the owner is asked when the row's run is reached.
      if (s.RowFlags[r] & rfUnready) continue;
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
    for (auto it = s.Indexes.begin(); it != s.Indexes.end();)
      it = (s.BlockFlags[it->first] & bfDead) ? s.Indexes.erase(it) : std::next(it);
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

std::size_t VirtualTree::AllocatedRowCount() const { return FFlat ? 0 : FStore->RowFlags.Size(); }

std::size_t VirtualTree::MemoryBytes() const {
  std::size_t bytes = sizeof(*this) + FSelection.size() * 48 + FHeights.size() * 48;
  if (!FFlat) bytes += sizeof(TStore) + FStore->Bytes();
  return bytes;
}

}  // namespace viewer
