// Storage of VirtualTree's rows and blocks, shared by its implementation files.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "viewer/virtual_tree.h"

namespace viewer {

// Fixed-size chunks: no copying and no doubling slack as rows are added.
template <class T>
class VirtualTree::TChunkedArray {
 public:
  static constexpr std::size_t ChunkBits = 12;
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

namespace vtree {

// Rows per run of a block's running heights; a block of more rows keeps them.
inline constexpr std::uint32_t IndexChunkRows = 64;

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
  TChunkedArray<std::uint32_t> RowChildBlock;
  TChunkedArray<std::uint8_t> RowFlags;
  TChunkedArray<std::uint32_t> BlockStart;
  TChunkedArray<std::uint32_t> BlockParent;
  TChunkedArray<std::uint32_t> BlockParentBlock;  // so climbing needs no search
  TChunkedArray<std::uint64_t> BlockData;
  // Height of the block's rows as if shown; 32 bits hold 20 million rows of 200 pixels.
  TChunkedArray<std::uint32_t> BlockTotal;
  TChunkedArray<std::uint8_t> BlockFlags;
  // Only blocks of more than IndexChunkRows rows have one.
  std::unordered_map<TBlockId, TBlockIndex> Indexes;
  // The two blocks asked about last: walks stay among siblings, or step
  // between a block and its parent's.
  mutable TBlockId LastBlock = 0;
  mutable TBlockId PreviousBlock = 0;

  std::size_t Bytes() const {
    std::size_t bytes = RowChildBlock.Bytes() + RowFlags.Bytes() + BlockStart.Bytes() + BlockParent.Bytes() +
                        BlockParentBlock.Bytes() + BlockData.Bytes() + BlockTotal.Bytes() + BlockFlags.Bytes();
    // A map entry is about 40 bytes beside its vector's contents.
    for (const auto& [block, index] : Indexes) bytes += 40 + index.Prefix.capacity() * sizeof(std::uint32_t);
    return bytes;
  }
};

}  // namespace viewer
