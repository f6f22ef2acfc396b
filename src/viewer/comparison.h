// The shown document compared with another file, as the viewer shows it: marks
// on the elements that changed or are only here, rows of their own for what only
// the other file has at the place it would take, where Next and Previous
// difference go, and the status text. The window maps its rows through it.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "document/compare.h"
#include "document/document.h"

namespace viewer {

enum class TDiffMark : std::uint8_t { dmNone, dmChanged, dmOnlyHere };

// A row for an element only the other document has, among the element rows of
// its parent: before the parent's element child Before (its count: after all).
struct TGhostRow {
  std::uint32_t Before;
  std::uint32_t Element;     // in the other document
  std::uint32_t Difference;  // its index in Differences()
};

// Where a row among a parent's rows leads: a row of the document (the index
// TTag::Childs takes) or a ghost row (the index in the parent's ghosts).
struct TRowPlace {
  bool Ghost = false;
  std::uint32_t Index = 0;
  bool operator==(const TRowPlace&) const = default;
};

// The place of tree row row among rows whose element rows begin at start, with
// ghosts (sorted by Before) among them; and back from a document row.
TRowPlace PlaceOfRow(std::span<const TGhostRow> ghosts, std::uint32_t start, std::uint32_t row);
std::uint32_t RowOfDocumentRow(std::span<const TGhostRow> ghosts, std::uint32_t start, std::uint32_t documentRow);

class TComparison {
 public:
  // other is the document to compare with, loaded; name is how the status bar names it.
  TComparison(std::unique_ptr<TDecodedDocument> other, std::u16string name);

  // Compares shown with the other document; the marks, ghosts and counts
  // below are empty until it has run. shown must outlive the comparison.
  void Run(const TDecodedDocument& shown);
  bool Done() const { return FDone; }

  const TDecodedDocument& Other() const { return *FOther; }
  const std::u16string& Name() const { return FName; }
  const std::vector<TDifference>& Differences() const { return FDifferences; }
  // "Comparing with b.der...", "3 differences with b.der", "No differences with b.der".
  std::u16string StatusText() const;
  // "only in b.der": the value of a row of the other file's structure.
  std::u16string OnlyThereText() const;

  TDiffMark MarkOf(std::uint32_t element) const;
  // The mark of the element whose own octets hold offset: its value changed, or
  // it (or an element around it) is only here.
  TDiffMark MarkOfOctet(std::int64_t offset) const;
  // The ghost rows among the children of parent (asn::NoElement: the top level).
  std::span<const TGhostRow> GhostsIn(std::uint32_t parent) const;

  // Where a row lies in document order, for Next and Previous difference: an
  // element's row, or a ghost row (of difference d); 0 before every row.
  static constexpr std::uint64_t Start = 0;
  std::uint64_t ElementPosition(std::uint32_t element) const { return 2 * std::uint64_t{element} + 2; }
  std::uint64_t Position(std::uint32_t difference) const { return FPositions[difference]; }
  // The next difference after position (or before it, backwards), wrapping
  // round; -1 with none.
  std::int64_t NextDifference(std::uint64_t position, bool backwards) const;
  // The difference after (before) difference, wrapping round.
  std::int64_t Step(std::uint32_t difference, bool backwards) const {
    const std::size_t count = FDifferences.size();
    return static_cast<std::int64_t>((difference + (backwards ? count - 1 : 1)) % count);
  }

 private:
  struct TOctets {
    std::int64_t First;
    std::int64_t End;
    TDiffMark Mark;
  };
  std::unique_ptr<TDecodedDocument> FOther;
  std::u16string FName;
  bool FDone = false;
  std::vector<TDifference> FDifferences;   // without dkEncoding, in position order
  std::vector<std::uint64_t> FPositions;   // per difference
  std::vector<TDiffMark> FMarks;           // per element of the shown document; empty: none
  std::vector<TOctets> FOctets;            // by offset, not overlapping
  std::unordered_map<std::uint32_t, std::vector<TGhostRow>> FGhosts;
};

}  // namespace viewer
