// Aligning two lists by their items' hashes: anchors on the hashes unique to
// each side, then a bounded longest common subsequence between them.
#include "document/list_alignment.h"

#include <algorithm>
#include <unordered_map>

namespace viewer {

namespace {

constexpr std::uint32_t None = static_cast<std::uint32_t>(-1);

// Appends the pairs (first + i, first + j) of a longest common subsequence of
// a and b, in order; none when the table would pass MaxAlignmentCells or
// budget, which it uses up.
void CommonSubsequence(std::span<const std::uint64_t> a, std::span<const std::uint64_t> b,
                       std::pair<std::uint32_t, std::uint32_t> first, std::size_t& budget, TAlignedPairs& pairs) {
  const std::size_t rows = a.size() + 1, columns = b.size() + 1;
  if (a.empty() || b.empty() || rows * columns > std::min(MaxAlignmentCells, budget)) return;
  budget -= rows * columns;
  // length[i][j]: the longest common subsequence of a[i..] and b[j..]; it is
  // at most min(rows, columns), below 2^16 within the bound.
  std::vector<std::uint16_t> length(rows * columns, 0);
  auto at = [&](std::size_t i, std::size_t j) -> std::uint16_t& { return length[i * columns + j]; };
  for (std::size_t i = a.size(); i-- > 0;)
    for (std::size_t j = b.size(); j-- > 0;)
      at(i, j) = a[i] == b[j] ? static_cast<std::uint16_t>(at(i + 1, j + 1) + 1) : std::max(at(i + 1, j), at(i, j + 1));
  for (std::size_t i = 0, j = 0; i < a.size() && j < b.size();) {
    if (a[i] == b[j]) {
      pairs.emplace_back(first.first + static_cast<std::uint32_t>(i++), first.second + static_cast<std::uint32_t>(j++));
    } else if (at(i + 1, j) >= at(i, j + 1)) {
      ++i;
    } else {
      ++j;
    }
  }
}

// The pairs of hashes that occur once in a and once in b, in a's order, that
// keep b's order too: the longest such run (patience sorting, n log n).
TAlignedPairs UniqueAnchors(std::span<const std::uint64_t> a, std::span<const std::uint64_t> b) {
  struct TSeen {
    std::uint32_t CountA = 0, CountB = 0, J = 0;
  };
  std::unordered_map<std::uint64_t, TSeen> seen;
  seen.reserve(a.size() + b.size());
  for (std::uint32_t i = 0; i < a.size(); ++i) {
    ++seen[a[i]].CountA;
  }
  for (std::uint32_t j = 0; j < b.size(); ++j) {
    TSeen& s = seen[b[j]];
    ++s.CountB;
    s.J = j;
  }
  TAlignedPairs unique;
  for (std::uint32_t i = 0; i < a.size(); ++i)
    if (const TSeen& s = seen[a[i]]; s.CountA == 1 && s.CountB == 1) unique.emplace_back(i, s.J);
  // tails[k]: the anchor ending the best run of k + 1 found so far; back: each one's predecessor.
  std::vector<std::uint32_t> tails, back(unique.size(), None);
  for (std::uint32_t k = 0; k < unique.size(); ++k) {
    auto it = std::lower_bound(tails.begin(), tails.end(), unique[k].second,
                               [&](std::uint32_t t, std::uint32_t j) { return unique[t].second < j; });
    if (it != tails.begin()) back[k] = *(it - 1);
    if (it == tails.end()) tails.push_back(k);
    else *it = k;
  }
  TAlignedPairs run;
  for (std::uint32_t k = tails.empty() ? None : tails.back(); k != None; k = back[k]) run.push_back(unique[k]);
  std::reverse(run.begin(), run.end());
  return run;
}

}  // namespace

TAlignedPairs AlignHashes(std::span<const std::uint64_t> a, std::span<const std::uint64_t> b) {
  std::size_t budget = MaxAlignmentCells + AlignmentCellsPerItem * (a.size() + b.size());
  TAlignedPairs pairs;
  std::pair<std::uint32_t, std::uint32_t> next{0, 0};
  TAlignedPairs unique = UniqueAnchors(a, b);
  unique.emplace_back(static_cast<std::uint32_t>(a.size()), static_cast<std::uint32_t>(b.size()));
  for (const auto& [i, j] : unique) {
    CommonSubsequence(a.subspan(next.first, i - next.first), b.subspan(next.second, j - next.second), next, budget,
                      pairs);
    if (i == a.size()) break;
    pairs.emplace_back(i, j);
    next = {i + 1, j + 1};
  }
  return pairs;
}

}  // namespace viewer
