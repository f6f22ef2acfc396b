// The window's panes over a table of client sizes, panel widths and tree heights.
#include "viewer/window_layout.h"

#include <gtest/gtest.h>

#include <string>

namespace viewer {
namespace {

std::string Text(const TRect& r) {
  if (r.IsEmpty()) return "-";
  return std::to_string(r.Left) + "," + std::to_string(r.Top) + "," + std::to_string(r.Right) + "," +
         std::to_string(r.Bottom);
}

// The panes that are not empty, in a fixed order.
std::string Text(const TWindowLayout& l) {
  return "tree " + Text(l.Tree) + " bar " + Text(l.TreeScrollBar) + " status " + Text(l.MainStatus) + " | panel " +
         Text(l.HexPanel) + " hex1 " + Text(l.Hex1) + " hex2 " + Text(l.Hex2) + " bar " + Text(l.HexScrollBar) +
         " status " + Text(l.HexStatus);
}

TEST(WindowLayout, PanesFollowTheSizes) {
  struct {
    const char* Label;
    int Width, Height;
    bool Hex;
    std::int64_t TreeHeight;
    const char* Panes;
  } cases[] = {
      {"hex panel hidden: the tree takes the width", 800, 600, false, 100,
       "tree 0,0,800,580 bar - status 0,580,800,600 | panel - hex1 - hex2 - bar - status -"},
      {"hex panel on the right, grids inside its border", 800, 600, true, 100,
       "tree 0,0,500,580 bar - status 0,580,500,600 | panel 500,0,800,600 hex1 501,1,701,579 hex2 701,1,783,579 "
       "bar 783,1,799,579 status 501,579,799,599"},
      {"rows taller than the tree: its bar takes room from it", 800, 600, true, 581,
       "tree 0,0,484,580 bar 484,0,500,580 status 0,580,500,600 | panel 500,0,800,600 hex1 501,1,701,579 "
       "hex2 701,1,783,579 bar 783,1,799,579 status 501,579,799,599"},
      {"rows that just fit need no bar", 800, 600, false, 580,
       "tree 0,0,800,580 bar - status 0,580,800,600 | panel - hex1 - hex2 - bar - status -"},
      {"narrower than the panel: the panel takes all, the tree nothing, no bar", 200, 600, true, 10000,
       "tree - bar - status - | panel 0,0,200,600 hex1 1,1,199,579 hex2 - bar - status 1,579,199,599"},
      {"lower than a status bar: only the status bar, no tree bar", 800, 10, false, 10000,
       "tree - bar - status 0,0,800,10 | panel - hex1 - hex2 - bar - status -"},
      {"negative sizes count as zero", -5, -5, true, 10000,
       "tree - bar - status - | panel - hex1 - hex2 - bar - status -"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    TLayoutInput input;
    input.ClientWidth = c.Width;
    input.ClientHeight = c.Height;
    input.HexVisible = c.Hex;
    input.HexPanelWidth = 300;
    input.Hex1Width = 200;
    input.ScrollBarWidth = 16;
    input.StatusBarHeight = 20;
    input.TreeHeight = c.TreeHeight;
    const TWindowLayout layout = LayOutWindow(input);
    EXPECT_EQ(Text(layout), c.Panes);
    EXPECT_EQ(layout.HexVisible, c.Hex);
    EXPECT_EQ(layout.TreeScrollBar.IsEmpty(),
              !TreeNeedsScrollBar(c.TreeHeight, layout.MainStatus.Right, layout.MainStatus.Top, 16));
  }
}

}  // namespace
}  // namespace viewer
