// The model of the tree and grid controls the viewer shows. A toolkit paints
// what it says and forwards clicks, keys, wheel and scroll-bar moves to it.
//
// Rows come into being on demand: the owner answers, through OnInitChildren,
// how many children a row has, and initialises each new row in OnInitNode.
// The children of a row are created together as one contiguous block, so a
// row costs five bytes (its child block and its state bits) and a block about
// twenty-five: no pointers, no per-row caches. A row's parent and its index
// come from the block it lies in. Each block carries one 64-bit value
// from the owner (for the viewer: the key of the document node whose children
// they are). A block of more than 64 rows also keeps the running height of
// its rows per run of 64 (four bytes per run), so row top and row at y cost a
// binary search and a short scan per level however many siblings there are.
//
// A flat tree (the hex grids) is a plain list of rows that are only numbers:
// nothing at all is stored per row.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/geometry.h"

namespace viewer {

// A row handle. Stays valid until the rows are cleared or a re-initialisation
// drops the row's sibling block.
using TNodeId = std::uint32_t;
inline constexpr TNodeId NoNode = 0xFFFFFFFFu;

enum class TAlignment : std::uint8_t { taLeftJustify, taCenter, taRightJustify };

struct TColumn {
  int Width = 50;
  TAlignment Alignment = TAlignment::taLeftJustify;
  int Margin = 0;
};

using platform::TRect;

enum class TLineStyle : std::uint8_t { lsDotted, lsSolid };

// The look a painter uses; kept here so every toolkit reads the same record.
// Colours are 0x00BBGGRR, already resolved.
struct TTreeLook {
  std::u16string FontName;
  int FontSize = 10;
  bool FontBold = false;
  std::uint32_t FontColor = 0;
  std::uint32_t Color = 0xFFFFFF;
  std::uint32_t FocusedSelectionColor = 0;
  std::uint32_t LineColor = 0;  // tree lines and grid lines
  TLineStyle LineStyle = TLineStyle::lsDotted;
  int Indent = 18;
  bool ShowTreeLines = true;
  bool ShowButtons = true;
  bool HorzGridLines = false;
  bool VertGridLines = false;
};

// What the owner decides about a row when it is (re-)initialised.
struct TNodeInit {
  bool HasChildren = false;
  bool Visible = true;
};

// Keys the model handles itself (the toolkit maps its own codes to these).
enum class TTreeKey : std::uint8_t { tkUp, tkDown, tkLeft, tkRight, tkHome, tkEnd, tkPageUp, tkPageDown, tkPlus, tkMinus };

class VirtualTree {
 public:
  // parent is NoNode for a top-level row.
  using TInitNodeEvent = std::function<void(VirtualTree& sender, TNodeId parent, TNodeId node, TNodeInit& init)>;
  // The same for the count new sibling rows of one block at once (out[i] for
  // row first + i), with the value their block carries. When set, new blocks
  // are initialised through it; OnInitNode still serves ReinitAll.
  using TInitNodesEvent = std::function<void(VirtualTree& sender, TNodeId parent, TNodeId first, std::uint32_t count,
                                             std::uint64_t blockData, TNodeInit* out)>;
  // How many of the count rows from index first of a block (the children of
  // parent, carrying blockData) OnInitNodes would make visible, without making
  // them. With it, a block of more than 64 rows is initialised a run of 64 rows
  // at a time, when a row of the run is first reached; until then its runs
  // count as that many collapsed rows of the default height.
  using TCountVisibleEvent = std::function<std::uint32_t(VirtualTree& sender, TNodeId parent, std::uint32_t first,
                                                         std::uint32_t count, std::uint64_t blockData)>;
  // Returns the number of children of node and may set the value its child
  // block carries.
  using TInitChildrenEvent = std::function<std::uint32_t(VirtualTree& sender, TNodeId node, std::uint64_t& childrenData)>;
  using TFocusChangedEvent = std::function<void(VirtualTree& sender, TNodeId node, int column)>;
  using TScrollEvent = std::function<void(VirtualTree& sender, std::int64_t deltaY)>;
  // node is NoNode when the whole tree needs repainting.
  using TInvalidateEvent = std::function<void(VirtualTree& sender, TNodeId node)>;

