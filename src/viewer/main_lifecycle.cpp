// The order of work when a viewer window is built, shown and closed. The window
// itself belongs to the front-end; these are the steps the viewer takes inside it.
#include "viewer/main.h"

namespace viewer {

bool TMainForm::FormCreate() {
  // The constructor has made the empty root, rows carry their node in the
  // tree model, and HexSel starts as no selection.
  LoadSettings();
  ApplySettings();
  SetMainMenuCaptions();
  LoadFile();
  // Neither an element nor a "Fatal error" row: the file is not ours to show.
  if (Root().ChildsCount() == 0) return false;
  FillTrees();
  return true;
}

void TMainForm::FormShow() {
  SetActiveControl(TFocusedControl::fcTree);
  FTreeVT.Invalidate();
  FHex1VT.Invalidate();
  FHex2VT.Invalidate();
}

void TMainForm::FormClose() {
  SaveSettings();
  FTreeVT.Clear();
}

}  // namespace viewer
