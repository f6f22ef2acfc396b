// The painters of the structure tree, the two hex grids and the status bars,
// and the row geometry the mouse hit-tests with. A paint walks only the rows
// that meet its update rectangle: one row-at-y and one row-top query, then
// the next shown row each time.
#include <algorithm>
#include <vector>

#include "viewer/colors.h"
#include "viewer/main.h"

namespace viewer {

namespace {

constexpr int ButtonSize = 9;   // the expand button's box
constexpr int TextMargin = 2;   // around the caption, inside its highlight
constexpr int IconGap = 2;      // between the icon and the caption's highlight
constexpr int ValueGap = 4;     // between the caption's highlight and the value

constexpr TColor ButtonFaceColor = 0xFF00000F;
constexpr TColor ButtonShadowColor = 0xFF000010;
constexpr TColor ButtonTextColor = 0xFF000012;

TRect Intersect(const TRect& a, const TRect& b) {
  TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right), std::min(a.Bottom, b.Bottom)};
  return r.IsEmpty() ? TRect{} : r;
}

// Forwards only what meets the area, under a clip of the area: a paint never
// touches a pixel outside its update rectangle and issues nothing it would
// clip away entirely.
class TAreaCanvas {
 public:
  TAreaCanvas(platform::ICanvas& canvas, platform::IDisplay& display, const TRect& area)
      : FCanvas(canvas), FDisplay(display), FArea(area) {
    canvas.PushClip(area);
  }
  ~TAreaCanvas() { FCanvas.PopClip(); }
  TAreaCanvas(const TAreaCanvas&) = delete;
  TAreaCanvas& operator=(const TAreaCanvas&) = delete;

  const TRect& Area() const { return FArea; }
  bool Meets(const TRect& r) const { return r.Intersects(FArea); }
  void Fill(const TRect& r, TColor color) {
    if (Meets(r)) FCanvas.FillRect(r, color);
  }
  void Frame(const TRect& r, TColor color) {
    if (Meets(r)) FCanvas.FrameRect(r, color);
  }
  void HorzLine(int x1, int x2, int y, TColor color, bool dotted) {
    if (x2 > x1 && Meets({x1, y, x2, y + 1})) FCanvas.HorzLine(x1, x2, y, color, dotted);
  }
  void VertLine(int x, int y1, int y2, TColor color, bool dotted) {
    if (y2 > y1 && Meets({x, y1, x + 1, y2})) FCanvas.VertLine(x, y1, y2, color, dotted);
  }
  void Text(int x, int y, const std::u16string& text, const platform::TFont& font, TColor color, const TRect& clip) {
    if (text.empty()) return;
    const int width = font.Bold ? FDisplay.BoldTextWidth(text, font.Name, font.Size)
                                : FDisplay.TextWidth(text, font.Name, font.Size);
    TRect extent{x, y, x + width, y + FDisplay.TextHeight(font.Name, font.Size)};
    if (Meets(Intersect(extent, clip))) FCanvas.DrawText(x, y, text, font, color, clip);
  }
  void Icon(int x, int y, platform::TIcon icon) {
    if (Meets({x, y, x + platform::IconSize, y + platform::IconSize})) FCanvas.DrawIcon(x, y, icon);
  }

 private:
  platform::ICanvas& FCanvas;
  platform::IDisplay& FDisplay;
  TRect FArea;
};

TRect ClientRect(const VirtualTree& tree) { return {0, 0, tree.ClientWidth(), tree.ClientHeight()}; }

// The first row meeting the area and its client top: one row-at-y and one
// row-top query per paint, whatever the document's size.
TNodeId FirstRow(const VirtualTree& tree, const TRect& area, int& top) {
  TNodeId node = tree.GetNodeAt(area.Top);
  if (node != NoNode) top = static_cast<int>(tree.NodeTop(node) - tree.OffsetY());
  return node;
}

int MeasureText(platform::IDisplay& display, const std::u16string& text, const std::u16string& font, int size,
                bool bold) {
  if (text.empty()) return 0;
  return bold ? display.BoldTextWidth(text, font, size) : display.TextWidth(text, font, size);
}

