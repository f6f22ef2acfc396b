// The tests' way into TMainForm: its views, handlers and state that no
// front-end may reach, forwarded unchanged. TMainForm names the probe a friend.
#pragma once

#include <utility>
#include <vector>

#include "viewer/main.h"

namespace viewer::test {

class TMainFormProbe {
 public:
  explicit TMainFormProbe(TMainForm& form) : FForm(form) {}

#define BRAMLET_PROBE(name)                          \
  template <class... TArgs>                          \
  decltype(auto) name(TArgs&&... args) const {       \
    return FForm.name(std::forward<TArgs>(args)...); \
  }
  BRAMLET_PROBE(ActiveControl) BRAMLET_PROBE(ApplySettings) BRAMLET_PROBE(ByteRole) BRAMLET_PROBE(Bytes)
  BRAMLET_PROBE(Document) BRAMLET_PROBE(ExpandTree) BRAMLET_PROBE(FieldLabel)
  BRAMLET_PROBE(FieldPath) BRAMLET_PROBE(FileName) BRAMLET_PROBE(FillHexTree) BRAMLET_PROBE(FillTrees)
  BRAMLET_PROBE(FromBase64) BRAMLET_PROBE(FromClipboard) BRAMLET_PROBE(GetHexLineCount)
  BRAMLET_PROBE(GetHexNodeIndex) BRAMLET_PROBE(GetHexOffset) BRAMLET_PROBE(GetNodeByOffset)
  BRAMLET_PROBE(GetSimilarColor) BRAMLET_PROBE(GetTag) BRAMLET_PROBE(GoBack) BRAMLET_PROBE(GridCellRect)
  BRAMLET_PROBE(GridHitTest) BRAMLET_PROBE(HasIdleWork) BRAMLET_PROBE(Hex1VT)
  BRAMLET_PROBE(Hex1VTBeforeCellPaint) BRAMLET_PROBE(Hex1VTGetText) BRAMLET_PROBE(Hex1VTPaintText)
  BRAMLET_PROBE(Hex1VTWidth) BRAMLET_PROBE(Hex2VT) BRAMLET_PROBE(Hex2VTBeforeCellPaint) BRAMLET_PROBE(Hex2VTGetText)
  BRAMLET_PROBE(Hex2VTPaintText) BRAMLET_PROBE(HexNodes) BRAMLET_PROBE(HexPanelVisible) BRAMLET_PROBE(HexPanelWidth)
  BRAMLET_PROBE(HexSel) BRAMLET_PROBE(HexStatusBar) BRAMLET_PROBE(HexVTEnter) BRAMLET_PROBE(HexVTNodeDblClick)
  BRAMLET_PROBE(HexVTSetColumns) BRAMLET_PROBE(Layout) BRAMLET_PROBE(LoadFile)
  BRAMLET_PROBE(LoadFromClipboard) BRAMLET_PROBE(Location) BRAMLET_PROBE(MainMenu) BRAMLET_PROBE(MainMenuClick)
  BRAMLET_PROBE(MainMenuPopup) BRAMLET_PROBE(MainStatusBar)
  BRAMLET_PROBE(MouseWheel) BRAMLET_PROBE(CompareWith) BRAMLET_PROBE(Comparison) BRAMLET_PROBE(NextDifference)
  BRAMLET_PROBE(PreviousDifference) BRAMLET_PROBE(StopComparing) BRAMLET_PROBE(GhostAt)
  BRAMLET_PROBE(Names) BRAMLET_PROBE(OpenElement) BRAMLET_PROBE(OpenedDepth)
  BRAMLET_PROBE(ParseASN) BRAMLET_PROBE(Platform) BRAMLET_PROBE(ProposedXmlName) BRAMLET_PROBE(Reload)
  BRAMLET_PROBE(Resize) BRAMLET_PROBE(Root) BRAMLET_PROBE(RunCaptured) BRAMLET_PROBE(RunIdleWork)
  BRAMLET_PROBE(SaveToXML) BRAMLET_PROBE(ScrollInfo) BRAMLET_PROBE(ScrollTo) BRAMLET_PROBE(SetActiveControl)
  BRAMLET_PROBE(SetClipboardWait) BRAMLET_PROBE(SetDialogRunner) BRAMLET_PROBE(SetEvents) BRAMLET_PROBE(SetHexFont)
  BRAMLET_PROBE(SetHexPanelVisible) BRAMLET_PROBE(SetMainMenuCaptions)
  BRAMLET_PROBE(SetTreeFontSize) BRAMLET_PROBE(Settings) BRAMLET_PROBE(ShowAbout) BRAMLET_PROBE(ShowSettings)
  BRAMLET_PROBE(StatusBarFontName) BRAMLET_PROBE(StatusBarFontSize) BRAMLET_PROBE(TagsCount)
  BRAMLET_PROBE(ToggleAttributes) BRAMLET_PROBE(ToggleHexPanel) BRAMLET_PROBE(TreeExpansion)
  BRAMLET_PROBE(TreeHitTest) BRAMLET_PROBE(TreeRowGeometry) BRAMLET_PROBE(TreeVT)
  BRAMLET_PROBE(TreeVTBeforeCellPaint) BRAMLET_PROBE(TreeVTClick) BRAMLET_PROBE(TreeVTGetImageIndex)
  BRAMLET_PROBE(TreeVTGetText) BRAMLET_PROBE(TreeVTPaintText) BRAMLET_PROBE(UpdateHexStatusBar)
  BRAMLET_PROBE(UpdateMainStatusBar) BRAMLET_PROBE(ViewTree) BRAMLET_PROBE(WriteTag)
#undef BRAMLET_PROBE

  static std::vector<TStatusPanel> MakeMainStatusBar() { return TMainForm::MakeMainStatusBar(); }

  // Typed, for arguments written as braced lists, which a forwarder cannot deduce.
  void SetHexSel(THexSelection selection) const { FForm.SetHexSel(selection); }
  bool KeyDown(const TKeyEvent& key) const { return FForm.KeyDown(key); }
  bool HandlesKey(const TKeyEvent& key) const { return FForm.HandlesKey(key); }
  void Paint(TView view, platform::ICanvas& canvas, const TRect& update) const { FForm.Paint(view, canvas, update); }
  void MouseDown(TView view, const TMouseEvent& event) const { FForm.MouseDown(view, event); }
  void MouseUp(TView view, const TMouseEvent& event) const { FForm.MouseUp(view, event); }
  void MouseDoubleClick(TView view, const TMouseEvent& event) const { FForm.MouseDoubleClick(view, event); }
  TPanelDrawing MainStatusBarDrawPanel(int panel, TRect rect) const {
    return FForm.MainStatusBarDrawPanel(panel, rect);
  }

 private:
  TMainForm& FForm;
};

}  // namespace viewer::test

namespace viewer {

// Probe(form).TreeVT(): the form's insides for one expression. Beside TMainForm,
// so that argument lookup finds it wherever a test holds a form.
inline test::TMainFormProbe Probe(TMainForm& form) { return test::TMainFormProbe(form); }
inline test::TMainFormProbe Probe(const TMainForm& form) { return test::TMainFormProbe(const_cast<TMainForm&>(form)); }

}  // namespace viewer
