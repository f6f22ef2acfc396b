// The comparison of the shown document with another one, made into what the
// views need: per-element marks, octet ranges, ghost rows and positions.
#include "viewer/comparison.h"

#include <algorithm>

#include "settings/lang.h"
#include "text/ascii.h"

namespace viewer {

namespace {

constexpr int ComparingText = 611;        // "Comparing with %0..."
constexpr int NoDifferencesText = 612;    // "No differences with %0"
constexpr int OneDifferenceText = 613;    // "%0 difference with %1"
constexpr int DifferencesText = 614;      // "%0 differences with %1"
constexpr int OnlyThereTextId = 615;       // "only in %0"
constexpr std::uint32_t None = asn::NoElement;

// The index of element among the element children of parent, which are in
// the order of their indexes.
std::uint32_t ChildIndex(const TDocument& tree, std::uint32_t parent, std::uint32_t element) {
  std::uint32_t lo = 0;
  std::uint32_t hi = tree.ChildCount(parent);
  while (lo < hi) {
    const std::uint32_t mid = lo + (hi - lo) / 2;
    if (tree.Child(parent, mid) < element) lo = mid + 1;
    else hi = mid;
  }
  return lo;
}

// Whether the tree shows parent's element children as rows (an element whose
// decoded contents stay its value shows none).
bool ShowsChildren(const TDocument& tree, std::uint32_t parent) {
  const TTag tag = parent == None ? tree.Root() : tree.Element(parent);
  return static_cast<std::uint32_t>(tag.GetTagChildsCount()) == tree.ChildCount(parent);
}

// The row right after the element child at index among the root's rows:
// a failed block's error row stands after its block's elements, among them.
std::uint32_t RootRowAfter(const TDocument& tree, std::uint32_t index) {
  const TTag root = tree.Root();
  return static_cast<std::uint32_t>(root.RowOfTagChild(static_cast<std::int32_t>(index)) + 1 - root.TagChildsStart());
}

}  // namespace

TRowPlace PlaceOfRow(std::span<const TGhostRow> ghosts, std::uint32_t start, std::uint32_t row) {
  if (row < start || ghosts.empty()) return {false, row};
  const std::uint32_t k = row - start;
  // Ghost j stands at k == Before + j, which grows with j.
  std::size_t lo = 0;
  std::size_t hi = ghosts.size();
  while (lo < hi) {
    const std::size_t mid = lo + (hi - lo) / 2;
    if (ghosts[mid].Before + mid < k) lo = mid + 1;
    else hi = mid;
  }
  if (lo < ghosts.size() && ghosts[lo].Before + lo == k) return {true, static_cast<std::uint32_t>(lo)};
  return {false, row - static_cast<std::uint32_t>(lo)};
}

std::uint32_t RowOfDocumentRow(std::span<const TGhostRow> ghosts, std::uint32_t start, std::uint32_t documentRow) {
  if (documentRow < start) return documentRow;
  const std::uint32_t k = documentRow - start;
  const auto before = std::partition_point(ghosts.begin(), ghosts.end(), [k](const TGhostRow& g) { return g.Before <= k; });
  return documentRow + static_cast<std::uint32_t>(before - ghosts.begin());
}

TComparison::TComparison(std::unique_ptr<TDecodedDocument> other, std::u16string name)
    : FOther(std::move(other)), FName(std::move(name)) {}

void TComparison::Run(const TDecodedDocument& shown) {
  const TDocument& tree = shown.Elements();
  std::vector<TDifference> all = CompareDocuments(shown, *FOther);
  std::erase_if(all, [](const TDifference& d) { return d.Kind == TDiffKind::dkEncoding; });
  // Positions: an element's row is 2e + 2; a ghost row sits right after the
  // last element of the sibling it follows (or after its parent's row).
  std::vector<std::uint64_t> positions;
  positions.reserve(all.size());
  for (const TDifference& d : all) {
    if (d.ElementA != None) {
      positions.push_back(ElementPosition(d.ElementA));
      continue;
    }
    const std::uint32_t after = d.AfterA != None ? tree.SubtreeEnd(d.AfterA) - 1 : d.ParentA;
    positions.push_back(after == None ? 1 : 2 * std::uint64_t{after} + 3);
  }
  std::vector<std::size_t> order(all.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](std::size_t x, std::size_t y) { return positions[x] < positions[y]; });
  for (std::size_t i : order) {
    FDifferences.push_back(all[i]);
    FPositions.push_back(positions[i]);
  }