// Whether a shown sibling follows (or precedes) node: what decides if its tree
// line goes on down (or comes from above). Hidden siblings are attribute rows,
// which come first among an element's children, so the scans are short.
bool HasShownSibling(VirtualTree& tree, TNodeId node, bool after) {
  TNodeId parent = tree.Parent(node);
  std::uint32_t count = parent == NoNode ? tree.RootNodeCount() : tree.ChildCount(parent);
  std::uint32_t index = tree.Index(node);
  if (after) {
    for (std::uint32_t i = index + 1; i < count; ++i)
      if (tree.IsVisible(tree.Child(parent, i))) return true;
  } else {
    for (std::uint32_t i = index; i-- > 0;)
      if (tree.IsVisible(tree.Child(parent, i))) return true;
  }
  return false;
}

}  // namespace

TTreeRowGeometry TMainForm::TreeRowGeometry(TNodeId node, int top) {
  platform::IDisplay& display = FPlatform.Display;
  const TTreeLook& look = FTreeVT.Look;
  TTreeRowGeometry g;
  g.Level = FTreeVT.Level(node);
  g.Top = top;
  g.Height = FTreeVT.NodeHeight(node);
  int indent = std::max(1, look.Indent);
  int columnLeft = static_cast<int>(g.Level) * indent;
  g.ContentLeft = columnLeft + indent;
  if (look.ShowButtons && FTreeVT.HasChildren(node)) {
    int cx = columnLeft + indent / 2;
    int cy = top + g.Height / 2;
    g.Expander = {cx - ButtonSize / 2, cy - ButtonSize / 2, cx - ButtonSize / 2 + ButtonSize,
                  cy - ButtonSize / 2 + ButtonSize};
  }
  int x = g.ContentLeft;
  g.Icon = TreeVTGetImageIndex(FTreeVT, node, TImageKind::ikNormal, -1);
  if (g.Icon) {
    g.IconRect = {x, top + (g.Height - platform::IconSize) / 2, x + platform::IconSize,
                  top + (g.Height - platform::IconSize) / 2 + platform::IconSize};
    x += platform::IconSize + IconGap;
  }
  g.NameText = RowFieldLabel(node);
  if (!g.NameText.empty()) {
    g.NameStyle = {false, ResolveColor(FSettings.NameColor, display)};
    int nameWidth = MeasureText(display, g.NameText, look.FontName, look.FontSize, false);
    g.Name = {x, top, x + TextMargin + nameWidth + ValueGap, top + g.Height};
    x = g.Name.Right;
  }
  g.CaptionText = TreeVTGetText(FTreeVT, node, -1, TTextType::ttNormal);
  g.CaptionStyle = TreeVTPaintText(FTreeVT, node, -1, TTextType::ttNormal);
  int captionWidth = MeasureText(display, g.CaptionText, look.FontName, look.FontSize, g.CaptionStyle.Bold);
  g.Caption = {x, top, x + captionWidth + 2 * TextMargin, top + g.Height};
  g.TextRight = g.Caption.Right;
  g.ValueText = TreeVTGetText(FTreeVT, node, -1, TTextType::ttStatic);
  if (!g.ValueText.empty()) {
    g.ValueStyle = TreeVTPaintText(FTreeVT, node, -1, TTextType::ttStatic);
    int left = g.Caption.Right + ValueGap;
    int width = MeasureText(display, g.ValueText, look.FontName, look.FontSize, g.ValueStyle.Bold);
    g.Value = {left, top, left + width, top + g.Height};
    g.TextRight = g.Value.Right;
  }
  return g;
}

TTreeHit TMainForm::TreeHitTest(int x, int y) {
  if (y < 0 || y >= FTreeVT.ClientHeight() || x < 0 || x >= FTreeVT.ClientWidth()) return {};
  TNodeId node = FTreeVT.GetNodeAt(y);
  if (node == NoNode) return {};
  TTreeRowGeometry g = TreeRowGeometry(node, 0);
  int columnLeft = g.ContentLeft - std::max(1, FTreeVT.Look.Indent);
  TTreePart part = TTreePart::tpRightOfText;
  if (x < columnLeft)
    part = TTreePart::tpIndent;
  else if (x < g.ContentLeft)
    part = g.Expander.IsEmpty() ? TTreePart::tpIndent : TTreePart::tpExpander;
  else if (g.Icon && x < g.IconRect.Right)
    part = TTreePart::tpIcon;
  else if (x < g.Caption.Right)
    part = TTreePart::tpCaption;
  else if (x < g.TextRight)
    part = TTreePart::tpValue;
  return {node, part};
}

