// The window's panes for a client size.
#include "viewer/window_layout.h"

#include <algorithm>

namespace viewer {

bool TreeNeedsScrollBar(std::int64_t treeHeight, int right, int bottom, int scrollBarWidth) {
  return scrollBarWidth > 0 && right > scrollBarWidth && bottom > 0 && treeHeight > bottom;
}

TWindowLayout LayOutWindow(const TLayoutInput& input) {
  const int width = std::max(0, input.ClientWidth);
  const int height = std::max(0, input.ClientHeight);
  const int bar = std::min(input.StatusBarHeight, height);
  const int scrollBar = input.ScrollBarWidth;
  TWindowLayout layout;
  layout.HexVisible = input.HexVisible;
  int treeRight = width;
  if (input.HexVisible) {
    int left = std::max(0, width - input.HexPanelWidth);
    layout.HexPanel = {left, 0, width, height};
    // Inside the one-pixel border.
    TRect inner{std::min(left + 1, width), std::min(1, height), std::max(left, width - 1), std::max(0, height - 1)};
    int gridsBottom = std::max(inner.Top, inner.Bottom - bar);
    int hex1Right = std::min(inner.Right, inner.Left + input.Hex1Width);
    int barLeft = std::max(hex1Right, inner.Right - scrollBar);
    layout.Hex1 = {inner.Left, inner.Top, hex1Right, gridsBottom};
    layout.Hex2 = {hex1Right, inner.Top, barLeft, gridsBottom};
    layout.HexScrollBar = {barLeft, inner.Top, inner.Right, gridsBottom};
    layout.HexStatus = {inner.Left, gridsBottom, inner.Right, inner.Bottom};
    treeRight = left;
  }
  int treeBottom = height - bar;
  layout.MainStatus = {0, treeBottom, treeRight, height};
  layout.Tree = {0, 0, treeRight, treeBottom};
  if (TreeNeedsScrollBar(input.TreeHeight, treeRight, treeBottom, scrollBar)) {
    layout.TreeScrollBar = {treeRight - scrollBar, 0, treeRight, treeBottom};
    layout.Tree.Right = treeRight - scrollBar;
  }
  return layout;
}

}  // namespace viewer
