// The window's panes for a client size, the views' scroll bars, and the change
// events a front-end repaints and re-lays out from.
#include <algorithm>

#include "viewer/main.h"
#include "viewer/window_layout.h"

namespace viewer {

namespace {

int ScrollIndex(TView view) { return view == TView::vwTree ? 0 : view == TView::vwHex1 ? 1 : 2; }

TView ControlView(TFocusedControl control) {
  switch (control) {
    case TFocusedControl::fcHex1: return TView::vwHex1;
    case TFocusedControl::fcHex2: return TView::vwHex2;
    case TFocusedControl::fcTree: break;
  }
  return TView::vwTree;
}

}  // namespace

VirtualTree* TMainForm::ViewTree(TView view) {
  return const_cast<VirtualTree*>(static_cast<const TMainForm*>(this)->ViewTree(view));
}

const VirtualTree* TMainForm::ViewTree(TView view) const {
  switch (view) {
    case TView::vwTree: return &FTreeVT;
    case TView::vwHex1: return &FHex1VT;
    case TView::vwHex2: return &FHex2VT;
    case TView::vwMainStatus:
    case TView::vwHexStatus: break;
  }
  return nullptr;
}

void TMainForm::ConnectViewEvents() {
  FTreeVT.OnScroll = [this](VirtualTree&, std::int64_t) { CheckScroll(TView::vwTree); };
  FHex1VT.OnScroll = [this](VirtualTree& t, std::int64_t dy) {
    Hex1VTScroll(t, dy);
    CheckScroll(TView::vwHex1);
  };
  FHex2VT.OnScroll = [this](VirtualTree& t, std::int64_t dy) {
    Hex2VTScroll(t, dy);
    CheckScroll(TView::vwHex2);
  };
  FTreeVT.OnInvalidate = [this](VirtualTree& t, TNodeId n) { ViewInvalidated(TView::vwTree, t, n); };
  FHex1VT.OnInvalidate = [this](VirtualTree& t, TNodeId n) { ViewInvalidated(TView::vwHex1, t, n); };
  FHex2VT.OnInvalidate = [this](VirtualTree& t, TNodeId n) { ViewInvalidated(TView::vwHex2, t, n); };
}

void TMainForm::ViewInvalidated(TView view, VirtualTree& tree, TNodeId node) {
  if (FEvents == nullptr) {
    CheckScroll(view);
    return;
  }
  // A grid row's top is its index times the row height, so its rectangle is
  // cheap; a structure-tree row would need its place among its siblings.
  if (node != NoNode && tree.IsFlat() && tree.Exists(node)) {
    auto top = tree.NodeTop(node) - tree.OffsetY();
    // A row out of sight, or a grid with no room, needs no repaint.
    if (top + tree.NodeHeight(node) <= 0 || top >= tree.ClientHeight() || tree.ClientWidth() <= 0) {
      CheckScroll(view);
      return;
    }
    TRect row{0, static_cast<int>(top), tree.ClientWidth(), static_cast<int>(top) + tree.NodeHeight(node)};
    FEvents->InvalidateView(view, &row);
  } else {
    FEvents->InvalidateView(view, nullptr);
  }
  CheckScroll(view);
}

void TMainForm::CheckScroll(TView view) {
  // The structure tree's bar takes room from the tree when it appears.
  if (view == TView::vwTree) {
    bool need = TreeNeedsScrollBar(FTreeVT.TotalHeight(), FLayout.MainStatus.Right, FLayout.MainStatus.Top,
                                   FPlatform.Display.VerticalScrollBarWidth());
    if (need == FLayout.TreeScrollBar.IsEmpty()) UpdateLayout();
  }
  if (FEvents == nullptr) return;
  TScrollInfo now = ScrollInfo(view);
  TScrollInfo& told = FReportedScroll[ScrollIndex(view)];
  if (now == told) return;
  told = now;
  FEvents->ScrollChanged(view);
}

TScrollInfo TMainForm::ScrollInfo(TView view) const {
  const VirtualTree* tree = ViewTree(view);
  if (tree == nullptr) return {};
  TScrollInfo info;
  info.Max = tree->TotalHeight();
  info.Page = std::max(0, tree->ClientHeight());
  info.Position = tree->OffsetY();
  info.LineStep = std::max(1, tree->DefaultNodeHeight());
  switch (view) {
    case TView::vwTree: info.Visible = info.Max > info.Page; break;
    case TView::vwHex1: info.Visible = false; break;  // the text grid's bar moves both
    default: info.Visible = true; break;
  }
  return info;
}

void TMainForm::ScrollTo(TView view, std::int64_t position) {
  if (VirtualTree* tree = ViewTree(view)) tree->SetOffsetY(position);
}

void TMainForm::SetActiveControl(TFocusedControl control) {
  if (control != TFocusedControl::fcTree && !FHexPanelVisible) control = TFocusedControl::fcTree;
  if (control == FActiveControl) return;
  FActiveControl = control;
  if (FEvents != nullptr) FEvents->ActiveViewChanged(ControlView(control));
}

void TMainForm::Resize(int clientWidth, int clientHeight) {
  FClientWidth = std::max(0, clientWidth);
  FClientHeight = std::max(0, clientHeight);
  UpdateLayout();
}

void TMainForm::UpdateLayout() {
  TLayoutInput input;
  input.ClientWidth = FClientWidth;
  input.ClientHeight = FClientHeight;
  input.HexVisible = FHexPanelVisible;
  input.HexPanelWidth = FHexPanelWidth;
  input.Hex1Width = FHex1VTWidth;
  input.ScrollBarWidth = FPlatform.Display.VerticalScrollBarWidth();
  input.StatusBarHeight = StatusBarHeight;
  input.TreeHeight = FTreeVT.TotalHeight();
  const TWindowLayout layout = LayOutWindow(input);

  // Stored first: the trees' repaints on resizing check the bar against it.
  bool changed = layout != FLayout;
  FLayout = layout;
  FTreeVT.SetClientSize(layout.Tree.Width(), layout.Tree.Height());
  if (FHexPanelVisible) {
    FHex1VT.SetClientSize(layout.Hex1.Width(), layout.Hex1.Height());
    FHex2VT.SetClientSize(layout.Hex2.Width(), layout.Hex2.Height());
  }
  if (!changed) return;
  if (FEvents != nullptr) FEvents->LayoutChanged();
  for (TView view : {TView::vwTree, TView::vwHex1, TView::vwHex2}) CheckScroll(view);
}

}  // namespace viewer