TRect TMainForm::GridCellRect(const VirtualTree& grid, int column, int top, int height) const {
  int left = 0;
  for (int c = 0; c < column; ++c) left += grid.Column(c).Width;
  return {left, top, left + grid.Column(column).Width, top + height};
}

TGridHit TMainForm::GridHitTest(TView view, int x, int y) const {
  const VirtualTree* grid = ViewTree(view);
  if (grid == nullptr || view == TView::vwTree) return {};
  if (x < 0 || y < 0 || x >= grid->ClientWidth() || y >= grid->ClientHeight()) return {};
  TNodeId node = grid->GetNodeAt(y);
  if (node == NoNode) return {};
  int left = 0;
  for (int c = 0; c < grid->ColumnCount(); ++c) {
    left += grid->Column(c).Width;
    if (x < left) return {node, c};
  }
  return {};
}

void TMainForm::Paint(TView view, platform::ICanvas& canvas, const TRect& update) {
  switch (view) {
    case TView::vwTree: PaintTree(canvas, update); break;
    case TView::vwHex1:
    case TView::vwHex2: PaintGrid(view, canvas, update); break;
    case TView::vwMainStatus:
    case TView::vwHexStatus: PaintStatusBar(view, canvas, update); break;
  }
}

void TMainForm::PaintTree(platform::ICanvas& target, const TRect& update) {
  TRect area = Intersect(update, ClientRect(FTreeVT));
  if (area.IsEmpty()) return;
  TAreaCanvas canvas(target, FPlatform.Display, area);
  const TTreeLook& look = FTreeVT.Look;
  canvas.Fill(area, look.Color);
  int top = 0;
  TNodeId node = FirstRow(FTreeVT, area, top);
  if (node == NoNode) return;
  platform::IDisplay& display = FPlatform.Display;
  const bool dotted = look.LineStyle == TLineStyle::lsDotted;
  const int indent = std::max(1, look.Indent);
  const int width = FTreeVT.ClientWidth();
  std::vector<TNodeId> ancestors;
  for (; node != NoNode && top < area.Bottom; node = FTreeVT.GetNextVisible(node)) {
    TTreeRowGeometry g = TreeRowGeometry(node, top);
    const int bottom = top + g.Height;
    const int mid = top + g.Height / 2;
    const TRect row{0, top, width, bottom};
    top = bottom;
    if (!canvas.Meets(row)) continue;
    TCellPaint cell = TreeVTBeforeCellPaint(FTreeVT, node, -1);
    if (cell.Fill) canvas.Fill(row, *cell.Fill);
    if (cell.Frame) canvas.Frame(row, *cell.Frame);

    if (look.ShowTreeLines) {
      const int ownX = static_cast<int>(g.Level) * indent + indent / 2;
      bool above = g.Level > 0 || HasShownSibling(FTreeVT, node, /*after=*/false);
      if (above) canvas.VertLine(ownX, row.Top, mid, look.LineColor, dotted);
      if (HasShownSibling(FTreeVT, node, /*after=*/true)) canvas.VertLine(ownX, mid, row.Bottom, look.LineColor, dotted);
      canvas.HorzLine(ownX, g.ContentLeft, mid, look.LineColor, dotted);
      // A line goes on through this row wherever an ancestor has a shown sibling below.
      ancestors.clear();
      for (TNodeId a = FTreeVT.Parent(node); a != NoNode; a = FTreeVT.Parent(a)) ancestors.push_back(a);
      for (std::size_t i = 0; i < ancestors.size(); ++i) {
        int level = static_cast<int>(g.Level) - 1 - static_cast<int>(i);
        if (HasShownSibling(FTreeVT, ancestors[i], /*after=*/true))
          canvas.VertLine(level * indent + indent / 2, row.Top, row.Bottom, look.LineColor, dotted);
      }
    }
    if (!g.Expander.IsEmpty()) {
      const TRect& b = g.Expander;
      canvas.Fill(b, look.Color);
      canvas.Frame(b, look.LineColor);
      int cy = b.Top + ButtonSize / 2;
      int cx = b.Left + ButtonSize / 2;
      canvas.HorzLine(b.Left + 2, b.Right - 2, cy, look.FontColor, false);
      if (!FTreeVT.IsExpanded(node)) canvas.VertLine(cx, b.Top + 2, b.Bottom - 2, look.FontColor, false);
    }
    if (g.Icon) canvas.Icon(g.IconRect.Left, g.IconRect.Top, *g.Icon);

    if (node == FTreeVT.FocusedNode()) canvas.Fill(g.Caption, look.FocusedSelectionColor);
    platform::TFont font{look.FontName, look.FontSize, g.CaptionStyle.Bold};
    int textTop = row.Top + (g.Height - display.TextHeight(look.FontName, look.FontSize)) / 2;
    if (!g.NameText.empty()) {
      platform::TFont nameFont{look.FontName, look.FontSize, false};
      canvas.Text(g.Name.Left + TextMargin, textTop, g.NameText, nameFont, g.NameStyle.Color, row);
    }
    canvas.Text(g.Caption.Left + TextMargin, textTop, g.CaptionText, font, g.CaptionStyle.Color, row);
    if (!g.ValueText.empty()) {
      font.Bold = g.ValueStyle.Bold;
      canvas.Text(g.Value.Left, textTop, g.ValueText, font, g.ValueStyle.Color, row);
    }
  }
}

