// VirtualTree through its public interface, driven by a small owner model
// written as text: "a(b c(d)) e" is two top-level rows, a with children b and
// c, c with child d; a leading '!' makes a row hidden.
#include "viewer/virtual_tree.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace viewer {
namespace {

struct TItem {
  std::string Name;
  bool Hidden = false;
  std::vector<std::unique_ptr<TItem>> Kids;
};

std::unique_ptr<TItem> ParseShape(const std::string& text) {
  auto root = std::make_unique<TItem>();
  std::vector<TItem*> stack{root.get()};
  TItem* last = nullptr;
  for (std::size_t i = 0; i < text.size();) {
    char c = text[i];
    if (c == ' ') {
      ++i;
    } else if (c == '(') {
      stack.push_back(last);
      ++i;
    } else if (c == ')') {
      stack.pop_back();
      ++i;
    } else {
      auto item = std::make_unique<TItem>();
      if (c == '!') {
        item->Hidden = true;
        ++i;
      }
      while (i < text.size() && std::isalnum(static_cast<unsigned char>(text[i]))) item->Name += text[i++];
      last = item.get();
      stack.back()->Kids.push_back(std::move(item));
    }
  }
  return root;
}

// The owner: a row's item is the child of its block's item at its index.
struct TOwner {
  std::unique_ptr<TItem> Root;
  VirtualTree Tree;
  int InitNodeCalls = 0;
  int InitChildrenCalls = 0;

  // lazy: the owner also answers for runs of rows and counts the shown ones,
  // so blocks of more than 64 rows are made a run at a time.
  explicit TOwner(const std::string& shape, bool lazy = false) : Root(ParseShape(shape)) {
    Tree.OnInitNode = [this](VirtualTree& t, TNodeId, TNodeId node, TNodeInit& init) {
      ++InitNodeCalls;
      TItem* item = ItemOf(t, node);
      init.HasChildren = !item->Kids.empty();
      init.Visible = !item->Hidden;
    };
    if (lazy) {
      Tree.OnInitNodes = [this](VirtualTree& t, TNodeId, TNodeId first, std::uint32_t count, std::uint64_t,
                                TNodeInit* out) {
        InitNodeCalls += static_cast<int>(count);
        for (std::uint32_t i = 0; i < count; ++i) {
          TItem* item = ItemOf(t, first + i);
          out[i].HasChildren = !item->Kids.empty();
          out[i].Visible = !item->Hidden;
        }
      };
      Tree.OnCountVisible = [](VirtualTree&, TNodeId, std::uint32_t first, std::uint32_t count, std::uint64_t data) {
        auto* parent = reinterpret_cast<TItem*>(static_cast<std::uintptr_t>(data));
        std::uint32_t shown = 0;
        for (std::uint32_t i = first; i < first + count; ++i) shown += parent->Kids[i]->Hidden ? 0 : 1;
        return shown;
      };
    }
    Tree.OnInitChildren = [this](VirtualTree& t, TNodeId node, std::uint64_t& data) {
      ++InitChildrenCalls;
      TItem* item = ItemOf(t, node);
      data = reinterpret_cast<std::uintptr_t>(item);
      return static_cast<std::uint32_t>(item->Kids.size());
    };
    Tree.SetRootNodeCount(static_cast<std::uint32_t>(Root->Kids.size()), reinterpret_cast<std::uintptr_t>(Root.get()));
  }

  static TItem* ItemOf(const VirtualTree& t, TNodeId node) {
    auto* parent = reinterpret_cast<TItem*>(static_cast<std::uintptr_t>(t.SiblingData(node)));
    return parent->Kids[t.Index(node)].get();
  }

  std::string Name(TNodeId node) const { return node == NoNode ? "-" : ItemOf(Tree, node)->Name; }

  TNodeId Find(const std::string& name) {
    for (TNodeId n = Tree.GetFirst(); n != NoNode; n = Tree.GetNext(n))
      if (Name(n) == name) return n;
    return NoNode;
  }

  void Expand(const std::vector<std::string>& names) {
    for (const std::string& name : names) Tree.SetExpanded(Find(name), true);
  }

  std::string Walk(TNodeId (VirtualTree::*first)(), TNodeId (VirtualTree::*next)(TNodeId)) {
    std::string out;
    for (TNodeId n = (Tree.*first)(); n != NoNode; n = (Tree.*next)(n)) out += (out.empty() ? "" : " ") + Name(n);
    return out;
  }

