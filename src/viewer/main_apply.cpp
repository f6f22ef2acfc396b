// Pushes the viewer's settings onto its three trees and the hex panel. Colours
// are resolved here, so the painters get plain RGB values.
#include "viewer/colors.h"
#include "viewer/main.h"

namespace viewer {

void TMainForm::ApplySettings() {
  platform::IDisplay& display = Platform.Display;
  TTreeLook& tree = TreeVT.Look;
  tree.FontName = Settings.FontName;
  tree.Indent = Settings.Indent;
  tree.Color = ResolveColor(Settings.BackgroundColor, display);
  tree.FocusedSelectionColor = ResolveColor(Settings.FocusColor, display);
  tree.LineColor = ResolveColor(Settings.LineColor, display);
  SetTreeFontSize();
  SetLineStyle(TreeVT, Settings.LineDotted);

  const settings::THexSettings& hex = Settings.Hex;
  struct {
    VirtualTree& Grid;
    TColor FontColor;
  } grids[] = {{Hex1VT, hex.HexColor}, {Hex2VT, hex.TextColor}};
  for (auto& g : grids) {
    TTreeLook& look = g.Grid.Look;
    look.FontColor = ResolveColor(g.FontColor, display);
    look.Color = ResolveColor(hex.Background, display);
    look.FocusedSelectionColor = ResolveColor(hex.FocusColor, display);
    look.LineColor = ResolveColor(hex.LineColor, display);
    SetLineStyle(g.Grid, hex.LineDotted);
  }
  HexVTSetColumns();
  HexPanelVisible = hex.Show;
  if (!HexPanelVisible) SetActiveControl(TFocusedControl::fcTree);
  UpdateLayout();
}

}  // namespace viewer
