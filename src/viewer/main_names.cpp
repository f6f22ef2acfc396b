// Field names beside the document: built with it, asked per row.
#include <algorithm>

#include "viewer/main.h"

namespace viewer {

namespace {

std::u16string Widen(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

// The element a row belongs to: itself, or the element an attribute or error row sits under.
std::uint32_t ElementOf(TTag tag) {
  if (tag.TagType() == ttAttrib || tag.TagType() == ttError) tag = tag.Parent();
  return tag.IsValid() ? tag.ElementIndex() : asn::NoElement;
}

}  // namespace

void TMainForm::BuildNames() {
  if (!Settings.FieldNames) {
    FNames.Clear();
    return;
  }
  FNames.Build(FDocument, *Bytes, PemLabel);
}

std::u16string TMainForm::FieldLabel(TTag tag) const {
  if (!Settings.FieldNames || !tag.IsValid() || tag.TagType() != ttNode) return {};
  return Widen(FNames.Label(tag.ElementIndex()));
}

std::u16string TMainForm::FieldPath(TTag tag) const {
  if (!Settings.FieldNames || !tag.IsValid()) return {};
  std::uint32_t element = ElementOf(tag);
  if (element == asn::NoElement) return {};
  return Widen(FNames.Path(element));
}

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
