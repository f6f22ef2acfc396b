// The window's side of its document: clearing the views with it, handing each
// decoded document to the views, and the load commands.
#include "viewer/main.h"

namespace viewer {

TMainForm::TMainForm(platform::TPlatform& platform, std::u16string fileName)
    : Platform(platform), FDoc(Settings, std::move(fileName)) {
  FDoc.OnClear = [this] {
    ClearViews();
    HexSel = {};
  };
}

TTreeExpansion TMainForm::TreeExpansion() const {
  if (TagsCount() < FullExpansionLimit) return TTreeExpansion::teAll;
  if (Root().ChildsCount() == 1) return TTreeExpansion::teFirstRow;
  return TTreeExpansion::teNone;
}

void TMainForm::FillTrees() {
  FDoc.RunDerChecks();
  FillStructureTree();
  UpdateMainStatusBar();
  FillHexTree();
}

void TMainForm::LoadFromClipboard() {
  if (!FDoc.LoadFromText(Platform.Clipboard.GetText())) {
    Platform.Host.Beep();
    return;
  }
  FillTrees();
}

void TMainForm::Reload() {
  LoadFile();
  FillTrees();
}

}  // namespace viewer
