// Storage of VirtualTree's rows and blocks, shared by its implementation files.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "document/chunked_array.h"
#include "viewer/virtual_tree.h"

namespace viewer {

namespace vtree {

// Rows per run of a block's running heights; a block of more rows keeps them.
inline constexpr std::uint32_t IndexChunkRows = 64;

enum TRowFlag : std::uint8_t {
  rfHasChildren = 1,
  rfChildrenInit = 2,  // OnInitChildren has answered
  rfExpanded = 4,
  rfVisible = 8,
  rfDead = 16,  // its block was dropped by a re-initialisation
  rfUnready = 32,  // in a run of a lazily made block that OnInitNodes has not seen yet
};

enum TBlockFlag : std::uint8_t {
  bfDirty = 1,  // Total is stale; every ancestor block is then stale too
  bfDead = 2,
};

}  // namespace vtree

// The running heights of a large block: Prefix[k] is the total of the rows
// before run k (IndexChunkRows rows each), with one more entry for the whole
// block. Runs [DirtyFrom, DirtyTo) are stale and summed again on demand; the
// runs after them only shift.
struct VirtualTree::TBlockIndex {
  std::vector<std::uint32_t> Prefix;
  std::uint32_t DirtyFrom = 0;
  std::uint32_t DirtyTo = 0;

  std::uint32_t Chunks() const { return static_cast<std::uint32_t>(Prefix.size() - 1); }
  void MarkChunk(std::uint32_t chunk) {
    if (DirtyFrom >= DirtyTo) {
      DirtyFrom = chunk;
      DirtyTo = chunk + 1;
      return;
    }
    DirtyFrom = std::min(DirtyFrom, chunk);
    DirtyTo = std::max(DirtyTo, chunk + 1);
  }
  void MarkAll() {
    DirtyFrom = 0;
    DirtyTo = Chunks();
  }
};

struct VirtualTree::TStore {
  // Chunks of 4096 entries: no copying and no doubling slack as rows are added.
  template <class T>
  using TArray = TChunkedArray<T, 12>;

  TArray<std::uint32_t> RowChildBlock;
  TArray<std::uint8_t> RowFlags;
  TArray<std::uint32_t> BlockStart;
  TArray<std::uint32_t> BlockParent;
  TArray<std::uint32_t> BlockParentBlock;  // so climbing needs no search
  TArray<std::uint64_t> BlockData;
  // Height of the block's rows as if shown; 32 bits hold 20 million rows of 200 pixels.
  TArray<std::uint32_t> BlockTotal;
  TArray<std::uint8_t> BlockFlags;
  // Only blocks of more than IndexChunkRows rows have one.
  std::unordered_map<TBlockId, TBlockIndex> Indexes;
  // The two blocks asked about last: walks stay among siblings, or step
  // between a block and its parent's.
  mutable TBlockId LastBlock = 0;
  mutable TBlockId PreviousBlock = 0;

  std::size_t Bytes() const {
    std::size_t bytes = RowChildBlock.MemoryUsed() + RowFlags.MemoryUsed() + BlockStart.MemoryUsed() +
                        BlockParent.MemoryUsed() + BlockParentBlock.MemoryUsed() + BlockData.MemoryUsed() +
                        BlockTotal.MemoryUsed() + BlockFlags.MemoryUsed();
    // A map entry is about 40 bytes beside its vector's contents.
    for (const auto& [block, index] : Indexes) bytes += 40 + index.Prefix.capacity() * sizeof(std::uint32_t);
    return bytes;
  }
};

inline bool VirtualTree::IsUnready(TNodeId node) const {
  return !FFlat && (FStore->RowFlags[node] & vtree::rfUnready);
}

}  // namespace viewer
