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
    FComparison.reset();  // its marks and rows are the cleared document's
  };
  return document;
}

TTreeExpansion TMainForm::TreeExpansion() const {
  if (TagsCount() < FullExpansionLimit) return TTreeExpansion::teAll;
  if (Root().ChildsCount() == 1) return TTreeExpansion::teFirstRow;
  return TTreeExpansion::teNone;
}

void TMainForm::FillTrees() {
  FComparison.reset();  // a comparison is of the document it was asked on
  FDoc->ScheduleDerChecks();
  FillStructureTree();
  UpdateMainStatusBar();
  FillHexTree();
  if (HasIdleWork() && FEvents != nullptr) FEvents->IdleWorkQueued();
}

void TMainForm::RunIdleWork() {
  // One step at a time: the DER checks, then a comparison asked for.
  if (FDoc->DerChecksDue()) {
    FDoc->RunDerChecks();
    ShowDerFindings();
  } else if (FComparison != nullptr && !FComparison->Done()) {
    RunComparison();
  }
}

void TMainForm::ShowDerFindings() {
  // An element at fault gains problem rows after its other children, and the
  // marks of the elements at fault and of their octets.
  if (!FDoc->DerFindings().empty()) RebuildTreeRows(SaveDocumentView());
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
