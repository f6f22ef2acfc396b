// The window's side of its document: clearing the views with it, handing each
// decoded document to the views, and the load commands.
#include "viewer/main.h"

#include "settings/lang.h"

namespace viewer {

namespace {

// What the document reads of the settings, in the language in effect.
TDocumentOptions DocumentOptions(const settings::TSettings& settings) {
  return {settings.SpaceInHex, settings.FieldNames, settings.DerChecks, settings::GetLangTextById};
}

}  // namespace

TMainForm::TMainForm(platform::TPlatform& platform, std::u16string fileName) : FPlatform(platform) {
  FDoc = MakeDocument();
  FDoc->SetFileName(std::move(fileName));
}

std::unique_ptr<TDecodedDocument> TMainForm::MakeDocument() {
  // Read as the document needs them: a setting changed later counts from then on.
  auto document = std::make_unique<TDecodedDocument>(TDocumentOptionsSource([this] { return DocumentOptions(FSettings); }));
  if (FDoc != nullptr) {
    document->SetFileName(FDoc->FileName());
    document->OIDDictionary = FDoc->OIDDictionary;
    document->ArmourMatchLimit = FDoc->ArmourMatchLimit;
  }
  document->OnClear = [this] {
    ClearViews();
    FHexSel = {};
  };
  return document;
}

TTreeExpansion TMainForm::TreeExpansion() const {
  if (TagsCount() < FullExpansionLimit) return TTreeExpansion::teAll;
  if (Root().ChildsCount() == 1) return TTreeExpansion::teFirstRow;
  return TTreeExpansion::teNone;
}

void TMainForm::FillTrees() {
  FDoc->ScheduleDerChecks();
  FillStructureTree();
  UpdateMainStatusBar();
  FillHexTree();
  if (HasIdleWork() && FEvents != nullptr) FEvents->IdleWorkQueued();
}

void TMainForm::RunIdleWork() {
  if (!FDoc->DerChecksDue()) return;
  FDoc->RunDerChecks();
  ShowDerFindings();
}

void TMainForm::ShowDerFindings() {
  if (!FDoc->DerFindings().empty()) {
    // An element at fault gains problem rows after its other children: rows
    // whose children exist are asked again, which rebuilds the blocks that
    // grow, and the tree is put back as it stood (expanded rows, focus, scroll).
    const TTreeViewState state = SaveTreeView(FTreeVT);
    FTreeVT.BeginUpdate();
    FTreeVT.ReinitAll();
    RestoreTreeView(FTreeVT, state);
    // The marks of the elements at fault, and of their octets.
    FTreeVT.Invalidate();
    FTreeVT.EndUpdate();
    FHex1VT.Invalidate();
    FHex2VT.Invalidate();
  }
  UpdateMainStatusBar();
}

void TMainForm::LoadFromClipboard() {
  // Decoded beside the shown document, which stays when the text is not ours.
  std::unique_ptr<TDecodedDocument> loaded = MakeDocument();
  if (!loaded->LoadFromText(FPlatform.Clipboard.GetText())) {
    FPlatform.Host.Beep();
    return;
  }
  ClearViews();
  FOpened.Clear();
  FDoc = std::move(loaded);
  FillTrees();
}

void TMainForm::Reload() {
  CloseOpened();
  LoadFile();
  FillTrees();
}

}  // namespace viewer