  TInitNodeEvent OnInitNode;
  TInitNodesEvent OnInitNodes;
  TCountVisibleEvent OnCountVisible;
  TInitChildrenEvent OnInitChildren;
  TFocusChangedEvent OnFocusChanged;
  TScrollEvent OnScroll;
  TInvalidateEvent OnInvalidate;
  TTreeLook Look;

  explicit VirtualTree(bool flat = false);
  ~VirtualTree();
  VirtualTree(const VirtualTree&) = delete;
  VirtualTree& operator=(const VirtualTree&) = delete;

  bool IsFlat() const { return FFlat; }

  // Drops every row; focus and selection go with them.
  void Clear();
  // Replaces all rows by count top-level rows, initialised at once (a flat
  // tree stores nothing for them). rootData is the top-level block's value.
  void SetRootNodeCount(std::uint32_t count, std::uint64_t rootData = 0);
  std::uint32_t RootNodeCount() const { return FRootCount; }

  // Structure. Child and ChildCount create the children when they do not exist yet.
  TNodeId Parent(TNodeId node) const;
  std::uint32_t Index(TNodeId node) const;
  std::uint32_t Level(TNodeId node) const;
  std::uint32_t ChildCount(TNodeId node);
  TNodeId Child(TNodeId parent, std::uint32_t index);  // parent NoNode: top level
  // The value carried by the block node lies in (the top-level block's for a
  // top-level row).
  std::uint64_t SiblingData(TNodeId node) const;
  bool Exists(TNodeId node) const;

  // Per-row state.
  bool HasChildren(TNodeId node) const;
  bool IsVisible(TNodeId node) const;  // the row's own flag
  void SetVisible(TNodeId node, bool visible);
  // Shown: its own flag set, and every ancestor expanded and visible.
  bool IsFullyVisible(TNodeId node) const;
  bool IsExpanded(TNodeId node) const;
  // Expanding creates the children; a row that turns out to have none stays collapsed.
  void SetExpanded(TNodeId node, bool expanded);
  bool IsSelected(TNodeId node) const { return FSelection.count(node) != 0; }
  // Single selection: selecting a row deselects the others.
  void SetSelected(TNodeId node, bool selected);
  TNodeId FocusedNode() const { return FFocused; }
  int FocusedColumn() const { return FFocusedColumn; }
  // Both fire OnFocusChanged when the value changes.
  void SetFocusedNode(TNodeId node);
  void SetFocusedColumn(int column);

  // Document-order walks (parent, then its children, then the next sibling);
  // they create rows as they go. NoNode past either end.
  TNodeId GetFirst();
  TNodeId GetNext(TNodeId node);
  TNodeId GetPrevious(TNodeId node);
  TNodeId GetLast();
  // The same over shown rows only; they create nothing.
  TNodeId GetFirstVisible() const;
  TNodeId GetNextVisible(TNodeId node) const;
  TNodeId GetPreviousVisible(TNodeId node) const;
  TNodeId GetLastVisible() const;

  // Expands or collapses node and everything below it; NoNode means the whole tree.
  // Collapsing creates no rows.
  void FullExpand(TNodeId node = NoNode);
  void FullCollapse(TNodeId node = NoNode);
  // Asks the owner again about every existing row: OnInitNode for each, and
  // OnInitChildren for each whose children exist. A child block whose size
  // changes is dropped (and rebuilt when next needed); its rows stop existing.
  void ReinitAll();

  // Repaints requested inside an update bracket are sent once, at its end.
  void BeginUpdate();
  void EndUpdate();
  void Invalidate();
  void InvalidateNode(TNodeId node);

  // Row heights: rows follow the default unless given a height of their own.
  int DefaultNodeHeight() const { return FDefaultHeight; }
  void SetDefaultNodeHeight(int height);
  int NodeHeight(TNodeId node) const;
  void SetNodeHeight(TNodeId node, int height);
  // Every existing row takes the default height again.
  void ResetNodeHeights();

  // Columns (none: each row is one cell).
  void ClearColumns();
  int AddColumn(const TColumn& column);
  int ColumnCount() const { return static_cast<int>(FColumns.size()); }
  const TColumn& Column(int index) const { return FColumns.at(static_cast<std::size_t>(index)); }
  void SetColumnWidth(int index, int width);
  int TotalColumnWidth() const;