  if (!FDifferences.empty()) FMarks.assign(tree.ElementCount(), TDiffMark::dmNone);
  for (std::uint32_t i = 0; i < FDifferences.size(); ++i) {
    const TDifference& d = FDifferences[i];
    if (d.Kind == TDiffKind::dkAdded) {
      if (!ShowsChildren(tree, d.ParentA)) continue;
      std::uint32_t before = 0;
      if (d.AfterA != None) {
        const std::uint32_t after = ChildIndex(tree, d.ParentA, d.AfterA);
        before = d.ParentA == None ? RootRowAfter(tree, after) : after + 1;
      }
      FGhosts[d.ParentA].push_back({before, d.ElementB, i});
      continue;
    }
    const asn::TElementHeader header = tree.Header(d.ElementA);
    if (d.Kind == TDiffKind::dkChanged) {
      FMarks[d.ElementA] = TDiffMark::dmChanged;
      FOctets.push_back({header.Offset, std::int64_t{header.Offset} + header.FullLength(), TDiffMark::dmChanged});
      continue;
    }
    // Only here: the element and everything in it.
    const std::uint32_t end = tree.SubtreeEnd(d.ElementA);
    std::fill(FMarks.begin() + d.ElementA, FMarks.begin() + end, TDiffMark::dmOnlyHere);
    FOctets.push_back({header.Offset, std::int64_t{header.Offset} + header.FullLength(), TDiffMark::dmOnlyHere});
  }
  for (auto& [parent, ghosts] : FGhosts)
    std::stable_sort(ghosts.begin(), ghosts.end(), [](const TGhostRow& x, const TGhostRow& y) { return x.Before < y.Before; });
  std::sort(FOctets.begin(), FOctets.end(), [](const TOctets& x, const TOctets& y) { return x.First < y.First; });
  FDone = true;
}

std::u16string TComparison::StatusText() const {
  if (!FDone) return text::Placeholders(settings::GetLangTextById(ComparingText), std::span(&FName, 1));
  if (FDifferences.empty()) return text::Placeholders(settings::GetLangTextById(NoDifferencesText), std::span(&FName, 1));
  const std::u16string parts[] = {text::DecimalText(static_cast<std::int64_t>(FDifferences.size())), FName};
  return text::Placeholders(settings::GetLangTextById(FDifferences.size() == 1 ? OneDifferenceText : DifferencesText),
                            parts);
}

std::u16string TComparison::OnlyThereText() const {
  return text::Placeholders(settings::GetLangTextById(OnlyThereTextId), std::span(&FName, 1));
}

TDiffMark TComparison::MarkOf(std::uint32_t element) const {
  return element < FMarks.size() ? FMarks[element] : TDiffMark::dmNone;
}

TDiffMark TComparison::MarkOfOctet(std::int64_t offset) const {
  auto after = std::upper_bound(FOctets.begin(), FOctets.end(), offset,
                                [](std::int64_t value, const TOctets& o) { return value < o.First; });
  if (after == FOctets.begin()) return TDiffMark::dmNone;
  const TOctets& range = *std::prev(after);
  return offset < range.End ? range.Mark : TDiffMark::dmNone;
}

std::span<const TGhostRow> TComparison::GhostsIn(std::uint32_t parent) const {
  const auto it = FGhosts.find(parent);
  return it == FGhosts.end() ? std::span<const TGhostRow>() : std::span<const TGhostRow>(it->second);
}

std::int64_t TComparison::NextDifference(std::uint64_t position, bool backwards) const {
  if (FPositions.empty()) return -1;
  if (backwards) {
    const auto at = std::lower_bound(FPositions.begin(), FPositions.end(), position);
    return at == FPositions.begin() ? static_cast<std::int64_t>(FPositions.size()) - 1 : at - FPositions.begin() - 1;
  }
  const auto at = std::upper_bound(FPositions.begin(), FPositions.end(), position);
  return at == FPositions.end() ? 0 : at - FPositions.begin();
}

}  // namespace viewer
