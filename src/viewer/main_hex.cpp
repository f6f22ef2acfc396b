// The hex panel: two flat grids over Bytes (hexadecimal and text) that share
// focus and scrolling, highlight HexSel, and lead a byte back to its element.
#include <cmath>

#include "viewer/colors.h"
#include "viewer/hex_grid.h"
#include "viewer/main.h"

namespace viewer {

namespace {

// Elements and located error rows stand for bytes; attribute rows never do.
bool StandsForBytes(TTag tag) {
  return tag.TagType() == ttNode || (tag.TagType() == ttError && tag.Offset() >= 0);
}

// The index of tag's last element child starting at or before offset; -1 when
// the first starts after it or there is none.
std::int32_t LastElementChildAtOrBefore(TTag tag, std::int32_t offset) {
  std::int32_t lo = 0;
  std::int32_t hi = tag.GetTagChildsCount();
  while (lo < hi) {
    std::int32_t mid = lo + (hi - lo) / 2;
    if (tag.TagChild(mid).Offset() <= offset)
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo - 1;
}

}  // namespace

THexNodes TMainForm::HexNodes(std::int32_t row) const {
  if (row < 0 || row >= GetHexLineCount()) return {};
  auto node = static_cast<TNodeId>(row);
  return {node, node};
}

std::int32_t TMainForm::GetHexLineCount() const {
  return HexLineCount(static_cast<std::int64_t>(Bytes()->size()), FSettings.Hex.StringSize);
}

std::int32_t TMainForm::GetHexOffset(TNodeId node, int column) const {
  if (node == NoNode) return -1;
  return HexOffset(node, column, FSettings.Hex.StringSize);
}

std::int32_t TMainForm::GetHexNodeIndex(std::int32_t offset) const { return HexRowOf(offset, FSettings.Hex.StringSize); }

std::int32_t TMainForm::GetHexLastColumn() const {
  return HexLastColumn(static_cast<std::int64_t>(Bytes()->size()), FSettings.Hex.StringSize);
}

void TMainForm::FillHexTree() {
  auto rows = static_cast<std::uint32_t>(GetHexLineCount());
  FHex1VT.SetRootNodeCount(rows);
  FHex2VT.SetRootNodeCount(rows);
  TNodeId first = FHex1VT.GetFirst();
  FHex1VT.SetFocusedNode(first);
  FHex1VT.SetSelected(first, true);
  if (first != NoNode) FHex1VT.SetFocusedColumn(0);
  UpdateHexStatusBar();
}

void TMainForm::HexVTSetColumns() {
  FHex1VT.ClearColumns();
  FHex2VT.ClearColumns();
  for (int i = 0; i < FSettings.Hex.StringSize; ++i) {
    FHex1VT.AddColumn({50, TAlignment::taCenter, 0});
    FHex2VT.AddColumn({50, TAlignment::taLeftJustify, 0});
  }
  SetHexFont();
  FillHexTree();
}

void TMainForm::SetHexFont() {
  double scale = FPlatform.Display.PixelScalePercent() / 100.0;
  auto height = static_cast<int>(std::nearbyint(FSettings.Hex.FontSize * scale * 18 / 10.0));
  for (VirtualTree* grid : {&FHex1VT, &FHex2VT}) {
    grid->Look.FontName = FSettings.Hex.FontName;
    grid->Look.FontSize = FSettings.Hex.FontSize;
    grid->BeginUpdate();
    grid->SetDefaultNodeHeight(height);
    grid->ResetNodeHeights();
    grid->EndUpdate();
  }
  HexVTSetWidth();
}

void TMainForm::HexVTSetWidth() {
  platform::IDisplay& display = FPlatform.Display;
  int w1 = display.TextWidth(u"WW", FSettings.Hex.FontName, FSettings.Hex.FontSize);
  int w2 = display.BoldTextWidth(u"W", FSettings.Hex.FontName, FSettings.Hex.FontSize);
  for (int i = 0; i < FHex1VT.ColumnCount(); ++i) FHex1VT.SetColumnWidth(i, w1 + 6);
  for (int i = 0; i < FHex2VT.ColumnCount(); ++i) FHex2VT.SetColumnWidth(i, w2 + 4);
  FHex1VTWidth = FHex1VT.TotalColumnWidth() + w2 + 4;
  FHexPanelWidth = display.VerticalScrollBarWidth() + FHex2VT.TotalColumnWidth() + FHex1VTWidth + w2 + 6;
  UpdateLayout();
}

std::u16string TMainForm::Hex1VTGetText(VirtualTree&, TNodeId node, int column, TTextType) {
  std::int32_t offset = GetHexOffset(node, column);
  if (offset < 0 || static_cast<std::size_t>(offset) >= Bytes()->size()) return {};
  return HexByteText((*Bytes())[static_cast<std::size_t>(offset)]);
}

std::u16string TMainForm::Hex2VTGetText(VirtualTree&, TNodeId node, int column, TTextType) {
  std::int32_t offset = GetHexOffset(node, column);
  if (offset < 0 || static_cast<std::size_t>(offset) >= Bytes()->size()) return {};
  return HexCharText((*Bytes())[static_cast<std::size_t>(offset)]);
}

TTextStyle TMainForm::Hex1VTPaintText(VirtualTree& sender, TNodeId node, int column, TTextType) {
  TTextStyle style{sender.Look.FontBold, sender.Look.FontColor};
  std::int32_t offset = GetHexOffset(node, column);
  if (offset < 0 || static_cast<std::size_t>(offset) >= Bytes()->size()) return style;
  const settings::THexSettings& hex = FSettings.Hex;
  TColor color = hex.HexColor;
  switch (ByteRole(static_cast<std::size_t>(offset))) {
    case ctData: color = hex.HexColor; break;
    case ctTag: color = hex.TagColor; break;
    case ctLength: color = hex.LenColor; break;
    case ctUnusedBits: color = hex.UBitsColor; break;
  }
  style.Color = ResolveColor(color, FPlatform.Display);
  return style;
}

TTextStyle TMainForm::Hex2VTPaintText(VirtualTree& sender, TNodeId, int, TTextType) {
  return {sender.Look.FontBold, ResolveColor(FSettings.Hex.TextColor, FPlatform.Display)};
}

bool TMainForm::IsSelectedOctet(std::int32_t offset) const {
  return offset >= 0 && offset >= FHexSel.First && offset <= FHexSel.Last;
}

// The focused element's highlight lies over the marks of the octets at fault.
TCellPaint TMainForm::Hex1VTBeforeCellPaint(VirtualTree&, TNodeId node, int column) {
  std::int32_t offset = GetHexOffset(node, column);
  if (offset < 0) return {};
  if (IsSelectedOctet(offset)) return {ResolveColor(FSettings.Hex.SelColor, FPlatform.Display), std::nullopt};
  if (FDoc->IsFindingOctet(offset)) return {ResolveColor(FSettings.Hex.DerColor, FPlatform.Display), std::nullopt};
  // The octets of the elements a comparison marks.
  if (FComparison != nullptr) {
    const TDiffMark mark = FComparison->MarkOfOctet(offset);
    if (mark == TDiffMark::dmChanged) return {ResolveColor(FSettings.Hex.ChangedColor, FPlatform.Display), std::nullopt};
    if (mark == TDiffMark::dmOnlyHere) return {ResolveColor(FSettings.Hex.OnlyHereColor, FPlatform.Display), std::nullopt};
  }
  return {};
}

TCellPaint TMainForm::Hex2VTBeforeCellPaint(VirtualTree& sender, TNodeId node, int column) {
  TCellPaint paint = Hex1VTBeforeCellPaint(sender, node, column);
  if (IsSelectedOctet(GetHexOffset(node, column))) paint.Frame = GetSimilarColor(FSettings.Hex.SelColor, 90);
  return paint;
}

void TMainForm::HexFocusChanged(VirtualTree& from, VirtualTree& to, TNodeId node, int column) {
  if (FFocusChanging || node == NoNode) return;
  FFocusChanging = true;
  // A cell past the last byte of a partial last row snaps back to that byte.
  std::int32_t offset = GetHexOffset(node, column);
  if (offset >= 0 && static_cast<std::size_t>(offset) >= Bytes()->size()) from.SetFocusedColumn(GetHexLastColumn());
  TNodeId mirror = static_cast<std::int32_t>(node) < GetHexLineCount() ? node : NoNode;
  to.SetFocusedNode(mirror);
  to.SetFocusedColumn(from.FocusedColumn());
  to.SetSelected(mirror, true);
  FFocusChanging = false;
  UpdateHexStatusBar();
}

void TMainForm::Hex1VTFocusChanged(VirtualTree& sender, TNodeId node, int column) {
  HexFocusChanged(sender, FHex2VT, node, column);
}

void TMainForm::Hex2VTFocusChanged(VirtualTree& sender, TNodeId node, int column) {
  HexFocusChanged(sender, FHex1VT, node, column);
}

void TMainForm::Hex1VTScroll(VirtualTree& sender, std::int64_t) { FHex2VT.SetOffsetY(sender.OffsetY()); }

void TMainForm::Hex2VTScroll(VirtualTree& sender, std::int64_t) { FHex1VT.SetOffsetY(sender.OffsetY()); }

// Elements start at increasing offsets in document order (children after
// their parent's header, siblings one after another), so the last element
// starting at or before a byte is found by a binary search among the element
// children of each level, and only the sibling blocks on that path are
// created. Top-level error rows stand after the elements decoded before them;
// they are taken as a walk from the nearer end of the buffer meets them.
TNodeId TMainForm::GetNodeByOffset(std::int32_t offset) {
  auto size = static_cast<std::int64_t>(Bytes()->size());
  if (offset < 0 || offset >= size) return NoNode;
  TNodeId result = NoNode;
  {
    platform::TBusyCursor busy(FPlatform.Host);
    TTag root = Root();
    TTag tag = root;
    TNodeId row = NoNode;
    std::int32_t top = -1;      // the top-level element on the way, -1: none
    bool deeperAfter = false;  // an element inside it starts past the byte
    for (;;) {
      std::int32_t count = tag.GetTagChildsCount();
      std::int32_t i = LastElementChildAtOrBefore(tag, offset);
      if (tag == root) top = i;
      else if (i + 1 < count) deeperAfter = true;
      if (i < 0) break;
      TNodeId child = FTreeVT.Child(row, TreeRowOf(tag, static_cast<std::uint32_t>(tag.RowOfTagChild(i))));
      if (child == NoNode) break;
      row = child;
      tag = tag.TagChild(i);
    }
    // The document rows of that top-level element and of the one after it.
    const std::int32_t topRow = top >= 0 ? root.RowOfTagChild(top) : -1;
    const std::int32_t nextRow = top + 1 < root.GetTagChildsCount() ? root.RowOfTagChild(top + 1) : root.ChildsCount();
    const TDocument& elements = FDoc->Elements();
    auto errorNode = [&](std::int32_t j) {
      return FTreeVT.Child(NoNode, TreeRowOf(root, static_cast<std::uint32_t>(elements.RootErrorRow(j))));
    };
    if (offset <= size / 2) {
      // Forwards: the first top-level row stands until a qualifying row is
      // met; the walk stops at the first qualifying row past the byte, so
      // it meets the error rows between the two elements only when nothing
      // inside the first starts past the byte.
      result = row != NoNode ? row : FTreeVT.Child(NoNode, 0);
      for (std::int32_t j = 0; !deeperAfter && j < elements.RootErrorCount(); ++j) {
        const std::int32_t at = elements.RootErrorRow(j);
        TTag error = elements.RootError(j);
        if (at <= topRow || at >= nextRow || !StandsForBytes(error)) continue;
        if (error.Offset() > offset) break;
        result = errorNode(j);
      }
    } else {
      // Backwards: the last qualifying row that starts at or before the byte.
      result = row;
      for (std::int32_t j = elements.RootErrorCount() - 1; j >= 0; --j) {
        TTag error = elements.RootError(j);
        if (!StandsForBytes(error) || error.Offset() > offset) continue;
        if (elements.RootErrorRow(j) > topRow) result = errorNode(j);
        break;
      }
    }
  }
  if (result == NoNode) return NoNode;
  FTreeVT.SetFocusedNode(result);
  FTreeVT.SetSelected(result, true);
  FTreeVT.ScrollIntoView(result, /*center=*/true);
  return result;
}

void TMainForm::HexVTNodeDblClick(VirtualTree&, TNodeId hitNode, int hitColumn) {
  GetNodeByOffset(GetHexOffset(hitNode, hitColumn));
}

void TMainForm::HexVTEnter() { GetNodeByOffset(GetHexOffset(FHex1VT.FocusedNode(), FHex1VT.FocusedColumn())); }

}  // namespace viewer
