// Mouse input forwarded by a front-end: clicks, double-clicks and the wheel,
// hit-tested with the geometry the painters use.
//
// A click on a hex cell focuses that cell (both grids follow); the element the
// byte belongs to is focused by a double-click or Enter, as the grids' own
// handler does it, so a single click never moves the structure tree.
#include "viewer/main.h"

namespace viewer {

namespace {

TFocusedControl ViewControl(TView view) {
  switch (view) {
    case TView::vwHex1: return TFocusedControl::fcHex1;
    case TView::vwHex2: return TFocusedControl::fcHex2;
    default: return TFocusedControl::fcTree;
  }
}

bool IsGrid(TView view) { return view == TView::vwHex1 || view == TView::vwHex2; }

}  // namespace

void TMainForm::MouseDown(TView view, const TMouseEvent& event) {
  if (view == TView::vwMainStatus || view == TView::vwHexStatus) return;
  SetActiveControl(ViewControl(view));
  if (view == TView::vwTree) {
    if (event.Button == TMouseButton::mbLeft) {
      TTreeHit hit = TreeHitTest(event.X, event.Y);
      if (hit.Node == NoNode) return;
      if (hit.Part == TTreePart::tpExpander)
        FTreeVT.SetExpanded(hit.Node, !FTreeVT.IsExpanded(hit.Node));
      else
        TreeVTClick(FTreeVT, event.X, event.Y);
    } else if (event.Button == TMouseButton::mbRight) {
      // The row under the mouse first, then the menu for it.
      if (TreeHitTest(event.X, event.Y).Node != NoNode) TreeVTClick(FTreeVT, event.X, event.Y);
      MainMenuPopup();
      if (FEvents != nullptr) FEvents->PopupMenu(view, event.X, event.Y);
    }
    return;
  }
  if (event.Button != TMouseButton::mbLeft) return;
  TGridHit hit = GridHitTest(view, event.X, event.Y);
  if (hit.Node == NoNode) return;
  VirtualTree& grid = *ViewTree(view);
  // The column first, so the row's focus change mirrors the final cell.
  grid.SetFocusedColumn(hit.Column);
  grid.SetFocusedNode(hit.Node);
  grid.SetSelected(grid.FocusedNode(), true);
}

void TMainForm::MouseUp(TView, const TMouseEvent&) {
  // Everything happens on the press; the release ends nothing (no dragging).
}

void TMainForm::MouseDoubleClick(TView view, const TMouseEvent& event) {
  if (event.Button != TMouseButton::mbLeft || view == TView::vwMainStatus || view == TView::vwHexStatus) return;
  SetActiveControl(ViewControl(view));
  if (view == TView::vwTree) {
    TTreeHit hit = TreeHitTest(event.X, event.Y);
    if (hit.Node == NoNode) return;
    FTreeVT.SetExpanded(hit.Node, !FTreeVT.IsExpanded(hit.Node));
    return;
  }
  if (!IsGrid(view)) return;
  TGridHit hit = GridHitTest(view, event.X, event.Y);
  if (hit.Node == NoNode) return;
  HexVTNodeDblClick(*ViewTree(view), hit.Node, hit.Column);
}

void TMainForm::MouseWheel(TView view, int delta, bool, bool) {
  VirtualTree* tree = ViewTree(view);
  if (tree == nullptr) return;
  // Fine-grained wheels send parts of a notch; they add up to whole notches.
  FWheelRemainder += delta;
  int notches = FWheelRemainder / 120;
  FWheelRemainder -= notches * 120;
  if (notches == 0) return;
  // Away from the user scrolls towards the top.
  std::int64_t step = std::int64_t{WheelRows} * tree->DefaultNodeHeight();
  tree->SetOffsetY(tree->OffsetY() - notches * step);
}

}  // namespace viewer
