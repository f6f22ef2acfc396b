// Field names in the window: the setting, the path command and the path panel.
#include <algorithm>

#include "viewer/main.h"

namespace viewer {

void TMainForm::ApplyFieldNames() {
  TNodeId node = FTreeVT.FocusedNode();
  const TNodeId focused = node;
  BuildNames();
  // The typing decides which contents show as rows: a focused row inside
  // contents that no longer show gives the focus to the outermost element
  // that hides them.
  for (TNodeId up = focused == NoNode ? NoNode : FTreeVT.Parent(focused); up != NoNode; up = FTreeVT.Parent(up)) {
    const TTag tag = GetTag(up);
    if (tag.TagType() == ttNode && FDoc->Elements().ContentsHidden(tag.ElementIndex())) node = up;
  }
  if (ReinitStructureTree(node) && node != focused) {
    FTreeVT.SetFocusedNode(node);
    FTreeVT.SetSelected(node, true);
    FTreeVT.ScrollIntoView(node, true);
  }
  UpdatePathStatus();
}

void TMainForm::ToggleFieldNames() {
  FSettings.FieldNames = !FSettings.FieldNames;
  ApplyFieldNames();
}

void TMainForm::CopyPath() {
  TTag tag = GetTag(FTreeVT.FocusedNode());
  if (!tag.IsValid()) return;
  WriteClipboard(FieldPath(tag));
}

void TMainForm::UpdatePathStatus() {
  TStatusPanel& panel = FMainStatusBar.back();
  std::u16string path = FieldPath(GetTag(FTreeVT.FocusedNode()));
  if (path == panel.Text) return;
  // The panel grows to the path, so that the whole of it shows where there is room.
  const int width = FPlatform.Display.TextWidth(path, FStatusBarFontName, FStatusBarFontSize) + 12;
  panel.Width = std::max(MakeMainStatusBar().back().Width, width);
  panel.Text = std::move(path);
  if (FEvents != nullptr) FEvents->StatusChanged(TView::vwMainStatus);
}

}  // namespace viewer
