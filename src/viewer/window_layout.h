// The viewer window's panes as a pure function of the sizes they depend on:
// the client area, the hex panel's widths, the scroll bar and the tree's height.
#pragma once

#include <cstdint>

#include "viewer/view.h"

namespace viewer {

struct TLayoutInput {
  int ClientWidth = 0;
  int ClientHeight = 0;
  bool HexVisible = true;
  int HexPanelWidth = 0;  // the hex panel with its border
  int Hex1Width = 0;      // the bytes grid within it
  int ScrollBarWidth = 0;  // the display's vertical scroll bar
  int StatusBarHeight = 0;
  std::int64_t TreeHeight = 0;  // all shown rows of the structure tree
};

// Whether the structure tree, right and bottom its extent, needs its bar: when
// the rows do not fit. The bar's rectangle is never empty when it is needed,
// which the form's check for a change of need relies on.
bool TreeNeedsScrollBar(std::int64_t treeHeight, int right, int bottom, int scrollBarWidth);

// The panes: the hex panel on the right (with its one-pixel border, the two
// grids, their one bar and the hex status bar inside), the structure tree and
// its status bar on the left. Negative sizes count as zero.
TWindowLayout LayOutWindow(const TLayoutInput& input);

}  // namespace viewer
