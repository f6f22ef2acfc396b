// Field names in the window: the setting, the path command and the path panel.
#include <algorithm>

#include "viewer/main.h"

namespace viewer {

void TMainForm::ApplyFieldNames() {
  BuildNames();
  TreeVT.Invalidate();
  UpdatePathStatus();
}

void TMainForm::ToggleFieldNames() {
  Settings.FieldNames = !Settings.FieldNames;
  ApplyFieldNames();
}

void TMainForm::CopyPath() {
  TTag tag = GetTag(TreeVT.FocusedNode());
  if (!tag.IsValid()) return;
  WriteClipboard(FieldPath(tag));
}

void TMainForm::UpdatePathStatus() {
  TStatusPanel& panel = MainStatusBar.back();
  std::u16string path = FieldPath(GetTag(TreeVT.FocusedNode()));
  if (path == panel.Text) return;
  // The panel grows to the path, so that the whole of it shows where there is room.
  const int width = Platform.Display.TextWidth(path, StatusBarFontName, StatusBarFontSize) + 12;
  panel.Width = std::max(MakeMainStatusBar().back().Width, width);
  panel.Text = std::move(path);
  if (Events != nullptr) Events->StatusChanged(TView::vwMainStatus);
}

}  // namespace viewer
