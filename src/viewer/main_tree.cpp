// The structure tree: one row per document node, its texts, icon, fonts and
// colours answered on demand, and its focus driving the hex highlight.
#include <cmath>

#include "text/ascii.h"
#include "viewer/colors.h"
#include "viewer/main.h"

namespace viewer {

namespace {

// Longest hexadecimal or INTEGER value shown whole; one more with blanks
// between the octets, so a row of 21 octets fits either way.
constexpr std::size_t ShortValueLength = 62;

// A row height from the font size: tenthsPerPoint tenths of a pixel per point,
// at the screen's scale, rounded half to even.
int RowHeight(int fontSize, double scale, int tenthsPerPoint) {
  return static_cast<int>(std::nearbyint(fontSize * scale * tenthsPerPoint / 10.0));
}

TIcon PrimitiveImage(std::uint8_t universal) {
  switch (universal) {
    case 0: return TIcon::icEndOfContents;
    case 1: return TIcon::icBoolean;
    case 2: return TIcon::icInteger;
    case 3: return TIcon::icBitString;
    case 4: return TIcon::icOctetString;
    case 5: return TIcon::icNull;
    case 6:
    case 13: return TIcon::icObjectId;
    case 9: return TIcon::icReal;
    case 23:
    case 24: return TIcon::icTime;
    case 7:
    case 12: return TIcon::icString;
    default: break;
  }
  if ((universal >= 18 && universal <= 22) || (universal >= 25 && universal <= 30)) return TIcon::icString;
  return TIcon::icPrimitive;
}

}  // namespace

bool TMainForm::ConnectViews() {
  using namespace std::placeholders;
  FTreeVT.OnInitNode = [this](VirtualTree& t, TNodeId p, TNodeId n, TNodeInit& i) { TreeVTInitNode(t, p, n, i); };
  FTreeVT.OnInitNodes = [this](VirtualTree& t, TNodeId p, TNodeId first, std::uint32_t count, std::uint64_t data,
                              TNodeInit* i) { TreeVTInitNodes(t, p, first, count, data, i); };
  FTreeVT.OnCountVisible = [this](VirtualTree&, TNodeId, std::uint32_t first, std::uint32_t count, std::uint64_t data) {
    return TreeVTCountVisible(first, count, data);
  };
  FTreeVT.OnInitChildren = [this](VirtualTree& t, TNodeId n, std::uint64_t& d) { return TreeVTInitChildren(t, n, d); };
  FTreeVT.OnFocusChanged = [this](VirtualTree& t, TNodeId n, int c) { TreeVTFocusChanged(t, n, c); };
  FHex1VT.OnFocusChanged = [this](VirtualTree& t, TNodeId n, int c) { Hex1VTFocusChanged(t, n, c); };
  FHex2VT.OnFocusChanged = [this](VirtualTree& t, TNodeId n, int c) { Hex2VTFocusChanged(t, n, c); };
  FHex1VT.OnScroll = [this](VirtualTree& t, std::int64_t dy) { Hex1VTScroll(t, dy); };
  FHex2VT.OnScroll = [this](VirtualTree& t, std::int64_t dy) { Hex2VTScroll(t, dy); };
  // The bytes grid draws both grid lines and no scroll bars; the text grid
  // only horizontal lines and always its vertical scroll bar, for both.
  for (VirtualTree* grid : {&FHex1VT, &FHex2VT}) {
    grid->Look.ShowTreeLines = false;
    grid->Look.ShowButtons = false;
    grid->Look.HorzGridLines = true;
  }
  FHex1VT.Look.VertGridLines = true;
  FHex2VT.Look.FontBold = true;
  ConnectViewEvents();
  return true;
}

void TMainForm::ClearViews() {
  FTreeVT.Clear();
  FHex1VT.Clear();
  FHex2VT.Clear();
}

void TMainForm::FillStructureTree() {
  FTreeVT.SetRootNodeCount(RootRowCount(), Root().Key());
  switch (TreeExpansion()) {
    case TTreeExpansion::teAll:
      FTreeVT.FullExpand();
      break;
    case TTreeExpansion::teFirstRow:
      FTreeVT.SetExpanded(FTreeVT.GetFirst(), true);
      break;
    case TTreeExpansion::teNone:
      break;
  }
}

std::uint32_t TMainForm::RootRowCount() const {
  const TTag root = Root();
  return static_cast<std::uint32_t>(root.ChildsCount()) + static_cast<std::uint32_t>(GhostsUnder(root).size());
}

TTag TMainForm::GetTag(TNodeId node) const {
  if (!FTreeVT.Exists(node)) return {};
  TTag parent = FDoc->Elements().TagByKey(FTreeVT.SiblingData(node));
  const TRowPlace place = PlaceOfRow(GhostsUnder(parent), static_cast<std::uint32_t>(parent.TagChildsStart()),
                                     FTreeVT.Index(node));
  auto index = static_cast<std::int32_t>(place.Index);
  // A ghost row, or past the document's rows a problem row: no document row.
  if (place.Ghost || index >= parent.ChildsCount()) return {};
  return parent.Childs(index);
}

void TMainForm::TreeVTInitNode(VirtualTree&, TNodeId, TNodeId node, TNodeInit& initialStates) {
  if (GhostAt(node) != nullptr) return;  // visible, no children
  if (ProblemAt(node) != nullptr) {
    initialStates.Visible = FSettings.ShowAttributes;
    return;
  }
  InitNodeFor(GetTag(node), initialStates);
}

void TMainForm::TreeVTInitNodes(VirtualTree& sender, TNodeId, TNodeId first, std::uint32_t count,
                                std::uint64_t blockData, TNodeInit* initialStates) {
  // A block's rows are the children of the node its value names, in order;
  // its element children are reached directly, without the per-row lookup of Childs.
  TTag parent = FDoc->Elements().TagByKey(blockData);
  std::int32_t start = parent.TagChildsStart();
  std::int32_t elements = parent.GetTagChildsCount();
  std::int32_t rows = parent.ChildsCount();
  const std::span<const TGhostRow> ghosts = GhostsUnder(parent);
  // A large block is made a run at a time: first need not be its first row.
  auto base = static_cast<std::int32_t>(sender.Index(first));
  for (std::int32_t k = 0; k < static_cast<std::int32_t>(count); ++k) {
    const TRowPlace place = PlaceOfRow(ghosts, static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(base + k));
    if (place.Ghost) continue;  // visible, no children
    auto i = static_cast<std::int32_t>(place.Index);
    if (i >= rows) {
      // Problem rows, shown with the attribute rows.
      initialStates[k].Visible = FSettings.ShowAttributes;
      continue;
    }
    // The root's error rows may stand among its elements: its rows go by Childs.
    std::int32_t element = parent.TagType() == ttRoot ? -1 : i - start;
    TTag child = element >= 0 && element < elements ? parent.TagChild(element) : parent.Childs(i);
    InitNodeFor(child, initialStates[k]);
  }
}

std::uint32_t TMainForm::TreeVTCountVisible(std::uint32_t first, std::uint32_t count, std::uint64_t blockData) const {
  if (FSettings.ShowAttributes) return count;
  // Hidden without attributes: the attribute rows, which come first, and the
  // problem rows, which follow the document's rows.
  TTag parent = FDoc->Elements().TagByKey(blockData);
  std::int64_t attribs = parent.TagType() == ttNode ? FDoc->Elements().AttribCount(parent.ElementIndex()) : 0;
  std::int64_t rows = parent.ChildsCount() + static_cast<std::int64_t>(GhostsUnder(parent).size());
  std::int64_t from = std::max<std::int64_t>(first, attribs);
  std::int64_t to = std::min<std::int64_t>(std::int64_t{first} + count, rows);
  return to > from ? static_cast<std::uint32_t>(to - from) : 0;
}

void TMainForm::InitNodeFor(TTag tag, TNodeInit& initialStates) const {
  if (tag.HasChildren(FSettings.ShowAttributes)) initialStates.HasChildren = true;
  initialStates.Visible = FSettings.ShowAttributes || tag.TagType() != ttAttrib;
}

std::uint32_t TMainForm::TreeVTInitChildren(VirtualTree&, TNodeId node, std::uint64_t& childrenData) {
  TTag tag = GetTag(node);
  childrenData = tag.Key();
  if (!tag.IsValid() || !tag.HasChildren(FSettings.ShowAttributes)) return 0;
  return static_cast<std::uint32_t>(tag.ChildsCount()) + ProblemRowCount(tag) +
         static_cast<std::uint32_t>(GhostsUnder(tag).size());
}

std::u16string TMainForm::TreeVTGetText(VirtualTree& sender, TNodeId node, int, TTextType textType) {
  TTag tag = GetTag(node);
  if (const asn::TDerFinding* problem = ProblemAt(node)) return ProblemRowText(*problem, textType);
  if (const TGhostRow* ghost = GhostAt(node)) {
    const TTag there = FComparison->Other().Elements().Element(ghost->Element);
    if (textType == TTextType::ttNormal) return there.Name();
    // A structure has no value to show: the row says where it is.
    std::u16string value = ShownValue(FComparison->Other(), there);
    return value.empty() ? FComparison->OnlyThereText() : value;
  }
  if (!tag.IsValid()) return {};
  if (textType == TTextType::ttNormal) {
    std::u16string caption = tag.Name();
    std::int32_t elements = tag.GetTagChildsCount();
    if (node == sender.FocusedNode() && tag.HasChildren(true) && elements > 1)
      caption += u"(" + text::DecimalText(elements) + u")";
    if (tag.TagType() != ttNode) caption += u":";
    return caption;
  }
  return ShownValue(*FDoc, tag);
}

std::u16string TMainForm::ShownValue(const TDecodedDocument& document, TTag tag) const {
  std::u16string value = document.ValueText(tag);
  std::size_t limit = ShortValueLength + (FSettings.SpaceInHex ? 1 : 0);
  if (value.size() <= limit || !document.ValueShortens(tag)) return value;
  value.resize(limit);
  while (!value.empty() && value.back() < 33) value.pop_back();
  return value + u"...";
}

std::u16string TMainForm::RowFieldLabel(TNodeId node) const {
  if (const TGhostRow* ghost = GhostAt(node))
    return FComparison->Other().FieldLabel(FComparison->Other().Elements().Element(ghost->Element));
  return FieldLabel(GetTag(node));
}

std::optional<TIcon> TMainForm::TreeVTGetImageIndex(VirtualTree& sender, TNodeId node, TImageKind, int) {
  if (!FSettings.ShowIcons || sender.DefaultNodeHeight() < 16) return std::nullopt;
  if (ProblemAt(node) != nullptr) return TIcon::icError;
  TTag tag = GetTag(node);
  if (const TGhostRow* ghost = GhostAt(node)) tag = FComparison->Other().Elements().Element(ghost->Element);
  if (!tag.IsValid()) return std::nullopt;
  switch (tag.TagType()) {
    case ttRoot: return std::nullopt;
    case ttAttrib: return TIcon::icAttribute;
    case ttError: return TIcon::icError;
    case ttNode: break;
  }
  std::uint8_t universal = tag.UniversalTag();
  // 255 also stands for a universal tag number of three digits or more.
  bool isUniversal = universal != 255 || tag.ASNTag().IsUniversal();
  if (!isUniversal) return tag.Constructed() ? TIcon::icContextFolder : TIcon::icPrimitive;
  if (tag.Constructed()) {
    if (universal == 16) return TIcon::icSequence;
    if (universal == 17) return TIcon::icSet;
    return TIcon::icConstructed;
  }
  return PrimitiveImage(universal);
}

TTextStyle TMainForm::TreeVTPaintText(VirtualTree& sender, TNodeId node, int, TTextType textType) {
  TTextStyle style{sender.Look.FontBold, sender.Look.FontColor};
  // A compared file's element shows as any other, its caption in a colour of its own.
  const auto [document, tag] = RowElement(node);
  const bool otherFile = document != FDoc.get();
  platform::IDisplay& display = FPlatform.Display;
  if (ProblemAt(node) != nullptr) {
    style.Bold = textType == TTextType::ttStatic;
    style.Color = ResolveColor(textType == TTextType::ttStatic ? FSettings.ValueColor : FSettings.DerColor, display);
    if (textType == TTextType::ttNormal && node == sender.FocusedNode()) style.Color = GetWhiteOrBlackColor(FSettings.FocusColor);
    return style;
  }
  if (!tag.IsValid()) return style;
  if (textType == TTextType::ttStatic) {
    const bool hex = document->ValueIsHex(tag);
    style.Bold = !hex;
    style.Color = ResolveColor(hex ? FSettings.HexColor : FSettings.ValueColor, display);
    return style;
  }
  style.Bold = tag.GetTagChildsCount() > 0;
  switch (tag.TagType()) {
    case ttNode:
      style.Color = ResolveColor(tag.Constructed() ? FSettings.ConstructedColor : FSettings.PrimitiveColor, display);
      if (otherFile) {
        style.Color = ResolveColor(FSettings.OnlyThereColor, display);
        break;
      }
      // The mark of an element the DER checks find fault with.
      if (!FindingsOf(tag).empty()) style.Color = ResolveColor(FSettings.DerColor, display);
      // The marks of a comparison.
      if (FComparison != nullptr) {
        const TDiffMark mark = FComparison->MarkOf(tag.ElementIndex());
        if (mark == TDiffMark::dmChanged) style.Color = ResolveColor(FSettings.ChangedColor, display);
        if (mark == TDiffMark::dmOnlyHere) style.Color = ResolveColor(FSettings.OnlyHereColor, display);
      }
      break;
    case ttAttrib:
    case ttError:
      style.Color = ResolveColor(FSettings.AttribColor, display);
      break;
    case ttRoot:
      break;
  }
  if (node == sender.FocusedNode()) style.Color = GetWhiteOrBlackColor(FSettings.FocusColor);
  return style;
}

TCellPaint TMainForm::TreeVTBeforeCellPaint(VirtualTree& sender, TNodeId node, int) {
  if (node == NoNode || node != sender.FocusedNode()) return {};
  return {GetSimilarColor(FSettings.BackgroundColor, 14), std::nullopt};
}

void TMainForm::TreeVTFocusChanged(VirtualTree& sender, TNodeId node, int) {
  if (node == NoNode) return;
  sender.SetSelected(node, true);
  // A compared file's element has no bytes here.
  if (GhostAt(node) != nullptr) FHexSel = {};
  else HighlightRowBytes(node);
  sender.InvalidateNode(node);
  FHex1VT.Invalidate();
  FHex2VT.Invalidate();
  UpdateHexStatusBar();
  UpdatePathStatus();
}

void TMainForm::HighlightRowBytes(TNodeId node) {
  TTag tag = GetTag(node);
  TNodeId parent = FTreeVT.Parent(node);
  if ((tag.TagType() == ttAttrib || tag.TagType() == ttError) && parent != NoNode) tag = GetTag(parent);
  std::int32_t first = tag.Offset();
  FHexSel = first < 0 ? THexSelection{} : THexSelection{first, first + tag.FullLength() - 1};
  // A problem row highlights the octets at fault (the element's, when none are).
  if (const asn::TDerFinding* problem = ProblemAt(node); problem != nullptr && problem->Length > 0) {
    first = problem->Offset;
    FHexSel = {first, first + problem->Length - 1};
  }

  // Show the first highlighted row; when it would sit on the last visible
  // line or below, make it the first line instead.
  TNodeId row = HexNodes(GetHexNodeIndex(first)).Hex1;
  if (FHex1VT.Exists(row)) {
    FHex1VT.ScrollIntoView(row, /*center=*/false);
    TRect rect = FHex1VT.GetDisplayRect(row);
    if (rect.Bottom + FHex1VT.DefaultNodeHeight() >= FHex1VT.ClientHeight())
      FHex1VT.SetOffsetY(FHex1VT.OffsetY() + rect.Top);
  }
}

void TMainForm::TreeVTClick(VirtualTree& sender, int, int clientY) {
  TNodeId node = sender.GetNodeAt(clientY);
  if (node == NoNode) return;
  sender.SetFocusedNode(node);
  sender.SetSelected(node, true);
}

void TMainForm::SetTreeFontSize() {
  FTreeVT.Look.FontSize = FSettings.FontSize;
  double scale = FPlatform.Display.PixelScalePercent() / 100.0;
  FTreeVT.BeginUpdate();
  FTreeVT.SetDefaultNodeHeight(RowHeight(FSettings.FontSize, scale, 20));
  FTreeVT.ResetNodeHeights();
  FTreeVT.EndUpdate();
}

void TMainForm::SetLineStyle(VirtualTree& tree, bool dotted) {
  tree.Look.LineStyle = dotted ? TLineStyle::lsDotted : TLineStyle::lsSolid;
  tree.Invalidate();
}

TColor TMainForm::GetSimilarColor(TColor color, int depth) { return viewer::GetSimilarColor(color, depth, FPlatform.Display); }

TColor TMainForm::GetWhiteOrBlackColor(TColor color) { return viewer::GetWhiteOrBlackColor(color, FPlatform.Display); }

}  // namespace viewer