// What a grid's cells show, by the grid's own handlers: the one choice the
// painter makes between the two grids.
struct TMainForm::TGridCells {
  TCellPaint (TMainForm::*BeforeCellPaint)(VirtualTree&, TNodeId, int);
  std::u16string (TMainForm::*GetText)(VirtualTree&, TNodeId, int, TTextType);
  TTextStyle (TMainForm::*PaintText)(VirtualTree&, TNodeId, int, TTextType);
};

void TMainForm::PaintGrid(TView view, platform::ICanvas& target, const TRect& update) {
  static constexpr TGridCells BytesCells{&TMainForm::Hex1VTBeforeCellPaint, &TMainForm::Hex1VTGetText,
                                         &TMainForm::Hex1VTPaintText};
  static constexpr TGridCells TextCells{&TMainForm::Hex2VTBeforeCellPaint, &TMainForm::Hex2VTGetText,
                                        &TMainForm::Hex2VTPaintText};
  const TGridCells& cells = view == TView::vwHex1 ? BytesCells : TextCells;
  VirtualTree& grid = view == TView::vwHex1 ? FHex1VT : FHex2VT;
  TRect area = Intersect(update, ClientRect(grid));
  if (area.IsEmpty()) return;
  TAreaCanvas canvas(target, FPlatform.Display, area);
  const TTreeLook& look = grid.Look;
  canvas.Fill(area, look.Color);
  int top = 0;
  TNodeId node = FirstRow(grid, area, top);
  if (node == NoNode) return;
  platform::IDisplay& display = FPlatform.Display;
  const bool dotted = look.LineStyle == TLineStyle::lsDotted;
  const int columns = grid.ColumnCount();
  const int gridRight = grid.TotalColumnWidth();
  const int textHeight = display.TextHeight(look.FontName, look.FontSize);
  const int rowsTop = top;
  for (; node != NoNode && top < area.Bottom; node = grid.GetNextVisible(node)) {
    const int height = grid.NodeHeight(node);
    const bool focusedRow = node == grid.FocusedNode();
    int left = 0;
    for (int c = 0; c < columns; ++c) {
      const TColumn& column = grid.Column(c);
      TRect cell{left, top, left + column.Width, top + height};
      left = cell.Right;
      if (!canvas.Meets(cell)) continue;
      TCellPaint paint = (this->*cells.BeforeCellPaint)(grid, node, c);
      if (paint.Fill) canvas.Fill(cell, *paint.Fill);
      if (paint.Frame) canvas.Frame(cell, *paint.Frame);
      if (focusedRow && c == grid.FocusedColumn()) canvas.Fill(cell, look.FocusedSelectionColor);
      std::u16string text = (this->*cells.GetText)(grid, node, c, TTextType::ttNormal);
      if (text.empty()) continue;
      TTextStyle style = (this->*cells.PaintText)(grid, node, c, TTextType::ttNormal);
      int x = cell.Left + column.Margin;
      if (column.Alignment != TAlignment::taLeftJustify) {
        int textWidth = MeasureText(display, text, look.FontName, look.FontSize, style.Bold);
        x = column.Alignment == TAlignment::taCenter ? cell.Left + (column.Width - textWidth) / 2
                                                     : cell.Right - column.Margin - textWidth;
      }
      // Drawn whole and clipped to the cell, never shortened.
      canvas.Text(x, top + (height - textHeight) / 2, text, {look.FontName, look.FontSize, style.Bold}, style.Color,
                  cell);
    }
    if (look.HorzGridLines) canvas.HorzLine(0, gridRight, top + height - 1, look.LineColor, dotted);
    top += height;
  }
  if (look.VertGridLines) {
    int left = 0;
    for (int c = 0; c < columns; ++c) {
      left += grid.Column(c).Width;
      canvas.VertLine(left - 1, std::max(rowsTop, area.Top), std::min(top, area.Bottom), look.LineColor, dotted);
    }
  }
}