  std::string VisibleWalk(bool backwards) const {
    std::string out;
    TNodeId n = backwards ? Tree.GetLastVisible() : Tree.GetFirstVisible();
    for (; n != NoNode; n = backwards ? Tree.GetPreviousVisible(n) : Tree.GetNextVisible(n))
      out += (out.empty() ? "" : " ") + Name(n);
    return out;
  }
};

TEST(VirtualTree, WalksVisitEveryRowInDocumentOrder) {
  struct {
    const char* Label;
    const char* Shape;
    const char* Forward;
    const char* Backward;
  } cases[] = {
      {"empty", "", "", ""},
      {"flat siblings", "a b c", "a b c", "c b a"},
      {"nested", "a(b c(d)) e", "a b c d e", "e d c b a"},
      {"last row deep", "a(b(c(d)))", "a b c d", "d c b a"},
      {"hidden rows are walked too", "a(!b c) !d", "a b c d", "d c b a"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    TOwner forward(c.Shape);
    EXPECT_EQ(forward.Walk(&VirtualTree::GetFirst, &VirtualTree::GetNext), c.Forward);
    TOwner backward(c.Shape);
    EXPECT_EQ(backward.Walk(&VirtualTree::GetLast, &VirtualTree::GetPrevious), c.Backward);
  }
}

TEST(VirtualTree, RowsAreCreatedOnlyWhenNeeded) {
  TOwner o("a(b c(d e)) f(g)");
  EXPECT_EQ(o.Tree.AllocatedRowCount(), 2u);
  EXPECT_EQ(o.InitChildrenCalls, 0);
  o.Tree.SetExpanded(o.Tree.Child(NoNode, 0), true);
  EXPECT_EQ(o.Tree.AllocatedRowCount(), 4u);
  o.Walk(&VirtualTree::GetFirst, &VirtualTree::GetNext);
  EXPECT_EQ(o.Tree.AllocatedRowCount(), 7u);
  EXPECT_EQ(o.InitNodeCalls, 7);
  o.Walk(&VirtualTree::GetFirst, &VirtualTree::GetNext);
  EXPECT_EQ(o.InitNodeCalls, 7) << "a second walk initialises nothing again";
}

TEST(VirtualTree, VisibleWalksSkipCollapsedAndHiddenRows) {
  struct {
    const char* Label;
    const char* Shape;
    std::vector<std::string> Expanded;
    const char* Shown;
  } cases[] = {
      {"all collapsed", "a(b c(d)) e", {}, "a e"},
      {"one level", "a(b c(d)) e", {"a"}, "a b c e"},
      {"inner expanded under a collapsed row", "a(b c(d)) e", {"c"}, "a e"},
      {"fully expanded", "a(b c(d)) e", {"a", "c"}, "a b c d e"},
      {"hidden leaf", "a(!b c) d", {"a"}, "a c d"},
      {"hidden row hides its subtree", "a(!b(x y) c)", {"a", "b"}, "a c"},
      {"all children hidden", "a(!b !c) d", {"a"}, "a d"},
      {"hidden top rows", "!a b !c", {}, "b"},
      {"last child hidden", "a(b !c)", {"a"}, "a b"},
      {"nothing shown", "!a !b", {}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    TOwner o(c.Shape);
    o.Expand(c.Expanded);
    EXPECT_EQ(o.VisibleWalk(/*backwards=*/false), c.Shown);
    std::string forward = c.Shown;
    std::vector<std::string> parts;
    for (std::size_t p = 0; p < forward.size();) {
      std::size_t q = forward.find(' ', p);
      if (q == std::string::npos) q = forward.size();
      parts.push_back(forward.substr(p, q - p));
      p = q + 1;
    }
    std::string reversed;
    for (auto it = parts.rbegin(); it != parts.rend(); ++it) reversed += (reversed.empty() ? "" : " ") + *it;
    EXPECT_EQ(o.VisibleWalk(/*backwards=*/true), reversed);
  }
}

TEST(VirtualTree, VisibleNeighboursOfAHiddenRowAreTheShownRowsAroundIt) {
  struct {
    const char* Label;
    const char* Shape;
    std::vector<std::string> Expanded;
    const char* From;
    const char* Next;
    const char* Previous;
  } cases[] = {
      {"inside a collapsed row", "a(b(c d) e) f", {"a"}, "c", "e", "b"},
      {"inside a hidden row", "a(!b(c) e) f", {"a", "b"}, "c", "e", "a"},
      {"a hidden leaf", "a(b !c d)", {"a"}, "c", "d", "b"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    TOwner o(c.Shape);
    o.Expand(c.Expanded);
    TNodeId from = o.Find(c.From);
    EXPECT_FALSE(o.Tree.IsFullyVisible(from));
    EXPECT_EQ(o.Name(o.Tree.GetNextVisible(from)), c.Next);
    EXPECT_EQ(o.Name(o.Tree.GetPreviousVisible(from)), c.Previous);
  }
}

TEST(VirtualTree, FullExpandAndCollapseCoverTheWholeSubtree) {
  TOwner o("a(b(c) d(e)) f(g)");
  o.Tree.FullExpand(o.Tree.Child(NoNode, 0));
  EXPECT_EQ(o.VisibleWalk(false), "a b c d e f");
  o.Tree.FullExpand();
  EXPECT_EQ(o.VisibleWalk(false), "a b c d e f g");
  o.Tree.FullCollapse(o.Find("d"));
  EXPECT_EQ(o.VisibleWalk(false), "a b c d f g");
  o.Tree.FullCollapse();
  EXPECT_EQ(o.VisibleWalk(false), "a f");
  o.Tree.SetExpanded(o.Find("a"), true);
  EXPECT_EQ(o.VisibleWalk(false), "a b d f") << "collapsing all leaves no inner row expanded";
}

TEST(VirtualTree, ARowWithoutChildrenNeverExpands) {
  TOwner o("a b(c)");
  TNodeId a = o.Find("a");
  o.Tree.SetExpanded(a, true);
  EXPECT_FALSE(o.Tree.IsExpanded(a));
  // The owner said "has children" but then counts none: the button goes.
  o.Root->Kids[1]->Kids.clear();
  TNodeId b = o.Tree.Child(NoNode, 1);
  EXPECT_TRUE(o.Tree.HasChildren(b));
  o.Tree.SetExpanded(b, true);
  EXPECT_FALSE(o.Tree.IsExpanded(b));
  EXPECT_FALSE(o.Tree.HasChildren(b));
}

TEST(VirtualTree, ReinitAllAsksTheOwnerAgain) {
  TOwner o("a(b c) d(e)");
  o.Tree.FullExpand();
  TNodeId c = o.Find("c");
  TNodeId e = o.Find("e");
  o.Tree.SetFocusedNode(e);
  // Hide b, give a a third child, take d's only child away.
  o.Root->Kids[0]->Kids[0]->Hidden = true;
  o.Root->Kids[0]->Kids.push_back(std::make_unique<TItem>(TItem{"x", false, {}}));
  o.Root->Kids[1]->Kids.clear();
  std::vector<TNodeId> focusEvents;
  o.Tree.OnFocusChanged = [&](VirtualTree&, TNodeId node, int) { focusEvents.push_back(node); };
  o.Tree.ReinitAll();
  EXPECT_EQ(o.VisibleWalk(false), "a c x d");
  EXPECT_FALSE(o.Tree.Exists(c)) << "a block whose size changed is rebuilt";
  EXPECT_FALSE(o.Tree.Exists(e));
  EXPECT_FALSE(o.Tree.HasChildren(o.Find("d")));
  EXPECT_EQ(o.Tree.FocusedNode(), NoNode);
  EXPECT_EQ(focusEvents, std::vector<TNodeId>{NoNode});
}

TEST(VirtualTree, ReinitAllKeepsRowsWhoseBlocksKeepTheirSize) {
  TOwner o("a(b c) d");
  o.Tree.FullExpand();
  TNodeId b = o.Find("b");
  o.Tree.SetFocusedNode(b);
  o.Root->Kids[0]->Kids[1]->Hidden = true;
  o.Tree.ReinitAll();
  EXPECT_EQ(o.Tree.FocusedNode(), b);
  EXPECT_TRUE(o.Tree.IsExpanded(o.Find("a")));
  EXPECT_EQ(o.VisibleWalk(false), "a b d");
}

TEST(VirtualTree, GeometryFollowsShownRowsAndHeights) {
  TOwner o("a(b c(d)) e f");
  o.Tree.SetDefaultNodeHeight(10);
  o.Tree.SetClientSize(100, 30);
  o.Tree.FullExpand();  // a b c d e f: tops 0..50
  o.Tree.SetNodeHeight(o.Find("c"), 25);  // tops a0 b10 c20 d45 e55 f65, total 75
  struct {
    int ClientY;
    const char* Row;
  } hits[] = {{-1, "-"}, {0, "a"}, {9, "a"}, {10, "b"}, {44, "c"}, {45, "d"}, {64, "e"}, {74, "f"}, {75, "-"}};
  EXPECT_EQ(o.Tree.TotalHeight(), 75);
  for (const auto& h : hits) {
    SCOPED_TRACE(h.ClientY);
    EXPECT_EQ(o.Name(o.Tree.GetNodeAt(h.ClientY)), h.Row);
  }
  EXPECT_EQ(o.Tree.NodeTop(o.Find("d")), 45);
  o.Tree.Look.Indent = 7;
  EXPECT_EQ(o.Tree.GetDisplayRect(o.Find("d")), (TRect{14, 45, 100, 55}));
  o.Tree.SetExpanded(o.Find("c"), false);
  EXPECT_EQ(o.Tree.TotalHeight(), 65);
  EXPECT_EQ(o.Name(o.Tree.GetNodeAt(45)), "e");
  o.Tree.ResetNodeHeights();
  EXPECT_EQ(o.Tree.TotalHeight(), 50);
}

// Row tops and rows at y against a sum over the shown rows in document order,
// at every row's first and last pixel.
void ExpectGeometryOfEveryShownRow(TOwner& o) {
  std::int64_t top = 0;
  auto clientY = [&](std::int64_t y) { return static_cast<int>(y - o.Tree.OffsetY()); };
  for (TNodeId n = o.Tree.GetFirst(); n != NoNode; n = o.Tree.GetNext(n)) {
    if (!o.Tree.IsFullyVisible(n)) continue;
    int height = o.Tree.NodeHeight(n);
    ASSERT_EQ(o.Tree.NodeTop(n), top) << o.Name(n);
    ASSERT_EQ(o.Tree.GetDisplayRect(n).Top, clientY(top)) << o.Name(n);
    ASSERT_EQ(o.Name(o.Tree.GetNodeAt(clientY(top))), o.Name(n));
    ASSERT_EQ(o.Name(o.Tree.GetNodeAt(clientY(top + height - 1))), o.Name(n));
    top += height;
  }
  EXPECT_EQ(o.Tree.TotalHeight(), top);
  EXPECT_EQ(o.Tree.GetNodeAt(clientY(top)), NoNode);
}

// Blocks of hundreds of rows keep running heights per run of rows; each step
// below leaves other runs stale, and each must give the same geometry as a
// plain sum. Top level: 300 rows, rows 128 to 191 (one whole run) and every
// 11th hidden, every 7th with 100 children of which every 9th is hidden.
TEST(VirtualTree, GeometryOfLargeBlocksMatchesASumOverShownRows) {
  std::string shape;
  for (int i = 0; i < 300; ++i) {
    shape += (i >= 128 && i < 192) || i % 11 == 5 ? " !r" : " r";
    shape += std::to_string(i);
    if (i % 7 != 3) continue;
    shape += "(";
    for (int j = 0; j < 100; ++j) shape += (j % 9 == 4 ? " !c" : " c") + std::to_string(i) + "x" + std::to_string(j);
    shape += ")";
  }
  TOwner o(shape);
  o.Tree.SetDefaultNodeHeight(10);
  o.Tree.SetClientSize(100, 50);
  struct {
    const char* Label;
    std::function<void(TOwner&)> Change;
  } steps[] = {
      {"top level only", [](TOwner&) {}},
      {"one block expanded", [](TOwner& t) { t.Tree.SetExpanded(t.Find("r3"), true); }},
      {"everything expanded", [](TOwner& t) { t.Tree.FullExpand(); }},
      {"a tall row late in a child block", [](TOwner& t) { t.Tree.SetNodeHeight(t.Find("c290x95"), 37); }},
      {"a tall row in the first run", [](TOwner& t) { t.Tree.SetNodeHeight(t.Find("r1"), 23); }},
      {"a row hidden in a middle run", [](TOwner& t) { t.Tree.SetVisible(t.Find("r200"), false); }},
      {"rows shown again in the hidden run", [](TOwner& t) {
         t.Tree.SetVisible(t.Find("r130"), true);
         t.Tree.SetVisible(t.Find("r190"), true);
       }},
      {"blocks collapsed at both ends", [](TOwner& t) {
         t.Tree.SetExpanded(t.Find("r3"), false);
         t.Tree.SetExpanded(t.Find("r297"), false);
       }},
      {"a collapsed block changed below", [](TOwner& t) { t.Tree.SetVisible(t.Find("c3x10"), false); }},
      {"and expanded again", [](TOwner& t) { t.Tree.SetExpanded(t.Find("r3"), true); }},
      {"a new default height", [](TOwner& t) { t.Tree.SetDefaultNodeHeight(13); }},
      {"own heights reset", [](TOwner& t) { t.Tree.ResetNodeHeights(); }},
      {"the owner asked again", [](TOwner& t) {
         t.Root->Kids[150]->Hidden = false;
         t.Root->Kids[10]->Kids.push_back(std::make_unique<TItem>(TItem{"new", false, {}}));
         t.Tree.ReinitAll();
       }},
      {"scrolled", [](TOwner& t) { t.Tree.SetOffsetY(1234); }},
      {"subtree collapsed", [](TOwner& t) { t.Tree.FullCollapse(t.Find("r150")); }},
      {"all collapsed", [](TOwner& t) { t.Tree.FullCollapse(); }},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.Label);
    step.Change(o);
    ExpectGeometryOfEveryShownRow(o);
  }
}

// A block of a thousand rows made a run of 64 at a time against the same block
// made at once: the same heights before any run is made, a handful of runs
// made for a row in the middle, and the same rows at every y after each change.
// Top level: rows 128 to 191 (one whole run) and every 11th hidden, every 97th
// with 300 children of which every 9th is hidden.
TEST(VirtualTree, ALargeBlockMadeRunByRunHasTheGeometryOfOneMadeAtOnce) {
  std::string shape;
  for (int i = 0; i < 1000; ++i) {
    shape += (i >= 128 && i < 192) || i % 11 == 5 ? " !r" : " r";
    shape += std::to_string(i);
    if (i % 97 != 0) continue;
    shape += "(";
    for (int j = 0; j < 300; ++j) shape += (j % 9 == 4 ? " !c" : " c") + std::to_string(i) + "x" + std::to_string(j);
    shape += ")";
  }
  TOwner eager(shape);
  TOwner lazy(shape, /*lazy=*/true);
  for (TOwner* o : {&eager, &lazy}) {
    o->Tree.SetDefaultNodeHeight(10);
    o->Tree.SetClientSize(100, 50);
  }
  EXPECT_EQ(lazy.Tree.TotalHeight(), eager.Tree.TotalHeight());
  EXPECT_EQ(lazy.InitNodeCalls, 0);
  for (TOwner* o : {&eager, &lazy}) o->Tree.SetExpanded(o->Tree.Child(NoNode, 485), true);
  TNodeId middle = lazy.Tree.Child(lazy.Tree.Child(NoNode, 485), 150);
  EXPECT_EQ(lazy.Name(middle), "c485x150");
  EXPECT_EQ(lazy.Tree.NodeTop(middle), eager.Tree.NodeTop(eager.Tree.Child(eager.Tree.Child(NoNode, 485), 150)));
  EXPECT_LE(lazy.InitNodeCalls, 3 * 64);

  auto expectSameRows = [&] {
    ASSERT_EQ(lazy.Tree.TotalHeight(), eager.Tree.TotalHeight());
    ASSERT_EQ(lazy.Tree.OffsetY(), eager.Tree.OffsetY());
    for (std::int64_t y = 0; y < eager.Tree.TotalHeight(); y += 7) {
      int clientY = static_cast<int>(y - eager.Tree.OffsetY());
      ASSERT_EQ(lazy.Name(lazy.Tree.GetNodeAt(clientY)), eager.Name(eager.Tree.GetNodeAt(clientY))) << y;
    }
  };
  struct {
    const char* Label;
    std::function<void(TOwner&)> Change;
  } steps[] = {
      {"one child block expanded", [](TOwner&) {}},
      {"scrolled to the middle", [](TOwner& t) { t.Tree.ScrollIntoView(t.Tree.Child(NoNode, 600), true); }},
      {"the owner asked again", [](TOwner& t) {
         t.Root->Kids[150]->Hidden = false;
         t.Root->Kids[700]->Hidden = true;
         t.Root->Kids[970]->Kids.push_back(std::make_unique<TItem>(TItem{"new", false, {}}));
         t.Tree.ReinitAll();
       }},
      {"a new default height", [](TOwner& t) { t.Tree.SetDefaultNodeHeight(13); }},
      {"a tall row late in the block", [](TOwner& t) { t.Tree.SetNodeHeight(t.Tree.Child(NoNode, 901), 37); }},
      {"a row hidden", [](TOwner& t) { t.Tree.SetVisible(t.Tree.Child(NoNode, 333), false); }},
      {"everything expanded", [](TOwner& t) { t.Tree.FullExpand(); }},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.Label);
    step.Change(eager);
    step.Change(lazy);
    expectSameRows();
  }
  EXPECT_EQ(lazy.VisibleWalk(false), eager.VisibleWalk(false));
  EXPECT_EQ(lazy.VisibleWalk(true), eager.VisibleWalk(true));
  ExpectGeometryOfEveryShownRow(lazy);
}

// A painter steps from shown row to shown row; a row it was given must not
// count as shown once a change hides it.
TEST(VirtualTree, VisibleNeighboursFollowChangesAfterAWalk) {
  struct {
    const char* Label;
    std::function<void(TOwner&)> Change;
    const char* Next;
    const char* Previous;
  } cases[] = {
      {"unchanged", [](TOwner&) {}, "d", "b"},
      {"parent collapsed", [](TOwner& o) { o.Tree.SetExpanded(o.Find("b"), false); }, "e", "b"},
      {"parent hidden", [](TOwner& o) { o.Tree.SetVisible(o.Find("b"), false); }, "e", "a"},
      {"row itself hidden", [](TOwner& o) { o.Tree.SetVisible(o.Find("c"), false); }, "d", "b"},
      {"all collapsed", [](TOwner& o) { o.Tree.FullCollapse(); }, "f", "a"},
      {"hidden by the owner", [](TOwner& o) {
         o.Root->Kids[0]->Hidden = true;
         o.Tree.ReinitAll();
       }, "f", "-"},
  };
  for (const auto& c : cases) {
    for (bool backwards : {false, true}) {
      SCOPED_TRACE(std::string(c.Label) + (backwards ? ", previous" : ", next"));
      TOwner o("a(b(c d) e) f");
      o.Expand({"a", "b"});
      o.Tree.SetDefaultNodeHeight(10);
      TNodeId row = o.Tree.GetNodeAt(15);
      ASSERT_EQ(o.Name(row), "b");
      row = o.Tree.GetNextVisible(row);
      ASSERT_EQ(o.Name(row), "c");
      c.Change(o);
      TNodeId neighbour = backwards ? o.Tree.GetPreviousVisible(row) : o.Tree.GetNextVisible(row);
      EXPECT_EQ(o.Name(neighbour), backwards ? c.Previous : c.Next);
    }
  }
}

TEST(VirtualTree, ScrollIntoViewMovesJustEnoughOrCentres) {
  struct {
    const char* Label;
    std::int64_t StartOffset;
    int Row;  // index of a top-level row; all rows 10 high, client 30, 20 rows
    bool Center;
    std::int64_t Offset;
  } cases[] = {
      {"already shown", 0, 1, false, 0},
      {"below: bottom aligns", 0, 5, false, 30},
      {"above: top aligns", 100, 2, false, 20},
      {"centred", 0, 10, true, 90},
      {"centring near the top clamps at 0", 50, 0, true, 0},
      {"centring near the end clamps", 0, 19, true, 170},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    VirtualTree tree;
    tree.SetDefaultNodeHeight(10);
    tree.SetClientSize(50, 30);
    tree.SetRootNodeCount(20);
    tree.SetOffsetY(c.StartOffset);
    tree.ScrollIntoView(tree.Child(NoNode, c.Row), c.Center);
    EXPECT_EQ(tree.OffsetY(), c.Offset);
  }
}

TEST(VirtualTree, ScrollIntoViewExpandsCollapsedAncestors) {
  TOwner o("a(b(c)) d");
  TNodeId c = o.Find("c");
  EXPECT_FALSE(o.Tree.IsFullyVisible(c));
  o.Tree.ScrollIntoView(c, /*center=*/true);
  EXPECT_TRUE(o.Tree.IsFullyVisible(c));
}

TEST(VirtualTree, ScrollOffsetIsClampedAndReportsOnlyMoves) {
  VirtualTree tree(/*flat=*/true);
  tree.SetDefaultNodeHeight(10);
  tree.SetClientSize(50, 35);
  tree.SetRootNodeCount(10);
  std::vector<std::int64_t> deltas;
  tree.OnScroll = [&](VirtualTree&, std::int64_t delta) { deltas.push_back(delta); };
  tree.SetOffsetY(20);
  tree.SetOffsetY(20);
  tree.SetOffsetY(1000);
  tree.SetOffsetY(-5);
  EXPECT_EQ(deltas, (std::vector<std::int64_t>{-20, -45, 65}));
  tree.SetOffsetY(65);
  tree.SetClientSize(50, 90);  // the bottom may not stay above the last row
  EXPECT_EQ(tree.OffsetY(), 10);
}

TEST(VirtualTree, FocusChangesAreReportedOnce) {
  VirtualTree tree(/*flat=*/true);
  tree.SetRootNodeCount(3);
  std::vector<std::pair<TNodeId, int>> events;
  tree.OnFocusChanged = [&](VirtualTree&, TNodeId node, int column) { events.emplace_back(node, column); };
  tree.SetFocusedNode(1);
  tree.SetFocusedNode(1);
  tree.SetFocusedColumn(4);
  tree.SetFocusedColumn(4);
  tree.SetFocusedNode(7);  // no such row: focus goes
  tree.SetRootNodeCount(2);
  EXPECT_EQ(events, (std::vector<std::pair<TNodeId, int>>{{1, 0}, {1, 4}, {NoNode, 4}}));
}

TEST(VirtualTree, AnUpdateBracketRepaintsOnceAtTheEnd) {
  TOwner o("a(b c) d(e)");
  int repaints = 0;
  o.Tree.OnInvalidate = [&](VirtualTree&, TNodeId) { ++repaints; };
  o.Tree.BeginUpdate();
  o.Tree.FullExpand();
  o.Tree.ReinitAll();
  o.Tree.SetDefaultNodeHeight(30);
  EXPECT_EQ(repaints, 0);
  o.Tree.EndUpdate();
  EXPECT_EQ(repaints, 1);
}

TEST(VirtualTree, SelectionHoldsOneRow) {
  VirtualTree tree(/*flat=*/true);
  tree.SetRootNodeCount(5);
  tree.SetSelected(1, true);
  tree.SetSelected(3, true);
  EXPECT_FALSE(tree.IsSelected(1));
  EXPECT_TRUE(tree.IsSelected(3));
  tree.SetRootNodeCount(5);
  EXPECT_FALSE(tree.IsSelected(3));
}

TEST(VirtualTree, KeysMoveFocusOverShownRows) {
  struct {
    const char* Label;
    std::vector<TTreeKey> Keys;
    const char* Focused;
    const char* Shown;
  } cases[] = {
      {"down from nothing", {TTreeKey::tkDown}, "a", "a e"},
      {"down skips collapsed children", {TTreeKey::tkDown, TTreeKey::tkDown}, "e", "a e"},
      {"right expands, right again enters",
       {TTreeKey::tkDown, TTreeKey::tkRight, TTreeKey::tkRight},
       "b",
       "a b c e"},
      {"left goes to the parent, then collapses it",
       {TTreeKey::tkDown, TTreeKey::tkRight, TTreeKey::tkRight, TTreeKey::tkLeft, TTreeKey::tkLeft},
       "a",
       "a e"},
      {"end", {TTreeKey::tkEnd}, "e", "a e"},
      {"up stops at the first row", {TTreeKey::tkDown, TTreeKey::tkUp}, "a", "a e"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    TOwner o("a(b c(d)) e");
    for (TTreeKey key : c.Keys) o.Tree.KeyDown(key, false, false);
    EXPECT_EQ(o.Name(o.Tree.FocusedNode()), c.Focused);
    EXPECT_TRUE(o.Tree.IsSelected(o.Tree.FocusedNode()));
    EXPECT_EQ(o.VisibleWalk(false), c.Shown);
  }
}

TEST(VirtualTree, KeysMoveTheFocusedColumnOfAGrid) {
  VirtualTree grid(/*flat=*/true);
  for (int i = 0; i < 8; ++i) grid.AddColumn({});
  grid.SetRootNodeCount(3);
  grid.KeyDown(TTreeKey::tkEnd, false, false);
  EXPECT_EQ(grid.FocusedNode(), 2u);
  EXPECT_EQ(grid.FocusedColumn(), 7);
  grid.KeyDown(TTreeKey::tkRight, false, false);
  EXPECT_EQ(grid.FocusedColumn(), 7);
  grid.KeyDown(TTreeKey::tkLeft, false, false);
  EXPECT_EQ(grid.FocusedColumn(), 6);
}

TEST(VirtualTree, AFlatListOfTwelveMillionRowsStoresNothingPerRow) {
  const std::uint32_t rows = 12'500'000;
  VirtualTree grid(/*flat=*/true);
  grid.SetDefaultNodeHeight(18);
  grid.SetClientSize(300, 400);
  grid.SetRootNodeCount(rows);
  EXPECT_EQ(grid.AllocatedRowCount(), 0u);
  EXPECT_LT(grid.MemoryBytes(), 4096u);
  EXPECT_EQ(grid.TotalHeight(), std::int64_t{rows} * 18);
  TNodeId last = grid.GetLast();
  EXPECT_EQ(last, rows - 1);
  grid.ScrollIntoView(last, /*center=*/true);
  EXPECT_EQ(grid.OffsetY(), std::int64_t{rows} * 18 - 400);
  EXPECT_EQ(grid.GetNodeAt(399), last);
  EXPECT_EQ(grid.GetDisplayRect(last).Top, 400 - 18);
  grid.SetFocusedNode(last);
  grid.SetSelected(last, true);
  EXPECT_EQ(grid.GetNextVisible(last), NoNode);
  EXPECT_EQ(grid.GetPreviousVisible(last), last - 1);
  EXPECT_LT(grid.MemoryBytes(), 4096u);
}

TEST(VirtualTree, AFlatListHonoursRowsWithHeightsOfTheirOwn) {
  VirtualTree grid(/*flat=*/true);
  grid.SetDefaultNodeHeight(10);
  grid.SetRootNodeCount(6);
  grid.SetNodeHeight(2, 30);  // tops 0 10 20 50 60 70
  struct {
    int Y;
    TNodeId Row;
  } hits[] = {{5, 0}, {20, 2}, {49, 2}, {50, 3}, {79, 5}, {80, NoNode}};
  for (const auto& h : hits) {
    SCOPED_TRACE(h.Y);
    EXPECT_EQ(grid.GetNodeAt(h.Y), h.Row);
  }
  EXPECT_EQ(grid.NodeTop(4), 60);
  EXPECT_EQ(grid.TotalHeight(), 80);
}

// A chain a million rows deep: every walk, expansion and geometry question
// must work without native recursion.
TEST(VirtualTree, AMillionLevelsDeepNeedNoRecursion) {
  const std::uint32_t depth = 1'000'000;
  VirtualTree tree;
  tree.OnInitNode = [](VirtualTree& t, TNodeId, TNodeId node, TNodeInit& init) {
    init.HasChildren = t.SiblingData(node) + 1 < depth;
  };
  tree.OnInitChildren = [](VirtualTree& t, TNodeId node, std::uint64_t& data) {
    data = t.SiblingData(node) + 1;  // the level of the children
    return 1u;
  };
  tree.SetDefaultNodeHeight(10);
  tree.SetClientSize(100, 100);
  tree.SetRootNodeCount(1, 0);
  TNodeId last = tree.GetLast();
  EXPECT_EQ(tree.AllocatedRowCount(), depth);
  EXPECT_EQ(tree.SiblingData(last), depth - 1);
  EXPECT_EQ(tree.Level(last), depth - 1);
  std::uint32_t walked = 0;
  for (TNodeId n = last; n != NoNode; n = tree.GetPrevious(n)) ++walked;
  EXPECT_EQ(walked, depth);
  tree.FullExpand();
  EXPECT_EQ(tree.TotalHeight(), std::int64_t{depth} * 10);
  EXPECT_EQ(tree.GetLastVisible(), last);
  tree.ScrollIntoView(last, /*center=*/false);
  EXPECT_EQ(tree.GetNodeAt(99), last);
  EXPECT_EQ(tree.NodeTop(last), std::int64_t{depth - 1} * 10);
  tree.ReinitAll();
  EXPECT_TRUE(tree.Exists(last));
  tree.FullCollapse(tree.GetFirst());
  EXPECT_EQ(tree.TotalHeight(), 10);
}

}  // namespace
}  // namespace viewer
