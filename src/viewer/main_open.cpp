// Opening an element as a document of its own in the same window, and going
// back: the documents it was opened from wait on the document stack.
#include "viewer/main.h"

namespace viewer {

void TMainForm::OpenElement() {
  const TTag element = ElementOfRow(FTreeVT.FocusedNode());
  if (!element.IsValid()) return;
  const std::span<const std::uint8_t> bytes = OpenedBytes(*FDoc, element);
  if (bytes.size() == Bytes()->size()) {
    // The element is the whole document already.
    FPlatform.Host.Beep();
    return;
  }
  std::u16string location = FOpened.LocationOf(*FDoc, element, FSettings.FieldNames);
  auto opened = MakeDocument();
  // By the document's rows: a comparison's rows go with the document shown next.
  TTreeViewState view = SaveDocumentView();
  FOpened.Push(std::move(FDoc), std::move(view), std::move(location));
  FDoc = std::move(opened);
  FDoc->LoadBytes(std::make_shared<const std::vector<std::uint8_t>>(bytes.begin(), bytes.end()));
  FillTrees();
  TNodeId first = FTreeVT.GetFirst();
  if (first != NoNode) {
    FTreeVT.SetFocusedNode(first);
    FTreeVT.SetSelected(first, true);
  }
}

void TMainForm::GoBack() {
  if (FOpened.Depth() == 0) {
    FPlatform.Host.Beep();
    return;
  }
  ClearViews();
  TDocumentStack::TFrame frame = FOpened.Pop();
  FDoc = std::move(frame.Document);
  FillTrees();
  RestoreTreeView(FTreeVT, frame.View);
}

void TMainForm::CloseOpened() {
  if (FOpened.Depth() == 0) return;
  ClearViews();
  FDoc = FOpened.PopAll();
  FillTrees();
}

}  // namespace viewer