void TMainForm::PaintStatusBar(TView view, platform::ICanvas& target, const TRect& update) {
  const bool main = view == TView::vwMainStatus;
  const TRect& placed = main ? FLayout.MainStatus : FLayout.HexStatus;
  const TRect client{0, 0, placed.Width(), placed.Height()};
  TRect area = Intersect(update, client);
  if (area.IsEmpty()) return;
  TAreaCanvas canvas(target, FPlatform.Display, area);
  platform::IDisplay& display = FPlatform.Display;
  canvas.Fill(area, ResolveColor(ButtonFaceColor, display));
  const TColor separator = ResolveColor(ButtonShadowColor, display);
  const TColor fontColor = ResolveColor(ButtonTextColor, display);
  const int textHeight = display.TextHeight(FStatusBarFontName, FStatusBarFontSize);
  std::vector<TStatusPanel>& panels = main ? FMainStatusBar : FHexStatusBar;
  int left = 0;
  for (std::size_t i = 0; i < panels.size(); ++i) {
    const TStatusPanel& panel = panels[i];
    const TRect rect{left, 0, left + panel.Width, client.Bottom};
    left = rect.Right;
    if (!canvas.Meets(rect)) continue;
    canvas.VertLine(rect.Right - 1, rect.Top + 2, rect.Bottom - 2, separator, false);
    // The text stays off the separator.
    const TRect inner{rect.Left + PanelMargin, rect.Top, rect.Right - 1 - PanelMargin, rect.Bottom};
    if (panel.OwnerDraw) {
      if (!main) continue;
      const TRect drawRect{rect.Left, rect.Top + PanelMargin, rect.Right - 1, rect.Bottom};
      TPanelDrawing drawing = MainStatusBarDrawPanel(static_cast<int>(i), drawRect);
      if (drawing.Draw)
        canvas.Text(drawing.X, drawing.Y, drawing.Text, {FStatusBarFontName, FStatusBarFontSize, drawing.Bold},
                    drawing.Color.value_or(fontColor), drawRect);
      continue;
    }
    if (panel.Text.empty()) continue;
    int width = display.TextWidth(panel.Text, FStatusBarFontName, FStatusBarFontSize);
    int x = inner.Left;
    if (panel.Alignment == TAlignment::taRightJustify) x = inner.Right - width;
    if (panel.Alignment == TAlignment::taCenter) x = inner.Left + (inner.Width() - width) / 2;
    canvas.Text(x, (client.Height() - textHeight) / 2, panel.Text, {FStatusBarFontName, FStatusBarFontSize, false},
                fontColor, inner);
  }
}

}  // namespace viewer
