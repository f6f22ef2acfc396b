// The controller as a front-end drives it: scroll bars that fit an int and move
// the view the core says, steps clamped to the range, the views that take
// keys and when the focus follows the active one, the idle work's queue, where
// each view goes and the hex panel's border on the window.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/fake/recording_canvas.h"
#include "viewer/controller.h"
#include "views_test_util.h"

namespace viewer::test {
namespace {

using platform::fake::TDrawKind;
using platform::fake::TRecordingCanvas;

class ControllerTest : public ViewsTest {
 protected:
  void ShowCert() {
    ShowSample("cert.der");
    Probe(Form).Resize(800, 400);
  }
  TViewerController& Controller() { return Form.Controller(); }
};

TEST_F(ControllerTest, EachBarMovesItsViewAndTheHexBarBothGrids) {
  ShowCert();
  struct {
    const char* Label;
    TView View;
    std::optional<TScrollBar> Bar;
  } cases[] = {
      {"tree", TView::vwTree, TScrollBar::sbTree},   {"bytes grid", TView::vwHex1, TScrollBar::sbHex},
      {"text grid", TView::vwHex2, TScrollBar::sbHex}, {"main status", TView::vwMainStatus, std::nullopt},
      {"hex status", TView::vwHexStatus, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    EXPECT_EQ(TViewerController::ScrollBarOf(c.View), c.Bar);
  }
  const int line = Probe(Form).Hex2VT().DefaultNodeHeight();
  Controller().Scroll(TScrollBar::sbHex, TScrollRequest::srLineDown);
  EXPECT_EQ(Probe(Form).Hex2VT().OffsetY(), line);
  EXPECT_EQ(Probe(Form).Hex1VT().OffsetY(), line) << "the bytes grid follows the text grid";
  EXPECT_EQ(Probe(Form).TreeVT().OffsetY(), 0);
  EXPECT_EQ(Controller().ScrollBarState(TScrollBar::sbHex).Position, line);
  EXPECT_EQ(Controller().ScrollBarState(TScrollBar::sbHex).Bounds, Probe(Form).Layout().HexScrollBar);
}

TEST_F(ControllerTest, RequestsStepAndStayWithinTheRange) {
  ShowCert();
  Probe(Form).ExpandTree();
  VirtualTree& tree = Probe(Form).TreeVT();
  const std::int64_t range = tree.TotalHeight() - tree.ClientHeight();
  ASSERT_GT(range, 3 * tree.ClientHeight()) << "the sample's tree must scroll";
  const int line = tree.DefaultNodeHeight();
  const int page = tree.ClientHeight();
  struct {
    const char* Label;
    std::int64_t From;
    TScrollRequest Request;
    int Thumb;
    std::int64_t Expected;
  } cases[] = {
      {"line down", 0, TScrollRequest::srLineDown, 0, line},
      {"line up at the top stays", 0, TScrollRequest::srLineUp, 0, 0},
      {"page down", line, TScrollRequest::srPageDown, 0, line + page},
      {"page up past the top stops there", line, TScrollRequest::srPageUp, 0, 0},
      {"page down past the end stops there", range - 1, TScrollRequest::srPageDown, 0, range},
      {"bottom", 0, TScrollRequest::srBottom, 0, range},
      {"top", range, TScrollRequest::srTop, 0, 0},
      {"thumb", 0, TScrollRequest::srThumb, 37, 37},
      {"thumb beyond the range", 0, TScrollRequest::srThumb, INT_MAX, range},
      {"negative thumb", line, TScrollRequest::srThumb, -5, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    tree.SetOffsetY(c.From);
    Controller().Scroll(TScrollBar::sbTree, c.Request, c.Thumb);
    EXPECT_EQ(tree.OffsetY(), c.Expected);
  }
  TScrollBarState state = Controller().ScrollBarState(TScrollBar::sbTree);
  EXPECT_TRUE(state.Visible);
  EXPECT_EQ(state.Max, range);
  EXPECT_EQ(state.Page, page);
  EXPECT_EQ(state.LineStep, line);
}

TEST_F(ControllerTest, RangesBeyondAnIntAreScaledToFitOne) {
  ShowCert();
  // Billions of pixels of rows, as a multi-gigabyte file would have; the grids
  // follow each other, so both get them.
  Probe(Form).Hex1VT().SetRootNodeCount(200'000'000);
  Probe(Form).Hex2VT().SetRootNodeCount(200'000'000);
  const std::int64_t range = Probe(Form).Hex2VT().TotalHeight() - Probe(Form).Hex2VT().ClientHeight();
  ASSERT_GT(range, std::int64_t{INT_MAX});
  TScrollBarState state = Controller().ScrollBarState(TScrollBar::sbHex);
  EXPECT_GT(state.Max, INT_MAX / 4) << "the bar keeps most of its resolution";
  EXPECT_GE(state.Page, 1);
  EXPECT_GE(state.LineStep, 1);

  Controller().Scroll(TScrollBar::sbHex, TScrollRequest::srBottom);
  EXPECT_EQ(Probe(Form).Hex2VT().OffsetY(), range);
  EXPECT_EQ(Controller().ScrollBarState(TScrollBar::sbHex).Position, state.Max);
  // The thumb halfway down the bar lands halfway down the grid, within one unit.
  Controller().Scroll(TScrollBar::sbHex, TScrollRequest::srThumb, state.Max / 2);
  const std::int64_t unit = range / state.Max + 1;
  EXPECT_NEAR(static_cast<double>(Probe(Form).Hex2VT().OffsetY()), static_cast<double>(range / 2), 2.0 * unit);
  // A line step still moves by one row, not by one unit of the bar.
  const std::int64_t before = Probe(Form).Hex2VT().OffsetY();
  Controller().Scroll(TScrollBar::sbHex, TScrollRequest::srLineDown);
  EXPECT_EQ(Probe(Form).Hex2VT().OffsetY() - before, Probe(Form).Hex2VT().DefaultNodeHeight());
}

TEST_F(ControllerTest, OnlyTheTreeAndTheGridsTakeKeys) {
  for (TView view : AllViews) {
    SCOPED_TRACE(static_cast<int>(view));
    bool expected = view == TView::vwTree || view == TView::vwHex1 || view == TView::vwHex2;
    EXPECT_EQ(TViewerController::TakesKeys(view), expected);
  }
}

TEST_F(ControllerTest, FocusedViewFollowsTheActiveControl) {
  ShowCert();
  EXPECT_EQ(Controller().FocusedView(), TView::vwTree);
  Controller().KeyDown(TKeyEvent{vk::Tab});
  EXPECT_EQ(Controller().FocusedView(), TView::vwHex1);
  TMouseEvent click;
  click.X = 5;
  click.Y = 5;
  Controller().MouseDown(TView::vwHex2, click);
  EXPECT_EQ(Controller().FocusedView(), TView::vwHex2);
}

// A front-end as both toolkits behave: it moves its focus only where the core
// says and reports each move back, focus out before focus in.
struct TFocusFrontEnd : IViewEvents {
  TViewerController* Controller = nullptr;
  std::optional<TView> Focus;  // the toolkit's focus; none: somewhere outside the viewer
  int IdleQueued = 0;
  void Give(std::optional<TView> view) {
    if (Focus) Controller->FocusChanged(*Focus, false);
    Focus = view;
    if (view) Controller->FocusChanged(*view, true);
  }
  void ActiveViewChanged(TView view) override {
    if (Controller->FocusFollowsActiveView()) Give(view);
  }
  void InvalidateView(TView, const TRect*) override {}
  void ScrollChanged(TView) override {}
  void LayoutChanged() override {}
  void StatusChanged(TView) override {}
  void PopupMenu(TView, int, int) override {}
  void IdleWorkQueued() override { ++IdleQueued; }
};

TEST_F(ControllerTest, TheFocusFollowsTheActiveViewOnlyWhileTheViewerHoldsIt) {
  ShowCert();
  TMouseEvent click;
  click.X = 5;
  click.Y = 5;
  using TStep = std::function<void(TFocusFrontEnd&, TViewerController&)>;
  const TStep tab = [](TFocusFrontEnd&, TViewerController& c) { c.KeyDown(TKeyEvent{vk::Tab}); };
  struct {
    const char* Label;
    TStep Before;
    TStep Act;
    TView Active;
    std::optional<TView> Focus;
  } cases[] = {
      {"held by the tree: Tab takes it along", [](TFocusFrontEnd& f, auto&) { f.Give(TView::vwTree); }, tab,
       TView::vwHex1, TView::vwHex1},
      {"held outside: Tab changes the view only", [](TFocusFrontEnd& f, auto&) { f.Give(std::nullopt); }, tab,
       TView::vwHex1, std::nullopt},
      {"given and taken back", [](TFocusFrontEnd& f, auto&) { f.Give(TView::vwTree); f.Give(std::nullopt); }, tab,
       TView::vwHex1, std::nullopt},
      {"a click while held outside", [](TFocusFrontEnd& f, auto&) { f.Give(std::nullopt); },
       [&](TFocusFrontEnd&, TViewerController& c) { c.MouseDown(TView::vwHex2, click); }, TView::vwHex2,
       std::nullopt},
      {"in before out, as a toolkit may send them",
       [](TFocusFrontEnd& f, TViewerController& c) {
         f.Focus = TView::vwTree;
         c.FocusChanged(TView::vwTree, true);
         c.FocusChanged(TView::vwHex2, false);
       },
       tab, TView::vwHex1, TView::vwHex1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    TFocusFrontEnd front;
    front.Controller = &Controller();
    Probe(Form).SetActiveControl(TFocusedControl::fcTree);
    Controller().Attach(&front, nullptr);
    c.Before(front, Controller());
    c.Act(front, Controller());
    EXPECT_EQ(Controller().FocusedView(), c.Active);
    EXPECT_EQ(front.Focus, c.Focus);
    front.Give(std::nullopt);
    Controller().Detach(&front, nullptr);
  }
}

TEST_F(ControllerTest, IdleWorkIsQueuedOnceAndRunsOnlyWhileSomeIsLeft) {
  TFocusFrontEnd front;
  front.Controller = &Controller();
  struct {
    const char* Label;
    std::function<void()> Step;
    int Queued;
    bool Left;
  } steps[] = {
      {"attached with nothing to do", [&] { Controller().Attach(&front, nullptr); }, 0, false},
      {"running then does nothing", [&] { Controller().RunIdleWork(); }, 0, false},
      {"a document's checks", [&] { Load(HexBytes("30 03 01 01 01")); }, 1, true},
      {"attached again: the work left is queued", [&] {
         Controller().Detach(&front, nullptr);
         Controller().Attach(&front, nullptr);
       }, 2, true},
      {"one run does it and queues nothing more", [&] { Controller().RunIdleWork(); }, 2, false},
      {"a second run finds nothing", [&] { Controller().RunIdleWork(); }, 2, false},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(s.Label);
    s.Step();
    EXPECT_EQ(front.IdleQueued, s.Queued);
    EXPECT_EQ(Controller().HasIdleWork(), s.Left);
  }
  EXPECT_EQ(Panel(Probe(Form).MainStatusBar(), 5), "1 DER problem") << "the checks ran";
  Controller().Detach(&front, nullptr);
}

// Runs nothing: keeps what each dialog asks the front-end to follow.
struct TCheckingRunner : settings::IDialogRunner {
  std::vector<std::string> Seen;  // each dialog's default button, then its faults
  settings::TScreenRect ViewerScreenRect() override { return {0, 0, 800, 400}; }
  void RunDialog(settings::TDialogController& dialog, const settings::TScreenRect&) override {
    std::string line = "default " + dialog.DefaultButton;
    for (const std::string& fault : settings::DescriptionFaults(dialog)) line += "; " + fault;
    Seen.push_back(line);
  }
};

TEST_F(ControllerTest, EveryDialogTheViewerRunsIsOneTheFrontEndsCanFollow) {
  ShowCert();
  Focus(Row(0));
  TCheckingRunner runner;
  Controller().Attach(nullptr, &runner);
  for (const char* name : {"mnElementInfo", "mnGoToOffset", "mnSettings", "mnAbout"})
    for (const TMenuItem& item : Controller().MenuItems())
      if (item.Name == name) Controller().RunMenuItem(item.Tag);
  EXPECT_EQ(runner.Seen,
            (std::vector<std::string>{"default btnOK", "default btnGo", "default btnOK", "default btnOK"}));
  Controller().Detach(nullptr, &runner);
}

TEST_F(ControllerTest, ViewsGoWhereTheLayoutSays) {
  ShowCert();
  const TWindowLayout& layout = Controller().Layout();
  EXPECT_EQ(Controller().ViewBounds(TView::vwTree), layout.Tree);
  EXPECT_EQ(Controller().ViewBounds(TView::vwHex1), layout.Hex1);
  EXPECT_EQ(Controller().ViewBounds(TView::vwHex2), layout.Hex2);
  EXPECT_EQ(Controller().ViewBounds(TView::vwMainStatus), layout.MainStatus);
  EXPECT_EQ(Controller().ViewBounds(TView::vwHexStatus), layout.HexStatus);
}

TEST_F(ControllerTest, TheWindowDrawsTheHexPanelsBorderWhileItIsShown) {
  Fake.Display.SysColors[16] = 0x00808080;
  ShowCert();
  TRecordingCanvas canvas;
  Controller().PaintWindow(canvas, {0, 0, 800, 400});
  ASSERT_EQ(canvas.Calls.size(), 1u);
  EXPECT_EQ(canvas.Calls[0].Kind, TDrawKind::dkFrame);
  EXPECT_EQ(canvas.Calls[0].Rect, Probe(Form).Layout().HexPanel);
  EXPECT_EQ(canvas.Calls[0].Color, 0x00808080u);
  EXPECT_EQ(canvas.ClipDepth(), 0);

  TRecordingCanvas outside;
  Controller().PaintWindow(outside, {0, 0, 10, 10});
  EXPECT_TRUE(outside.Calls.empty()) << "an update away from the panel draws nothing";

  Probe(Form).ToggleHexPanel();
  TRecordingCanvas hidden;
  Controller().PaintWindow(hidden, {0, 0, 800, 400});
  EXPECT_TRUE(hidden.Calls.empty());
}

TEST_F(ControllerTest, MenuItemsRunTheirCommands) {
  ShowCert();
  const bool shown = Probe(Form).HexPanelVisible();
  int tag = 0;
  for (const TMenuItem& item : Controller().MenuItems())
    if (item.Name == "mnShowHex") tag = item.Tag;
  ASSERT_NE(tag, 0);
  Controller().RunMenuItem(tag);
  EXPECT_NE(Probe(Form).HexPanelVisible(), shown);
}

}  // namespace
}  // namespace viewer::test
