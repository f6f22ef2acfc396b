// The documents an opened element was opened from: each waits on a stack with
// what the structure tree showed of it and where it lay, until Back shows it again.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "document/document.h"
#include "document/tag.h"
#include "viewer/virtual_tree.h"

namespace viewer {

// What the structure tree showed, to show it again: rows as index paths from the top.
struct TTreeViewState {
  std::vector<std::vector<std::uint32_t>> Expanded;  // shown expanded rows, in document order
  std::vector<std::uint32_t> Focused;                // empty: none
  int FocusedColumn = 0;
  std::int64_t OffsetY = 0;
};

// The expanded rows kept for going back; the rest of a huge tree opens as it did first.
inline constexpr std::size_t MaxSavedExpandedRows = 100000;

// Maps a row's index among the children of parent (NoNode: the top level) to
// another numbering, for views saved while rows come and go between them.
using TRowIndexMap = std::function<std::uint32_t(TNodeId parent, std::uint32_t index)>;

// The paths in the tree's row indexes, or as toSaved numbers them.
TTreeViewState SaveTreeView(const VirtualTree& tree, const TRowIndexMap& toSaved = {});
// Collapses tree, then expands, focuses and scrolls as state says (its paths
// numbered as toTree maps back to rows); paths that no longer lead to a row are skipped.
void RestoreTreeView(VirtualTree& tree, const TTreeViewState& state, const TRowIndexMap& toTree = {});

// The bytes element opens as: an encapsulating OCTET STRING's contents, an
// encapsulating BIT STRING's after its unused-bits octet, else the whole encoding.
std::span<const std::uint8_t> OpenedBytes(const TDecodedDocument& document, TTag element);

class TDocumentStack {
 public:
  // Where a document opened from element of shown lies: "name at offset N of
  // where", where being the shown document's own location, "clipboard" or the
  // file part of its name. typeNames: name the element by its schema type.
  std::u16string LocationOf(const TDecodedDocument& shown, TTag element, bool typeNames) const;
  // The shown document goes on the stack with its view; location becomes the
  // location of the document shown next.
  void Push(std::unique_ptr<TDecodedDocument> shown, TTreeViewState view, std::u16string location);
  struct TFrame {
    std::unique_ptr<TDecodedDocument> Document;  // null: the stack was empty
    TTreeViewState View;
  };
  // The document the shown one was opened from, its location shown again.
  TFrame Pop();
  // The file's own document, the stack emptied; null when it is shown already.
  std::unique_ptr<TDecodedDocument> PopAll();
  // Drops every waiting document: a new document replaces them all.
  void Clear();
  // Documents under the shown one: 0 while the file's own document is shown.
  std::size_t Depth() const { return FFrames.size(); }
  // Where the shown document lies ("Certificate at offset 1234 of chain.p7b");
  // empty for the file's own document.
  const std::u16string& Location() const { return FLocation; }

 private:
  struct TSaved {
    std::unique_ptr<TDecodedDocument> Document;
    TTreeViewState View;
    std::u16string Location;
  };
  std::vector<TSaved> FFrames;  // the file's own document first
  std::u16string FLocation;
};

}  // namespace viewer
