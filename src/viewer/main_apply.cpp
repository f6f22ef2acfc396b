// Pushes the viewer's settings onto its three trees and the hex panel. Colours
// are resolved here, so the painters get plain RGB values.
#include "viewer/colors.h"
#include "viewer/main.h"

namespace viewer {

void TMainForm::ApplySettings() {
  platform::IDisplay& display = FPlatform.Display;
  TTreeLook& tree = FTreeVT.Look;
  tree.FontName = FSettings.FontName;
  tree.Indent = FSettings.Indent;
  tree.Color = ResolveColor(FSettings.BackgroundColor, display);
  tree.FocusedSelectionColor = ResolveColor(FSettings.FocusColor, display);
  tree.LineColor = ResolveColor(FSettings.LineColor, display);
  SetTreeFontSize();
  SetLineStyle(FTreeVT, FSettings.LineDotted);

  const settings::THexSettings& hex = FSettings.Hex;
  struct {
    VirtualTree& Grid;
    TColor FontColor;
  } grids[] = {{FHex1VT, hex.HexColor}, {FHex2VT, hex.TextColor}};
  for (auto& g : grids) {
    TTreeLook& look = g.Grid.Look;
    look.FontColor = ResolveColor(g.FontColor, display);
    look.Color = ResolveColor(hex.Background, display);
    look.FocusedSelectionColor = ResolveColor(hex.FocusColor, display);
    look.LineColor = ResolveColor(hex.LineColor, display);
    SetLineStyle(g.Grid, hex.LineDotted);
  }
  HexVTSetColumns();
  FHexPanelVisible = hex.Show;
  if (!FHexPanelVisible) SetActiveControl(TFocusedControl::fcTree);
  UpdateLayout();
}

}  // namespace viewer
