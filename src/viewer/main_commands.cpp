// Copying, expanding and collapsing, and the toggles of the context menu and
// the keys.
#include <algorithm>
#include <chrono>
#include <span>
#include <thread>

#include "settings/text.h"
#include "viewer/main.h"

namespace viewer {

void SleepMilliseconds(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

void TMainForm::RunCommand(const std::function<void()>& command) {
  try {
    command();
  } catch (const std::exception& e) {
    FPlatform.Dialogs.MessageBox(settings::Utf8ToUtf16(e.what()), u"Bramlet", platform::TMessageBoxKind::mbError);
  }
}

void TMainForm::WriteClipboard(const std::u16string& text) {
  for (int attempt = 1;; ++attempt) {
    if (FPlatform.Clipboard.SetText(text)) return;
    if (attempt == ClipboardAttempts) throw EClipboardError();
    FClipboardWait(ClipboardRetryMilliseconds);
  }
}

std::pair<const TDecodedDocument*, TTag> TMainForm::RowElement(TNodeId node) const {
  if (const TGhostRow* ghost = GhostAt(node))
    return {&FComparison->Other(), FComparison->Other().Elements().Element(ghost->Element)};
  return {FDoc.get(), GetTag(node)};
}

void TMainForm::CopyValue() {
  const auto [document, tag] = RowElement(FTreeVT.FocusedNode());
  if (!tag.IsValid()) return;
  WriteClipboard(document->CopiedValue(tag));
}

void TMainForm::CopyRow() {
  const auto [document, tag] = RowElement(FTreeVT.FocusedNode());
  if (!tag.IsValid()) return;
  std::u16string row = tag.Name();
  std::u16string text = document->ValueText(tag);
  if (!text.empty()) (row += u": ") += text;
  std::u16string label = document->FieldLabel(tag);
  WriteClipboard(label.empty() ? row : label + u" " + row);
}

std::u16string TMainForm::RowBytesHex(TNodeId node, bool addSpace) const {
  TTag tag = GetTag(node);
  if (!tag.IsValid()) return {};
  if (tag.TagType() == ttAttrib || tag.TagType() == ttError) {
    TTag parent = tag.Parent();
    if (parent.IsValid() && parent.TagType() == ttNode) tag = parent;
  }
  std::int64_t offset = tag.Offset();
  std::int64_t size = static_cast<std::int64_t>(Bytes()->size());
  if (offset < 0 || offset >= size) return {};
  std::int64_t length = std::clamp<std::int64_t>(tag.FullLength(), 0, size - offset);
  return asn::HexString(std::span(Bytes()->data() + offset, static_cast<std::size_t>(length)), addSpace);
}

void TMainForm::CopyBytes() {
  TNodeId node = FTreeVT.FocusedNode();
  if (node == NoNode) return;
  WriteClipboard(RowBytesHex(node, FSettings.SpaceInHex));
}

void TMainForm::ExpandNode() {
  TNodeId node = FTreeVT.FocusedNode();
  if (node == NoNode) return;
  platform::TBusyCursor busy(FPlatform.Host);
  FTreeVT.FullExpand(node);
}

void TMainForm::CollapseNode() {
  TNodeId node = FTreeVT.FocusedNode();
  if (node != NoNode) FTreeVT.FullCollapse(node);
}

void TMainForm::ExpandTree() {
  // The rows above the focused one grow: it keeps its place on screen, or, when it
  // was off screen or inside a collapsed branch, is brought to the middle.
  const TNodeId focused = FTreeVT.FocusedNode();
  const TRect before = focused == NoNode ? TRect{} : FTreeVT.GetDisplayRect(focused);
  const bool onScreen = before.Height() > 0 && before.Top >= 0 && before.Bottom <= FTreeVT.ClientHeight();
  FTreeVT.FullExpand();
  if (focused == NoNode) return;
  if (onScreen)
    FTreeVT.SetOffsetY(FTreeVT.NodeTop(focused) - before.Top);
  else
    FTreeVT.ScrollIntoView(focused, /*center=*/true);
}

void TMainForm::CollapseTree() { FTreeVT.FullCollapse(); }

void TMainForm::ToggleAttributes() {
  FSettings.ShowAttributes = !FSettings.ShowAttributes;
  TNodeId node = FTreeVT.FocusedNode();
  if (node != NoNode && !FSettings.ShowAttributes && GetTag(node).TagType() == ttAttrib) node = FTreeVT.Parent(node);
  if (!ReinitStructureTree(node)) return;
  FTreeVT.SetFocusedNode(node);
  FTreeVT.SetSelected(node, true);
  FTreeVT.SetExpanded(node, true);
  FTreeVT.ScrollIntoView(node, true);
}

bool TMainForm::ReinitStructureTree(TNodeId node) {
  // Remember the document row: re-initialising may rebuild the row's block.
  TTag keep = GetTag(node);
  FTreeVT.BeginUpdate();
  FTreeVT.ReinitAll();
  FTreeVT.EndUpdate();
  return keep.IsValid() && FTreeVT.Exists(node) && GetTag(node) == keep;
}

void TMainForm::ToggleHexPanel() {
  FHexPanelVisible = !FHexPanelVisible;
  FSettings.Hex.Show = FHexPanelVisible;
  // A hidden grid cannot keep the keyboard.
  if (!FHexPanelVisible) SetActiveControl(TFocusedControl::fcTree);
  UpdateLayout();
}

void TMainForm::ToggleIcons() {
  FSettings.ShowIcons = !FSettings.ShowIcons;
  FTreeVT.Invalidate();
}

}  // namespace viewer