  // Geometry. Absolute y runs over all shown rows from 0; client y is absolute
  // y minus the vertical offset.
  void SetClientSize(int width, int height);
  int ClientWidth() const { return FClientWidth; }
  int ClientHeight() const { return FClientHeight; }
  std::int64_t TotalHeight() const;
  std::int64_t OffsetY() const { return FOffsetY; }
  // Clamped to [0, TotalHeight - ClientHeight]; fires OnScroll when it moves.
  void SetOffsetY(std::int64_t offset);
  // The shown row at client y, or NoNode.
  TNodeId GetNodeAt(int clientY) const;
  // Absolute top of a shown row.
  std::int64_t NodeTop(TNodeId node) const;
  // The row's rectangle in client coordinates, indented by level for a tree.
  TRect GetDisplayRect(TNodeId node) const;
  // Expands node's collapsed ancestors, then scrolls just enough to show it,
  // or puts it in the middle. True when the offset moved.
  bool ScrollIntoView(TNodeId node, bool center);

  // Keyboard navigation a tree or grid control does itself. True when taken.
  bool KeyDown(TTreeKey key, bool shift, bool ctrl);

  // Rows that hold storage (0 for a flat tree) and the bytes the model holds.
  std::size_t AllocatedRowCount() const;
  std::size_t MemoryBytes() const;

 private:
  struct TStore;
  struct TBlockIndex;
  using TBlockId = std::uint32_t;
  static constexpr TBlockId NoBlock = 0xFFFFFFFFu;

  bool FFlat;
  std::uint32_t FRootCount = 0;
  std::unique_ptr<TStore> FStore;  // tree rows and blocks; empty for a flat tree
  std::set<TNodeId> FSelection;
  TNodeId FFocused = NoNode;
  int FFocusedColumn = 0;
  int FDefaultHeight = 18;
  std::map<TNodeId, int> FHeights;  // rows with a height of their own
  std::vector<TColumn> FColumns;
  int FClientWidth = 0;
  int FClientHeight = 0;
  std::int64_t FOffsetY = 0;
  int FUpdateCount = 0;
  bool FPendingInvalidate = false;
  // A row known to be shown; any change of a row's state forgets it. Lets a
  // painter step from row to row without climbing to the top each time.
  mutable TNodeId FShownHint = NoNode;

  bool IsValidNode(TNodeId node) const;
  TBlockId BlockOf(TNodeId node) const;
  void Remember(TBlockId block) const;  // the block the next BlockOf will likely ask for
  std::uint32_t BlockSize(TBlockId block) const;
  TBlockId EnsureChildren(TNodeId node);
  TBlockId CreateBlock(TNodeId parent, std::uint32_t count, std::uint64_t data);
  void InitRow(TNodeId parent, TNodeId node);
  // A row of a lazily made block: its run is initialised when it is reached.
  bool IsUnready(TNodeId node) const;
  void ReadyRun(TNodeId node) const;
  TNodeId Ready(TNodeId node) const {
    if (node != NoNode && IsUnready(node)) ReadyRun(node);
    return node;
  }
  void ApplyInit(TNodeId node, const TNodeInit& init);
  TBlockIndex* IndexOf(TBlockId block) const;  // null for a block without one
  // node's height or state changed: its block's total and every ancestor's are stale.
  void MarkRowDirty(TNodeId node) const;
  void MarkAllDirty() const;
  void EnsureTotals() const;
  void SumBlock(TBlockId block) const;
  std::uint64_t RowTotal(TNodeId node) const;
  std::uint64_t RowsBefore(TBlockId block, TNodeId node) const;  // the block's rows before node
  TNodeId NextSiblingOrUp(TNodeId node) const;
  TNodeId NextInSubtree(TNodeId node, TNodeId top, bool create);
  TNodeId LastVisibleDescendantOrSelf(TNodeId node) const;
  TNodeId VisibleBreak(TNodeId node) const;
  void ClampOffset();
  void DropDeadFocus();
  void FocusAndShow(TNodeId node);
};

}  // namespace viewer
