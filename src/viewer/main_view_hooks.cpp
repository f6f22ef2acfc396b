// Placeholders for the views' side of the document hand-over. Each one moves to
// the file of its view (structure tree, hex panel, status bars) when that view
// is written, and its line here goes away.
#include "viewer/main.h"

namespace viewer {

void TMainForm::ClearViews() {}
void TMainForm::FillStructureTree() {}
void TMainForm::UpdateMainStatusBar() {}
void TMainForm::FillHexTree() {}

}  // namespace viewer
