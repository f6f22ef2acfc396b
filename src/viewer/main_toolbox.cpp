// The element toolbox's commands: the focused row's element handed to the
// toolbox (toolbox.h), its answer put on the clipboard, in a dialog or a file;
// and going to an offset.
#include <filesystem>

#include "io/files.h"
#include "settings/lang.h"
#include "settings/text.h"
#include "viewer/main.h"
#include "viewer/toolbox.h"

namespace viewer {

namespace {

// Which of SaveElementAs's two filters is which.
constexpr int DerFilter = 0;
constexpr int PemFilter = 1;

}  // namespace

TTag TMainForm::ElementOfRow(TNodeId node) const {
  // Attribute, error and problem rows stand for the element they belong to; a
  // row of a compared file's element for none here.
  if (GhostAt(node) != nullptr) return {};
  for (; node != NoNode; node = FTreeVT.Parent(node)) {
    const TTag tag = GetTag(node);
    if (tag.IsValid() && tag.TagType() == ttNode) return tag;
    if (tag.IsValid() && tag.TagType() == ttError && FTreeVT.Parent(node) == NoNode) return {};
  }
  return {};
}

void TMainForm::CopyAsBase64() {
  const TTag element = ElementOfRow(FTreeVT.FocusedNode());
  if (!element.IsValid()) return;
  WriteClipboard(TToolbox(*FDoc).Base64(element));
}

void TMainForm::CopyAsPem() {
  const TTag element = ElementOfRow(FTreeVT.FocusedNode());
  if (!element.IsValid()) return;
  WriteClipboard(TToolbox(*FDoc).Pem(element));
}

void TMainForm::CopyAsCArray() {
  const TTag element = ElementOfRow(FTreeVT.FocusedNode());
  if (!element.IsValid()) return;
  WriteClipboard(TToolbox(*FDoc).CArray(element));
}

TElementInfo TMainForm::ElementInfoOf(TTag element) { return TToolbox(*FDoc).Info(element, FPlatform.System); }

void TMainForm::ShowElementInfo() {
  const TTag element = ElementOfRow(FTreeVT.FocusedNode());
  if (!element.IsValid() || !FDialogRunner) return;
  TElementInfoForm form(ElementInfoOf(element), [this](const std::u16string& text) { WriteClipboard(text); },
                        FPlatform.Display.PixelScalePercent());
  settings::RunCentred(*FDialogRunner, form);
}

bool TMainForm::FocusOffset(std::int32_t offset) {
  if (GetNodeByOffset(offset) == NoNode) return false;
  // The byte itself in both grids; the grids follow each other's focus.
  const TNodeId row = HexNodes(GetHexNodeIndex(offset)).Hex1;
  FHex1VT.SetFocusedNode(row);
  FHex1VT.SetFocusedColumn(offset % FSettings.Hex.StringSize);
  FHex1VT.SetSelected(row, true);
  FHex1VT.ScrollIntoView(row, /*center=*/false);
  FHex1VT.Invalidate();
  FHex2VT.Invalidate();
  return true;
}

std::u16string TMainForm::GoToOffsetText(const std::u16string& text) {
  const std::size_t size = Bytes()->size();
  auto [offset, error] = ReadOffsetEntry(text, size);
  if (error.empty() && !FocusOffset(offset)) error = OffsetPastEndText(size);
  if (!error.empty()) FPlatform.Dialogs.MessageBox(error, u"Bramlet", platform::TMessageBoxKind::mbWarning);
  return error;
}

void TMainForm::GoToOffset() {
  if (!FDialogRunner) return;
  TGoToOffsetForm form([this](const std::u16string& text) { return GoToOffsetText(text); },
                       FPlatform.Display.PixelScalePercent());
  settings::RunCentred(*FDialogRunner, form);
}

std::u16string TMainForm::ProposedElementName(TTag element) const { return TToolbox(*FDoc).ProposedName(element); }

void TMainForm::SaveElementAs() {
  const TTag element = ElementOfRow(FTreeVT.FocusedNode());
  if (!element.IsValid()) return;
  const std::u16string filter = settings::GetLangTextById(294) + u" (*.der)|*.der|" +
                                settings::GetLangTextById(295) + u" (*.pem)|*.pem";
  int filterIndex = DerFilter;
  const std::optional<std::u16string> chosen =
      FPlatform.Dialogs.SaveFileDialog(filter, ProposedElementName(element), &filterIndex);
  if (!chosen) return;
  const std::string bytes = TToolbox(*FDoc).FileBytes(element, filterIndex == PemFilter);
  try {
    io::WriteFileAtomically(std::filesystem::path(*chosen), bytes);
  } catch (const std::exception& e) {
    FPlatform.Dialogs.MessageBox(settings::Utf8ToUtf16(e.what()), u"Bramlet", platform::TMessageBoxKind::mbError);
  }
}

}  // namespace viewer
