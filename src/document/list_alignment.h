// The alignment of two lists by their items' hashes, for the comparison of a
// SEQUENCE OF: which item of one stands for which of the other, in order, so
// that what is left over was put in or taken out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

namespace viewer {

using TAlignedPairs = std::vector<std::pair<std::uint32_t, std::uint32_t>>;

// A table of the longest common subsequence is bounded: this many cells (2
// octets each) align a stretch of a thousand items on each side; a longer
// stretch gets no pairs. A list has this many cells, and a few more per item,
// for all its stretches.
inline constexpr std::size_t MaxAlignmentCells = std::size_t{1} << 20;
inline constexpr std::size_t AlignmentCellsPerItem = 4;

// The pairs (i, j) with a[i] == b[j] that align a with b, both increasing: the
// hashes that occur once on each side and keep their order (the longest such
// run), and between each two of them a longest common subsequence while its
// table stays within MaxAlignmentCells and the list's budget. Linear in
// practice: most items of two versions of a list are unique and in order, and
// the stretches between them short; n log n at worst, plus the bounded tables.
TAlignedPairs AlignHashes(std::span<const std::uint64_t> a, std::span<const std::uint64_t> b);

}  // namespace viewer
